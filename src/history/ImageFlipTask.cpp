#include "history/ImageFlipTask.h"

#include "database/PlumeData.h"

bool ImageFlipTask::Do() {
    return direction_ == kHorizontal ? database_->FlipImageHorizontal()
                                     : database_->FlipImageVertical();
}
