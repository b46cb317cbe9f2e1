#pragma once

#include "database/Task.h"
#include "image/ImageStore.h"

#include <cstdint>
#include <memory>
#include <string>

class AttributeRep;
class PointClearTask;

// Puts a new image in place of the document's (a paste, a crop): the collected data is
// cleared by a nested task, and the mapping is reset to its defaults unless it is to be
// kept. The mapping before and after are kept as complete mementos, so that undo brings
// back the region together with its limits, log flags and mode, and redo the reset state.
class ImageReplaceTask : public Task {
public:
    ImageReplaceTask(PlumeData* database, const ImageStore& image, std::int32_t hint,
                     bool resetMapping, std::string name);
    ~ImageReplaceTask() override;

    bool Undo() override;
    bool Redo() override;
    bool Do() override;
    std::string GetName() const override { return name_; }

private:
    ImageStore newImage_;
    ImageStore oldImage_;
    std::int32_t hint_;
    bool resetMapping_;
    std::string name_;
    std::unique_ptr<AttributeRep> mappingBefore_;
    std::unique_ptr<AttributeRep> mappingAfter_;
    std::unique_ptr<PointClearTask> clear_;
};
