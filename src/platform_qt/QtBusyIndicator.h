#pragma once

#include "platform/BusyIndicator.h"

// The wait cursor as the application's override cursor. Begin and End nest: the first
// Begin sets the override and the matching last End takes it away, so one indicator holds
// one entry of Qt's override stack however deep its scopes go. An End without a Begin does
// nothing (it must not take away another owner's override), and an indicator destroyed
// inside a scope takes its override with it.
class QtBusyIndicator : public BusyIndicator {
public:
    QtBusyIndicator() = default;
    ~QtBusyIndicator() override;
    QtBusyIndicator(const QtBusyIndicator&) = delete;
    QtBusyIndicator& operator=(const QtBusyIndicator&) = delete;

    void Begin() override;
    void End() override;

private:
    int depth_ = 0;
    // Whether the override was set (there may be no application object).
    bool overriding_ = false;
};
