#include "history/PrimTask.h"

#include "database/PlumeData.h"

PrimTask::PrimTask(PlumeData* database, const SmartPtr<DbPrimRep>& primitive)
    : Task(database), primitive_(primitive) {
    primitive_->Remap(database->Mapping());
}

bool PrimTask::Do() {
    setIndex_ = database_->AddPrimitive(primitive_, -1);
    return true;
}

bool PrimTask::Undo() {
    database_->RemovePrimitive(primitive_, setIndex_);
    return true;
}

bool PrimTask::Redo() {
    database_->AddPrimitive(primitive_, setIndex_);
    return true;
}
