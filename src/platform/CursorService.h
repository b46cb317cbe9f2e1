#pragma once

// The shapes of the mouse pointer over the image: the system's own, and four drawn for
// this program.
enum class CursorShape {
    Arrow,
    Cross,
    SizeAll,  // four-way move
    SizeNS,   // north-south
    SizeWE,   // west-east
    SizeNESW, // north-east/south-west
    SizeNWSE, // north-west/south-east
    Rotate,
    Hand,
    ZoomIn,
    ZoomOut,
};

// Sets the pointer shape of one window (the image view).
class CursorService {
public:
    virtual ~CursorService() = default;
    virtual void SetCursor(CursorShape shape) = 0;
};
