#include "history/TaskSet.h"

TaskSet::~TaskSet() = default;

bool TaskSet::Undo() {
    undone_ = 1;
    bool result = false;
    for (auto it = tasks_.rbegin(); it != tasks_.rend(); ++it) {
        result = (*it)->Undo();
        if (!result) {
            break;
        }
    }
    return result;
}

bool TaskSet::Redo() {
    undone_ = 0;
    bool result = false;
    for (auto& task : tasks_) {
        result = task->Redo();
        if (!result) {
            break;
        }
    }
    return result;
}

bool TaskSet::Do() {
    bool result = false;
    for (auto& task : tasks_) {
        result = task->Do();
        if (!result) {
            break;
        }
    }
    return result;
}

void TaskSet::Add(std::unique_ptr<Task> task) {
    tasks_.push_back(std::move(task));
}
