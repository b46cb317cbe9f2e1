#include "history/MementoTask.h"

#include "database/PlumeData.h"

bool MementoTask::Do() {
    memento_ = Change();
    return true;
}

bool MementoTask::Redo() {
    return Do();
}

bool MementoTask::Undo() {
    database_->Restore(std::move(memento_));
    return true;
}
