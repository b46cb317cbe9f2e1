#pragma once

#include "core/Geometry.h"
#include "draw/DrawContext.h"

// One mouse or key message as the tools see it: positions in client, logical and image
// pixel units, the pick tolerance in image pixels and the modifier keys. The view makes it;
// snapping may move the pixel position before a tool sees it.
struct ToolEvent {
    DrawContext context;
    IPoint client;  // clamped into the client rectangle
    IPoint logical; // client + scroll position - centring offset
    IPoint centringOffset;
    DPoint pixel;         // logical / scale
    DPoint pickTolerance; // normally pickTol / scale on both axes
    int button = 0;       // 1 for a press and for moves with the mouse captured
    int shift = 0;
    int ctrl = 0;
    int alt = 0;
    int space = 0;
};
