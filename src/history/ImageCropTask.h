#pragma once

#include "history/ImageReplaceTask.h"

#include <memory>

class CropBox;

// The crop tool's result: hint 1, and the mapping is always reset (the old region no
// longer lies over the same pixels).
class ImageCropTask : public ImageReplaceTask {
public:
    ImageCropTask(PlumeData* database, const ImageStore& cropped)
        : ImageReplaceTask(database, cropped, 1, true, "Crop Image") {}

    // The crop of the database's image to the box's CropRect; null without a rectangle or
    // when the rectangle leaves nothing of the image.
    static std::unique_ptr<ImageCropTask> FromCropBox(PlumeData& database, const CropBox& box);
};
