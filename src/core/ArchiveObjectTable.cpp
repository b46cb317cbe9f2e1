#include "core/ArchiveObjectTable.h"

ArchiveObjectTable& ArchiveObjectTable::Instance() {
    static ArchiveObjectTable table;
    return table;
}

ArchiveObjectTable::~ArchiveObjectTable() {
    Clear();
}

void ArchiveObjectTable::Clear() {
    // Released after the list is emptied: a release may destroy records, never the table.
    std::vector<Entry> entries;
    entries.swap(entries_);
    ++session_;
    count_ = 0;
    for (const Entry& entry : entries) {
        entry.release(entry.holder);
    }
}

std::int32_t ArchiveObjectTable::Find(const ArchiveMark* holder) const {
    return holder->archiveSession == session_ ? holder->archivePosition : 0;
}

void ArchiveObjectTable::Add(ArchiveMark* holder, const std::type_info& type,
                             ReferenceFunction addReference, ReferenceFunction release) {
    if (Find(holder) != 0) {
        return;
    }
    addReference(holder);
    entries_.push_back(Entry{holder, &type, release});
    holder->archiveSession = session_;
    holder->archivePosition = ++count_;
}

void ArchiveObjectTable::Mark(ArchiveMark* holder) {
    if (Find(holder) != 0) {
        return;
    }
    holder->archiveSession = session_;
    holder->archivePosition = ++count_;
}

ArchiveMark* ArchiveObjectTable::At(std::int32_t position, const std::type_info& type) const {
    // Positions given by Mark have no entries to share.
    if (position < 1 || static_cast<std::size_t>(position) > entries_.size()) {
        return nullptr;
    }
    const Entry& entry = entries_[static_cast<std::size_t>(position - 1)];
    return *entry.type == type ? entry.holder : nullptr;
}
