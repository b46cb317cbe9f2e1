#pragma once

#include "platform/CursorService.h"

// A mouse pointer shape that a tool installs in its view. The shapes are process-wide
// objects: each class has one instance, and tools and views pass pointers to it.
class Cursor {
public:
    explicit Cursor(CursorShape shape) : shape_(shape) {}
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;
    virtual ~Cursor() = default;

    // Sets the pointer of the window the service stands for.
    virtual void Apply(CursorService& service) const { service.SetCursor(shape_); }
    CursorShape Shape() const { return shape_; }

private:
    CursorShape shape_;
};

// The cursor classes of the tools: seven system shapes and four drawn for this program.
template <CursorShape S> class CursorOf : public Cursor {
public:
    CursorOf() : Cursor(S) {}
    static CursorOf* Instance() {
        static CursorOf instance;
        return &instance;
    }
};

using CrossHairCursor = CursorOf<CursorShape::Cross>;
using ArrowCursor = CursorOf<CursorShape::Arrow>;
using FleurCursor = CursorOf<CursorShape::SizeAll>;
using SizeVertCursor = CursorOf<CursorShape::SizeNS>;
using SizeHorizCursor = CursorOf<CursorShape::SizeWE>;
using SizeUpRightCursor = CursorOf<CursorShape::SizeNESW>;
using SizeUpLeftCursor = CursorOf<CursorShape::SizeNWSE>;
using RotateCursor = CursorOf<CursorShape::Rotate>;
using HandCursor = CursorOf<CursorShape::Hand>;
using ZoominCursor = CursorOf<CursorShape::ZoomIn>;
using ZoomoutCursor = CursorOf<CursorShape::ZoomOut>;

// The cursor for a hover code of a region or crop box (-1 nothing under the pointer, 0 the
// inside, 1 to 4 the sizing kinds of Box): `nothing` for -1, the four-way move for 0.
inline Cursor* HoverCursor(int code, Cursor* nothing) {
    switch (code) {
    case 0:
        return FleurCursor::Instance();
    case 1:
        return SizeUpLeftCursor::Instance();
    case 2:
        return SizeVertCursor::Instance();
    case 3:
        return SizeUpRightCursor::Instance();
    case 4:
        return SizeHorizCursor::Instance();
    default:
        return nothing;
    }
}
