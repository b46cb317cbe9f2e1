#pragma once

#include "core/SimpleArray.h"
#include "view/ViewSpec.h"

#include <cstdint>
#include <optional>

// The image view's private stack of saved views, with a current index (-1 while empty).
// Its capacity grows in steps of ten. It is not stored in the document.
class SavedViews {
public:
    // Drops every entry above the current index and pushes the view; it becomes current.
    void Save(const ViewSpec& current);
    bool CanNext() const { return index_ < stack_.Count() - 1; }
    // The next entry; one that Previous pushed by itself is taken off the stack.
    std::optional<ViewSpec> Next();
    // Enabled whenever a step back is possible: an entry below the current one, or, at the
    // top, a current view that differs from the top entry (it is pushed first, marked as
    // auto-saved, so Next comes back to it). Never steps below the first entry.
    bool CanPrevious(const ViewSpec& current) const;
    std::optional<ViewSpec> Previous(const ViewSpec& current);

    std::int32_t Count() const { return stack_.Count(); }
    std::int32_t Index() const { return index_; }
    std::int32_t Capacity() const { return stack_.Capacity(); }
    const ViewSpec& At(std::int32_t i) const { return stack_[i]; }

private:
    void Push(const ViewSpec& view);

    SimpleStack<ViewSpec> stack_;
    std::int32_t index_ = -1;
};
