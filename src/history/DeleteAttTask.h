#pragma once

#include "core/SmartPtr.h"
#include "database/DbAttRep.h"
#include "database/Task.h"

#include <optional>
#include <string>

// Removes an attribute by name and keeps it; undo puts it back, at the end of the list.
class DeleteAttTask : public Task {
public:
    DeleteAttTask(PlumeData* database, std::string name) : Task(database), name_(std::move(name)) {}

    bool Undo() override;
    bool Redo() override { return Do(); }
    bool Do() override;
    std::string GetName() const override { return "Delete Attribute"; }

private:
    std::string name_;
    std::optional<SmartPtr<DbAttRep>> removed_;
};
