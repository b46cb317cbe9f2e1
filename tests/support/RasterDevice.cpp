#include "RasterDevice.h"

#include <cstdlib>

RasterDevice::RasterDevice(int width, int height, Colour background)
    : width_(width), height_(height), background_(background),
      pixels_(static_cast<std::size_t>(width * height), background) {}

Pen RasterDevice::SelectPen(const Pen& pen) {
    Pen old = pen_;
    pen_ = pen;
    return old;
}

RasterOp RasterDevice::SetRasterOp(RasterOp op) {
    RasterOp old = rop_;
    rop_ = op;
    return old;
}

void RasterDevice::MoveTo(int x, int y) {
    x_ = x;
    y_ = y;
}

void RasterDevice::Paint(int x, int y, Colour colour) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return;
    }
    Colour& pixel = pixels_[static_cast<std::size_t>(y * width_ + x)];
    pixel = rop_ == RasterOp::NotXorPen ? (~(pixel ^ colour)) & 0xFFFFFF : colour;
}

void RasterDevice::LineTo(int x, int y) {
    int cx = x_;
    int cy = y_;
    const int dx = std::abs(x - cx);
    const int dy = -std::abs(y - cy);
    const int sx = cx < x ? 1 : -1;
    const int sy = cy < y ? 1 : -1;
    int error = dx + dy;
    int index = 0;
    while (cx != x || cy != y) {
        if (pen_.style == PenStyle::Solid || index % 2 == 0) {
            Paint(cx, cy, pen_.colour);
        }
        ++index;
        const int e2 = 2 * error;
        if (e2 >= dy) {
            error += dy;
            cx += sx;
        }
        if (e2 <= dx) {
            error += dx;
            cy += sy;
        }
    }
    x_ = x;
    y_ = y;
}

void RasterDevice::SetPixel(int x, int y, Colour colour) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return;
    }
    pixels_[static_cast<std::size_t>(y * width_ + x)] = colour;
}

void RasterDevice::FillRect(int left, int top, int right, int bottom, Colour colour) {
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            SetPixel(x, y, colour);
        }
    }
}

void RasterDevice::DrawPackedBitmap(const PackedBitmapView&, int, int, int, int, int, int, int,
                                    int) {
    ++bitmapDraws_;
}

Colour RasterDevice::At(int x, int y) const {
    return pixels_[static_cast<std::size_t>(y * width_ + x)];
}

std::string RasterDevice::Picture() const {
    std::string text;
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const Colour c = At(x, y);
            text += c == background_ ? '.' : c == kBlack ? '#' : c == kWhite ? 'W' : 'o';
        }
        text += '\n';
    }
    return text;
}
