#include "history/SetClearTask.h"

#include "database/PlumeData.h"

std::unique_ptr<DbMemento> SetClearTask::Change() {
    return database_->ClearCurrentSet();
}
