#include "history/PointClearTask.h"

#include "database/PlumeData.h"

std::unique_ptr<DbMemento> PointClearTask::Change() {
    return database_->ClearAll();
}
