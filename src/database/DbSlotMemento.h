#pragma once

#include "core/SmartPtr.h"
#include "database/DbMemento.h"
#include "database/DbPrimSetRep.h"

// A memento of one slot: the set that the change took out of it and the slot's index.
// Restoring puts the set back, makes it current and leaves the memento an empty set.
class DbSlotMemento : public DbMemento {
public:
    DbSlotMemento(const SmartPtr<DbPrimSetRep>& taken, std::int32_t slot)
        : set(taken), index(slot) {}
    void Restore(DbSetMgr& manager) override;

    SmartPtr<DbPrimSetRep> set;
    std::int32_t index;
};
