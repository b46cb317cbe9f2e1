#pragma once

#include "platform/MessagePump.h"

// The Qt event queue of the calling thread: posted events, timers that are due, and the
// window system's input.
class QtMessagePump : public MessagePump {
public:
    bool ProcessPending() override;
};
