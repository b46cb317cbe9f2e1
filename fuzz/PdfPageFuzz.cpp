// Reads arbitrary bytes as a PDF and renders its first page at a low resolution, so that
// each run stays short; a page that renders must be a complete 24-bit bitmap of the size
// the page's box gives. Seeds: fuzz/seeds/PdfPageFuzz (the two-page test file and small
// hand-written pages).
#include "DecodedBitmapCheck.h"
#include "image/PackedBitmap.h"
#include "image/PdfDocument.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr double kDpi = 18;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::unique_ptr<PdfDocument> pdf =
        PdfDocument::Open(std::vector<std::uint8_t>(data, data + size));
    if (!pdf) {
        return 0;
    }
    int width = 0;
    int height = 0;
    PackedBitmap bitmap;
    if (pdf->PageCount() < 1 || !pdf->PixelSize(1, kDpi, width, height) || width > 4096 ||
        height > 4096 || !pdf->RenderPage(1, kDpi, bitmap)) {
        return 0;
    }
    CheckDecodedBitmap(bitmap, true, {24});
    return 0;
}
