#include "database/DbSlotMemento.h"

#include "database/DbSetMgr.h"

void DbSlotMemento::Restore(DbSetMgr& manager) {
    manager.PutSet(index, set);
    set = SmartPtr<DbPrimSetRep>();
    manager.SelectSet(index);
}
