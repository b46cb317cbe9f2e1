#include "core/SharedRecord.h"

#include "ByteWriter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// A record with a one-integer body; a negative value is a body that fails to read.
struct Note : dynamic::object {
    static constexpr const char* kTypeName = "class Note";
    Note() = default;
    explicit Note(int v) : value(v) {}
    const char* TypeName() const override { return kTypeName; }
    virtual bool Serialize(Archive& archive) {
        if (archive.IsStoring()) {
            archive.WriteInt32(value);
            return true;
        }
        value = archive.ReadInt32();
        return value >= 0;
    }
    int value = -100;
};

// The polymorphic case: stored under its own name, read into a slot holding a Note.
struct StampedNote : Note {
    static constexpr const char* kTypeName = "class StampedNote";
    const char* TypeName() const override { return kTypeName; }
    bool Serialize(Archive& archive) override {
        if (!Note::Serialize(archive)) {
            return false;
        }
        if (archive.IsStoring()) {
            archive.WriteDouble(stamp);
        } else {
            stamp = archive.ReadDouble();
        }
        return true;
    }
    double stamp = 0.0;
};

// A record of another type, so that a position can name a holder of the wrong kind.
struct Other : dynamic::object {
    static constexpr const char* kTypeName = "class Other";
    const char* TypeName() const override { return kTypeName; }
    bool Serialize(Archive& archive) {
        if (archive.IsStoring()) {
            archive.WriteInt32(0);
        } else {
            archive.ReadInt32();
        }
        return true;
    }
};

const dynamic::factory<StampedNote> stampedNoteFactory;
const dynamic::factory<Other> otherFactory;

template <typename T> void Load(const Bytes& bytes, std::vector<SmartPtr<T>>& into) {
    Archive in(bytes.data(), bytes.size());
    for (SmartPtr<T>& pointer : into) {
        ASSERT_TRUE(shared_record::Read(in, pointer));
    }
    EXPECT_EQ(in.Remaining(), 0u);
}

TEST(SharedRecord, SharedHoldersAreWrittenOnceAndSharedAgainOnLoading) {
    SmartPtr<Note> first(new Note(42));
    SmartPtr<Note> alsoFirst = first;
    SmartPtr<Other> other;
    SmartPtr<Note> second(new Note(7));
    Archive out;
    {
        ArchiveTableSession session;
        shared_record::Write(out, first);
        shared_record::Write(out, other);
        shared_record::Write(out, second);
        shared_record::Write(out, alsoFirst);
        shared_record::Write(out, second);
        EXPECT_EQ(first.UseCount(), 2); // storing takes no reference
    }
    EXPECT_EQ(first.UseCount(), 2);
    EXPECT_EQ(second.UseCount(), 1);

    // Records of every type share one numbering.
    ByteWriter expected;
    expected.I32(101).I32(2).Str("class Note").I32(42);
    expected.I32(101).I32(2).Str("class Other").I32(0);
    expected.I32(101).I32(2).Str("class Note").I32(7);
    expected.I32(101).I32(1).Str("class Note").I32(1);
    expected.I32(101).I32(1).Str("class Note").I32(3);
    EXPECT_EQ(out.Buffer(), expected.bytes());

    std::vector<SmartPtr<Note>> notes(4);
    SmartPtr<Other> loadedOther;
    {
        ArchiveTableSession session;
        Archive in(expected.bytes().data(), expected.size());
        ASSERT_TRUE(shared_record::Read(in, notes[0]));
        ASSERT_TRUE(shared_record::Read(in, loadedOther));
        for (std::size_t i = 1; i < notes.size(); ++i) {
            ASSERT_TRUE(shared_record::Read(in, notes[i]));
        }
        EXPECT_EQ(in.Remaining(), 0u);
    }
    EXPECT_TRUE(notes[0].SharesHolderWith(notes[2]));
    EXPECT_TRUE(notes[1].SharesHolderWith(notes[3]));
    EXPECT_FALSE(notes[0].SharesHolderWith(notes[1]));
    EXPECT_EQ(notes[0]->value, 42);
    EXPECT_EQ(notes[1]->value, 7);
    EXPECT_EQ(notes[0].UseCount(), 2);
    EXPECT_EQ(loadedOther.UseCount(), 1);
}

TEST(SharedRecord, VersionsTagsAndTypeNamesOnReading) {
    struct Case {
        const char* name;
        ByteWriter record;
        bool sharesFirst; // the pointer takes the holder at position 1
        bool sameObject;  // the object in the pointer's own holder was not replaced
        bool stamped;     // the object became a StampedNote
        int value;
    };
    const Case cases[] = {
        {"older file: the first integer is the tag", ByteWriter().I32(2).I32(5), false, true, false,
         5},
        {"older file: tag 0", ByteWriter().I32(0), false, true, false, -100},
        {"older file: a reference", ByteWriter().I32(1).I32(1), true, false, false, 11},
        {"version 100: the name is read, never compared",
         ByteWriter().I32(100).I32(2).Str("class StampedNote").I32(9), false, true, false, 9},
        {"version 100: a reference whose name is not used",
         ByteWriter().I32(100).I32(1).Str("class Nowhere").I32(1), true, false, false, 11},
        {"version 101, own type: no replacement",
         ByteWriter().I32(101).I32(2).Str("class Note").I32(3), false, true, false, 3},
        {"version 101, derived type: replaced through the registry",
         ByteWriter().I32(101).I32(2).Str("class StampedNote").I32(9).F64(2.5), false, false, true,
         9},
        {"version 101, tag 0", ByteWriter().I32(101).I32(0).Str("class Note"), false, true, false,
         -100},
        {"version 101, a reference under another name",
         ByteWriter().I32(101).I32(1).Str("class StampedNote").I32(1), true, false, false, 11},
    };
    for (const Case& c : cases) {
        ByteWriter file;
        file.I32(101).I32(2).Str("class Note").I32(11).Bytes(c.record.bytes());
        SmartPtr<Note> first;
        SmartPtr<Note> target;
        const auto* const holderBefore = target.holder();
        Note* const original = target.get();
        {
            ArchiveTableSession session;
            Archive in(file.bytes().data(), file.size());
            ASSERT_TRUE(shared_record::Read(in, first)) << c.name;
            ASSERT_TRUE(shared_record::Read(in, target)) << c.name;
            EXPECT_EQ(in.Remaining(), 0u) << c.name;
        }
        EXPECT_EQ(target.SharesHolderWith(first), c.sharesFirst) << c.name;
        if (!c.sharesFirst) {
            EXPECT_EQ(target.holder(), holderBefore) << c.name;
            EXPECT_EQ(target.UseCount(), 1) << c.name;
            EXPECT_EQ(target.get() == original, c.sameObject) << c.name;
        }
        const auto* stamped = dynamic_cast<const StampedNote*>(target.get());
        EXPECT_EQ(stamped != nullptr, c.stamped) << c.name;
        if (stamped != nullptr) {
            EXPECT_EQ(stamped->stamp, 2.5) << c.name;
        }
        EXPECT_EQ(target->value, c.value) << c.name;

        // ReadNew gives the same record without a default object made first.
        SmartPtr<Note> firstAgain;
        std::optional<SmartPtr<Note>> made;
        {
            ArchiveTableSession session;
            Archive in(file.bytes().data(), file.size());
            ASSERT_TRUE(shared_record::Read(in, firstAgain)) << c.name;
            made = shared_record::ReadNew<Note>(in);
            ASSERT_TRUE(made.has_value()) << c.name;
            EXPECT_EQ(in.Remaining(), 0u) << c.name;
        }
        EXPECT_EQ(made->SharesHolderWith(firstAgain), c.sharesFirst) << c.name;
        EXPECT_EQ(dynamic_cast<const StampedNote*>(made->get()) != nullptr, c.stamped) << c.name;
        EXPECT_EQ((*made)->value, c.value) << c.name;
    }

    // What Read refuses, ReadNew refuses: a position of another type, a type no factory
    // makes as the record's.
    for (const ByteWriter& bad : {ByteWriter().I32(101).I32(1).Str("class Note").I32(2),
                                  ByteWriter().I32(101).I32(2).Str("class Other").I32(0)}) {
        ByteWriter file;
        file.I32(101).I32(2).Str("class Note").I32(11).I32(101).I32(2).Str("class Other").I32(0);
        ArchiveTableSession session;
        Archive in(file.bytes().data(), file.size());
        SmartPtr<Note> note;
        SmartPtr<Other> other;
        ASSERT_TRUE(shared_record::Read(in, note));
        ASSERT_TRUE(shared_record::Read(in, other));
        Archive wrong(bad.bytes().data(), bad.size());
        EXPECT_FALSE(shared_record::ReadNew<Note>(wrong).has_value());
    }
}

TEST(SharedRecord, ADerivedRecordSurvivesTheRoundTrip) {
    SmartPtr<Note> stored(new StampedNote());
    stored->value = 4;
    static_cast<StampedNote&>(*stored).stamp = -0.5;
    Archive out;
    {
        ArchiveTableSession session;
        shared_record::Write(out, stored);
    }
    ByteWriter expected;
    expected.I32(101).I32(2).Str("class StampedNote").I32(4).F64(-0.5);
    EXPECT_EQ(out.Buffer(), expected.bytes());

    std::vector<SmartPtr<Note>> loaded(1);
    {
        ArchiveTableSession session;
        Load(out.Buffer(), loaded);
    }
    const auto* stamped = dynamic_cast<const StampedNote*>(loaded[0].get());
    ASSERT_NE(stamped, nullptr);
    EXPECT_EQ(stamped->value, 4);
    EXPECT_EQ(stamped->stamp, -0.5);
}

// Primitives start out sharing one empty attribute list; a record read into a pointer
// whose holder others share must not change what the others hold.
TEST(SharedRecord, ABodyIsNeverReadIntoAHolderThatOthersShare) {
    SmartPtr<Note> shared;
    shared->value = 1;
    SmartPtr<Note> target = shared;
    ByteWriter file;
    file.I32(101).I32(2).Str("class StampedNote").I32(9).F64(2.5);
    {
        ArchiveTableSession session;
        Archive in(file.bytes().data(), file.size());
        ASSERT_TRUE(shared_record::Read(in, target));
    }
    EXPECT_FALSE(target.SharesHolderWith(shared));
    EXPECT_EQ(target->value, 9);
    EXPECT_EQ(shared->value, 1);
    EXPECT_EQ(dynamic_cast<StampedNote*>(shared.get()), nullptr);
}

TEST(SharedRecord, CorruptRecordsFailWithoutHarm) {
    struct Case {
        const char* name;
        ByteWriter record;
        bool ok;
    };
    // The table holds a Note at 1 and an Other at 2.
    const Case cases[] = {
        {"position of a Note", ByteWriter().I32(101).I32(1).Str("class Note").I32(1), true},
        {"position past the table", ByteWriter().I32(101).I32(1).Str("class Note").I32(3), false},
        {"position 0", ByteWriter().I32(101).I32(1).Str("class Note").I32(0), false},
        {"negative position", ByteWriter().I32(101).I32(1).Str("class Note").I32(-1), false},
        {"lowest position", ByteWriter().I32(101).I32(1).Str("class Note").I32(INT32_MIN), false},
        {"position of another record type", ByteWriter().I32(101).I32(1).Str("class Note").I32(2),
         false},
        {"older file, position past the table", ByteWriter().I32(1).I32(9), false},
        {"a type no factory makes", ByteWriter().I32(101).I32(2).Str("class Nothing").I32(1),
         false},
        {"a type made, but not a Note", ByteWriter().I32(101).I32(2).Str("class Other").I32(1),
         false},
        {"names compare case-sensitively",
         ByteWriter().I32(101).I32(2).Str("class stampednote").I32(1).F64(0), false},
        {"a body that fails", ByteWriter().I32(101).I32(2).Str("class Note").I32(-5), false},
    };
    for (const Case& c : cases) {
        ByteWriter file;
        file.I32(101).I32(2).Str("class Note").I32(11);
        file.I32(101).I32(2).Str("class Other").I32(0);
        file.Bytes(c.record.bytes());
        SmartPtr<Note> note;
        SmartPtr<Other> other;
        SmartPtr<Note> target;
        Note* const original = target.get();
        bool ok = false;
        {
            ArchiveTableSession session;
            Archive in(file.bytes().data(), file.size());
            ASSERT_TRUE(shared_record::Read(in, note));
            ASSERT_TRUE(shared_record::Read(in, other));
            ok = shared_record::Read(in, target);
        }
        EXPECT_EQ(ok, c.ok) << c.name;
        if (!ok) {
            EXPECT_FALSE(target.SharesHolderWith(note)) << c.name;
            EXPECT_EQ(target.get(), original) << c.name;
        }
        EXPECT_EQ(target.UseCount(), c.ok ? 2 : 1) << c.name;
    }
}

TEST(SharedRecord, TheTableKeepsAHolderAliveThatTheReaderLetGo) {
    ByteWriter file;
    file.I32(101).I32(2).Str("class Note").I32(5);
    file.I32(101).I32(1).Str("class Note").I32(1);
    SmartPtr<Note> later;
    {
        ArchiveTableSession session;
        Archive in(file.bytes().data(), file.size());
        SmartPtr<Note> first;
        ASSERT_TRUE(shared_record::Read(in, first));
        first = SmartPtr<Note>();
        ASSERT_TRUE(shared_record::Read(in, later));
    }
    EXPECT_EQ(later->value, 5);
    EXPECT_EQ(later.UseCount(), 1);
}

TEST(SharedRecord, ASessionReleasesTheTableWhenTheFileEndsEarly) {
    ByteWriter file;
    file.I32(101).I32(2).Str("class StampedNote").I32(5); // the stamp is missing
    SmartPtr<Note> target;
    try {
        ArchiveTableSession session;
        Archive in(file.bytes().data(), file.size());
        (void)shared_record::Read(in, target);
        ADD_FAILURE() << "the truncated body was read";
    } catch (const ArchiveEndOfFile&) {
    }
    EXPECT_EQ(target.UseCount(), 1);
    EXPECT_EQ(ArchiveObjectTable::Instance().Count(), 0);
}

TEST(ArchiveObjectTable, NumbersHoldersFromOneInOrderOfAddition) {
    SmartPtr<Note> a;
    SmartPtr<Note> b;
    SmartPtr<Other> c;
    SmartPtr<Note> absent;
    {
        ArchiveTableSession session;
        ArchiveObjectTable& table = ArchiveObjectTable::Instance();
        shared_record::TableAdd<Note>(a.holder());
        shared_record::TableAdd<Other>(c.holder());
        shared_record::TableAdd<Note>(b.holder());
        shared_record::TableAdd<Note>(a.holder()); // already present: no new position
        EXPECT_EQ(table.Count(), 3);
        EXPECT_EQ(table.Find(a.holder()), 1);
        EXPECT_EQ(table.Find(c.holder()), 2);
        EXPECT_EQ(table.Find(b.holder()), 3);
        EXPECT_EQ(table.Find(absent.holder()), 0);
        EXPECT_EQ(table.At(3, typeid(Note)), b.holder());
        EXPECT_EQ(table.At(2, typeid(Note)), nullptr);
        EXPECT_EQ(a.UseCount(), 2);
        EXPECT_EQ(absent.UseCount(), 1);
    }
    EXPECT_EQ(ArchiveObjectTable::Instance().Count(), 0);
    EXPECT_EQ(ArchiveObjectTable::Instance().Find(a.holder()), 0);
    EXPECT_EQ(a.UseCount(), 1);
    EXPECT_EQ(b.UseCount(), 1);
    EXPECT_EQ(c.UseCount(), 1);
}

// Storing numbers holders in their marks only: the same numbering as loading, without
// references or entries that a reader could share.
TEST(ArchiveObjectTable, StoringMarksHoldersWithoutTakingThem) {
    SmartPtr<Note> a;
    SmartPtr<Note> b;
    {
        ArchiveTableSession session;
        ArchiveObjectTable& table = ArchiveObjectTable::Instance();
        table.Mark(a.holder());
        table.Mark(b.holder());
        table.Mark(a.holder()); // already numbered
        EXPECT_EQ(table.Count(), 2);
        EXPECT_EQ(table.Find(a.holder()), 1);
        EXPECT_EQ(table.Find(b.holder()), 2);
        EXPECT_EQ(table.At(1, typeid(Note)), nullptr);
        EXPECT_EQ(a.UseCount(), 1);
    }
    EXPECT_EQ(ArchiveObjectTable::Instance().Count(), 0);
    EXPECT_EQ(ArchiveObjectTable::Instance().Find(b.holder()), 0);
}

// Records every name it is asked about and accepts only its own.
class LoggingFactory : public dynamic::abstract_factory {
public:
    LoggingFactory(std::vector<int>& log, int id, std::string accepts)
        : log_(log), id_(id), accepts_(std::move(accepts)), node_(this) {}
    std::unique_ptr<dynamic::object> Create(std::string_view typeName) const override {
        log_.push_back(id_);
        if (typeName != accepts_) {
            return nullptr;
        }
        auto made = std::make_unique<Note>();
        made->value = id_;
        return made;
    }

private:
    std::vector<int>& log_;
    int id_;
    std::string accepts_;
    dynamic::factory_list_ele node_;
};

int MadeBy(std::string_view typeName) {
    std::unique_ptr<dynamic::object> made = dynamic::CreateByTypeName(typeName);
    const auto* note = dynamic_cast<const Note*>(made.get());
    return note != nullptr ? note->value : 0;
}

TEST(FactoryRegistry, WalksFromTheNewestAndForgetsDestroyedFactories) {
    std::vector<int> log;
    auto one = std::make_unique<LoggingFactory>(log, 1, "class Twin");
    auto two = std::make_unique<LoggingFactory>(log, 2, "class Two");
    auto three = std::make_unique<LoggingFactory>(log, 3, "class Twin");

    EXPECT_EQ(MadeBy("class Twin"), 3); // the newest wins and ends the walk
    EXPECT_EQ(log, (std::vector<int>{3}));
    log.clear();
    EXPECT_EQ(MadeBy("class Unknown"), 0);
    EXPECT_EQ(log, (std::vector<int>{3, 2, 1}));

    two.reset(); // from the middle of the list
    log.clear();
    EXPECT_EQ(MadeBy("class Two"), 0);
    EXPECT_EQ(log, (std::vector<int>{3, 1}));
    three.reset(); // the head
    EXPECT_EQ(MadeBy("class Twin"), 1);
    one.reset();
    log.clear();
    EXPECT_EQ(MadeBy("class Twin"), 0);
    EXPECT_TRUE(log.empty());

    // The static factories below them are still reached.
    std::unique_ptr<dynamic::object> made = dynamic::CreateByTypeName("class StampedNote");
    EXPECT_NE(dynamic_cast<StampedNote*>(made.get()), nullptr);
    EXPECT_EQ(dynamic::CreateByTypeName("class StampedNote "), nullptr);
    EXPECT_EQ(dynamic::CreateByTypeName("class Note"), nullptr);
}

} // namespace
