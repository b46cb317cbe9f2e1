#include "history/ImageRotateTask.h"

#include "database/PlumeData.h"

bool ImageRotateTask::Do() {
    return database_->RotateImage(degrees_);
}

bool ImageRotateTask::Undo() {
    return database_->RotateImage(360 - degrees_);
}
