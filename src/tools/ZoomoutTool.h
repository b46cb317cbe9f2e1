#pragma once

#include "tools/Cursor.h"
#include "tools/ZoomClickTool.h"

// "Zoom Out - Recenter": one step out at the click, with the zoom-out cursor.
class ZoomoutTool : public ZoomClickTool {
public:
    ZoomoutTool() : ZoomClickTool(false, ZoomoutCursor::Instance()) {}
};
