#include "core/ArchiveObjectTable.h"

ArchiveObjectTable& ArchiveObjectTable::Instance() {
    static ArchiveObjectTable table;
    return table;
}

ArchiveObjectTable::~ArchiveObjectTable() { Clear(); }

void ArchiveObjectTable::Clear() {
    // Released after the list is emptied: a release may destroy records, never the table.
    std::vector<Entry> entries;
    entries.swap(entries_);
    positions_.clear();
    for (const Entry& entry : entries) {
        entry.release(entry.holder);
    }
}

std::int32_t ArchiveObjectTable::Find(const void* holder) const {
    auto found = positions_.find(holder);
    return found == positions_.end() ? 0 : found->second;
}

void ArchiveObjectTable::Add(void* holder, const std::type_info& type,
                             void (*addReference)(void*), ReleaseFunction release) {
    auto [it, inserted] = positions_.try_emplace(holder, Count() + 1);
    if (!inserted) {
        return;
    }
    addReference(holder);
    entries_.push_back(Entry{holder, &type, release});
}

void* ArchiveObjectTable::At(std::int32_t position, const std::type_info& type) const {
    if (position < 1 || position > Count()) {
        return nullptr;
    }
    const Entry& entry = entries_[static_cast<std::size_t>(position - 1)];
    return *entry.type == type ? entry.holder : nullptr;
}
