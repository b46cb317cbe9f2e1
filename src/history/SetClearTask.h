#pragma once

#include "history/MementoTask.h"

// Clear Current Set: the current set keeps its name and index.
class SetClearTask : public MementoTask {
public:
    using MementoTask::MementoTask;
    std::string GetName() const override { return "Clear Set"; }

protected:
    std::unique_ptr<DbMemento> Change() override;
};
