#include "ByteWriter.h"
#include "Truncations.h"
#include "core/Archive.h"
#include "mapping/TransformData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

// Distinct values for every stored field; the graph nodes deliberately disagree with the
// limits, since a reader must take them as stored.
DPoint PixelNode(int i) {
    return {i + 0.25, 100.0 + i};
}
DPoint GraphNode(int i) {
    return {-1.0 * i, 2.0 * i + 0.5};
}

void RegionRecord(ByteWriter& w, double nodeOverride = 0.0, bool useOverride = false) {
    w.I32(8).I32(8);
    for (int i = 0; i < 8; ++i) {
        const DPoint p = PixelNode(i);
        w.F64(useOverride ? nodeOverride : p.x).F64(useOverride ? nodeOverride : p.y);
    }
    for (int i = 0; i < 8; ++i) {
        w.F64(GraphNode(i).x).F64(GraphNode(i).y);
    }
    w.F64(12.5);
}

// The mapping record by hand, with its offsets checked as it is built.
std::vector<std::uint8_t> MappingRecord(std::int32_t version = 1, bool region = true,
                                        double reserved = 0.0) {
    ByteWriter w;
    w.I32(version).I32(0).I32(region ? 1 : 0);
    EXPECT_EQ(w.size(), 12u);
    if (region) {
        RegionRecord(w);
        EXPECT_EQ(w.size(), 284u);
    }
    w.I32(1).I32(0).F64(reserved).F64(reserved);
    EXPECT_EQ(w.size(), region ? 308u : 36u);
    w.I32(1).F64(1.5).F64(2.5);
    EXPECT_EQ(w.size(), region ? 328u : 56u);
    w.F64(3).F64(4).F64(30).F64(40);
    return w.bytes();
}

std::vector<std::uint8_t> Stored(TransformData& data) {
    Archive archive;
    EXPECT_TRUE(data.Serialize(archive));
    return archive.Buffer();
}

// A mapping that differs from the defaults and from the records above in every field.
void Prepare(TransformData& data) {
    data.region.SetPixelRect({5, 6}, {55, 66});
    data.SetLimits({-1, -2}, {9, 8});
    data.region.Rotate(3);
    data.mode = TransformData::kAxisMapping;
    data.aspectRatio = 7;
    data.pointsPerLength = 9;
    data.logY = 1;
}

TEST(MappingRecord, ReadsEveryFieldAtItsOffset) {
    const std::vector<std::uint8_t> bytes = MappingRecord(1, true, 123.0);
    ASSERT_EQ(bytes.size(), 360u);
    TransformData data;
    Prepare(data);
    Archive archive(bytes.data(), bytes.size());
    ASSERT_TRUE(data.Serialize(archive));
    EXPECT_EQ(archive.Position(), 360u);

    EXPECT_EQ(data.limitsSet, 0);
    EXPECT_EQ(data.region.pixelCount, 8);
    EXPECT_EQ(data.region.graphCount, 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(data.region.pixelNodes[static_cast<std::size_t>(i)], PixelNode(i)) << i;
        EXPECT_EQ(data.region.graphNodes[static_cast<std::size_t>(i)], GraphNode(i)) << i;
    }
    EXPECT_EQ(data.region.angle, 12.5);
    EXPECT_EQ(data.logX, 1);
    EXPECT_EQ(data.logY, 0);
    EXPECT_EQ(data.mode, TransformData::kPixelMapping);
    EXPECT_EQ(data.aspectRatio, 1.5);
    EXPECT_EQ(data.pointsPerLength, 2.5);
    EXPECT_EQ(data.xMin, 3);
    EXPECT_EQ(data.yMin, 4);
    EXPECT_EQ(data.xMax, 30);
    EXPECT_EQ(data.yMax, 40);

    // Writing gives the layout back, reserved doubles as zero.
    EXPECT_EQ(Stored(data), MappingRecord(1, true, 0.0));
}

TEST(MappingRecord, WithoutRegionRecordTheRegionStays) {
    const std::vector<std::uint8_t> bytes = MappingRecord(1, false);
    ASSERT_EQ(bytes.size(), 88u);
    TransformData data;
    Prepare(data);
    const Box region = data.region;
    Archive archive(bytes.data(), bytes.size());
    ASSERT_TRUE(data.Serialize(archive));
    EXPECT_EQ(archive.Position(), 88u);
    EXPECT_EQ(data.region, region);
    EXPECT_EQ(data.xMax, 30);
    EXPECT_EQ(data.mode, TransformData::kPixelMapping);
}

TEST(MappingRecord, OtherVersionsFailWithoutReadingFurther) {
    for (const std::int32_t version : {0, 2, -1, 100, 0x7fffffff}) {
        const std::vector<std::uint8_t> bytes = MappingRecord(version);
        TransformData data;
        Prepare(data);
        const std::vector<std::uint8_t> before = Stored(data);
        Archive archive(bytes.data(), bytes.size());
        EXPECT_FALSE(data.Serialize(archive)) << version;
        EXPECT_EQ(archive.Position(), 4u) << version;
        EXPECT_EQ(Stored(data), before) << version;
    }
}

TEST(MappingRecord, EveryTruncationFailsAndLeavesTheMappingAlone) {
    struct Form {
        const char* what;
        std::vector<std::uint8_t> bytes;
        bool oldBlock;
    };
    ByteWriter old;
    old.I32(-1).I32(-1).I32(0);
    for (int i = 0; i < 9; ++i) {
        old.I32(0x55555555);
    }
    RegionRecord(old);
    old.F64(3).F64(4).F64(30).F64(40).I32(1).I32(1);
    const Form forms[] = {
        {"record", MappingRecord(), false},
        {"record without region", MappingRecord(1, false), false},
        {"old block", old.bytes(), true},
    };
    for (const Form& form : forms) {
        ForEachTruncation(form.bytes, [&](const std::vector<std::uint8_t>& prefix, std::size_t n) {
            TransformData data;
            Prepare(data);
            const std::vector<std::uint8_t> before = Stored(data);
            Archive archive(prefix.data(), prefix.size());
            bool read = true;
            try {
                read = form.oldBlock ? data.ReadOldBlock(archive) : data.Serialize(archive);
            } catch (const ArchiveEndOfFile&) {
                read = false;
            }
            EXPECT_FALSE(read) << form.what << " cut at " << n;
            EXPECT_EQ(Stored(data), before) << form.what << " cut at " << n;
        });
    }
}

TEST(MappingRecord, OldBlockIsAnAxisMappingAtUnitScale) {
    ByteWriter w;
    for (int i = 0; i < 8; ++i) {
        w.U8(0xAB);
    }
    w.I32(0);
    for (int i = 0; i < 36; ++i) {
        w.U8(0xCD);
    }
    ASSERT_EQ(w.size(), 48u);
    RegionRecord(w);
    ASSERT_EQ(w.size(), 320u);
    w.F64(3).F64(4).F64(30).F64(40).I32(1).I32(1);
    ASSERT_EQ(w.size(), 360u);

    TransformData data;
    Prepare(data);
    data.mode = TransformData::kPixelMapping;
    Archive archive(w.bytes().data(), w.size());
    ASSERT_TRUE(data.ReadOldBlock(archive));
    EXPECT_EQ(archive.Position(), 360u);
    EXPECT_EQ(data.limitsSet, 0);
    EXPECT_EQ(data.region.pixelNodes[3], PixelNode(3));
    EXPECT_EQ(data.region.graphNodes[7], GraphNode(7));
    EXPECT_EQ(data.region.angle, 12.5);
    EXPECT_EQ(data.xMin, 3);
    EXPECT_EQ(data.yMin, 4);
    EXPECT_EQ(data.xMax, 30);
    EXPECT_EQ(data.yMax, 40);
    EXPECT_EQ(data.logX, 1);
    EXPECT_EQ(data.logY, 1);
    EXPECT_EQ(data.mode, TransformData::kAxisMapping);
    EXPECT_EQ(data.aspectRatio, 1.0);
    EXPECT_EQ(data.pointsPerLength, 1.0);
}

TEST(MappingRecord, NodesThatAreNotNumbersReadButNeverMap) {
    for (const double bad : {std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity(), 1e308}) {
        ByteWriter w;
        w.I32(1).I32(1).I32(1);
        RegionRecord(w, bad, true);
        w.I32(0).I32(0).F64(0).F64(0).I32(0).F64(1).F64(1).F64(0).F64(0).F64(1).F64(1);
        TransformData data;
        Archive archive(w.bytes().data(), w.size());
        ASSERT_TRUE(data.Serialize(archive));
        DPoint graph{-1, -1};
        EXPECT_FALSE(data.PixelToGraph({1, 1}, graph)) << bad;
        EXPECT_EQ(graph, (DPoint{-1, -1}));
    }
}

} // namespace
