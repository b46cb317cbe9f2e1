#pragma once

#include <cstddef>
#include <cstdint>

// Colours are 0x00BBGGRR.
using Colour = std::uint32_t;

constexpr Colour MakeColour(int red, int green, int blue) {
    return static_cast<Colour>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr Colour kBlack = MakeColour(0, 0, 0);
constexpr Colour kWhite = MakeColour(255, 255, 255);

enum class PenStyle { Solid, Dotted };

// Width 0 draws one device pixel wide, whatever the scale.
struct Pen {
    Colour colour = kBlack;
    int width = 0;
    PenStyle style = PenStyle::Solid;

    bool operator==(const Pen&) const = default;
};

// Copy paints the pen's colour; NotXorPen inverts what is under the pen where the pen is
// black, so drawing the same figure twice restores the surface.
enum class RasterOp { Copy, NotXorPen };

// A packed device-independent bitmap in memory: the 40-byte header, the colour table and
// the pixel rows, bottom-up, each row padded to four bytes.
struct PackedBitmapView {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

// The drawing surface every draw routine paints on, in logical units (one unit is one
// device pixel). Lines are drawn as the desktop platform draws them: the end point is not
// painted, so two lines that meet at a point paint it once.
class Device {
public:
    virtual ~Device() = default;

    // Selects a pen and returns the one that was selected.
    virtual Pen SelectPen(const Pen& pen) = 0;
    // Sets the raster operation and returns the previous one.
    virtual RasterOp SetRasterOp(RasterOp op) = 0;
    virtual void MoveTo(int x, int y) = 0;
    // A line from the current position to (x, y), end point excluded; (x, y) becomes current.
    virtual void LineTo(int x, int y) = 0;
    virtual void SetPixel(int x, int y, Colour colour) = 0;
    // Fills [left, right) x [top, bottom).
    virtual void FillRect(int left, int top, int right, int bottom, Colour colour) = 0;
    // Draws the source rectangle of a packed bitmap (in bitmap pixels, top-down rows)
    // stretched into the destination rectangle, nearest neighbour.
    virtual void DrawPackedBitmap(const PackedBitmapView& bitmap, int destX, int destY,
                                  int destWidth, int destHeight, int srcX, int srcY, int srcWidth,
                                  int srcHeight) = 0;
};
