#include "history/RepresentationTask.h"

#include "database/PlumeData.h"

RepresentationTask::RepresentationTask(PlumeData* database, const char* dataKey,
                                       const char* snapshotKey,
                                       std::unique_ptr<AttributeRep> change, std::string name)
    : Task(database), change_(std::move(change)), name_(std::move(name)) {
    if (AttributeData* data = database->GetAttributeData(dataKey)) {
        snapshot_ = data->CreateRep(snapshotKey);
    }
}

RepresentationTask::~RepresentationTask() = default;

bool RepresentationTask::Do() {
    if (change_) {
        change_->Notify(nullptr);
    }
    return true;
}

bool RepresentationTask::Redo() {
    return Do();
}

bool RepresentationTask::Undo() {
    if (snapshot_) {
        snapshot_->Notify(nullptr);
    }
    return true;
}
