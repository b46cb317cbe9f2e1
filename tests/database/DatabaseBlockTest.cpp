#include "ByteWriter.h"
#include "SeededBitmap.h"
#include "Truncations.h"
#include "core/Archive.h"
#include "core/ArchiveObjectTable.h"
#include "database/DbPointRep.h"
#include "database/PlumeData.h"
#include "mapping/RegGridVw.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

ImageStore Picture(int width, int height) {
    ImageStore store;
    store.SetBitmap(SeededBitmap(width, height, 8, 0, 1), ImageStore::kTypeTiff);
    return store;
}

// Two sets with points that share attribute lists, an attribute entry, a grid, a mapping
// and an embedded image.
void Populate(PlumeData& database) {
    database.CreateDefaultSet();
    database.ReplaceImage(Picture(9, 7), 0);
    database.Mapping().region.SetPixelRect(DPoint{0, 0}, DPoint{8, 6});
    database.Mapping().SetLimits(DPoint{0, 0}, DPoint{80, 60});
    database.Grid().snapX = 1;
    database.Grid().stepX = 5;
    database.AddAttribute(SmartPtr<DbAttRep>(new DbAttRep("Sample", "A", 1)));
    for (int i = 0; i < 3; ++i) {
        auto* point = new DbPointRep(DPoint{double(i), 1});
        SmartPtr<DbPrimRep> primitive(point);
        point->Remap(database.Mapping());
        database.AddPrimitive(primitive, -1);
    }
    database.NewSet("Second");
    database.AddPrimitive(SmartPtr<DbPrimRep>(new DbPointRep(DPoint{4, 4})), -1);
    database.SetExportPath("/tmp/out.csv");
    database.SetImagePath("/somewhere/scan.tif");
}

std::vector<std::uint8_t> Write(PlumeData& database) {
    Archive archive;
    EXPECT_TRUE(database.Serialize(archive));
    return archive.TakeBuffer();
}

bool Read(const std::vector<std::uint8_t>& bytes, PlumeData& database,
          const std::string& documentPath = "/docs/data.plm") {
    Archive archive(bytes.data(), bytes.size());
    try {
        return database.Serialize(archive, documentPath);
    } catch (const ArchiveEndOfFile&) {
        return false;
    }
}

std::string Text(const PlumeData& database) {
    std::string text;
    database.ExportText(text, " ");
    return text;
}

template <typename F> std::vector<std::uint8_t> Piece(F write) {
    ArchiveTableSession session;
    Archive archive;
    write(archive);
    return archive.TakeBuffer();
}

TEST(DatabaseBlock, WritesVersionFiveInItsOrder) {
    PlumeData database;
    Populate(database);
    database.SetSortData(false);
    ByteWriter expected;
    expected.I32(5).I32(0);
    expected.Bytes(Piece([&](Archive& a) { database.Mapping().Serialize(a); }));
    expected.Str("/somewhere/scan.tif").Str("/tmp/out.csv");
    expected.Bytes(Piece([&](Archive& a) { database.Image().WriteCopyBlock(a, 1004); }));
    expected.I32(1003).Bytes(Piece([&](Archive& a) { database.Grid().Serialize(a); }));
    expected.I32(1005).Bytes(Piece([&](Archive& a) { database.SetManager().Serialize(a); }));
    expected.I32(-1);
    EXPECT_EQ(Write(database), expected.bytes());
    // Writing leaves the change flags alone until the file is known to be in place.
    EXPECT_TRUE(database.DataModified());
    EXPECT_TRUE(database.ImageSet());
    database.MarkSaved();
    EXPECT_FALSE(database.DataModified());
    EXPECT_FALSE(database.ImageSet());

    database.SetSaveByReference(true); // by reference: the tag alone
    const std::vector<std::uint8_t> reference = Write(database);
    const std::size_t imageAt = 8 + 360 + 20 + 13;
    ASSERT_GT(reference.size(), imageAt + 8);
    ByteWriter tags;
    tags.I32(1001).I32(1003);
    EXPECT_TRUE(std::equal(tags.bytes().begin(), tags.bytes().end(), reference.begin() + imageAt));
}

TEST(DatabaseBlock, ReadsWhatItWroteWithBlocksInAnyOrder) {
    PlumeData source;
    Populate(source);
    const std::vector<std::uint8_t> bytes = Write(source);
    PlumeData loaded;
    ASSERT_TRUE(Read(bytes, loaded));
    EXPECT_EQ(Text(loaded), Text(source));
    EXPECT_EQ(loaded.ImagePath(), "/docs/data.plm"); // an embedded image names the document
    EXPECT_EQ(loaded.Image().GetTypeCode(), ImageStore::kTypeBmp);
    EXPECT_EQ(loaded.Grid().stepX, 5);
    EXPECT_EQ(loaded.ExportPath(), "/tmp/out.csv");

    // Sets, grid, image instead of image, grid, sets.
    ByteWriter reordered;
    reordered.I32(5).I32(1);
    reordered.Bytes(Piece([&](Archive& a) { source.Mapping().Serialize(a); }));
    reordered.Str("x").Str("");
    reordered.I32(1005).Bytes(Piece([&](Archive& a) { source.SetManager().Serialize(a); }));
    reordered.I32(1003).Bytes(Piece([&](Archive& a) { source.Grid().Serialize(a); }));
    reordered.Bytes(Piece([&](Archive& a) { source.Image().WriteCopyBlock(a, 1004); }));
    reordered.I32(-1);
    PlumeData other;
    ASSERT_TRUE(Read(reordered.bytes(), other));
    EXPECT_EQ(Text(other), Text(source));
    EXPECT_EQ(other.Image().GetInfo().width, 9);
}

TEST(DatabaseBlock, OlderVersionsBringTheirPointsIntoLine) {
    TransformData mapping;
    mapping.region.SetPixelRect(DPoint{0, 0}, DPoint{100, 100});
    mapping.SetLimits(DPoint{0, 0}, DPoint{10, 10});
    for (int version : {2, 3, 4}) {
        ByteWriter w;
        w.I32(version).I32(1);
        if (version == 2) {
            // The older mapping block: limitsSet at 8, the region at 48, limits at 320.
            std::vector<std::uint8_t> block(360, 0);
            const std::vector<std::uint8_t> region =
                Piece([&](Archive& a) { mapping.region.Write(a); });
            std::copy(region.begin(), region.end(), block.begin() + 48);
            ByteWriter limits;
            limits.F64(0).F64(0).F64(10).F64(10);
            std::copy(limits.bytes().begin(), limits.bytes().end(), block.begin() + 320);
            w.Bytes(block);
        } else {
            w.Bytes(Piece([&](Archive& a) { mapping.Serialize(a); }));
        }
        w.Str("").Str("").I32(3).F64(10).F64(90).F64(50).F64(50).F64(90).F64(10).I32(-1);
        PlumeData database;
        database.CreateDefaultSet();
        ASSERT_TRUE(Read(w.bytes(), database)) << version;
        EXPECT_EQ(Text(database), "Line\nX Y\n1 1\n5 5\n9 9\n\n\n") << version;
        EXPECT_EQ(database.Mapping().mode, 0);
    }
}

TEST(DatabaseBlock, RefusesBadVersionsTagsAndRecords) {
    PlumeData source;
    Populate(source);
    const std::vector<std::uint8_t> good = Write(source);
    const auto head = [&](std::int32_t version) {
        ByteWriter w;
        w.I32(version).I32(1).Bytes(Piece([&](Archive& a) { source.Mapping().Serialize(a); }));
        return w.Str("").Str("");
    };
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"version 1", head(1).I32(-1).bytes()});
    cases.push_back({"version 0", head(0).I32(-1).bytes()});
    cases.push_back({"unknown tag", head(5).I32(1006).I32(-1).bytes()});
    cases.push_back(
        {"grid version 3",
         head(5).I32(1003).I32(3).Bytes(std::vector<std::uint8_t>(48)).I32(-1).bytes()});
    cases.push_back({"no end tag", head(5).bytes()});
    ByteWriter badMapping;
    badMapping.I32(5).I32(1).I32(2).Bytes(std::vector<std::uint8_t>(356)).Str("").Str("").I32(-1);
    cases.push_back({"mapping version 2", badMapping.bytes()});
    cases.push_back({"old points past the end", head(4).I32(1000000).I32(-1).bytes()});
    for (const Case& c : cases) {
        PlumeData database;
        database.CreateDefaultSet();
        EXPECT_FALSE(Read(c.bytes, database)) << c.what;
    }
}

TEST(DatabaseBlock, EveryTruncationFailsAndLeavesADestroyableDatabase) {
    PlumeData source;
    Populate(source);
    const std::vector<std::uint8_t> bytes = Write(source);
    ForEachTruncation(bytes, [](const std::vector<std::uint8_t>& prefix, std::size_t length) {
        PlumeData database;
        database.CreateDefaultSet();
        EXPECT_FALSE(Read(prefix, database)) << length;
        Text(database);
    });
}

TEST(DatabaseBlock, AnImageByReferenceIsFoundAtItsPathOrBesideTheDocument) {
    const fs::path folder =
        fs::temp_directory_path() / ("tracery-ref-" + std::to_string(::getpid()));
    fs::create_directories(folder / "docs");
    const fs::path image = folder / "scan.bmp";
    ASSERT_TRUE(Picture(5, 4).SaveBmpFile(image.string()));

    const auto block = [](const std::string& imagePath) {
        ByteWriter w;
        TransformData mapping;
        w.I32(5).I32(1).Bytes(Piece([&](Archive& a) { mapping.Serialize(a); }));
        return w.Str(imagePath).Str("").I32(1001).I32(-1).bytes();
    };
    struct Case {
        const char* what;
        std::string storedPath;
        std::string documentPath;
        bool ok;
        std::string imagePath;
        int width;
    };
    fs::copy_file(image, folder / "docs" / "moved.bmp");
    const Case cases[] = {
        {"at its path", image.string(), (folder / "docs" / "a.plm").string(), true, image.string(),
         5},
        {"beside the document", "/gone/moved.bmp", (folder / "docs" / "a.plm").string(), true,
         (folder / "docs" / "moved.bmp").string(), 5},
        {"nowhere", "/gone/missing.bmp", (folder / "docs" / "a.plm").string(), false, "", 0},
        {"no path at all", "", (folder / "docs" / "a.plm").string(), true, "", 0},
    };
    for (const Case& c : cases) {
        PlumeData database;
        database.CreateDefaultSet();
        EXPECT_EQ(Read(block(c.storedPath), database, c.documentPath), c.ok) << c.what;
        if (c.ok) {
            EXPECT_EQ(database.ImagePath(), c.imagePath) << c.what;
            EXPECT_EQ(database.Image().GetInfo().width, c.width) << c.what;
            EXPECT_EQ(database.SaveByReference(), c.width > 0) << c.what; // stays a reference
        }
    }
    fs::remove_all(folder);
}

} // namespace
