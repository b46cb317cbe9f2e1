#pragma once

#include "image/PackedBitmap.h"
#include "image/PdfPageChoice.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Archive;
class DrawContext;

// The document's raster image, as one packed bitmap, and every operation on its pixels:
// loading image files (BMP, TIFF, PNG, JPEG, GIF, WebP, a page of a PDF), writing BMP files, the
// image copy inside the document file, flips, rotations, crop and scaling, the display palette, a
// small cache of scaled copies for the view, drawing and the figures of the image information.
class ImageStore {
public:
    // Where the image came from; 3 and 4 exist for the information text only.
    enum TypeCode : int {
        kTypeNone = 0,
        kTypeBmp = 1,
        kTypeGif = 2,
        kTypePcx = 3,
        kTypeTga = 4,
        kTypeJpeg = 5,
        kTypeTiff = 6,
        kTypePng = 7,
        kTypeWebp = 8,
        kTypePdf = 9,
    };

    struct PaletteEntry {
        std::uint8_t red = 0;
        std::uint8_t green = 0;
        std::uint8_t blue = 0;
        std::uint8_t flags = 0;
    };

    struct Info {
        int width = 0;
        int height = 0;
        int planes = 1;
        int bitCount = 0;
        std::uint32_t colourCount = 0;
    };

    // Tag 1004 record: magic, uncompressed size, compressed size, zlib data.
    static constexpr std::uint32_t kCopyMagic = 0x01020304;

    ImageStore();
    // A copy of the other's bitmap with its own palette; type code 0, no cached copies.
    ImageStore(const ImageStore& other);
    ImageStore& operator=(const ImageStore& other) = delete;
    ~ImageStore();

    // From a packed bitmap in memory (the clipboard, the scanner), checked against its
    // own sizes. False, and the store stays empty, when the bytes are no packed bitmap.
    bool SetFromPacked(const std::uint8_t* data, std::size_t size);
    // Takes a bitmap that a codec has built.
    void SetBitmap(PackedBitmap bitmap, int typeCode);
    // Hands the bitmap over without a copy; the store is then empty.
    PackedBitmap TakeBitmap();

    // Copies the other's bitmap and drops the cache; the type code stays as it was.
    void Assign(const ImageStore& other);
    void Release();

    // Recognised by content, not by name: BMP, then TIFF, then PNG, JPEG, GIF, WebP and PDF
    // by their signatures; the type code says which. A PDF gives the chosen page rendered
    // at the chosen resolution. No message on failure.
    bool LoadFile(const std::string& path, const PdfPageChoice& page = {});
    // The same for a file already read into memory.
    bool LoadBytes(const std::uint8_t* data, std::size_t size, const PdfPageChoice& page = {});
    // True when the image cannot be read again from its file's path alone (a rendered PDF
    // page): a document keeps a copy of it, never a reference.
    bool NeedsEmbeddedCopy() const { return typeCode_ == kTypePdf; }
    // Reads a plain file of at most 4 GB into memory; false for anything else (a device or
    // a pipe could block forever).
    static bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes);
    bool SaveBmpFile(const std::string& path) const;

    // The tag 1004 record. Writing compresses first and writes the tag and the record only
    // when that succeeded, so that a tag never stands without its record.
    bool WriteCopyBlock(Archive& archive, std::int32_t tag) const;
    bool ReadCopyBlock(Archive& archive);
    // The tag 1002 record of older files: a 14-byte BMP file header, then the bitmap.
    bool ReadLegacyBlock(Archive& archive);

    // Pixel operations; each drops the cached copies first. A failure (an angle other than
    // 90, 180 or 270, a crop wholly outside the image, no memory) changes nothing.
    bool FlipHorizontal();
    bool FlipVertical();
    bool Rotate(int degrees);
    bool Crop(int x, int y, int width, int height);
    bool ScaleTo(int width, int height);

    // A copy scaled to exactly width x height, owned by this store's cache; null without
    // an image.
    ImageStore* GetScaledCopy(int width, int height);
    // The number of enlarged copies kept besides the newest, for every store; returns the
    // previous limit.
    static int SetCacheLimit(int limit);
    int CachedCopyCount() const { return static_cast<int>(cache_.size()); }
    const ImageStore* ReducedCopy() const { return reduced_.get(); }

    // Hands the bitmap to the device at (0, 0), full size; false without an image.
    bool Draw(DrawContext& context, bool dithered) const;

    bool HasImage() const { return !bitmap_.Empty(); }
    Info GetInfo() const;
    int GetTypeCode() const { return typeCode_; }
    void SetTypeCode(int code) { typeCode_ = code; }
    const PackedBitmap& GetPackedBitmap() const { return bitmap_; }
    // One entry per colour-table entry; empty when the image has no colour table (the
    // display then uses a half-tone palette).
    const std::vector<PaletteEntry>& Palette() const { return palette_; }

private:
    void BuildPalette();
    void DropCache();
    void Replace(PackedBitmap&& bitmap);

    PackedBitmap bitmap_;
    int typeCode_ = kTypeNone;
    std::vector<PaletteEntry> palette_;
    std::vector<std::unique_ptr<ImageStore>> cache_; // least recently used first
    std::unique_ptr<ImageStore> reduced_;
};
