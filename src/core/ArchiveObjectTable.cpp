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
    holder->archivePosition = Count();
}

ArchiveMark* ArchiveObjectTable::At(std::int32_t position, const std::type_info& type) const {
    if (position < 1 || position > Count()) {
        return nullptr;
    }
    const Entry& entry = entries_[static_cast<std::size_t>(position - 1)];
    return *entry.type == type ? entry.holder : nullptr;
}
