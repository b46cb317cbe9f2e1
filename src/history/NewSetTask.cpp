#include "history/NewSetTask.h"

#include "database/PlumeData.h"

bool NewSetTask::Do() {
    index_ = database_->NewSet(name_);
    return true;
}

bool NewSetTask::Undo() {
    memento_ = database_->DeleteSet(index_);
    return true;
}

bool NewSetTask::Redo() {
    database_->Restore(std::move(memento_));
    return true;
}
