#pragma once

#include "tools/RegionTool.h"

// Draws the mapping region: a press outside the region and a drag make a new axis-aligned
// region; a press on an edge or corner drags it (along the region's own axes when it is
// rotated). The arrow cursor where nothing can be dragged.
class MapTool : public RegionTool {
protected:
    Cursor* IdleCursor() const override;
};
