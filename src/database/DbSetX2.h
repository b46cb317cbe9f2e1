#pragma once

#include "database/DbSlotMemento.h"

// Undoes DeleteSet: the deleted set and its index.
class DbSetX2 : public DbSlotMemento {
public:
    using DbSlotMemento::DbSlotMemento;
};
