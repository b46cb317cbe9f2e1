#pragma once

#include "image/PackedBitmap.h"
#include "twain/TwainProtocol.h"

// The image of a native transfer on this platform: a block from malloc holding a packed
// bitmap (header, colour table, pixels; no file header). Whoever receives the handle owns
// the block.
class NativeImage {
public:
    // A source's side: the bitmap's block as a handle; null for an empty bitmap.
    static TW_HANDLE FromBitmap(PackedBitmap bitmap);
    // The receiver's side: the bitmap the handle holds; empty for a null handle or a block
    // whose header describes no bitmap. The block is the bitmap's, or freed.
    static PackedBitmap Take(TW_HANDLE handle);
    // Frees an image nobody will use.
    static void Release(TW_HANDLE handle);
};
