#pragma once

// The user-interface thread's message queue, for code that waits inside a call for the
// window system (a scanner transfer lets the scanner's windows work between images).
class MessagePump {
public:
    virtual ~MessagePump() = default;
    // Delivers the messages waiting now, without waiting for more; false when there were
    // none.
    virtual bool ProcessPending() = 0;
};
