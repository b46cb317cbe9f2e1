#pragma once

#include "core/SmartPtr.h"
#include "database/DbPrimRep.h"
#include "database/Task.h"

#include <cstdint>

// Adds a collected primitive to the current set. The primitive takes its graph position
// from the mapping when the task is built; undo removes it, redo appends it again to the
// same set (stamped with the attributes active at that moment).
class PrimTask : public Task {
public:
    PrimTask(PlumeData* database, const SmartPtr<DbPrimRep>& primitive);

    bool Undo() override;
    bool Redo() override;
    bool Do() override;
    std::string GetName() const override { return "Add"; }

    const SmartPtr<DbPrimRep>& Primitive() const { return primitive_; }

private:
    SmartPtr<DbPrimRep> primitive_;
    std::int32_t setIndex_ = -1;
};
