#pragma once

// Window timers. A timer is known by a small positive identifier that its owner chooses;
// while it runs, the service calls `tick(id)` every `periodMs` milliseconds on the user
// interface thread. Starting an identifier that already runs restarts it with the new
// period. A test installs a fake and ticks timers by hand.
class TimerService {
public:
    using Callback = void (*)(int id);

    virtual ~TimerService() = default;
    virtual void StartTimer(int id, int periodMs, Callback tick) = 0;
    // Nothing when the timer does not run.
    virtual void KillTimer(int id) = 0;
};
