#pragma once

#include "history/ImageReplaceTask.h"

// Edit > Paste of a bitmap: hint 2; the mapping is reset unless the preferences keep it.
class ImagePasteTask : public ImageReplaceTask {
public:
    ImagePasteTask(PlumeData* database, const ImageStore& pasted, bool reuseMapping)
        : ImageReplaceTask(database, pasted, 2, !reuseMapping, "Paste Image") {}
};
