#pragma once

#include "core/Dynamic.h"
#include "core/Observer.h"
#include "core/SmartPtr.h"
#include "database/DbAttSetRep.h"

#include <optional>
#include <string_view>

class Archive;
class DbPrimRep;

// The document's attributes in order of creation, with the list of the active ones that
// new primitives are stamped with. The active list is built on demand and shared by every
// primitive stamped until the next change, so the document file stores it once.
class DbAttMgrRep : public Observer, public dynamic::object {
public:
    static constexpr const char* kTypeName = "class DbAttMgrRep";

    const char* TypeName() const override { return kTypeName; }

    // Each change notifies the manager's observers (the attributes panel).
    void AddAttribute(const SmartPtr<DbAttRep>& attribute);
    std::optional<SmartPtr<DbAttRep>> RemoveAttribute(std::string_view name);
    std::optional<SmartPtr<DbAttRep>> ReplaceAttribute(const SmartPtr<DbAttRep>& attribute);

    SmartPtr<DbAttSetRep> GetActive();
    void StampActive(DbPrimRep& primitive);
    SmartPtr<DbAttSetRep> CopyAll() const { return all_->CopyAll(); }
    // The list itself, for reading; never change it.
    const DbAttSetRep& All() const { return *all_; }

    // Body: int32 1 (version, ignored on reading), the shared-object record of all.
    bool Serialize(Archive& archive);

private:
    // Lists are never changed once they may have been handed out (to the panel, to a
    // file's shared records, to a primitive): every change works on a fresh copy.
    void PrepareChange();

    SmartPtr<DbAttSetRep> all_;
    bool activeValid_ = false;
    SmartPtr<DbAttSetRep> active_;
};
