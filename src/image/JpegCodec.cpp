#include "image/JpegCodec.h"

#include "image/BitmapOps.h"
#include "image/DecodeLimits.h"
#include "image/ExifInfo.h"
#include "image/WhitePaper.h"

// jpeglib.h needs size_t and FILE declared first.
#include <cstdio>
#include <jerror.h>
#include <jpeglib.h>

#include <csetjmp>
#include <cstring>
#include <limits>

// libjpeg reports an error by calling error_exit, which here jumps back to the setjmp in
// ReadImage. No C++ object with a destructor lives in ReadImage or in any frame between
// it and libjpeg: the decoder's state sits in a Decompress in Decode's frame, which the
// jump never crosses.

namespace {

// A corrupt progressive file can hold any number of scans, each a full pass over the
// coefficients; real files have a dozen.
constexpr int kMaxScans = 500;

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void JumpOnError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// Warnings (level -1) are kept quiet, except that running out of data is an error: a
// truncated file would otherwise come out with its missing part painted grey.
void OnMessage(j_common_ptr info, int level) {
    if (level == -1 && info->err->msg_code == JWRN_JPEG_EOF) {
        JumpOnError(info);
    }
}

void IgnoreOutput(j_common_ptr) {}

void LimitScans(j_common_ptr info) {
    const auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > kMaxScans) {
        JumpOnError(info);
    }
}

// The decompressor with its error manager; destroyed however the decoding ends.
class Decompress {
public:
    Decompress() {
        info.err = jpeg_std_error(&errors.base);
        errors.base.error_exit = JumpOnError;
        errors.base.emit_message = OnMessage;
        errors.base.output_message = IgnoreOutput;
        progress.progress_monitor = LimitScans;
    }
    ~Decompress() {
        if (created) {
            jpeg_destroy_decompress(&info);
        }
    }
    Decompress(const Decompress&) = delete;
    Decompress& operator=(const Decompress&) = delete;

    jpeg_decompress_struct info{};
    ErrorManager errors{};
    jpeg_progress_mgr progress{};
    bool created = false;
};

struct Target {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    PackedBitmap bitmap;
    PackedBitmap::Block cmykRow;
    ExifInfo exif;
};

// Chooses the output colours and allocates the bitmap after the header has been read.
bool Configure(jpeg_decompress_struct& info, Target& target) {
    if (!DecodeLimits::IsPlausibleImage(info.image_width, info.image_height,
                                        static_cast<std::uint64_t>(info.num_components),
                                        target.size, DecodeLimits::kGeneralExpansion) ||
        info.image_width > static_cast<unsigned>(std::numeric_limits<std::int32_t>::max()) ||
        info.image_height > static_cast<unsigned>(std::numeric_limits<std::int32_t>::max())) {
        return false;
    }
    PackedBitmap::Header header;
    header.width = static_cast<std::int32_t>(info.image_width);
    header.height = static_cast<std::int32_t>(info.image_height);
    switch (info.jpeg_color_space) {
    case JCS_GRAYSCALE:
        info.out_color_space = JCS_GRAYSCALE;
        header.bitCount = 8;
        header.clrUsed = 256;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        info.out_color_space = JCS_CMYK;
        header.bitCount = 24;
        target.cmykRow = PackedBitmap::AllocateBlock(std::size_t{info.image_width} * 4, false);
        if (!target.cmykRow) {
            return false;
        }
        break;
    default:
        info.out_color_space = JCS_EXT_BGR;
        header.bitCount = 24;
        break;
    }
    if (info.saw_JFIF_marker && info.X_density > 0 && info.Y_density > 0 &&
        (info.density_unit == 1 || info.density_unit == 2)) {
        const double perMetre = info.density_unit == 1 ? WhitePaper::kInchesPerMetre : 100.0;
        header.xPelsPerMeter = static_cast<std::int32_t>(info.X_density * perMetre + 0.5);
        header.yPelsPerMeter = static_cast<std::int32_t>(info.Y_density * perMetre + 0.5);
    } else if (target.exif.xPelsPerMeter > 0 && target.exif.yPelsPerMeter > 0 &&
               target.exif.xPelsPerMeter < std::numeric_limits<std::int32_t>::max() &&
               target.exif.yPelsPerMeter < std::numeric_limits<std::int32_t>::max()) {
        header.xPelsPerMeter = static_cast<std::int32_t>(target.exif.xPelsPerMeter + 0.5);
        header.yPelsPerMeter = static_cast<std::int32_t>(target.exif.yPelsPerMeter + 0.5);
    }
    if (!target.bitmap.Allocate(header)) {
        return false;
    }
    if (header.bitCount == 8) {
        std::uint8_t* table = target.bitmap.ColourTable();
        for (int i = 0; i < 256; ++i) {
            const auto grey = static_cast<std::uint8_t>(i);
            WhitePaper::PutEntry(table + 4 * i, grey, grey, grey);
        }
    }
    return true;
}

void ReadExif(jpeg_decompress_struct& info, Target& target) {
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker != nullptr;
         marker = marker->next) {
        if (marker->marker == JPEG_APP0 + 1) {
            target.exif = ExifInfo::Parse(marker->data, marker->data_length);
            if (target.exif.orientation != 1 || target.exif.xPelsPerMeter > 0) {
                return;
            }
        }
    }
}

void ConvertCmyk(const std::uint8_t* cmyk, std::uint8_t* bgr, std::size_t width) {
    for (std::size_t x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        const std::uint32_t black = cmyk[3];
        bgr[0] = static_cast<std::uint8_t>((cmyk[2] * black + 127) / 255);
        bgr[1] = static_cast<std::uint8_t>((cmyk[1] * black + 127) / 255);
        bgr[2] = static_cast<std::uint8_t>((cmyk[0] * black + 127) / 255);
    }
}

bool ReadImage(Decompress* decompress, Target* target) {
    jpeg_decompress_struct& info = decompress->info;
    if (setjmp(decompress->errors.jump) != 0) {
        return false;
    }
    jpeg_create_decompress(&info);
    decompress->created = true;
    info.progress = &decompress->progress;
    jpeg_mem_src(&info, target->data, static_cast<unsigned long>(target->size));
    jpeg_save_markers(&info, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&info, TRUE);
    ReadExif(info, *target);
    if (!Configure(info, *target)) {
        return false;
    }
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
        std::uint8_t* row = target->bitmap.RowFromTop(static_cast<int>(info.output_scanline));
        JSAMPROW rows[1] = {target->cmykRow ? target->cmykRow.get() : row};
        if (jpeg_read_scanlines(&info, rows, 1) != 1) {
            return false;
        }
        if (target->cmykRow) {
            ConvertCmyk(target->cmykRow.get(), row, info.output_width);
        }
    }
    jpeg_finish_decompress(&info);
    return true;
}

} // namespace

bool JpegCodec::IsJpeg(const std::uint8_t* data, std::size_t size) {
    return data != nullptr && size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

bool JpegCodec::Decode(const std::uint8_t* data, std::size_t size, PackedBitmap& out) {
    if (!IsJpeg(data, size) || size > std::numeric_limits<unsigned long>::max()) {
        return false;
    }
    Decompress decompress;
    Target target;
    target.data = data;
    target.size = size;
    if (!ReadImage(&decompress, &target) ||
        !BitmapOps::Orient(target.bitmap, target.exif.orientation)) {
        return false;
    }
    out = std::move(target.bitmap);
    return true;
}
