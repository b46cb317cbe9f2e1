#include "twain/NativeImage.h"

#include <cstdlib>

TW_HANDLE NativeImage::FromBitmap(PackedBitmap bitmap) {
    return bitmap.Empty() ? nullptr : bitmap.TakeBlock().release();
}

PackedBitmap NativeImage::Take(TW_HANDLE handle) {
    PackedBitmap bitmap;
    if (handle == nullptr) {
        return bitmap;
    }
    PackedBitmap::Block block(static_cast<std::uint8_t*>(handle));
    // The handle carries no size of its own: the block is as long as its header says.
    const std::uint64_t total = PackedBitmap::TotalSizeFor(PackedBitmap::ReadHeader(block.get()));
    if (total != 0) {
        bitmap.Adopt(std::move(block), static_cast<std::size_t>(total));
    }
    return bitmap;
}

void NativeImage::Release(TW_HANDLE handle) {
    std::free(handle);
}
