#pragma once

#include "core/SimpleArray.h"
#include "core/SmartPtr.h"
#include "database/DbMemento.h"
#include "database/DbPrimSetRep.h"

// Undoes ClearAll (and the deletion of the only live set): every slot, the slot count and
// the current index.
class DbSetX3 : public DbMemento {
public:
    void Restore(DbSetMgr& manager) override;

    SimpleArray<SmartPtr<DbPrimSetRep>> sets;
    std::int32_t count = 0;
    std::int32_t current = -1;
};
