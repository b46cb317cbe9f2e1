#pragma once

#include "database/Task.h"

#include <memory>
#include <vector>

// Several tasks as one history step. A member that fails stops the walk; what the earlier
// members did stays done (nothing is rolled back).
class TaskSet : public Task {
public:
    explicit TaskSet(PlumeData* database) : Task(database) {}
    ~TaskSet() override;

    // Last to first; false for an empty set.
    bool Undo() override;
    // First to last; false for an empty set.
    bool Redo() override;
    bool Do() override;
    bool CanUndo() override { return undone_ == 0; }
    bool CanRedo() override { return undone_ == 1; }
    std::string GetName() const override { return "Task Set"; }

    // The set takes ownership.
    void Add(std::unique_ptr<Task> task);
    std::size_t Count() const { return tasks_.size(); }

private:
    std::vector<std::unique_ptr<Task>> tasks_;
    unsigned char undone_ = 0;
};
