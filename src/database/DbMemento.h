#pragma once

class DbSetMgr;

// The undo record of a set-level change. Set-level changes are undone from a snapshot of
// the affected sets rather than step by step: a cleared or deleted set may hold any number
// of points and attribute entries, and handing the very same holders back keeps every
// primitive's identity (which later tasks compare by holder) intact.
class DbMemento {
public:
    virtual void Restore(DbSetMgr& manager) = 0;
    virtual ~DbMemento() = default;
};
