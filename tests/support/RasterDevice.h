#pragma once

#include "platform/Device.h"

#include <string>
#include <vector>

// A device that paints into a small array of colours, for checking drawing pixel by pixel.
// Lines are stepped with Bresenham's rule and omit their end point; a dotted pen paints
// every other pixel of a line, starting with the first.
class RasterDevice : public Device {
public:
    RasterDevice(int width, int height, Colour background = kWhite);

    Pen SelectPen(const Pen& pen) override;
    RasterOp SetRasterOp(RasterOp op) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void SetPixel(int x, int y, Colour colour) override;
    void FillRect(int left, int top, int right, int bottom, Colour colour) override;
    void DrawPackedBitmap(const PackedBitmapView& bitmap, int destX, int destY, int destWidth,
                          int destHeight, int srcX, int srcY, int srcWidth, int srcHeight) override;

    Colour At(int x, int y) const;
    int width() const { return width_; }
    int height() const { return height_; }
    const Pen& pen() const { return pen_; }
    RasterOp rasterOp() const { return rop_; }
    int bitmapDraws() const { return bitmapDraws_; }
    // The picture as rows of characters: '.' background, '#' black, 'W' white where the
    // background is not white, 'o' any other colour.
    std::string Picture() const;

private:
    void Paint(int x, int y, Colour colour);

    int width_;
    int height_;
    Colour background_;
    std::vector<Colour> pixels_;
    Pen pen_;
    RasterOp rop_ = RasterOp::Copy;
    int x_ = 0;
    int y_ = 0;
    int bitmapDraws_ = 0;
};
