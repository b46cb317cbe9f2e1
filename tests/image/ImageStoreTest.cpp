#include "image/ImageStore.h"
#include "ByteWriter.h"
#include "RasterDevice.h"
#include "Truncations.h"
#include "core/Archive.h"
#include "draw/DrawContext.h"
#include "image/ImageInformation.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

const int kDepths[] = {1, 4, 8, 16, 24, 32};

// A value for each pixel that differs between neighbours and fits the depth.
std::uint32_t Pattern(int x, int y, int bits) {
    const std::uint32_t v = static_cast<std::uint32_t>(x * 7 + y * 13 + x * y) * 2654435761u;
    return bits >= 32 ? (v & 0x00FFFFFF) : (v >> 7) & ((1u << bits) - 1);
}

PackedBitmap MakeBitmap(int width, int height, int bits) {
    PackedBitmap::Header header;
    header.width = width;
    header.height = height;
    header.bitCount = static_cast<std::uint16_t>(bits);
    header.xPelsPerMeter = 3780;
    header.yPelsPerMeter = 1000;
    PackedBitmap bitmap;
    EXPECT_TRUE(bitmap.Allocate(header));
    for (std::size_t i = 0; i < bitmap.ColourTableSize(); ++i) {
        bitmap.ColourTable()[i] = static_cast<std::uint8_t>(i * 37 + 1);
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bitmap.SetPixelAt(x, y, Pattern(x, y, bits));
        }
    }
    return bitmap;
}

ImageStore MakeStore(int width, int height, int bits) {
    ImageStore store;
    store.SetBitmap(MakeBitmap(width, height, bits), ImageStore::kTypeBmp);
    return store;
}

// Every pixel of `actual` equals the source pixel that `from` names.
void ExpectMapped(const PackedBitmap& actual, const PackedBitmap& source,
                  const std::function<std::pair<int, int>(int, int)>& from,
                  const std::string& what) {
    int wrong = 0;
    for (int y = 0; y < actual.Height(); ++y) {
        for (int x = 0; x < actual.Width(); ++x) {
            const auto [sx, sy] = from(x, y);
            if (actual.PixelAt(x, y) != source.PixelAt(sx, sy) && ++wrong <= 3) {
                ADD_FAILURE() << what << ": pixel (" << x << ", " << y << ") is not source (" << sx
                              << ", " << sy << ")";
            }
        }
    }
}

// The bits of each row past the last pixel (up to the row's last used byte) are zero.
bool FillBitsClear(const PackedBitmap& bitmap) {
    const int bits = bitmap.BitCount();
    if (bits >= 8) {
        return true;
    }
    const std::size_t usedBits = static_cast<std::size_t>(bitmap.Width()) * bits;
    const std::size_t usedBytes = (usedBits + 7) / 8;
    for (int r = 0; r < bitmap.Height(); ++r) {
        const std::uint8_t last = bitmap.StoredRow(r)[usedBytes - 1];
        const unsigned fill = static_cast<unsigned>(usedBytes * 8 - usedBits);
        if ((last & ((1u << fill) - 1)) != 0) {
            return false;
        }
    }
    return true;
}

std::vector<std::uint8_t> Bytes(const PackedBitmap& bitmap) {
    return std::vector<std::uint8_t>(bitmap.Data(), bitmap.Data() + bitmap.TotalSize());
}

TEST(ImageStore, FlipsMoveEveryPixelForEveryDepthAndNeverShowFillBits) {
    for (int bits : kDepths) {
        for (int width : {1, 7, 10, 13}) {
            for (int height : {1, 4, 5}) {
                const std::string what = std::to_string(bits) + " bits " + std::to_string(width) +
                                         "x" + std::to_string(height);
                ImageStore store = MakeStore(width, height, bits);
                const PackedBitmap original = store.GetPackedBitmap();
                // Dirty fill bits in the source must not turn into pixels.
                if (bits < 8) {
                    PackedBitmap& dirty = const_cast<PackedBitmap&>(store.GetPackedBitmap());
                    for (int r = 0; r < height; ++r) {
                        dirty.StoredRow(r)[(width * bits + 7) / 8 - 1] |=
                            static_cast<std::uint8_t>((1u << ((8 - width * bits % 8) % 8)) - 1);
                    }
                }
                ASSERT_TRUE(store.FlipHorizontal());
                ExpectMapped(
                    store.GetPackedBitmap(), original,
                    [&](int x, int y) {
                        return std::pair{width - 1 - x, y};
                    },
                    what + " h");
                EXPECT_TRUE(FillBitsClear(store.GetPackedBitmap())) << what;
                ASSERT_TRUE(store.FlipHorizontal());
                EXPECT_EQ(Bytes(store.GetPackedBitmap()), Bytes(original)) << what;

                ASSERT_TRUE(store.FlipVertical());
                ExpectMapped(
                    store.GetPackedBitmap(), original,
                    [&](int x, int y) {
                        return std::pair{x, height - 1 - y};
                    },
                    what + " v");
                ASSERT_TRUE(store.Rotate(180));
                ExpectMapped(
                    store.GetPackedBitmap(), original,
                    [&](int x, int y) {
                        return std::pair{width - 1 - x, y};
                    },
                    what + " 180");
            }
        }
    }
}

TEST(ImageStore, QuarterTurnsMovePixelsAndSwapTheSize) {
    for (int bits : kDepths) {
        // 8 x 4 and 4 x 8 have rows without padding at 24 bits: nothing may be read or
        // written past a row's pixels there.
        for (auto [width, height] : {std::pair{10, 3}, std::pair{1, 9}, std::pair{67, 130},
                                     std::pair{8, 4}, std::pair{4, 8}, std::pair{17, 9}}) {
            const std::string what = std::to_string(bits) + " bits";
            ImageStore store = MakeStore(width, height, bits);
            const PackedBitmap original = store.GetPackedBitmap();
            ASSERT_TRUE(store.Rotate(90));
            const PackedBitmap& turned = store.GetPackedBitmap();
            ASSERT_EQ(turned.Width(), height);
            ASSERT_EQ(turned.Height(), width);
            EXPECT_EQ(turned.header().xPelsPerMeter, 3780); // resolution fields keep their places
            EXPECT_EQ(turned.header().sizeImage, turned.ImageSize());
            EXPECT_EQ(std::memcmp(turned.ColourTable(), original.ColourTable(),
                                  original.ColourTableSize()),
                      0);
            // Clockwise: source (x, y) lands on (H - 1 - y, x).
            ExpectMapped(
                turned, original,
                [&](int x, int y) {
                    return std::pair{y, height - 1 - x};
                },
                what + " 90");
            EXPECT_TRUE(FillBitsClear(turned)) << what;
            ASSERT_TRUE(store.Rotate(270));
            EXPECT_EQ(Bytes(store.GetPackedBitmap()), Bytes(original)) << what;
            ASSERT_TRUE(store.Rotate(270));
            // Counter-clockwise: source (x, y) lands on (y, W - 1 - x).
            ExpectMapped(
                store.GetPackedBitmap(), original,
                [&](int x, int y) {
                    return std::pair{width - 1 - y, x};
                },
                what + " 270");
        }
    }
    ImageStore store = MakeStore(5, 4, 8);
    const std::vector<std::uint8_t> before = Bytes(store.GetPackedBitmap());
    for (int angle : {0, 45, -90, 360, 91}) {
        EXPECT_FALSE(store.Rotate(angle)) << angle;
    }
    EXPECT_EQ(Bytes(store.GetPackedBitmap()), before);
}

TEST(ImageStore, CropClipsToThePictureAndRefusesNothingLeft) {
    struct Case {
        int x, y, width, height;
        bool ok;
        int left, top, outWidth, outHeight; // the picture rectangle that remains
    };
    const Case cases[] = {
        {2, 1, 5, 3, true, 2, 1, 5, 3},        {3, 0, 1, 1, true, 3, 0, 1, 1},
        {-2, -1, 5, 4, true, 0, 0, 3, 3},      // reaches out at the top left
        {8, 5, 10, 10, true, 8, 5, 3, 3},      // reaches out at the bottom right
        {0, 0, 11, 8, true, 0, 0, 11, 8},      // the whole image: unchanged
        {-5, -5, 100, 100, true, 0, 0, 11, 8}, // covers it all: unchanged
        {11, 0, 3, 3, false, 0, 0, 11, 8},     // wholly right of it
        {0, -4, 3, 4, false, 0, 0, 11, 8},     // wholly above
        {2, 2, 0, 3, false, 0, 0, 11, 8},      {2147483000, 2, 2000, 3, false, 0, 0, 11, 8},
    };
    for (int bits : kDepths) {
        for (const Case& c : cases) {
            ImageStore store = MakeStore(11, 8, bits);
            const PackedBitmap original = store.GetPackedBitmap();
            EXPECT_EQ(store.Crop(c.x, c.y, c.width, c.height), c.ok) << bits << " bits, x " << c.x;
            const PackedBitmap& result = store.GetPackedBitmap();
            ASSERT_EQ(result.Width(), c.outWidth);
            ASSERT_EQ(result.Height(), c.outHeight);
            ExpectMapped(
                result, original,
                [&](int x, int y) {
                    return std::pair{c.left + x, c.top + y};
                },
                std::to_string(bits) + " bits crop");
            EXPECT_TRUE(FillBitsClear(result));
        }
    }
}

TEST(ImageStore, ScaleToPicksTheNearestSourcePixelInIntegers) {
    for (int bits : kDepths) {
        for (auto [sw, sh] : {std::pair{7, 5}, std::pair{8, 4}}) {
            for (auto [width, height] : {std::pair{3, 2}, std::pair{17, 23}, std::pair{7, 5},
                                         std::pair{1, 1}, std::pair{4, 8}, std::pair{16, 3}}) {
                ImageStore store = MakeStore(sw, sh, bits);
                const PackedBitmap original = store.GetPackedBitmap();
                ASSERT_TRUE(store.ScaleTo(width, height));
                const PackedBitmap& scaled = store.GetPackedBitmap();
                ASSERT_EQ(scaled.Width(), width);
                ASSERT_EQ(scaled.Height(), height);
                ExpectMapped(
                    scaled, original,
                    [&](int i, int j) {
                        return std::pair{i * sw / width, j * sh / height};
                    },
                    std::to_string(bits) + " bits scale");
                EXPECT_TRUE(FillBitsClear(scaled));
            }
        }
        ImageStore store = MakeStore(7, 5, bits);
        EXPECT_FALSE(store.ScaleTo(0, 5));
        EXPECT_FALSE(store.ScaleTo(200000, 200000)); // beyond the size a bitmap may have
        EXPECT_EQ(store.GetPackedBitmap().Width(), 7);
    }
}

TEST(ImageStore, ScaledCopiesAreCachedByRecencyWithinTheLimit) {
    ImageStore store = MakeStore(40, 30, 24);
    const int previous = ImageStore::SetCacheLimit(0);
    ImageStore* big = store.GetScaledCopy(80, 60);
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->GetPackedBitmap().Width(), 80);
    EXPECT_EQ(store.GetScaledCopy(80, 60), big); // found again
    ImageStore* bigger = store.GetScaledCopy(120, 90);
    EXPECT_EQ(store.CachedCopyCount(), 1); // limit 0 keeps only the latest enlargement
    EXPECT_EQ(bigger->GetPackedBitmap().Height(), 90);

    EXPECT_EQ(ImageStore::SetCacheLimit(2), 0);
    store.GetScaledCopy(80, 60);
    store.GetScaledCopy(160, 120);
    EXPECT_EQ(store.CachedCopyCount(), 3);
    ImageStore* again = store.GetScaledCopy(120, 90); // moves to the end
    store.GetScaledCopy(40, 31);                      // evicts the least recent: 80 x 60
    EXPECT_EQ(store.CachedCopyCount(), 3);
    EXPECT_EQ(store.GetScaledCopy(120, 90), again);

    // A copy smaller in both dimensions is the one reduced copy, outside the list.
    ImageStore* small = store.GetScaledCopy(20, 15);
    EXPECT_EQ(store.ReducedCopy(), small);
    EXPECT_EQ(store.CachedCopyCount(), 3);
    EXPECT_EQ(store.GetScaledCopy(20, 15), small);
    store.GetScaledCopy(10, 5);
    EXPECT_EQ(store.ReducedCopy()->GetPackedBitmap().Width(), 10);

    ASSERT_TRUE(store.FlipVertical()); // every pixel operation drops the copies
    EXPECT_EQ(store.CachedCopyCount(), 0);
    EXPECT_EQ(store.ReducedCopy(), nullptr);
    ImageStore::SetCacheLimit(previous);

    ImageStore empty;
    EXPECT_EQ(empty.GetScaledCopy(10, 10), nullptr);
}

std::vector<std::uint8_t> CopyRecord(ImageStore& store) {
    Archive archive;
    EXPECT_TRUE(store.WriteCopyBlock(archive, 1004));
    return archive.TakeBuffer();
}

bool ReadRecord(const std::vector<std::uint8_t>& bytes, ImageStore& store, bool legacy = false) {
    Archive archive(bytes.data(), bytes.size());
    try {
        return legacy ? store.ReadLegacyBlock(archive) : store.ReadCopyBlock(archive);
    } catch (const ArchiveEndOfFile&) {
        return false;
    }
}

TEST(ImageCopyRecord, RoundTripsEveryDepthAndSetsTheBmpTypeCode) {
    for (int bits : kDepths) {
        ImageStore store = MakeStore(13, 6, bits);
        store.SetTypeCode(ImageStore::kTypeTiff);
        const std::vector<std::uint8_t> record = CopyRecord(store);
        ASSERT_GE(record.size(), 16u);
        Archive header(record.data(), record.size());
        EXPECT_EQ(header.ReadInt32(), 1004);
        EXPECT_EQ(static_cast<std::uint32_t>(header.ReadInt32()), ImageStore::kCopyMagic);
        EXPECT_EQ(static_cast<std::size_t>(header.ReadInt32()),
                  store.GetPackedBitmap().TotalSize());
        const auto compressedSize = static_cast<std::size_t>(header.ReadInt32());
        EXPECT_EQ(compressedSize, header.Remaining());

        ImageStore loaded;
        const std::vector<std::uint8_t> body(record.begin() + 4, record.end());
        ASSERT_TRUE(ReadRecord(body, loaded)) << bits;
        EXPECT_EQ(Bytes(loaded.GetPackedBitmap()), Bytes(store.GetPackedBitmap())) << bits;
        EXPECT_EQ(loaded.GetTypeCode(), ImageStore::kTypeBmp);
    }
    ImageStore empty;
    Archive archive;
    EXPECT_FALSE(empty.WriteCopyBlock(archive, 1004));
    EXPECT_EQ(archive.StoredSize(), 0u); // no tag without its record
}

// A record built by hand: magic, the sizes it claims, and the compressed bytes.
std::vector<std::uint8_t> HandRecord(const std::vector<std::uint8_t>& packed, std::uint32_t claimed,
                                     std::uint32_t magic = ImageStore::kCopyMagic) {
    uLongf size = compressBound(packed.size());
    std::vector<std::uint8_t> compressed(size);
    EXPECT_EQ(compress(compressed.data(), &size, packed.data(), packed.size()), Z_OK);
    compressed.resize(size);
    ByteWriter w;
    w.I32(static_cast<std::int32_t>(magic)).I32(static_cast<std::int32_t>(claimed));
    w.I32(static_cast<std::int32_t>(size)).Bytes(compressed);
    return w.bytes();
}

TEST(ImageCopyRecord, RefusesDamagedRecords) {
    const PackedBitmap bitmap = MakeBitmap(9, 4, 8);
    const std::vector<std::uint8_t> packed = Bytes(bitmap);
    const auto size = static_cast<std::uint32_t>(packed.size());
    std::vector<std::uint8_t> coreHeader = packed;
    coreHeader[0] = 12;
    std::vector<std::uint8_t> compressed = packed;
    compressed[16] = 1;

    struct Case {
        const char* what;
        std::vector<std::uint8_t> record;
    };
    std::vector<Case> cases = {
        {"wrong magic", HandRecord(packed, size, 0x04030201)},
        {"claims one byte more", HandRecord(packed, size + 1)},
        {"claims one byte less", HandRecord(packed, size - 1)},
        {"claims two gigabytes", HandRecord(packed, 0x7FFFFFF0)},
        {"claims four gigabytes", HandRecord(packed, 0xFFFFFFFF)},
        {"core header", HandRecord(coreHeader, size)},
        {"compressed pixels", HandRecord(compressed, size)},
        {"no bitmap header", HandRecord({1, 2, 3}, 3)},
    };
    std::vector<std::uint8_t> garbage = HandRecord(packed, size);
    garbage[20] ^= 0x55;
    cases.push_back({"damaged zlib data", garbage});
    std::vector<std::uint8_t> longCount = HandRecord(packed, size);
    longCount[8] = 0xFF; // compressed size past the end
    longCount[11] = 0x7F;
    cases.push_back({"compressed size past the end", longCount});

    for (const Case& c : cases) {
        ImageStore store;
        EXPECT_FALSE(ReadRecord(c.record, store)) << c.what;
        EXPECT_FALSE(store.HasImage()) << c.what;
    }
    ImageStore store;
    EXPECT_TRUE(ReadRecord(HandRecord(packed, size), store));
}

TEST(ImageCopyRecord, EveryTruncationFails) {
    ImageStore store = MakeStore(21, 5, 4);
    const std::vector<std::uint8_t> record = CopyRecord(store);
    const std::vector<std::uint8_t> body(record.begin() + 4, record.end());
    ForEachTruncation(body, [](const std::vector<std::uint8_t>& prefix, std::size_t length) {
        ImageStore loaded;
        EXPECT_FALSE(ReadRecord(prefix, loaded)) << length;
    });
}

TEST(ImageCopyRecord, ReadsTheOlderUncompressedRecord) {
    const PackedBitmap bitmap = MakeBitmap(6, 3, 24);
    const std::vector<std::uint8_t> packed = Bytes(bitmap);
    ByteWriter w;
    w.U8('B')
        .U8('M')
        .I32(static_cast<std::int32_t>(packed.size() + 14))
        .I32(0)
        .I32(54)
        .Bytes(packed);
    ImageStore store;
    ASSERT_TRUE(ReadRecord(w.bytes(), store, true));
    EXPECT_EQ(Bytes(store.GetPackedBitmap()), packed);
    EXPECT_EQ(store.GetTypeCode(), ImageStore::kTypeBmp);

    std::vector<std::uint8_t> notBm = w.bytes();
    notBm[0] = 'X';
    std::vector<std::uint8_t> tooLong = w.bytes();
    tooLong[2] += 1;
    std::vector<std::uint8_t> tooShort = w.bytes();
    tooShort[2] -= 1;
    for (const auto& bad : {notBm, tooLong, tooShort}) {
        ImageStore other;
        EXPECT_FALSE(ReadRecord(bad, other, true));
    }
}

TEST(ImageStore, FromMemoryChecksTheBitmapAgainstItsOwnSizes) {
    const std::vector<std::uint8_t> packed = Bytes(MakeBitmap(5, 5, 1));
    ImageStore store;
    EXPECT_FALSE(store.SetFromPacked(packed.data(), packed.size() - 1));
    EXPECT_FALSE(store.SetFromPacked(packed.data(), 39));
    EXPECT_FALSE(store.SetFromPacked(nullptr, 0));
    EXPECT_FALSE(store.HasImage());
    ASSERT_TRUE(store.SetFromPacked(packed.data(), packed.size() + 10)); // trailing bytes ignored
    EXPECT_EQ(Bytes(store.GetPackedBitmap()), packed);
    EXPECT_EQ(store.GetTypeCode(), ImageStore::kTypeNone);
    ASSERT_EQ(store.Palette().size(), 2u);
    EXPECT_EQ(store.Palette()[1].red, packed[40 + 4 + 2]);

    ImageStore copy(store);
    EXPECT_EQ(copy.GetTypeCode(), ImageStore::kTypeNone);
    EXPECT_EQ(Bytes(copy.GetPackedBitmap()), packed);
    ImageStore other = MakeStore(3, 3, 32);
    other.Assign(store);
    EXPECT_EQ(other.GetTypeCode(), ImageStore::kTypeBmp); // the type code is not copied
    EXPECT_TRUE(other.Palette().size() == 2u);
}

TEST(ImageStore, DrawsThroughTheDeviceAndFormatsItsInformation) {
    ImageStore store = MakeStore(640, 480, 24);
    RasterDevice device(4, 4);
    DrawContext context(&device);
    EXPECT_TRUE(store.Draw(context, true));
    EXPECT_EQ(device.bitmapDraws(), 1);
    ImageStore empty;
    EXPECT_FALSE(empty.Draw(context, true));

    store.SetTypeCode(ImageStore::kTypeTiff);
    const std::string folder = std::filesystem::current_path().string();
    EXPECT_EQ(
        FormatImageInformation(store, "scans/graph.tif", true),
        "File Path: " + folder +
            "/scans\r\nFile Name: graph.tif\r\nFile Format: TIFF\r\n"
            "Image Width: 640\r\nImage Height: 480\r\nNumber of Planes: 1\r\nBit Depth: 24\r\n"
            "Number of Colors: 16 million\r\nImage Modified: Yes\r\n");
    ImageStore gray = MakeStore(2, 3, 8);
    gray.SetTypeCode(10); // past the last known code
    EXPECT_EQ(FormatImageInformation(gray, "", false),
              "File Path: \r\nFile Name: \r\nFile Format: Unknown\r\nImage Width: 2\r\n"
              "Image Height: 3\r\nNumber of Planes: 1\r\nBit Depth: 8\r\nNumber of Colors: 256\r\n"
              "Image Modified: No\r\n");
    EXPECT_NE(FormatImageInformation(MakeStore(2, 2, 32), "/a/b.bmp", false)
                  .find("Number of Colors: 0\r\n"),
              std::string::npos);
}

} // namespace
