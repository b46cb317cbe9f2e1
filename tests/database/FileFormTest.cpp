#include "ByteWriter.h"
#include "Truncations.h"
#include "core/Archive.h"
#include "core/ArchiveObjectTable.h"
#include "database/DbAttPrimRep.h"
#include "database/DbPointRep.h"
#include "database/DbSetMgr.h"
#include "database/ExportOptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

// Reads a set-manager block into a fresh manager; an end-of-file error counts as failure.
bool ReadBlock(const std::vector<std::uint8_t>& bytes, DbSetMgr& manager) {
    ArchiveTableSession session;
    Archive archive(bytes.data(), bytes.size());
    try {
        return manager.Serialize(archive);
    } catch (const ArchiveEndOfFile&) {
        return false;
    }
}

std::vector<std::uint8_t> WriteBlock(DbSetMgr& manager) {
    ArchiveTableSession session;
    Archive archive;
    manager.Serialize(archive);
    return archive.TakeBuffer();
}

ByteWriter& AttributeBody(ByteWriter& w, const char* name, const char* value, int active) {
    return w.I32(1).Str(name).Str(value).I32(active);
}

ByteWriter& PointBody(ByteWriter& w, const std::function<void(ByteWriter&)>& attributes, double gx,
                      double gy, double px, double py) {
    w.I32(1);
    attributes(w);
    return w.I32(1).F64(gx).F64(gy).F64(px).F64(py);
}

// One set "Line" with two points that share one attribute list holding Run=7, a set
// attribute entry Note=x, and the manager's list that shares the attribute Run.
// Table positions: 1 first point, 2 its list, 3 Run, 4 second point, 5 entry, 6 Note,
// 7 the manager, 8 the manager's list.
std::vector<std::uint8_t> SampleBlock() {
    ByteWriter w;
    w.I32(1).I32(1).I32(1).I32(0); // version, records, slots, current
    w.I32(0).I32(2).Str("Line").I32(3);
    w.I32(101).I32(2).Str("class DbPointRep");
    PointBody(
        w,
        [](ByteWriter& a) {
            a.I32(101).I32(2).Str("class DbAttSetRep").I32(1).I32(1);
            a.I32(101).I32(2).Str("class DbAttRep");
            AttributeBody(a, "Run", "7", 1);
        },
        1.5, 2.5, 10, 20);
    w.I32(101).I32(2).Str("class DbPointRep");
    PointBody(
        w, [](ByteWriter& a) { a.I32(101).I32(1).Str("class DbAttSetRep").I32(2); }, 3.5, 4.5, 30,
        40);
    w.I32(101).I32(2).Str("class DbAttPrimRep").I32(1);
    w.I32(101).I32(2).Str("class DbAttRep");
    AttributeBody(w, "Note", "x", 1);
    w.I32(101).I32(2).Str("class DbAttMgrRep").I32(1);
    w.I32(101).I32(2).Str("class DbAttSetRep").I32(1).I32(1);
    w.I32(101).I32(1).Str("class DbAttRep").I32(3);
    return w.bytes();
}

TEST(SetManagerBlock, ReadsHandBuiltBytesAndSharesRecordsAgain) {
    DbSetMgr manager;
    ASSERT_TRUE(ReadBlock(SampleBlock(), manager));
    ASSERT_EQ(manager.GetSlotCount(), 1);
    const DbPrimSetRep& set = *manager.GetSet(0);
    EXPECT_EQ(set.name, "Line");
    ASSERT_EQ(set.GetCount(), 3);
    auto* first = dynamic_cast<DbPointRep*>(set[0].get());
    auto* second = dynamic_cast<DbPointRep*>(set[1].get());
    auto* entry = dynamic_cast<DbAttPrimRep*>(set[2].get());
    ASSERT_TRUE(first && second && entry);
    EXPECT_EQ(first->graph, (DPoint{1.5, 2.5}));
    EXPECT_EQ(second->pixel, (DPoint{30, 40}));
    EXPECT_TRUE(first->attributes.SharesHolderWith(second->attributes));
    EXPECT_EQ(entry->attribute->name, "Note");
    const DbAttSetRep& all = manager.GetAttributeManager()->All();
    ASSERT_EQ(all.Count(), 1);
    EXPECT_TRUE(all[0].SharesHolderWith((*first->attributes)[0]));
    // The active list is rebuilt from what was read.
    EXPECT_EQ(manager.GetAttributeManager()->GetActive()->Count(), 1);
}

TEST(SetManagerBlock, WritesExactlyTheLayoutItReads) {
    DbSetMgr manager;
    ASSERT_TRUE(ReadBlock(SampleBlock(), manager));
    EXPECT_EQ(WriteBlock(manager), SampleBlock());
}

TEST(SetManagerBlock, RoundTripKeepsPlaceholdersCurrentAndSharing) {
    DbSetMgr manager;
    manager.NewSet("Line");
    manager.NewSet("Deleted");
    manager.NewSet("Third");
    manager.GetAttributeManager()->AddAttribute(SmartPtr<DbAttRep>(new DbAttRep("S", "v", 1)));
    for (int i = 0; i < 10; ++i) {
        auto* point = new DbPointRep(DPoint{double(i), 0});
        manager.AddPrimitive(SmartPtr<DbPrimRep>(point), 2);
    }
    auto memento = manager.DeleteSet(1);
    manager.SelectSet(2);
    const std::vector<std::uint8_t> bytes = WriteBlock(manager);

    // The ten points' shared list is written in full once, then referenced.
    const std::string text(bytes.begin(), bytes.end());
    std::size_t full = 0;
    for (std::size_t at = text.find("class DbAttSetRep"); at != std::string::npos;
         at = text.find("class DbAttSetRep", at + 1)) {
        full += bytes[at - 5] == 2 ? 1 : 0; // the tag precedes the one-byte length
    }
    EXPECT_EQ(full, 2u); // the points' list and the manager's list

    DbSetMgr loaded;
    ASSERT_TRUE(ReadBlock(bytes, loaded));
    EXPECT_EQ(loaded.GetSlotCount(), 3);
    EXPECT_EQ(loaded.GetCurrent(), 2);
    EXPECT_TRUE(loaded.GetSet(1)->IsPlaceholder());
    const DbPrimSetRep& third = *loaded.GetSet(2);
    ASSERT_EQ(third.GetCount(), 10);
    for (int i = 1; i < 10; ++i) {
        EXPECT_TRUE(third[i]->attributes.SharesHolderWith(third[0]->attributes));
    }
    EXPECT_EQ(loaded.NewSet("Again"), 1); // the placeholder is reused
}

TEST(SetManagerBlock, ReadsOlderForms) {
    // Set version 1 holds bare point bodies; records below version 100 carry no type name
    // and version 100 names a type that is never compared; block version 2 has no sets.
    ByteWriter w;
    w.I32(1).I32(2).I32(2).I32(1);
    w.I32(0).I32(1).Str("Old").I32(77).I32(2);
    PointBody(
        w, [](ByteWriter& a) { a.I32(2).I32(1).I32(0); }, 1, 2, 3, 4);
    PointBody(
        w, [](ByteWriter& a) { a.I32(1).I32(1); }, 5, 6, 7, 8);
    w.I32(1).I32(2).Str("Mixed").I32(1);
    w.I32(100).I32(2).Str("class Whatever").I32(1).I32(0); // stays a bare primitive
    w.I32(2).I32(1).I32(0);
    DbSetMgr manager;
    ASSERT_TRUE(ReadBlock(w.bytes(), manager));
    const DbPrimSetRep& old = *manager.GetSet(0);
    ASSERT_EQ(old.GetCount(), 2);
    EXPECT_EQ(dynamic_cast<DbPointRep&>(*old[1]).graph, (DPoint{5, 6}));
    EXPECT_TRUE(old[0]->attributes.SharesHolderWith(old[1]->attributes));
    ASSERT_EQ(manager.GetSet(1)->GetCount(), 1);
    EXPECT_EQ((*manager.GetSet(1))[0]->Kind(), 1);
    EXPECT_EQ(manager.GetCurrent(), 1);

    ByteWriter v2;
    v2.I32(2).I32(0).I32(2).I32(1).I32(2).I32(1).I32(0);
    DbSetMgr empty;
    ASSERT_TRUE(ReadBlock(v2.bytes(), empty));
    EXPECT_EQ(empty.GetSlotCount(), 2);
    EXPECT_EQ(empty.GetCurrent(), 1);
    EXPECT_EQ(empty.GetTotalCount(), 0);
}

TEST(SetManagerBlock, EveryTruncationFailsCleanly) {
    const std::vector<std::uint8_t> bytes = SampleBlock();
    ForEachTruncation(bytes, [](const std::vector<std::uint8_t>& prefix, std::size_t length) {
        DbSetMgr manager;
        EXPECT_FALSE(ReadBlock(prefix, manager)) << length;
        std::string text;
        manager.ExportAllSets(text, " ", ExportOptions{}); // still usable after a failure
    });
}

TEST(SetManagerBlock, RefusesHostileCountsIndexesAndRecords) {
    struct Case {
        const char* what;
        std::function<void(ByteWriter&)> build;
    };
    const auto set = [](ByteWriter& w, std::int32_t n) {
        w.I32(1).I32(1).I32(1).I32(0).I32(0).I32(2).Str("L").I32(n);
    };
    const std::vector<Case> cases = {
        {"two billion slots",
         [](ByteWriter& w) {
             w.I32(1).I32(1).I32(2000000000).I32(0).Bytes(std::vector<std::uint8_t>(24));
         }},
        {"negative slot count", [](ByteWriter& w) { w.I32(1).I32(0).I32(-1).I32(0).I32(0); }},
        {"no slots", [](ByteWriter& w) { w.I32(1).I32(0).I32(0).I32(-1).I32(0); }},
        {"two billion records",
         [](ByteWriter& w) { w.I32(1).I32(2000000000).I32(1).I32(0).I32(0); }},
        {"current past the slots", [](ByteWriter& w) { w.I32(1).I32(0).I32(1).I32(1).I32(0); }},
        {"negative current", [](ByteWriter& w) { w.I32(1).I32(0).I32(1).I32(-1).I32(0); }},
        {"slot index past the slots",
         [](ByteWriter& w) { w.I32(1).I32(1).I32(1).I32(0).I32(1).I32(2).Str("L").I32(0).I32(0); }},
        {"negative slot index",
         [](ByteWriter& w) {
             w.I32(1).I32(1).I32(1).I32(0).I32(-1).I32(2).Str("L").I32(0).I32(0);
         }},
        {"two billion primitives",
         [&](ByteWriter& w) {
             set(w, 2000000000);
             w.I32(0).I32(0).I32(0).I32(0);
         }},
        {"negative primitives",
         [&](ByteWriter& w) {
             set(w, -5);
             w.I32(0);
         }},
        {"old set with two billion points",
         [](ByteWriter& w) {
             w.I32(1).I32(1).I32(1).I32(0).I32(0).I32(1).Str("L").I32(0).I32(2000000000).I32(0);
         }},
        {"position not in the table",
         [&](ByteWriter& w) {
             set(w, 1);
             w.I32(101).I32(1).Str("class DbPointRep").I32(9).I32(0);
         }},
        {"position zero",
         [&](ByteWriter& w) {
             set(w, 1);
             w.I32(1).I32(0).I32(0);
         }},
        {"unknown type name",
         [&](ByteWriter& w) {
             set(w, 1);
             w.I32(101).I32(2).Str("class Nope").I32(1).I32(0).I32(0);
         }},
        {"attribute where a primitive belongs",
         [&](ByteWriter& w) {
             set(w, 1);
             w.I32(101).I32(2).Str("class DbAttRep").I32(1).Str("a").Str("b").I32(1).I32(0);
         }},
        // The point is position 1; sharing it as an attribute list must not type-pun it.
        {"position of another record type",
         [&](ByteWriter& w) {
             set(w, 1);
             w.I32(101)
                 .I32(2)
                 .Str("class DbPointRep")
                 .I32(1)
                 .I32(101)
                 .I32(1)
                 .Str("class DbAttSetRep")
                 .I32(1)
                 .I32(0);
         }},
        {"two billion attributes",
         [&](ByteWriter& w) {
             set(w, 0);
             w.I32(101)
                 .I32(2)
                 .Str("class DbAttMgrRep")
                 .I32(1)
                 .I32(101)
                 .I32(2)
                 .Str("class DbAttSetRep")
                 .I32(1)
                 .I32(2000000000)
                 .I32(0);
         }},
        {"wrong manager type",
         [&](ByteWriter& w) {
             set(w, 0);
             w.I32(101).I32(2).Str("class DbPointRep").I32(1).I32(0).I32(1);
         }},
    };
    for (const Case& c : cases) {
        ByteWriter w;
        c.build(w);
        DbSetMgr manager;
        EXPECT_FALSE(ReadBlock(w.bytes(), manager)) << c.what;
    }
}

} // namespace
