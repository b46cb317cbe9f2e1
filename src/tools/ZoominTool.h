#pragma once

#include "tools/Cursor.h"
#include "tools/ZoomClickTool.h"

// "Zoom In - Recenter": one step in at the click, with the zoom-in cursor.
class ZoominTool : public ZoomClickTool {
public:
    ZoominTool() : ZoomClickTool(true, ZoominCursor::Instance()) {}
};
