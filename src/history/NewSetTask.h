#pragma once

#include "database/DbMemento.h"
#include "database/Task.h"

#include <cstdint>
#include <memory>
#include <string>

// Adds a data set. Undo deletes it and keeps the memento; redo hands the memento back, so
// the set returns to its slot with its contents.
class NewSetTask : public Task {
public:
    NewSetTask(PlumeData* database, std::string name) : Task(database), name_(std::move(name)) {}

    bool Undo() override;
    bool Redo() override;
    bool Do() override;
    std::string GetName() const override { return "Add"; }

private:
    std::string name_;
    std::int32_t index_ = -1;
    std::unique_ptr<DbMemento> memento_;
};
