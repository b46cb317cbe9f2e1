#include "database/Database.h"

#include "database/Task.h"

Database::Database() = default;

Database::~Database() {
    DestroyFrom(0);
}

void Database::DestroyFrom(std::int32_t first) {
    tasks_.resize(static_cast<std::size_t>(first));
    count_ = first;
    if (top_ > count_) {
        top_ = count_;
    }
}

bool Database::CanUndo() const {
    return count_ > 0 && top_ > 0;
}

bool Database::CanRedo() const {
    return count_ > 0 && top_ < count_;
}

bool Database::Undo() {
    if (top_ < 1) {
        return false;
    }
    BeginUpdate();
    --top_;
    const bool result = tasks_[static_cast<std::size_t>(top_)]->Undo();
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
    const bool result = tasks_[static_cast<std::size_t>(top_)]->Redo();
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
        DestroyFrom(top_);
        tasks_.push_back(std::move(task));
        ++top_;
        count_ = top_;
    }
    EndUpdate();
    if (depth_ == 0) {
        OnChanged();
    }
    return result;
}

std::string Database::UndoName() const {
    return CanUndo() ? tasks_[static_cast<std::size_t>(top_ - 1)]->GetName() : std::string();
}

std::string Database::RedoName() const {
    return CanRedo() ? tasks_[static_cast<std::size_t>(top_)]->GetName() : std::string();
}

bool Database::ClearHistory() {
    top_ = 0;
    DestroyFrom(0);
    return true;
}

void Database::OnChanged() {}

void Database::BeginUpdate() {
    ++depth_;
}

void Database::EndUpdate() {
    --depth_;
}
