#pragma once

#include "database/DbMemento.h"
#include "database/Task.h"

#include <memory>

// A set-level change undone from the memento that the change returns: Do and Redo run
// the change and keep its memento, Undo hands the memento back.
class MementoTask : public Task {
public:
    using Task::Task;

    bool Undo() override;
    bool Redo() override;
    bool Do() override;

protected:
    virtual std::unique_ptr<DbMemento> Change() = 0;

private:
    std::unique_ptr<DbMemento> memento_;
};
