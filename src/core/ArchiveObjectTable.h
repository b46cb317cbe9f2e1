#pragma once

#include "core/ArchiveMark.h"

#include <cstdint>
#include <typeinfo>
#include <vector>

// The process-wide table of shared holders, numbered from 1 in order of addition, through
// which a record shared by several owners is written once and shared again when read.
//
// Finding a holder reads the mark in the holder (no search), so saving a million points
// that share one attribute list stays linear. Each entry keeps a reference on its holder
// and remembers the holder's element type: a corrupt file can neither make a reader share
// a holder that an earlier step of the same load released, nor share a holder of one
// record type as another.
class ArchiveObjectTable {
public:
    using ReferenceFunction = void (*)(ArchiveMark*);

    static ArchiveObjectTable& Instance();

    ~ArchiveObjectTable();

    // Empties the table and starts a new session, which makes every mark stale.
    void Clear();
    // The 1-based position of the holder, or 0 when it is absent.
    std::int32_t Find(const ArchiveMark* holder) const;
    // Appends the holder unless it is present; the table takes one reference on it. Loading
    // uses this: a later record may share the holder by its position.
    void Add(ArchiveMark* holder, const std::type_info& type, ReferenceFunction addReference,
             ReferenceFunction release);
    // Gives a holder that is being stored the next position, in its mark only, unless it has
    // one. Storing uses this: the records outlive the save and nothing is looked up by
    // position, so no reference and no entry are needed, and a save of a million points
    // costs the table no memory. A session either stores or loads, never both.
    void Mark(ArchiveMark* holder);
    // The holder at a 1-based position when it holds that type, else null.
    ArchiveMark* At(std::int32_t position, const std::type_info& type) const;
    std::int32_t Count() const { return count_; }

private:
    struct Entry {
        ArchiveMark* holder;
        const std::type_info* type;
        ReferenceFunction release;
    };
    std::vector<Entry> entries_;
    std::uint64_t session_ = 1;
    std::int32_t count_ = 0; // positions given in this session, by Add or Mark
};

// Clears the table when a save or load of a database starts and again when it ends, so
// the table's references never outlive the operation.
class ArchiveTableSession {
public:
    ArchiveTableSession() { ArchiveObjectTable::Instance().Clear(); }
    ~ArchiveTableSession() { ArchiveObjectTable::Instance().Clear(); }
    ArchiveTableSession(const ArchiveTableSession&) = delete;
    ArchiveTableSession& operator=(const ArchiveTableSession&) = delete;
};
