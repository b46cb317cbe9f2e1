#include "database/Database.h"

#include "database/Task.h"

Database::Database() = default;

Database::~Database() { DestroyFrom(0); }

void Database::DestroyFrom(std::int32_t first) {
    for (std::int32_t i = first; i < count_; ++i) {
        delete tasks_[i];
        tasks_[i] = nullptr;
    }
    count_ = first;
    if (top_ > count_) {
        top_ = count_;
    }
}

bool Database::CanUndo() const { return count_ > 0 && top_ > 0; }

bool Database::CanRedo() const { return count_ > 0 && top_ < count_; }

bool Database::Undo() {
    if (top_ < 1) {
        return false;
    }
    BeginUpdate();
    --top_;
    const bool result = tasks_[top_]->Undo();
    EndUpdate();
    if (depth_ == 0) {
        OnChanged();
    }
    return result;
}

bool Database::Redo() {
    if (top_ >= count_) {
        return false;
    }
    BeginUpdate();
    const bool result = tasks_[top_]->Redo();
    ++top_;
    EndUpdate();
    if (depth_ == 0) {
        OnChanged();
    }
    return result;
}

bool Database::Perform(std::unique_ptr<Task> task) {
    if (!task) {
        return false;
    }
    BeginUpdate();
    const bool result = task->Do();
    if (result) {
        tasks_.Reserve(count_ + 1);
        DestroyFrom(top_);
        tasks_[top_] = task.release();
        ++top_;
        count_ = top_;
    }
    EndUpdate();
    if (depth_ == 0) {
        OnChanged();
    }
    return result;
}

std::string Database::UndoName() const { return CanUndo() ? tasks_[top_ - 1]->GetName() : std::string(); }

std::string Database::RedoName() const { return CanRedo() ? tasks_[top_]->GetName() : std::string(); }

bool Database::ClearHistory() {
    top_ = 0;
    DestroyFrom(0);
    return true;
}

void Database::OnChanged() {}

void Database::BeginUpdate() { ++depth_; }

void Database::EndUpdate() { --depth_; }
