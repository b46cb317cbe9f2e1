#include "database/DbSetX3.h"

#include "database/DbSetMgr.h"

void DbSetX3::Restore(DbSetMgr& manager) {
    manager.SetSlotCount(0);
    manager.ReserveSlots(count);
    for (std::int32_t i = 0; i < count; ++i) {
        manager.PutSet(i, sets[i]);
        sets[i] = SmartPtr<DbPrimSetRep>();
    }
    manager.SetSlotCount(count);
    manager.SelectSet(current);
}
