#include "history/ImageCropTask.h"

#include "database/PlumeData.h"
#include "mapping/CropBox.h"

std::unique_ptr<ImageCropTask> ImageCropTask::FromCropBox(PlumeData& database, const CropBox& box) {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    if (box.pixelCount <= 0 || !box.CropRect(left, top, width, height)) {
        return nullptr;
    }
    ImageStore cropped(database.Image());
    if (!cropped.HasImage() || !cropped.Crop(left, top, width, height)) {
        return nullptr;
    }
    return std::make_unique<ImageCropTask>(&database, cropped);
}
