#include "ByteWriter.h"
#include "Truncations.h"
#include "core/Archive.h"
#include "mapping/RegGridData.h"
#include "mapping/RegGridSnap.h"
#include "mapping/RegGridVw.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace {

// Every setting different from its default, from the others and from Block.
void Prepare(RegGridData& grid) {
    grid.snapX = 3;
    grid.snapY = -1;
    grid.originX = 0.125;
    grid.originY = -7.5;
    grid.stepX = 2.5;
    grid.stepY = 1e-3;
    grid.showX = 0;
    grid.showY = 9;
}

std::vector<std::uint8_t> Stored(RegGridData& grid) {
    Archive archive;
    EXPECT_TRUE(grid.Serialize(archive));
    return archive.Buffer();
}

// snapX 1, snapY 0, origins 1.5 and -2.5, steps 10 and 0.25, showX 0, showY 7.
std::vector<std::uint8_t> Block(std::int32_t version) {
    ByteWriter w;
    w.I32(version).I32(1).I32(0);
    EXPECT_EQ(w.size(), 12u);
    w.F64(1.5).F64(-2.5).F64(10).F64(0.25);
    EXPECT_EQ(w.size(), 44u);
    if (version != 1) {
        w.I32(0).I32(7);
    }
    return w.bytes();
}

TEST(RegGridRep, KeysAndTheDialogCopyHandingItsValuesBack) {
    RegGridData grid(nullptr);
    Prepare(grid);
    auto view = std::unique_ptr<RegGridVw>(
        dynamic_cast<RegGridVw*>(grid.CreateRep("ViewDialogRegGrid").release()));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->snapY, -1);
    EXPECT_EQ(view->stepY, 1e-3);
    EXPECT_EQ(view->showX, 0);
    std::unique_ptr<AttributeRep> snap = grid.CreateRep("GridSnapRegGrid");
    ASSERT_NE(dynamic_cast<RegGridSnap*>(snap.get()), nullptr);
    EXPECT_EQ(view->GetKey(), " ");
    EXPECT_EQ(snap->GetKey(), " ");
    for (const char* key : {"", "viewdialogreggrid", "ViewDialogRegGrid ", "GridSnapRegGri",
                            "AttRegGrid", "ViewAxisTransformData"}) {
        EXPECT_EQ(grid.CreateRep(key), nullptr) << key;
    }

    // Neither the snap test nor another subject hands anything back.
    const std::vector<std::uint8_t> prepared = Stored(grid);
    view->snapX = 0;
    view->originY = 4;
    view->showY = 0;
    snap->Notify(nullptr);
    Observer stranger;
    grid.Update(&stranger, nullptr);
    EXPECT_EQ(Stored(grid), prepared);
    view->Notify(nullptr);
    EXPECT_EQ(grid.snapX, 0);
    EXPECT_EQ(grid.originY, 4);
    EXPECT_EQ(grid.showY, 0);
    EXPECT_EQ(grid.stepX, 2.5);
    EXPECT_TRUE(grid.HasGridSnap()); // snapY is still -1

    // Refreshing, with or without "reset", takes the data's values again.
    grid.stepX = 8;
    view->Refresh();
    EXPECT_EQ(view->stepX, 8);
    Prepare(grid);
    view->ResetAndRefresh();
    EXPECT_EQ(view->showY, 9);
    EXPECT_EQ(view->stepX, 2.5);
}

TEST(RegGridRecord, WritesVersionTwoAndReadsVersionsTwoAndOneOnly) {
    RegGridData written(nullptr);
    written.snapX = 1;
    written.originX = 1.5;
    written.originY = -2.5;
    written.stepX = 10;
    written.stepY = 0.25;
    written.showX = 0;
    written.showY = 7;
    EXPECT_EQ(Stored(written), Block(2));

    struct Case {
        std::int32_t version;
        std::size_t consumed; // 4: refused after the version word
        std::int32_t showX, showY;
    };
    const Case cases[] = {{2, 52, 0, 7}, {1, 44, 1, 1}, {0, 4, 0, 0},
                          {3, 4, 0, 0},  {-2, 4, 0, 0}, {101, 4, 0, 0}};
    for (const Case& c : cases) {
        RegGridData grid(nullptr);
        Prepare(grid);
        const std::vector<std::uint8_t> before = Stored(grid);
        const std::vector<std::uint8_t> bytes = Block(c.version);
        Archive archive(bytes.data(), bytes.size());
        EXPECT_EQ(grid.Serialize(archive), c.consumed > 4) << c.version;
        EXPECT_EQ(archive.Position(), c.consumed) << c.version;
        if (c.consumed == 4) {
            EXPECT_EQ(Stored(grid), before) << c.version;
            continue;
        }
        written.showX = c.showX;
        written.showY = c.showY;
        EXPECT_EQ(Stored(grid), Stored(written)) << c.version;
    }
}

TEST(RegGridRecord, EveryTruncationFailsAndLeavesTheGridAlone) {
    for (std::int32_t version : {2, 1}) {
        const std::vector<std::uint8_t> bytes = Block(version);
        ForEachTruncation(bytes, [&](const std::vector<std::uint8_t>& prefix, std::size_t n) {
            RegGridData grid(nullptr);
            Prepare(grid);
            const std::vector<std::uint8_t> before = Stored(grid);
            Archive archive(prefix.data(), prefix.size());
            bool read = true;
            try {
                read = grid.Serialize(archive);
            } catch (const ArchiveEndOfFile&) {
                read = false;
            }
            EXPECT_FALSE(read) << version << " cut at " << n;
            EXPECT_EQ(Stored(grid), before) << version << " cut at " << n;
        });
    }
}

} // namespace
