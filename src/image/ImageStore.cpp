#include "image/ImageStore.h"

#include "core/ApplicationState.h"
#include "core/Archive.h"
#include "draw/DrawContext.h"
#include "image/BitmapOps.h"
#include "image/BmpCodec.h"
#include "image/GifCodec.h"
#include "image/JpegCodec.h"
#include "image/ParallelDeflate.h"
#include "image/PdfDocument.h"
#include "image/PngCodec.h"
#include "image/TiffCodec.h"
#include "image/WebpCodec.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>

namespace {

// zlib cannot inflate more than 1032 bytes from one byte; a record that claims more is
// damaged, and refusing it keeps a hostile size from being allocated.
constexpr std::uint64_t kMaxInflateRatio = 1032;

// Files larger than any bitmap we keep could hold are not read at all.
constexpr long long kMaxImageFileBytes = 1LL << 32;

} // namespace

bool ImageStore::ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    const long long size = ok ? static_cast<long long>(std::ftell(file)) : -1;
    ok = ok && size >= 0 && size <= kMaxImageFileBytes && std::fseek(file, 0, SEEK_SET) == 0;
    if (ok) {
        bytes.resize(static_cast<std::size_t>(size));
        ok = size == 0 || std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    }
    std::fclose(file);
    return ok;
}

ImageStore::ImageStore() = default;

ImageStore::ImageStore(const ImageStore& other) : bitmap_(other.bitmap_) {
    BuildPalette();
}

ImageStore::~ImageStore() = default;

bool ImageStore::SetFromPacked(const std::uint8_t* data, std::size_t size) {
    PackedBitmap bitmap;
    if (!bitmap.CopyFrom(data, size)) {
        return false;
    }
    DropCache();
    bitmap_ = std::move(bitmap);
    typeCode_ = kTypeNone;
    BuildPalette();
    return true;
}

void ImageStore::SetBitmap(PackedBitmap bitmap, int typeCode) {
    DropCache();
    bitmap_ = std::move(bitmap);
    typeCode_ = typeCode;
    BuildPalette();
}

PackedBitmap ImageStore::TakeBitmap() {
    PackedBitmap taken = std::move(bitmap_);
    Release();
    return taken;
}

void ImageStore::Assign(const ImageStore& other) {
    if (this == &other) {
        return;
    }
    DropCache();
    bitmap_ = other.bitmap_;
    BuildPalette();
}

void ImageStore::Release() {
    DropCache();
    bitmap_.Clear();
    palette_.clear();
}

bool ImageStore::LoadFile(const std::string& path, const PdfPageChoice& page) {
    std::vector<std::uint8_t> bytes;
    return ReadWholeFile(path, bytes) && LoadBytes(bytes.data(), bytes.size(), page);
}

bool ImageStore::LoadBytes(const std::uint8_t* data, std::size_t size, const PdfPageChoice& page) {
    using Decoder = bool (*)(const std::uint8_t*, std::size_t, PackedBitmap&);
    struct Reader {
        Decoder decode;
        int typeCode;
    };
    // Each decoder refuses at once what does not carry its signature.
    static constexpr Reader kReaders[] = {
        {BmpCodec::Decode, kTypeBmp}, {TiffCodec::Decode, kTypeTiff},
        {PngCodec::Decode, kTypePng}, {JpegCodec::Decode, kTypeJpeg},
        {GifCodec::Decode, kTypeGif}, {WebpCodec::Decode, kTypeWebp},
    };
    PackedBitmap bitmap;
    for (const Reader& reader : kReaders) {
        if (reader.decode(data, size, bitmap)) {
            SetBitmap(std::move(bitmap), reader.typeCode);
            return true;
        }
    }
    if (!PdfDocument::IsPdf(data, size)) {
        return false;
    }
    const std::unique_ptr<PdfDocument> pdf =
        PdfDocument::Open(std::vector<std::uint8_t>(data, data + size));
    if (!pdf || !pdf->RenderPage(page.page, page.dpi, bitmap)) {
        return false;
    }
    SetBitmap(std::move(bitmap), kTypePdf);
    return true;
}

bool ImageStore::SaveBmpFile(const std::string& path) const {
    return HasImage() && BmpCodec::Save(bitmap_, path);
}

bool ImageStore::WriteCopyBlock(Archive& archive, std::int32_t tag) const {
    if (!HasImage()) {
        return false;
    }
    const std::size_t size = bitmap_.TotalSize();
    // One zlib stream, deflated on every core; its pieces go into the archive one after the
    // other, so the compressed copy is never gathered into one block first.
    ParallelDeflate::Stream stream;
    if (!ParallelDeflate::Compress(bitmap_.Data(), size, stream) ||
        stream.size > std::numeric_limits<std::int32_t>::max()) {
        return false;
    }
    archive.WriteInt32(tag);
    archive.WriteInt32(static_cast<std::int32_t>(kCopyMagic));
    archive.WriteInt32(static_cast<std::int32_t>(size));
    archive.WriteInt32(static_cast<std::int32_t>(stream.size));
    for (const std::vector<std::uint8_t>& piece : stream.pieces) {
        archive.WriteBytes(piece.data(), piece.size());
    }
    return true;
}

bool ImageStore::ReadCopyBlock(Archive& archive) {
    const auto magic = static_cast<std::uint32_t>(archive.ReadInt32());
    const auto size = static_cast<std::uint32_t>(archive.ReadInt32());
    const auto compressedSize = static_cast<std::uint32_t>(archive.ReadInt32());
    if (magic != kCopyMagic || size < PackedBitmap::kHeaderSize || size > PackedBitmap::kMaxBytes ||
        compressedSize > archive.Remaining() ||
        std::uint64_t{size} > std::uint64_t{compressedSize} * kMaxInflateRatio + 64) {
        return false;
    }
    const std::uint8_t* compressed = archive.ReadView(compressedSize);
    PackedBitmap::Block block = PackedBitmap::AllocateBlock(size, false);
    if (!block) {
        return false;
    }
    uLongf inflated = size;
    if (uncompress(block.get(), &inflated, compressed, compressedSize) != Z_OK ||
        inflated != size) {
        return false;
    }
    PackedBitmap bitmap;
    if (!bitmap.Adopt(std::move(block), size)) {
        return false;
    }
    SetBitmap(std::move(bitmap), kTypeBmp);
    return true;
}

bool ImageStore::ReadLegacyBlock(Archive& archive) {
    const std::uint8_t* fileHeader = archive.ReadView(14);
    if (fileHeader[0] != 'B' || fileHeader[1] != 'M') {
        return false;
    }
    const std::uint32_t stored = static_cast<std::uint32_t>(fileHeader[2]) |
                                 static_cast<std::uint32_t>(fileHeader[3]) << 8 |
                                 static_cast<std::uint32_t>(fileHeader[4]) << 16 |
                                 static_cast<std::uint32_t>(fileHeader[5]) << 24;
    if (stored < 14 || stored - 14 > archive.Remaining()) {
        return false;
    }
    const std::size_t size = stored - 14;
    PackedBitmap bitmap;
    if (!bitmap.CopyFrom(archive.ReadView(size), size)) {
        return false;
    }
    SetBitmap(std::move(bitmap), kTypeBmp);
    return true;
}

void ImageStore::Replace(PackedBitmap&& bitmap) {
    bitmap_ = std::move(bitmap);
    BuildPalette();
}

bool ImageStore::FlipHorizontal() {
    DropCache();
    return HasImage() && BitmapOps::FlipHorizontal(bitmap_);
}

bool ImageStore::FlipVertical() {
    DropCache();
    return HasImage() && BitmapOps::FlipVertical(bitmap_);
}

bool ImageStore::Rotate(int degrees) {
    DropCache();
    if (!HasImage()) {
        return false;
    }
    if (degrees == 180) {
        return BitmapOps::FlipVertical(bitmap_) && BitmapOps::FlipHorizontal(bitmap_);
    }
    PackedBitmap turned;
    if (!BitmapOps::RotateQuarter(bitmap_, degrees, turned)) {
        return false;
    }
    Replace(std::move(turned));
    return true;
}

bool ImageStore::Crop(int x, int y, int width, int height) {
    DropCache();
    if (!HasImage()) {
        return false;
    }
    // Clipped to the picture in 64 bits, so that no rectangle can overflow.
    std::int64_t left = x;
    std::int64_t top = y;
    std::int64_t w = width;
    std::int64_t h = height;
    if (left < 0) {
        w += left;
        left = 0;
    }
    if (top < 0) {
        h += top;
        top = 0;
    }
    w = std::min<std::int64_t>(w, bitmap_.Width() - left);
    h = std::min<std::int64_t>(h, bitmap_.Height() - top);
    if (w <= 0 || h <= 0) {
        return false; // wholly outside: no image of no pixels
    }
    if (w == bitmap_.Width() && h == bitmap_.Height()) {
        return true;
    }
    PackedBitmap cropped;
    if (!BitmapOps::Crop(bitmap_, static_cast<int>(left), static_cast<int>(top),
                         static_cast<int>(w), static_cast<int>(h), cropped)) {
        return false;
    }
    Replace(std::move(cropped));
    return true;
}

bool ImageStore::ScaleTo(int width, int height) {
    DropCache();
    if (!HasImage()) {
        return false;
    }
    if (width == bitmap_.Width() && height == bitmap_.Height()) {
        return true;
    }
    PackedBitmap scaled;
    if (!BitmapOps::Scale(bitmap_, width, height, scaled)) {
        return false;
    }
    Replace(std::move(scaled));
    return true;
}

ImageStore* ImageStore::GetScaledCopy(int width, int height) {
    if (!HasImage()) {
        return nullptr;
    }
    for (auto it = cache_.begin(); it != cache_.end(); ++it) {
        const PackedBitmap& cached = (*it)->bitmap_;
        if (cached.Width() == width && cached.Height() == height) {
            std::unique_ptr<ImageStore> found = std::move(*it);
            cache_.erase(it);
            cache_.push_back(std::move(found));
            return cache_.back().get();
        }
    }
    if (reduced_ && reduced_->bitmap_.Width() == width && reduced_->bitmap_.Height() == height) {
        return reduced_.get();
    }
    // Scaled straight from this bitmap: copying a large image first only to shrink it
    // would cost a full copy per request.
    PackedBitmap scaled;
    if (width == bitmap_.Width() && height == bitmap_.Height()) {
        scaled = bitmap_;
    } else if (!BitmapOps::Scale(bitmap_, width, height, scaled)) {
        return nullptr;
    }
    if (scaled.Empty()) {
        return nullptr;
    }
    auto copy = std::make_unique<ImageStore>();
    copy->Replace(std::move(scaled));
    if (width < bitmap_.Width() && height < bitmap_.Height()) {
        reduced_ = std::move(copy);
        return reduced_.get();
    }
    while (static_cast<int>(cache_.size()) > ApplicationState::Current().imageCacheLimit) {
        cache_.erase(cache_.begin());
    }
    cache_.push_back(std::move(copy));
    return cache_.back().get();
}

int ImageStore::SetCacheLimit(int limit) {
    int& cacheLimit = ApplicationState::Current().imageCacheLimit;
    const int previous = cacheLimit;
    cacheLimit = limit < 0 ? 0 : limit;
    return previous;
}

bool ImageStore::Draw(DrawContext& context, bool) const {
    if (!HasImage() || context.dc == nullptr) {
        return false;
    }
    const PackedBitmapView view{bitmap_.Data(), bitmap_.TotalSize()};
    context.dc->DrawPackedBitmap(view, 0, 0, bitmap_.Width(), bitmap_.Height(), 0, 0,
                                 bitmap_.Width(), bitmap_.Height());
    return true;
}

ImageStore::Info ImageStore::GetInfo() const {
    Info info;
    if (HasImage()) {
        info.width = bitmap_.Width();
        info.height = bitmap_.Height();
        info.bitCount = bitmap_.BitCount();
        info.colourCount = bitmap_.ColourCount();
    }
    return info;
}

// One entry per colour-table entry that the table really holds: a 16- or 32-bit image
// whose header names colours keeps only its mask words there, which are no colours.
void ImageStore::BuildPalette() {
    palette_.clear();
    if (!HasImage() || bitmap_.BitCount() > 8) {
        return;
    }
    const std::uint32_t count = bitmap_.ColourCount();
    const std::uint8_t* table = bitmap_.ColourTable();
    palette_.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* entry = table + 4 * static_cast<std::size_t>(i);
        palette_.push_back(PaletteEntry{entry[2], entry[1], entry[0], 0});
    }
}

void ImageStore::DropCache() {
    cache_.clear();
    reduced_.reset();
}
