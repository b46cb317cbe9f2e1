#include "history/AddAttTask.h"

#include "database/PlumeData.h"

AddAttTask::AddAttTask(PlumeData* database, std::string name, std::string value)
    : Task(database), attribute_(new DbAttRep(std::move(name), std::move(value), 1)) {}

bool AddAttTask::Do() {
    database_->AddAttribute(attribute_);
    return true;
}

bool AddAttTask::Undo() {
    database_->RemoveAttribute(attribute_->name);
    return true;
}
