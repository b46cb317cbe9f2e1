#pragma once

#include "database/DbSlotMemento.h"

// Undoes ClearCurrentSet: the cleared set and its index.
class DbSetX1 : public DbSlotMemento {
public:
    using DbSlotMemento::DbSlotMemento;
};
