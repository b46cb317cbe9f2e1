#pragma once

#include "database/Task.h"

// Flips the image; a flip is its own inverse, so Do, Undo and Redo all flip.
class ImageFlipTask : public Task {
public:
    static constexpr int kHorizontal = 0;
    static constexpr int kVertical = 1;

    ImageFlipTask(PlumeData* database, int direction) : Task(database), direction_(direction) {}

    bool Undo() override { return Do(); }
    bool Redo() override { return Do(); }
    bool Do() override;
    std::string GetName() const override { return "Flip"; }

private:
    int direction_;
};
