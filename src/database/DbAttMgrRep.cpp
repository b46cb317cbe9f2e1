#include "database/DbAttMgrRep.h"

#include "core/Archive.h"
#include "core/SharedRecord.h"
#include "database/DbPrimRep.h"

void DbAttMgrRep::PrepareChange() {
    all_ = all_->CopyAll();
    activeValid_ = false;
}

void DbAttMgrRep::AddAttribute(const SmartPtr<DbAttRep>& attribute) {
    PrepareChange();
    all_->Append(attribute);
    Notify(DatabaseHint());
}

std::optional<SmartPtr<DbAttRep>> DbAttMgrRep::RemoveAttribute(std::string_view name) {
    if (all_->FindByName(name) < 0) {
        return std::nullopt;
    }
    PrepareChange();
    auto removed = all_->RemoveByName(name);
    Notify(DatabaseHint());
    return removed;
}

std::optional<SmartPtr<DbAttRep>>
DbAttMgrRep::ReplaceAttribute(const SmartPtr<DbAttRep>& attribute) {
    if (all_->FindByName(attribute->name) < 0) {
        return std::nullopt;
    }
    PrepareChange();
    auto old = all_->ReplaceByName(attribute);
    Notify(DatabaseHint());
    return old;
}

SmartPtr<DbAttSetRep> DbAttMgrRep::GetActive() {
    if (!activeValid_) {
        active_ = all_->CopyActive();
        activeValid_ = true;
    }
    return active_;
}

void DbAttMgrRep::StampActive(DbPrimRep& primitive) {
    primitive.SetAttributes(GetActive());
}

bool DbAttMgrRep::Serialize(Archive& archive) {
    const bool done = shared_record::SerializeVersioned(archive, all_);
    if (!archive.IsStoring()) {
        activeValid_ = false;
    }
    return done;
}
