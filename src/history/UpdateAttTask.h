#pragma once

#include "core/SmartPtr.h"
#include "database/DbAttRep.h"
#include "database/Task.h"

#include <cstdint>
#include <optional>
#include <string>

// Replaces the attribute of that name (keeping its place in the list) by a new record
// with the given value and active flag; undo puts the old record back.
class UpdateAttTask : public Task {
public:
    UpdateAttTask(PlumeData* database, std::string name, std::string value, std::int32_t active);

    bool Undo() override;
    bool Redo() override;
    bool Do() override;
    std::string GetName() const override { return "Update Attribute"; }

private:
    SmartPtr<DbAttRep> replacement_;
    std::optional<SmartPtr<DbAttRep>> replaced_;
};
