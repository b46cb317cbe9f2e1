// The PNG, JPEG, GIF and WebP readers and PDF pages against files that the reference tools
// made, compared pixel by pixel with what the reference decoders give for them
// (tests/data/images/make-data.sh says how each was made), and against hostile files
// derived from them.
#include "image/ImageInformation.h"
#include "image/ImageStore.h"
#include "image/PdfDocument.h"

#include "BitmapPixels.h"
#include "FileBytes.h"
#include "LargestAllocation.h"
#include "Truncations.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes DataFile(const std::string& name) {
    return ReadFileBytes(TestDataPath("images") / name);
}

// The expected colours of NAME (NAME.rgb: red, green, blue, top row first) as 0x00RRGGBB.
// NAME.rgb16 holds them at 16 bits per channel, big-endian; they are rounded to 8 bits.
std::vector<std::uint32_t> Expected(const std::string& name) {
    std::vector<std::uint32_t> colours;
    const Bytes rgb16 = DataFile(name + ".rgb16");
    if (!rgb16.empty()) {
        std::uint32_t colour = 0;
        for (std::size_t i = 0; i + 1 < rgb16.size(); i += 2) {
            const std::uint32_t value = std::uint32_t{rgb16[i]} << 8 | rgb16[i + 1];
            colour = colour << 8 | (value * 255 + 32767) / 65535;
            if (i % 6 == 4) {
                colours.push_back(colour & 0xFFFFFF);
            }
        }
        return colours;
    }
    const Bytes rgb = DataFile(name + ".rgb");
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
        colours.push_back(std::uint32_t{rgb[i]} << 16 | std::uint32_t{rgb[i + 1]} << 8 |
                          rgb[i + 2]);
    }
    return colours;
}

// A PNG rendering as 0x00RRGGBB, through libpng's simplified reader.
std::vector<std::uint32_t> PngColours(const std::string& name, int& width, int& height) {
    const Bytes bytes = DataFile(name);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    std::vector<std::uint32_t> colours;
    if (png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()) == 0) {
        return colours;
    }
    image.format = PNG_FORMAT_RGB;
    Bytes rgb(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) == 0) {
        return colours;
    }
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
        colours.push_back(std::uint32_t{rgb[i]} << 16 | std::uint32_t{rgb[i + 1]} << 8 |
                          rgb[i + 2]);
    }
    return colours;
}

int ChannelDifference(std::uint32_t a, std::uint32_t b) {
    int largest = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        largest = std::max(largest, std::abs(static_cast<int>(a >> shift & 0xFF) -
                                             static_cast<int>(b >> shift & 0xFF)));
    }
    return largest;
}

// The largest difference of one channel over all pixels; 256 when the sizes differ.
int LargestDifference(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
    if (a.size() != b.size()) {
        return 256;
    }
    int largest = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        largest = std::max(largest, ChannelDifference(a[i], b[i]));
    }
    return largest;
}

bool Loads(const Bytes& bytes, const PdfPageChoice& page = {}) {
    ImageStore store;
    return store.LoadBytes(bytes.data(), bytes.size(), page);
}

TEST(ImageReaders, DecodeEveryKindAsTheReferenceDecoders) {
    struct Case {
        const char* file;
        const char* format;
        int bitCount;
        std::uint32_t colours;
        int width = 13;
        int height = 9;
    };
    const Case cases[] = {
        {"grey1.png", "PNG", 1, 2},
        {"grey2.png", "PNG", 8, 4},
        {"grey4.png", "PNG", 8, 16},
        {"grey8.png", "PNG", 8, 256},
        {"grey16.png", "PNG", 8, 256},
        {"grey-trns.png", "PNG", 8, 256},
        {"greyalpha8.png", "PNG", 8, 256},
        {"greyalpha16.png", "PNG", 8, 256},
        {"palette1.png", "PNG", 1, 2},
        {"palette2.png", "PNG", 8, 4},
        {"palette4.png", "PNG", 8, 16},
        {"palette8.png", "PNG", 8, 0},
        {"palette-trns.png", "PNG", 8, 0},
        {"rgb8.png", "PNG", 24, 0},
        {"rgb16.png", "PNG", 24, 0},
        {"rgb-trns.png", "PNG", 24, 0},
        {"rgba8.png", "PNG", 24, 0},
        {"rgba16.png", "PNG", 24, 0},
        {"rgb8-interlaced.png", "PNG", 24, 0},
        {"rgba16-interlaced.png", "PNG", 24, 0},
        {"colour.jpg", "JPEG", 24, 0},
        {"grey.jpg", "JPEG", 8, 256},
        {"progressive.jpg", "JPEG", 24, 0},
        {"cmyk.jpg", "JPEG", 24, 0},
        {"orient1.jpg", "JPEG", 24, 0},
        {"orient2.jpg", "JPEG", 24, 0},
        {"orient3.jpg", "JPEG", 24, 0},
        {"orient4.jpg", "JPEG", 24, 0},
        {"orient5.jpg", "JPEG", 24, 0, 9, 13},
        {"orient6.jpg", "JPEG", 24, 0, 9, 13},
        {"orient7.jpg", "JPEG", 24, 0, 9, 13},
        {"orient8.jpg", "JPEG", 24, 0, 9, 13},
        {"colours.gif", "GIF", 8, 0},
        {"transparent.gif", "GIF", 8, 0},
        {"interlaced.gif", "GIF", 8, 0},
        {"lossy.webp", "WebP", 24, 0},
        {"lossless.webp", "WebP", 24, 0},
        {"lossless-alpha.webp", "WebP", 24, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        ImageStore store;
        ASSERT_TRUE(store.LoadFile((TestDataPath("images") / c.file).string()));
        EXPECT_STREQ(ImageFormatName(store.GetTypeCode()), c.format);
        const PackedBitmap& bitmap = store.GetPackedBitmap();
        EXPECT_EQ(bitmap.Width(), c.width);
        EXPECT_EQ(bitmap.Height(), c.height);
        EXPECT_EQ(bitmap.BitCount(), c.bitCount);
        if (c.colours != 0) {
            EXPECT_EQ(bitmap.ColourCount(), c.colours);
        }
        EXPECT_EQ(bitmap.TotalSize(), PackedBitmap::TotalSizeFor(bitmap.header()));
        EXPECT_EQ(LargestDifference(ToRgb(bitmap), Expected(c.file)), 0);
    }
}

TEST(ImageReaders, KeepTheResolutionOfTheFile) {
    // pdftoppm writes pHYs at the rendering's resolution, 72 dpi as 2834 pixels per metre.
    ImageStore png;
    ASSERT_TRUE(png.LoadFile((TestDataPath("images") / "two-pages-p2-72.png").string()));
    EXPECT_EQ(png.GetPackedBitmap().header().xPelsPerMeter, 2834);
    EXPECT_EQ(png.GetPackedBitmap().header().yPelsPerMeter, 2834);

    // A JFIF header of 300 x 150 dots per inch (units 1 at byte 13, densities after it),
    // and one in dots per centimetre.
    struct Case {
        std::uint8_t unit;
        int x, y;
        std::int32_t xPerMetre, yPerMetre;
    };
    for (const Case& c :
         {Case{1, 300, 150, 11811, 5906}, Case{2, 40, 40, 4000, 4000}, Case{0, 1, 1, 0, 0}}) {
        Bytes jpeg = DataFile("colour.jpg");
        ASSERT_EQ(std::string(jpeg.begin() + 6, jpeg.begin() + 10), "JFIF");
        jpeg[13] = c.unit;
        jpeg[14] = static_cast<std::uint8_t>(c.x >> 8);
        jpeg[15] = static_cast<std::uint8_t>(c.x);
        jpeg[16] = static_cast<std::uint8_t>(c.y >> 8);
        jpeg[17] = static_cast<std::uint8_t>(c.y);
        ImageStore store;
        ASSERT_TRUE(store.LoadBytes(jpeg.data(), jpeg.size()));
        EXPECT_EQ(store.GetPackedBitmap().header().xPelsPerMeter, c.xPerMetre) << int{c.unit};
        EXPECT_EQ(store.GetPackedBitmap().header().yPelsPerMeter, c.yPerMetre) << int{c.unit};
    }
}

std::uint32_t Big32(const Bytes& bytes, std::size_t at) {
    return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 |
           std::uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
}

// Where the picture's data ends: after the last IDAT chunk of a PNG, before the trailer
// byte of a GIF (the decoder stops after the image's last row), at the very end of a
// JPEG (a missing end-of-image marker fails) and of a WebP.
std::size_t ImageDataEnd(const Bytes& bytes) {
    if (bytes[0] == 0x89) {
        std::size_t end = 0;
        for (std::size_t at = 8; at + 8 <= bytes.size(); at += 12 + Big32(bytes, at)) {
            if (std::string(bytes.begin() + static_cast<long>(at) + 4,
                            bytes.begin() + static_cast<long>(at) + 8) == "IDAT") {
                end = at + 12 + Big32(bytes, at);
            }
        }
        return end;
    }
    if (bytes[0] == 'G') {
        return bytes.size() - 2;
    }
    return bytes.size();
}

// Every proper prefix of every file either fails or, when no more than what follows the
// picture's data is cut, gives exactly the whole file's pixels; none crashes or reads
// past its end.
TEST(ImageReaders, TruncatedFilesFailOrGiveTheWholePicture) {
    for (const char* file :
         {"rgba16-interlaced.png", "palette4.png", "progressive.jpg", "cmyk.jpg", "interlaced.gif",
          "transparent.gif", "lossy.webp", "lossless-alpha.webp"}) {
        SCOPED_TRACE(file);
        const Bytes whole = DataFile(file);
        const std::vector<std::uint32_t> expected = Expected(file);
        const std::size_t dataEnd = ImageDataEnd(whole);
        ForEachTruncation(whole, [&](const Bytes& prefix, std::size_t length) {
            ImageStore store;
            if (store.LoadBytes(prefix.data(), prefix.size())) {
                EXPECT_GE(length, dataEnd);
                EXPECT_EQ(LargestDifference(ToRgb(store.GetPackedBitmap()), expected), 0) << length;
            }
        });
    }
}

void PutBig32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
    }
}

// The first chunk after the signature is IHDR: length 8-11, type 12-15, width 16-19,
// height 20-23, then depth, colour type, compression, filter, interlace, CRC at 29-32.
Bytes PngWithSize(std::uint32_t width, std::uint32_t height) {
    Bytes png = DataFile("rgb8.png");
    PutBig32(png, 16, width);
    PutBig32(png, 20, height);
    PutBig32(png, 29, static_cast<std::uint32_t>(crc32(0, png.data() + 12, 17)));
    return png;
}

// The SOF marker's frame header: length (2), precision (1), height (2), width (2).
Bytes JpegWithSize(std::uint16_t width, std::uint16_t height) {
    Bytes jpeg = DataFile("colour.jpg");
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
            jpeg[i + 5] = static_cast<std::uint8_t>(height >> 8);
            jpeg[i + 6] = static_cast<std::uint8_t>(height);
            jpeg[i + 7] = static_cast<std::uint8_t>(width >> 8);
            jpeg[i + 8] = static_cast<std::uint8_t>(width);
            break;
        }
    }
    return jpeg;
}

// The logical screen (bytes 6-9) and the first image descriptor (after the global table)
// both claim the size; ImageMagick writes no extension before the image of colours.gif.
Bytes GifWithSize(std::uint16_t width, std::uint16_t height) {
    Bytes gif = DataFile("colours.gif");
    const std::size_t table = std::size_t{3} << ((gif[10] & 7) + 1);
    std::size_t at = 13 + table;
    while (gif[at] == 0x21) { // skip extensions: introducer, label, sub-blocks
        at += 2;
        while (gif[at] != 0) {
            at += gif[at] + 1u;
        }
        ++at;
    }
    for (std::size_t field : {std::size_t{6}, at + 5}) {
        gif[field] = static_cast<std::uint8_t>(width);
        gif[field + 1] = static_cast<std::uint8_t>(width >> 8);
        gif[field + 2] = static_cast<std::uint8_t>(height);
        gif[field + 3] = static_cast<std::uint8_t>(height >> 8);
    }
    return gif;
}

// A lossless WebP header: "VP8L" chunk at 12, signature 0x2F at 20, then 14 bits of
// width - 1 and 14 bits of height - 1, little-endian.
Bytes WebpWithSize(std::uint32_t width, std::uint32_t height) {
    Bytes webp = DataFile("lossless.webp");
    const std::uint32_t bits =
        (width - 1) | (height - 1) << 14 | (std::uint32_t{webp[24]} >> 4 & 0x0F) << 28;
    for (int i = 0; i < 4; ++i) {
        webp[21 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
    return webp;
}

// A PDF written in code: the objects in order, then the cross-reference table.
Bytes MakePdf(const std::vector<std::string>& objects, const std::string& trailerExtra = "") {
    std::string out = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(out.size());
        out += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = out.size();
    out += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t offset : offsets) {
        char line[32];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
        out += line;
    }
    out += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R " +
           trailerExtra + ">>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return Bytes(out.begin(), out.end());
}

Bytes PdfOfOnePage(const std::string& mediaBox) {
    return MakePdf({"<< /Type /Catalog /Pages 2 0 R >>",
                    "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                    "<< /Type /Page /Parent 2 0 R /MediaBox [" + mediaBox + "] >>"});
}

TEST(ImageReaders, HostileFilesFailQuicklyInLittleMemory) {
    Bytes badDataCrc = DataFile("rgb8.png");
    const std::size_t idat = 33 + Big32(badDataCrc, 33) + 12; // after IHDR, gAMA
    ASSERT_GT(badDataCrc.size(), idat);
    Bytes badHeaderCrc = DataFile("rgb8.png");
    badHeaderCrc[29] ^= 0x01;
    Bytes badLastCrc = DataFile("palette8.png");
    // The last IDAT's CRC sits 4 bytes before the chunks that follow the image data; the
    // last 12 bytes are IEND, and the tEXt chunks lie between, so corrupt the pixel data
    // itself instead: one flipped bit in the compressed stream.
    for (std::size_t i = 8; i + 8 < badLastCrc.size(); ++i) {
        if (std::string(badLastCrc.begin() + static_cast<long>(i) + 4,
                        badLastCrc.begin() + static_cast<long>(i) + 8) == "IDAT") {
            badLastCrc[i + 8 + 4] ^= 0x10;
            break;
        }
    }
    const Bytes encrypted =
        MakePdf({"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                 "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 72 72] >>",
                 "<< /Filter /Standard /V 1 /R 2 /O (01234567890123456789012345678901) "
                 "/U (01234567890123456789012345678901) /P -4 >>"},
                "/Encrypt 4 0 R /ID [<00112233445566778899AABBCCDDEEFF> "
                "<00112233445566778899AABBCCDDEEFF>] ");
    const Bytes noPages =
        MakePdf({"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [] /Count 0 >>"});
    const std::string headerOnly = "%PDF-1.4\n%%EOF\n";
    struct Case {
        const char* what;
        Bytes bytes;
        PdfPageChoice page;
    };
    const Case cases[] = {
        {"PNG of 100000 x 100000", PngWithSize(100000, 100000), {}},
        {"PNG of 2^31 - 1 x 1", PngWithSize(0x7FFFFFFF, 1), {}},
        {"PNG with a wrong header CRC", badHeaderCrc, {}},
        {"PNG with damaged image data", badLastCrc, {}},
        {"JPEG of 65000 x 65000", JpegWithSize(65000, 65000), {}},
        {"JPEG of 0 x 9", JpegWithSize(0, 9), {}},
        {"GIF of 65535 x 65535", GifWithSize(65535, 65535), {}},
        {"WebP of 16384 x 16384", WebpWithSize(16384, 16384), {}},
        {"PDF page of 200 x 200 inches at 600 dpi", PdfOfOnePage("0 0 14400 14400"), {1, 600}},
        {"PDF that needs a password", encrypted, {}},
        {"PDF with no pages", noPages, {}},
        {"PDF of a header only", Bytes(headerOnly.begin(), headerOnly.end()), {}},
        {"PDF page that does not exist", PdfOfOnePage("0 0 72 72"), {2, 150}},
        {"PDF page 0", PdfOfOnePage("0 0 72 72"), {0, 150}},
        {"PDF at 0 dpi", PdfOfOnePage("0 0 72 72"), {1, 0}},
        {"PDF at an infinite resolution", PdfOfOnePage("0 0 72 72"), {1, 1.0 / 0.0}},
    };
    for (const Case& c : cases) {
        bool loaded = true;
        const std::size_t largest = LargestAllocationOf([&] { loaded = Loads(c.bytes, c.page); });
        EXPECT_FALSE(loaded) << c.what;
        EXPECT_LT(largest, std::size_t{16} << 20) << c.what;
    }
    // The same pages within bounds do load: the cases above fail for what they claim.
    EXPECT_TRUE(Loads(PngWithSize(13, 9)));
    EXPECT_TRUE(Loads(PdfOfOnePage("0 0 72 72"), {1, 150}));
    EXPECT_TRUE(Loads(PdfOfOnePage("0 0 14400 14400"), {1, 1}));
}

TEST(ImageReaders, PdfPagesRenderAsPdftoppmRendersThem) {
    const std::unique_ptr<PdfDocument> pdf =
        PdfDocument::OpenFile((TestDataPath("images") / "two-pages.pdf").string());
    ASSERT_NE(pdf, nullptr);
    EXPECT_EQ(pdf->PageCount(), 2);
    double width = 0;
    double height = 0;
    ASSERT_TRUE(pdf->PageSize(2, width, height));
    EXPECT_EQ(width, 144);
    EXPECT_EQ(height, 108);
    EXPECT_FALSE(pdf->PageSize(3, width, height));

    // Same renderer, same anti-aliasing: measured, the pixels are identical, edges of the
    // curve and the glyphs included.
    constexpr int kTolerance = 0;
    for (const int dpi : {72, 150}) {
        SCOPED_TRACE(dpi);
        int referenceWidth = 0;
        int referenceHeight = 0;
        const std::vector<std::uint32_t> reference = PngColours(
            "two-pages-p2-" + std::to_string(dpi) + ".png", referenceWidth, referenceHeight);
        ASSERT_FALSE(reference.empty());
        ImageStore store;
        ASSERT_TRUE(store.LoadFile((TestDataPath("images") / "two-pages.pdf").string(),
                                   PdfPageChoice{2, static_cast<double>(dpi)}));
        EXPECT_STREQ(ImageFormatName(store.GetTypeCode()), "PDF");
        EXPECT_TRUE(store.NeedsEmbeddedCopy());
        const PackedBitmap& bitmap = store.GetPackedBitmap();
        ASSERT_EQ(bitmap.Width(), referenceWidth);
        ASSERT_EQ(bitmap.Height(), referenceHeight);
        EXPECT_EQ(bitmap.BitCount(), 24);
        EXPECT_EQ(bitmap.header().xPelsPerMeter, dpi == 72 ? 2835 : 5906);
        const std::vector<std::uint32_t> colours = ToRgb(bitmap);
        int largest = 0;
        int inked = 0;
        for (std::size_t i = 0; i < colours.size(); ++i) {
            largest = std::max(largest, ChannelDifference(colours[i], reference[i]));
            inked += reference[i] != 0xFFFFFF ? 1 : 0;
        }
        EXPECT_LE(largest, kTolerance);
        EXPECT_GT(inked, 300); // the page is drawn, not blank paper
    }

    PackedBitmap thumbnail;
    ASSERT_TRUE(pdf->RenderThumbnail(1, 96, thumbnail));
    EXPECT_EQ(thumbnail.Width(), 96);
    EXPECT_EQ(thumbnail.Height(), 72);
    EXPECT_FALSE(pdf->RenderThumbnail(1, 0, thumbnail));
    int pixelWidth = 0;
    int pixelHeight = 0;
    EXPECT_TRUE(pdf->PixelSize(1, 300, pixelWidth, pixelHeight));
    EXPECT_EQ(pixelWidth, 600);
    EXPECT_EQ(pixelHeight, 450);
}

TEST(ImageReaders, FilesOfNoKnownFormatAreNotImages) {
    const std::string text = "just some text, not a picture";
    const Bytes cases[] = {
        Bytes{},
        Bytes(text.begin(), text.end()),
        Bytes{0x89, 'P', 'N', 'G'},
        Bytes{0xFF, 0xD8},
        Bytes{'G', 'I', 'F', '8', '9', 'a'},
        Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P'},
        Bytes{'%', 'P', 'D', 'F', '-'},
    };
    for (const Bytes& bytes : cases) {
        EXPECT_FALSE(Loads(bytes)) << bytes.size();
    }
}

} // namespace
