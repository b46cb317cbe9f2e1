#pragma once

#include "history/ImageReplaceTask.h"

// The crop tool's result: hint 1, and the mapping is always reset (the old region no
// longer lies over the same pixels).
class ImageCropTask : public ImageReplaceTask {
public:
    ImageCropTask(PlumeData* database, const ImageStore& cropped)
        : ImageReplaceTask(database, cropped, 1, true, "Crop Image") {}
};
