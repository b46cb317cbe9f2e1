#pragma once

#include "image/PackedBitmap.h"

// The pixel operations of the image store, on packed bitmaps of every depth. Positions are
// (x from the left, y from the top) of a W x H picture. Each returns false, with its input
// unchanged, when it cannot be done (no memory for a new bitmap, a size of no pixels).
class BitmapOps {
public:
    // (x, y) -> (W - 1 - x, y). Fill bits of 1- and 4-bit rows stay fill bits (and zero).
    static bool FlipHorizontal(PackedBitmap& bitmap);
    // Exchanges rows y and H - 1 - y.
    static bool FlipVertical(PackedBitmap& bitmap);
    // 90 clockwise: (x, y) -> (H - 1 - y, x); 270: (x, y) -> (y, W - 1 - x). The header is
    // copied and its size fields set (resolution fields keep their places). Other angles fail.
    static bool RotateQuarter(const PackedBitmap& source, int degrees, PackedBitmap& result);
    // The rectangle at (x, y) of width x height, which must lie inside the picture.
    static bool Crop(const PackedBitmap& source, int x, int y, int width, int height,
                     PackedBitmap& result);
    // Nearest neighbour: pixel (i, j) takes source pixel (i * W / w, j * H / h), in integers.
    static bool Scale(const PackedBitmap& source, int width, int height, PackedBitmap& result);

    // Turns a picture stored in EXIF orientation 1 to 8 upright: 2 mirrors it, 3 turns it
    // 180 degrees, 4 flips it, 5 transposes it, 6 turns it 90 clockwise, 7 transverses it,
    // 8 turns it 90 counter-clockwise. After a quarter turn the x and y resolutions
    // exchange places. Any other value leaves the picture as it is.
    static bool Orient(PackedBitmap& bitmap, int orientation);
    // Makes the colour table of an 8-bit bitmap long enough for every index its pixels
    // use; the added entries are black, as a reader shows an index past its palette.
    static bool CoverIndices(PackedBitmap& bitmap);
    // An 8-bit bitmap whose pixels are all 0 or 1 becomes a 1-bit one with the same first
    // two colours; any other bitmap stays as it is.
    static bool PackTwoColours(PackedBitmap& bitmap);

private:
    static bool NewLike(const PackedBitmap& source, int width, int height, PackedBitmap& result);
};
