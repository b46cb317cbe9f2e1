#include "history/UpdateAttTask.h"

#include "database/PlumeData.h"

UpdateAttTask::UpdateAttTask(PlumeData* database, std::string name, std::string value,
                             std::int32_t active)
    : Task(database), replacement_(new DbAttRep(std::move(name), std::move(value), active)) {}

bool UpdateAttTask::Do() {
    replaced_ = database_->ReplaceAttribute(replacement_);
    return true;
}

bool UpdateAttTask::Undo() {
    if (replaced_) {
        database_->ReplaceAttribute(*replaced_);
    }
    return true;
}

bool UpdateAttTask::Redo() {
    database_->ReplaceAttribute(replacement_);
    return true;
}
