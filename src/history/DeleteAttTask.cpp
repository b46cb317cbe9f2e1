#include "history/DeleteAttTask.h"

#include "database/PlumeData.h"

bool DeleteAttTask::Do() {
    removed_ = database_->RemoveAttribute(name_);
    return true;
}

bool DeleteAttTask::Undo() {
    if (removed_) {
        database_->AddAttribute(*removed_);
    }
    return true;
}
