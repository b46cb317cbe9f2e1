#include "image/WebpCodec.h"

#include "image/DecodeLimits.h"
#include "image/WhitePaper.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <cstring>
#include <memory>

namespace {

PackedBitmap::Header Header24(int width, int height) {
    PackedBitmap::Header header;
    header.width = width;
    header.height = height;
    header.bitCount = 24;
    return header;
}

// Blue-green-red-alpha rows, top row first, `stride` bytes apart, over white.
void PutOverWhite(const std::uint8_t* bgra, std::size_t stride, PackedBitmap& bitmap) {
    for (int y = 0; y < bitmap.Height(); ++y) {
        const std::uint8_t* in = bgra + stride * static_cast<std::size_t>(y);
        std::uint8_t* out = bitmap.RowFromTop(y);
        for (int x = 0; x < bitmap.Width(); ++x, in += 4, out += 3) {
            out[0] = WhitePaper::Over8(in[0], in[3]);
            out[1] = WhitePaper::Over8(in[1], in[3]);
            out[2] = WhitePaper::Over8(in[2], in[3]);
        }
    }
}

struct AnimDecoderDeleter {
    void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};

bool DecodeAnimation(const std::uint8_t* data, std::size_t size, PackedBitmap& out) {
    WebPAnimDecoderOptions options;
    if (WebPAnimDecoderOptionsInit(&options) == 0) {
        return false;
    }
    options.color_mode = MODE_BGRA;
    options.use_threads = 0;
    const WebPData input{data, size};
    std::unique_ptr<WebPAnimDecoder, AnimDecoderDeleter> decoder(
        WebPAnimDecoderNew(&input, &options));
    WebPAnimInfo info;
    if (!decoder || WebPAnimDecoderGetInfo(decoder.get(), &info) == 0 ||
        !DecodeLimits::IsPlausibleImage(info.canvas_width, info.canvas_height, 4, size,
                                        DecodeLimits::kGeneralExpansion)) {
        return false;
    }
    PackedBitmap bitmap;
    std::uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (!bitmap.Allocate(
            Header24(static_cast<int>(info.canvas_width), static_cast<int>(info.canvas_height))) ||
        WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp) == 0) {
        return false;
    }
    PutOverWhite(canvas, std::size_t{info.canvas_width} * 4, bitmap);
    out = std::move(bitmap);
    return true;
}

// A still image: without alpha straight into the bitmap's rows (libwebp flips them to
// bottom-up), with alpha through a buffer put over white.
bool DecodeStill(const std::uint8_t* data, std::size_t size, const WebPBitstreamFeatures& features,
                 PackedBitmap& out) {
    PackedBitmap bitmap;
    if (!bitmap.Allocate(Header24(features.width, features.height))) {
        return false;
    }
    WebPDecoderConfig config;
    if (WebPInitDecoderConfig(&config) == 0) {
        return false;
    }
    PackedBitmap::Block buffer;
    WebPRGBABuffer& rgba = config.output.u.RGBA;
    config.output.is_external_memory = 1;
    if (features.has_alpha != 0) {
        const std::size_t stride = std::size_t{static_cast<unsigned>(features.width)} * 4;
        const std::size_t bytes = stride * static_cast<std::size_t>(features.height);
        buffer = PackedBitmap::AllocateBlock(bytes, false);
        if (!buffer) {
            return false;
        }
        config.output.colorspace = MODE_BGRA;
        rgba.rgba = buffer.get();
        rgba.stride = static_cast<int>(stride);
        rgba.size = bytes;
    } else {
        config.output.colorspace = MODE_BGR;
        config.options.flip = 1;
        rgba.rgba = bitmap.Pixels();
        rgba.stride = static_cast<int>(bitmap.RowBytes());
        rgba.size = bitmap.ImageSize();
    }
    const VP8StatusCode status = WebPDecode(data, size, &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK) {
        return false;
    }
    if (buffer) {
        PutOverWhite(buffer.get(), static_cast<std::size_t>(rgba.stride), bitmap);
    }
    out = std::move(bitmap);
    return true;
}

} // namespace

bool WebpCodec::IsWebp(const std::uint8_t* data, std::size_t size) {
    return data != nullptr && size >= 12 && std::memcmp(data, "RIFF", 4) == 0 &&
           std::memcmp(data + 8, "WEBP", 4) == 0;
}

bool WebpCodec::Decode(const std::uint8_t* data, std::size_t size, PackedBitmap& out) {
    WebPBitstreamFeatures features;
    if (!IsWebp(data, size) || WebPGetFeatures(data, size, &features) != VP8_STATUS_OK) {
        return false;
    }
    if (features.has_animation != 0) {
        return DecodeAnimation(data, size, out);
    }
    if (features.width <= 0 || features.height <= 0 ||
        !DecodeLimits::IsPlausibleImage(static_cast<std::uint64_t>(features.width),
                                        static_cast<std::uint64_t>(features.height), 4, size,
                                        DecodeLimits::kGeneralExpansion)) {
        return false;
    }
    return DecodeStill(data, size, features, out);
}
