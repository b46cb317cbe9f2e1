#pragma once

#include "core/SmartPtr.h"
#include "database/DbAttSetRep.h"

// The part of every primitive that carries its attributes; a new primitive has its own
// empty list.
class DbBase {
public:
    SmartPtr<DbAttSetRep> attributes;
};
