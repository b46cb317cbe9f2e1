#pragma once

#include <vector>

class TimerService;

// The base of the tools' timers (automatic scrolling, marching ants). A running timer has
// an entry in a process-wide table, and its index there is the identifier of its window
// timer: the service's callback looks the object up by that identifier and ticks it.
// Index 0 is never used; the table's count starts at 1.
class TimerProc {
public:
    static constexpr int kDefaultPeriod = 500; // milliseconds

    explicit TimerProc(TimerService* service);
    TimerProc(const TimerProc&) = delete;
    TimerProc& operator=(const TimerProc&) = delete;
    // Stops the timer.
    virtual ~TimerProc();

    virtual void Tick() = 0;
    // Returns the old period; a running timer starts again with the new one.
    virtual int SetPeriod(int milliseconds);
    // Takes the lowest free table index and starts the window timer; nothing when running.
    virtual void Start();
    virtual void Stop();
    virtual bool IsRunning() const { return running_; }

    int Period() const { return period_; }
    int Index() const { return index_; }

    // The table: its count (one past the highest index ever taken, at least 1), its
    // capacity, and the timer at an index (null for a free or unknown one).
    static int TableCount();
    static int TableCapacity();
    static TimerProc* At(int index);
    // The service's callback.
    static void Dispatch(int id);

private:
    TimerService* service_;
    int period_ = kDefaultPeriod;
    int index_ = 0;
    bool running_ = false;
};
