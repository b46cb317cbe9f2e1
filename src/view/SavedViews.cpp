#include "view/SavedViews.h"

void SavedViews::Push(const ViewSpec& view) {
    const std::int32_t count = stack_.Count();
    stack_.ReserveInTens(count + 1);
    stack_[count] = view;
    stack_.SetCount(count + 1);
    index_ = count;
}

void SavedViews::Save(const ViewSpec& current) {
    stack_.SetCount(index_ + 1);
    ViewSpec entry = current;
    entry.autoSaved = 0;
    Push(entry);
}

std::optional<ViewSpec> SavedViews::Next() {
    if (!CanNext()) {
        return std::nullopt;
    }
    ++index_;
    const ViewSpec entry = stack_[index_];
    if (entry.autoSaved != 0) {
        stack_.RemoveAt(index_);
        --index_;
    }
    return entry;
}

bool SavedViews::CanPrevious(const ViewSpec& current) const {
    if (index_ > 0) {
        return true;
    }
    return stack_.Count() > 0 && index_ == stack_.Count() - 1 &&
           !current.SameViewAs(stack_[index_]);
}

std::optional<ViewSpec> SavedViews::Previous(const ViewSpec& current) {
    if (!CanPrevious(current)) {
        return std::nullopt;
    }
    if (index_ == stack_.Count() - 1 && !current.SameViewAs(stack_[index_])) {
        ViewSpec entry = current;
        entry.autoSaved = 1;
        Push(entry);
    }
    --index_;
    return stack_[index_];
}
