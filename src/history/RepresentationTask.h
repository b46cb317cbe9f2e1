#pragma once

#include "core/AttributeData.h"
#include "database/Task.h"

#include <memory>
#include <string>

// A change of a document-level data object (the mapping, the grid) carried by one of its
// representations. The snapshot of the data before the change is taken when the task is
// built; Do and Redo hand the given representation's values to the data, Undo the
// snapshot's.
class RepresentationTask : public Task {
public:
    RepresentationTask(PlumeData* database, const char* dataKey, const char* snapshotKey,
                       std::unique_ptr<AttributeRep> change, std::string name);
    ~RepresentationTask() override;

    bool Undo() override;
    bool Redo() override;
    bool Do() override;
    std::string GetName() const override { return name_; }

    AttributeRep* Change() const { return change_.get(); }

private:
    std::unique_ptr<AttributeRep> change_;
    std::unique_ptr<AttributeRep> snapshot_;
    std::string name_;
};
