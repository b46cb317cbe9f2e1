#pragma once

#include "history/MementoTask.h"

// Delete All Data: every set is cleared and one empty set "Line.1" remains.
class PointClearTask : public MementoTask {
public:
    using MementoTask::MementoTask;
    std::string GetName() const override { return "Clear Data"; }

protected:
    std::unique_ptr<DbMemento> Change() override;
};
