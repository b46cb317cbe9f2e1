#pragma once

#include "platform/TimerService.h"

#include <map>
#include <memory>

class QObject;
class QTimer;

// One QTimer per identifier. The timers fire on the thread that made the service (the user
// interface thread) and all stop when the service is destroyed.
class QtTimerService : public TimerService {
public:
    QtTimerService();
    ~QtTimerService() override;
    QtTimerService(const QtTimerService&) = delete;
    QtTimerService& operator=(const QtTimerService&) = delete;

    // A negative period counts as 0 (a tick whenever the event loop is idle); a null
    // callback runs the timer without calling anything.
    void StartTimer(int id, int periodMs, Callback tick) override;
    // Safe from within the timer's own tick.
    void KillTimer(int id) override;

private:
    struct Entry {
        QTimer* timer = nullptr;
        Callback tick = nullptr;
    };

    void Fire(int id);

    // The parent of every timer, so that a killed timer left for deleteLater is still
    // destroyed with the service.
    std::unique_ptr<QObject> owner_;
    std::map<int, Entry> timers_;
};
