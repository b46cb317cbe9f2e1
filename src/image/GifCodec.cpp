#include "image/GifCodec.h"

#include "image/BitmapOps.h"
#include "image/DecodeLimits.h"
#include "image/WhitePaper.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int wanted) {
    auto* input = static_cast<Input*>(gif->UserData);
    if (wanted <= 0) {
        return 0;
    }
    const std::size_t count =
        std::min(static_cast<std::size_t>(wanted), input->size - input->position);
    std::memcpy(out, input->data + input->position, count);
    input->position += count;
    return static_cast<int>(count);
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using GifPtr = std::unique_ptr<GifFileType, GifCloser>;

// Skips extensions up to the first image descriptor and returns the transparent index of
// the last graphic control on the way, or -1.
bool FindFirstImage(GifFileType* gif, int& transparent) {
    transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &record) == GIF_ERROR) {
            return false;
        }
        if (record == IMAGE_DESC_RECORD_TYPE) {
            return DGifGetImageDesc(gif) != GIF_ERROR;
        }
        if (record != EXTENSION_RECORD_TYPE) {
            return false; // the end of the file, or garbage, before any image
        }
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) {
            return false;
        }
        if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr && block[0] >= 4) {
            GraphicsControlBlock control;
            if (DGifExtensionToGCB(block[0], block + 1, &control) != GIF_ERROR) {
                transparent = control.TransparentColor;
            }
        }
        while (block != nullptr) {
            if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) {
                return false;
            }
        }
    }
}

// Rows in file order: interlaced images send every eighth row from 0, every eighth from 4,
// every fourth from 2, then every second from 1.
bool ReadRows(GifFileType* gif, PackedBitmap& bitmap) {
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    if (!gif->Image.Interlace) {
        for (int y = 0; y < height; ++y) {
            if (DGifGetLine(gif, bitmap.RowFromTop(y), width) == GIF_ERROR) {
                return false;
            }
        }
        return true;
    }
    constexpr int kStart[4] = {0, 4, 2, 1};
    constexpr int kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        for (int y = kStart[pass]; y < height; y += kStep[pass]) {
            if (DGifGetLine(gif, bitmap.RowFromTop(y), width) == GIF_ERROR) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

bool GifCodec::IsGif(const std::uint8_t* data, std::size_t size) {
    return data != nullptr && size >= 6 &&
           (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0);
}

bool GifCodec::Decode(const std::uint8_t* data, std::size_t size, PackedBitmap& out) {
    if (!IsGif(data, size)) {
        return false;
    }
    Input input{data, size, 0};
    int error = 0;
    GifPtr gif(DGifOpen(&input, ReadFromMemory, &error));
    int transparent = NO_TRANSPARENT_COLOR;
    if (!gif || !FindFirstImage(gif.get(), transparent)) {
        return false;
    }
    const GifImageDesc& image = gif->Image;
    const ColorMapObject* colours = image.ColorMap != nullptr ? image.ColorMap : gif->SColorMap;
    if (colours == nullptr || colours->ColorCount <= 0 || colours->ColorCount > 256 ||
        image.Width <= 0 || image.Height <= 0 ||
        !DecodeLimits::IsPlausibleImage(static_cast<std::uint64_t>(image.Width),
                                        static_cast<std::uint64_t>(image.Height), 1, size,
                                        DecodeLimits::kGeneralExpansion)) {
        return false;
    }
    PackedBitmap::Header header;
    header.width = image.Width;
    header.height = image.Height;
    header.bitCount = 8;
    header.clrUsed = static_cast<std::uint32_t>(colours->ColorCount);
    PackedBitmap bitmap;
    if (!bitmap.Allocate(header)) {
        return false;
    }
    std::uint8_t* table = bitmap.ColourTable();
    for (int i = 0; i < colours->ColorCount; ++i) {
        const GifColorType& colour = colours->Colors[i];
        WhitePaper::PutEntry(table + 4 * i, colour.Red, colour.Green, colour.Blue);
    }
    if (transparent >= 0 && transparent < colours->ColorCount) {
        WhitePaper::PutEntry(table + 4 * transparent, 255, 255, 255);
    }
    if (!ReadRows(gif.get(), bitmap) || !BitmapOps::CoverIndices(bitmap) ||
        !BitmapOps::PackTwoColours(bitmap)) {
        return false;
    }
    out = std::move(bitmap);
    return true;
}
