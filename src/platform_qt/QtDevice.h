#pragma once

#include "platform/Device.h"

#include <QRect>

#include <cstdint>
#include <optional>

class QImage;
class QPainter;

// The drawing surface of the windows, over one of two targets:
//   a QImage back buffer (the view's): pixels are written straight into the image memory,
//     exactly, raster operations included;
//   a QPainter on any other paint device (a printer, a PDF writer, a widget): pixels go
//     through fillRect and drawImage. A not-xor line is drawn on Qt's raster engine (images,
//     widgets) and left out elsewhere (printing draws no feedback).
// Logical point (x, y) lands on target pixel (x + dx, y + dy) for the origin (dx, dy). All
// drawing is held to the target's bounds and the clip rectangle; coordinates anywhere in
// the int range cost only the pixels that are visible.
//
// Every pen paints one pixel wide: lines are stepped with Bresenham's rule, the end point
// left out; a dotted pen paints every other pixel, the first included.
class QtDevice : public Device {
public:
    // The image is looked at anew on every call, so it may be resized or replaced between
    // calls. One that is not RGB32, ARGB32 or ARGB32_Premultiplied is converted in place to
    // RGB32 (ARGB32_Premultiplied when it has an alpha channel) at the first drawing.
    explicit QtDevice(QImage& image);
    // Target pixels are the painter's logical coordinates; its transformation, taken at
    // each call, scales them onto the device (a printed page).
    explicit QtDevice(QPainter& painter);

    Pen SelectPen(const Pen& pen) override;
    RasterOp SetRasterOp(RasterOp op) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    // SetPixel and FillRect always copy, whatever the raster operation.
    void SetPixel(int x, int y, Colour colour) override;
    void FillRect(int left, int top, int right, int bottom, Colour colour) override;
    // A bitmap that is not a complete packed bitmap, an empty rectangle, a negative size
    // (a mirrored draw) or a source rectangle that does not lie inside the bitmap draws
    // nothing. Destination pixel (i, j) shows source pixel (srcX + i * srcWidth / destWidth,
    // srcY + j * srcHeight / destHeight), in 64-bit integers.
    void DrawPackedBitmap(const PackedBitmapView& bitmap, int destX, int destY, int destWidth,
                          int destHeight, int srcX, int srcY, int srcWidth, int srcHeight) override;

    void SetOrigin(int dx, int dy);
    // In target pixels; an empty rectangle lets nothing through.
    void SetClip(const QRect& clip);
    void ClearClip();
    // Dithers the bitmap tiles for a painter target whose format has fewer than 24 bits of
    // colour (Qt::DiffuseDither). A 32-bit target, the QImage back buffer among them, shows
    // the same pixels either way.
    void SetDithered(bool dithered);

private:
    QImage* image_ = nullptr;
    QPainter* painter_ = nullptr;
    Pen pen_;
    RasterOp rop_ = RasterOp::Copy;
    int x_ = 0;
    int y_ = 0;
    int originX_ = 0;
    int originY_ = 0;
    std::optional<QRect> clip_;
    bool dithered_ = false;
};
