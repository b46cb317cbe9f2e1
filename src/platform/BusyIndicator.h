#pragma once

// The wait cursor.
class BusyIndicator {
public:
    virtual ~BusyIndicator() = default;
    virtual void Begin() = 0;
    virtual void End() = 0;
};

// Shows the wait cursor for a scope; null shows nothing.
class BusyScope {
public:
    explicit BusyScope(BusyIndicator* indicator) : indicator_(indicator) {
        if (indicator_ != nullptr) {
            indicator_->Begin();
        }
    }
    ~BusyScope() {
        if (indicator_ != nullptr) {
            indicator_->End();
        }
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    BusyIndicator* indicator_;
};
