#pragma once

#include "image/PackedBitmap.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace poppler {
class document;
}

// A PDF file opened through poppler, for rendering its pages as images: anti-aliased text
// and lines on white paper, as 24-bit bitmaps. Pages count from 1. The resolution of a
// rendered page is stored in its header. poppler's error reports are never printed.
//
// A page is measured before it is rendered: one whose bitmap would exceed the packed
// bitmap's size limit fails without rendering anything.
class PdfDocument {
public:
    ~PdfDocument();
    PdfDocument(const PdfDocument&) = delete;
    PdfDocument& operator=(const PdfDocument&) = delete;

    // True when "%PDF-" appears within the first 1024 bytes, where readers look for it.
    static bool IsPdf(const std::uint8_t* data, std::size_t size);
    // Null for anything that is no PDF, is damaged, needs a password, or has no pages.
    static std::unique_ptr<PdfDocument> Open(std::vector<std::uint8_t> bytes);
    static std::unique_ptr<PdfDocument> OpenFile(const std::string& path);

    int PageCount() const;
    // The page's size in points (1/72 inch) as it is shown, its rotation applied; false for
    // a page that does not exist.
    bool PageSize(int page, double& width, double& height) const;
    // Width and height in pixels of the page at `dpi`, as RenderPage makes it; false when
    // the page does not exist or its bitmap would be too large.
    bool PixelSize(int page, double dpi, int& width, int& height) const;
    // False, with `out` untouched, for a page that does not exist, a resolution that is not
    // positive and finite, a page too large at that resolution, or a failed render.
    bool RenderPage(int page, double dpi, PackedBitmap& out) const;
    // The page scaled to fit `longestSide` pixels along its longer side, for previews.
    bool RenderThumbnail(int page, int longestSide, PackedBitmap& out) const;

private:
    PdfDocument(std::vector<std::uint8_t> bytes, std::unique_ptr<poppler::document> document);

    std::vector<std::uint8_t> bytes_; // poppler reads from these; they outlive the document
    std::unique_ptr<poppler::document> document_;
};
