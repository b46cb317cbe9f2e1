#pragma once

#include "database/Task.h"

// Rotates the image clockwise by 90, 180 or 270 degrees; undo turns it by the rest of the
// full circle.
class ImageRotateTask : public Task {
public:
    ImageRotateTask(PlumeData* database, int degrees) : Task(database), degrees_(degrees) {}

    bool Undo() override;
    bool Redo() override { return Do(); }
    bool Do() override;
    std::string GetName() const override { return "Rotate"; }

private:
    int degrees_;
};
