#pragma once

#include "history/MementoTask.h"

// Delete Current Set: its slot becomes a placeholder.
class SetDeleteTask : public MementoTask {
public:
    using MementoTask::MementoTask;
    std::string GetName() const override { return "Delete Set"; }

protected:
    std::unique_ptr<DbMemento> Change() override;
};
