#include "history/SetDeleteTask.h"

#include "database/PlumeData.h"

std::unique_ptr<DbMemento> SetDeleteTask::Change() {
    return database_->DeleteCurrentSet();
}
