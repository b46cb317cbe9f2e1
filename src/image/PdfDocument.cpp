#include "image/PdfDocument.h"

#include "image/ImageStore.h"
#include "image/WhitePaper.h"

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr std::size_t kHeaderWindow = 1024;
constexpr double kPointsPerInch = 72;

void IgnoreReport(const std::string&, void*) {}

// poppler reports through one process-wide function; installed once, before any load.
void SilencePoppler() {
    static const bool silenced = [] {
        poppler::set_debug_error_function(IgnoreReport, nullptr);
        return true;
    }();
    (void)silenced;
}

// poppler's renderer makes each side round(points x dpi / 72) pixels.
bool PixelsFor(double points, double dpi, int& pixels) {
    const double exact = points * dpi / kPointsPerInch;
    if (!std::isfinite(exact) || exact < 0.5 ||
        exact >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
        return false;
    }
    pixels = static_cast<int>(exact + 0.5);
    return true;
}

} // namespace

PdfDocument::PdfDocument(std::vector<std::uint8_t> bytes,
                         std::unique_ptr<poppler::document> document)
    : bytes_(std::move(bytes)), document_(std::move(document)) {}

PdfDocument::~PdfDocument() = default;

bool PdfDocument::IsPdf(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size < 5) {
        return false;
    }
    const std::size_t window = std::min(size, kHeaderWindow);
    for (std::size_t i = 0; i + 5 <= window; ++i) {
        if (std::memcmp(data + i, "%PDF-", 5) == 0) {
            return true;
        }
    }
    return false;
}

std::unique_ptr<PdfDocument> PdfDocument::Open(std::vector<std::uint8_t> bytes) {
    if (!IsPdf(bytes.data(), bytes.size()) ||
        bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        return nullptr;
    }
    SilencePoppler();
    std::unique_ptr<poppler::document> document(poppler::document::load_from_raw_data(
        reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size())));
    if (!document || document->is_locked() || document->pages() <= 0) {
        return nullptr;
    }
    return std::unique_ptr<PdfDocument>(new PdfDocument(std::move(bytes), std::move(document)));
}

std::unique_ptr<PdfDocument> PdfDocument::OpenFile(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    if (!ImageStore::ReadWholeFile(path, bytes)) {
        return nullptr;
    }
    return Open(std::move(bytes));
}

int PdfDocument::PageCount() const {
    return document_->pages();
}

bool PdfDocument::PageSize(int page, double& width, double& height) const {
    if (page < 1 || page > PageCount()) {
        return false;
    }
    const std::unique_ptr<poppler::page> p(document_->create_page(page - 1));
    if (!p) {
        return false;
    }
    const poppler::rectf box = p->page_rect(poppler::crop_box);
    const poppler::page::orientation_enum turn = p->orientation();
    const bool sideways = turn == poppler::page::landscape || turn == poppler::page::seascape;
    width = sideways ? box.height() : box.width();
    height = sideways ? box.width() : box.height();
    return width > 0 && height > 0;
}

bool PdfDocument::PixelSize(int page, double dpi, int& width, int& height) const {
    double pointsWide = 0;
    double pointsHigh = 0;
    if (!(dpi > 0) || !PageSize(page, pointsWide, pointsHigh) ||
        !PixelsFor(pointsWide, dpi, width) || !PixelsFor(pointsHigh, dpi, height)) {
        return false;
    }
    PackedBitmap::Header header;
    header.width = width;
    header.height = height;
    header.bitCount = 24;
    return PackedBitmap::TotalSizeFor(header) != 0;
}

bool PdfDocument::RenderPage(int page, double dpi, PackedBitmap& out) const {
    int width = 0;
    int height = 0;
    if (!std::isfinite(dpi) || !PixelSize(page, dpi, width, height)) {
        return false;
    }
    const std::unique_ptr<poppler::page> p(document_->create_page(page - 1));
    if (!p) {
        return false;
    }
    poppler::page_renderer renderer;
    renderer.set_render_hint(poppler::page_renderer::antialiasing, true);
    renderer.set_render_hint(poppler::page_renderer::text_antialiasing, true);
    renderer.set_paper_color(0xFFFFFFFF);
    renderer.set_image_format(poppler::image::format_bgr24);
    const poppler::image image = renderer.render_page(p.get(), dpi, dpi);
    if (!image.is_valid() || image.format() != poppler::image::format_bgr24 || image.width() <= 0 ||
        image.height() <= 0 ||
        static_cast<std::int64_t>(image.width()) * image.height() >
            static_cast<std::int64_t>(width + 1) * (height + 1)) {
        return false;
    }
    PackedBitmap::Header header;
    header.width = image.width();
    header.height = image.height();
    header.bitCount = 24;
    const auto perMetre = static_cast<std::int32_t>(dpi * WhitePaper::kInchesPerMetre + 0.5);
    header.xPelsPerMeter = perMetre;
    header.yPelsPerMeter = perMetre;
    PackedBitmap bitmap;
    if (!bitmap.Allocate(header)) {
        return false;
    }
    const auto rowBytes = static_cast<std::size_t>(image.width()) * 3;
    if (image.bytes_per_row() < static_cast<int>(rowBytes)) {
        return false;
    }
    const char* data = image.const_data();
    for (int y = 0; y < image.height(); ++y) {
        std::memcpy(bitmap.RowFromTop(y),
                    data + static_cast<std::size_t>(image.bytes_per_row()) * y, rowBytes);
    }
    out = std::move(bitmap);
    return true;
}

bool PdfDocument::RenderThumbnail(int page, int longestSide, PackedBitmap& out) const {
    double width = 0;
    double height = 0;
    if (longestSide <= 0 || !PageSize(page, width, height)) {
        return false;
    }
    return RenderPage(page, longestSide * kPointsPerInch / std::max(width, height), out);
}
