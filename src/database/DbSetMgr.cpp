#include "database/DbSetMgr.h"

#include "core/Archive.h"
#include "core/SharedRecord.h"
#include "database/DbSetX1.h"
#include "database/DbSetX2.h"
#include "database/DbSetX3.h"
#include "database/ExportOptions.h"
#include "draw/DrawContext.h"

#include <algorithm>

namespace {
// A set record is at least its slot index, its version and a one-byte empty name.
constexpr std::size_t kMinSetRecord = 4 + 4 + 1;
// Slots are allocated before their records are read; a file must hold at least this many
// bytes per slot it claims (a set record for each slot, or at least a word where the block
// has no set records), which bounds what a hostile count can make us allocate.
constexpr std::size_t kMinBytesPerBareSlot = 4;
} // namespace

DbSetMgr::DbSetMgr() = default;

bool DbSetMgr::HasName(std::string_view name) const {
    for (const SmartPtr<DbPrimSetRep>& set : sets_) {
        if (set->name == name) {
            return true;
        }
    }
    return false;
}

// "Line" -> "Line.1"; a name whose text from its last dot holds a digit 1..9 loses that
// suffix first ("Line.1" -> "Line.2", "Line.3x" -> "Line.1"), while "Data.0" keeps it.
std::string DbSetMgr::UniqueName(const std::string& name) const {
    std::string stem = name;
    const std::size_t dot = stem.rfind('.');
    if (dot != std::string::npos && stem.find_first_of("123456789", dot) != std::string::npos) {
        stem.resize(dot);
    }
    for (int n = 1;; ++n) {
        std::string candidate = stem + "." + std::to_string(n);
        if (!HasName(candidate)) {
            return candidate;
        }
    }
}

std::int32_t DbSetMgr::NewSet(const std::string& name) {
    const std::string unique = HasName(name) ? UniqueName(name) : name;
    std::int32_t slot = -1;
    for (std::int32_t i = 0; i < sets_.Count(); ++i) {
        if (sets_[i]->IsPlaceholder()) {
            slot = i;
            break;
        }
    }
    if (slot < 0) {
        slot = sets_.Count();
        sets_.ReserveInTens(slot + 1);
        sets_.SetCount(slot + 1);
        sets_[slot] = SmartPtr<DbPrimSetRep>();
    }
    sets_[slot]->Rename(unique);
    SelectSet(slot);
    return slot;
}

void DbSetMgr::SelectSet(std::int32_t index) {
    current_ = index;
    Notify(DatabaseHint());
}

std::int32_t DbSetMgr::AddPrimitive(const SmartPtr<DbPrimRep>& primitive, std::int32_t setIndex) {
    if (setIndex < 0) {
        setIndex = current_;
    }
    sets_[setIndex]->Append(primitive);
    attributes_->StampActive(*primitive);
    Notify(DatabaseHint());
    return setIndex;
}

void DbSetMgr::RemovePrimitive(const SmartPtr<DbPrimRep>& primitive, std::int32_t setIndex) {
    sets_[setIndex]->Remove(primitive);
}

std::unique_ptr<DbMemento> DbSetMgr::ClearAll() {
    auto memento = std::make_unique<DbSetX3>();
    memento->count = sets_.Count();
    memento->current = current_;
    memento->sets.Reserve(sets_.Count());
    for (std::int32_t i = 0; i < sets_.Count(); ++i) {
        memento->sets[i] = sets_[i];
        sets_[i] = SmartPtr<DbPrimSetRep>();
    }
    memento->sets.SetCount(sets_.Count());
    current_ = -1;
    sets_.SetCount(0);
    NewSet("Line.1");
    return memento;
}

std::unique_ptr<DbMemento> DbSetMgr::ClearCurrentSet() {
    auto memento = std::make_unique<DbSetX1>(sets_[current_], current_);
    sets_[current_] = SmartPtr<DbPrimSetRep>(new DbPrimSetRep(memento->set->name));
    return memento;
}

std::int32_t DbSetMgr::LiveCount() const {
    std::int32_t live = 0;
    for (std::int32_t i = 0; i < sets_.Count(); ++i) {
        live += IsLive(i) ? 1 : 0;
    }
    return live;
}

std::unique_ptr<DbMemento> DbSetMgr::DeleteSet(std::int32_t index) {
    if (sets_.Count() == 1 || LiveCount() <= 1) {
        return ClearAll();
    }
    auto memento = std::make_unique<DbSetX2>(sets_[index], index);
    sets_[index] = SmartPtr<DbPrimSetRep>();
    std::int32_t next = current_;
    if (index == current_) {
        next = -1;
        for (std::int32_t i = index + 1; i < sets_.Count() && next < 0; ++i) {
            next = IsLive(i) ? i : -1;
        }
        for (std::int32_t i = index - 1; i >= 0 && next < 0; --i) {
            next = IsLive(i) ? i : -1;
        }
    }
    SelectSet(next);
    return memento;
}

void DbSetMgr::Restore(std::unique_ptr<DbMemento> memento) {
    if (memento) {
        memento->Restore(*this);
    }
}

std::int32_t DbSetMgr::GetCurrentCount() const {
    return current_ >= 0 && current_ < sets_.Count() ? sets_[current_]->GetCount() : 0;
}

std::int32_t DbSetMgr::GetTotalCount() const {
    std::int32_t total = 0;
    for (const SmartPtr<DbPrimSetRep>& set : sets_) {
        total += set->GetCount();
    }
    return total;
}

std::int32_t DbSetMgr::ListSets(std::vector<std::pair<std::string, std::int32_t>>& list) const {
    list.clear();
    for (std::int32_t i = 0; i < sets_.Count(); ++i) {
        list.emplace_back(sets_[i]->name, i);
    }
    return current_;
}

void DbSetMgr::DrawSets(DrawContext& context) {
    for (std::int32_t i = 0; i < sets_.Count(); ++i) {
        const bool isCurrent = i == current_;
        context.SelectPen(Pen{isCurrent ? kCurrentColour : kOtherColour, 0, PenStyle::Solid});
        if (isCurrent) {
            context.UseCurrentSetMarker();
        } else {
            context.UseOtherSetMarker();
        }
        sets_[i]->DrawAll(context);
    }
}

void DbSetMgr::NotifyAll() {
    Notify(DatabaseHint());
    attributes_->Notify(DatabaseHint());
}

bool DbSetMgr::Serialize(Archive& archive) {
    if (archive.IsStoring()) {
        archive.WriteInt32(1);
        archive.WriteInt32(sets_.Count());
        archive.WriteInt32(sets_.Count());
        archive.WriteInt32(current_);
        for (std::int32_t i = 0; i < sets_.Count(); ++i) {
            archive.WriteInt32(i);
            sets_[i]->Serialize(archive);
        }
        shared_record::Write(archive, attributes_, DbAttMgrRep::kTypeName);
        return true;
    }

    const std::int32_t version = archive.ReadInt32();
    sets_.SetCount(0);
    current_ = -1;
    const std::int32_t records = archive.ReadInt32();
    const std::int32_t count = archive.ReadInt32();
    const std::int32_t current = archive.ReadInt32();
    const std::size_t remaining = archive.Remaining();
    const std::size_t perSlot = version == 1 ? kMinSetRecord : kMinBytesPerBareSlot;
    if (count < 1 || static_cast<std::size_t>(count) > remaining / perSlot || current < 0 ||
        current >= count) {
        return false;
    }
    if (version == 1 &&
        (records < 0 || static_cast<std::size_t>(records) > remaining / kMinSetRecord)) {
        return false;
    }
    sets_.ReserveInTens(std::max(count, 10));
    for (std::int32_t i = 0; i < count; ++i) {
        sets_[i] = SmartPtr<DbPrimSetRep>();
    }
    sets_.SetCount(count);
    // Until the block is complete the manager keeps a usable current index, so that a
    // failed read leaves it destroyable and drawable.
    current_ = 0;
    if (version == 1) {
        for (std::int32_t r = 0; r < records; ++r) {
            const std::int32_t slot = archive.ReadInt32();
            if (slot < 0 || slot >= count) {
                return false;
            }
            sets_[slot] = SmartPtr<DbPrimSetRep>();
            if (!sets_[slot]->Serialize(archive)) {
                return false;
            }
        }
    }
    if (!shared_record::Read(archive, attributes_)) {
        return false;
    }
    SelectSet(current);
    return true;
}

std::int32_t DbSetMgr::ExportAllSets(std::string& text, std::string_view separator,
                                     const ExportOptions& options) const {
    for (const SmartPtr<DbPrimSetRep>& set : sets_) {
        text.append(set->name);
        text.push_back('\n');
        set->ExportText(text, separator, options);
        text.push_back('\n');
    }
    return sets_.Count();
}

void DbSetMgr::ExportCurrentSet(std::string& text, std::string_view separator,
                                const ExportOptions& options) const {
    if (current_ < 0 || current_ >= sets_.Count()) {
        return;
    }
    const DbPrimSetRep& set = *sets_[current_];
    text.append(set.name);
    text.push_back('\n');
    set.ExportText(text, separator, options);
}
