#pragma once

#include "core/SmartPtr.h"
#include "database/DbAttSetRep.h"

// The part of every primitive that carries its attributes. A new primitive starts with an
// empty list; since lists are never changed once handed out (a change always puts a new
// list in place), every new primitive shares one empty list rather than allocating its own.
class DbBase {
public:
    DbBase() : attributes(EmptyList()) {}

    SmartPtr<DbAttSetRep> attributes;

private:
    // Never destroyed, so that primitives that outlive static destruction still release it
    // safely.
    static const SmartPtr<DbAttSetRep>& EmptyList() {
        static const auto* empty = new SmartPtr<DbAttSetRep>();
        return *empty;
    }
};
