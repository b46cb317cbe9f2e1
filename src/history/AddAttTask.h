#pragma once

#include "core/SmartPtr.h"
#include "database/DbAttRep.h"
#include "database/Task.h"

#include <string>

// Adds a new active attribute to the document's list; undo removes it by name.
class AddAttTask : public Task {
public:
    AddAttTask(PlumeData* database, std::string name, std::string value);

    bool Undo() override;
    bool Redo() override { return Do(); }
    bool Do() override;
    std::string GetName() const override { return "Add Attribute"; }

private:
    SmartPtr<DbAttRep> attribute_;
};
