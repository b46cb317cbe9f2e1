#include "tools/TimerProc.h"

#include "platform/TimerService.h"

namespace {

// The process-wide table of running timers. Single-threaded: timers run on the user
// interface thread.
struct TimerTable {
    std::vector<TimerProc*> entries; // its size is the capacity
    int count = 1;
};

TimerTable& Table() {
    static TimerTable table;
    return table;
}

} // namespace

TimerProc::TimerProc(TimerService* service) : service_(service) {}

TimerProc::~TimerProc() {
    Stop();
}

int TimerProc::SetPeriod(int milliseconds) {
    const int old = period_;
    period_ = milliseconds;
    if (running_) {
        Stop();
        Start();
    }
    return old;
}

void TimerProc::Start() {
    if (running_) {
        return;
    }
    TimerTable& table = Table();
    int index = 1;
    while (index < table.count && table.entries[static_cast<std::size_t>(index)] != nullptr) {
        ++index;
    }
    if (index == table.count) {
        if (table.count + 2 > static_cast<int>(table.entries.size())) {
            table.entries.resize(static_cast<std::size_t>(2 * (table.count + 2)), nullptr);
        }
        ++table.count;
    }
    table.entries[static_cast<std::size_t>(index)] = this;
    index_ = index;
    running_ = true;
    if (service_ != nullptr) {
        service_->StartTimer(index_, period_, &TimerProc::Dispatch);
    }
}

void TimerProc::Stop() {
    if (!running_) {
        return;
    }
    if (service_ != nullptr) {
        service_->KillTimer(index_);
    }
    Table().entries[static_cast<std::size_t>(index_)] = nullptr;
    running_ = false;
}

int TimerProc::TableCount() {
    return Table().count;
}

int TimerProc::TableCapacity() {
    return static_cast<int>(Table().entries.size());
}

TimerProc* TimerProc::At(int index) {
    const TimerTable& table = Table();
    if (index <= 0 || index >= table.count) {
        return nullptr;
    }
    return table.entries[static_cast<std::size_t>(index)];
}

void TimerProc::Dispatch(int id) {
    if (TimerProc* timer = At(id)) {
        timer->Tick();
    }
}
