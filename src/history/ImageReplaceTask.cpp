#include "history/ImageReplaceTask.h"

#include "database/PlumeData.h"
#include "history/PointClearTask.h"

namespace {
constexpr const char* kMementoKey = "ViewMementoTransformData";
}

ImageReplaceTask::ImageReplaceTask(PlumeData* database, const ImageStore& image, std::int32_t hint,
                                   bool resetMapping, std::string name)
    : Task(database), newImage_(image), hint_(hint), resetMapping_(resetMapping),
      name_(std::move(name)) {}

ImageReplaceTask::~ImageReplaceTask() = default;

bool ImageReplaceTask::Do() {
    TransformData& mapping = database_->Mapping();
    mappingBefore_ = mapping.CreateRep(kMementoKey);
    oldImage_.Assign(database_->Image());
    oldImage_.SetTypeCode(database_->Image().GetTypeCode());
    database_->ReplaceImage(newImage_, hint_);
    mappingAfter_ = mapping.CreateRep(kMementoKey);
    if (resetMapping_) {
        mappingAfter_->ResetAndRefresh();
    }
    clear_ = std::make_unique<PointClearTask>(database_);
    return clear_->Do();
}

bool ImageReplaceTask::Undo() {
    clear_->Undo();
    mappingBefore_->Notify(nullptr);
    database_->ReplaceImage(oldImage_, hint_);
    database_->Image().SetTypeCode(oldImage_.GetTypeCode());
    return true;
}

bool ImageReplaceTask::Redo() {
    clear_->Redo();
    mappingAfter_->Notify(nullptr);
    database_->ReplaceImage(newImage_, hint_);
    return true;
}
