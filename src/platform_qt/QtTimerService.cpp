#include "platform_qt/QtTimerService.h"

#include <QObject>
#include <QTimer>

#include <algorithm>

QtTimerService::QtTimerService() : owner_(std::make_unique<QObject>()) {}

QtTimerService::~QtTimerService() = default;

void QtTimerService::StartTimer(int id, int periodMs, Callback tick) {
    auto it = timers_.find(id);
    if (it == timers_.end()) {
        auto* timer = new QTimer(owner_.get());
        QObject::connect(timer, &QTimer::timeout, owner_.get(), [this, id] { Fire(id); });
        it = timers_.emplace(id, Entry{timer, nullptr}).first;
    }
    it->second.tick = tick;
    it->second.timer->start(std::max(periodMs, 0));
}

void QtTimerService::KillTimer(int id) {
    const auto it = timers_.find(id);
    if (it == timers_.end()) {
        return;
    }
    QTimer* timer = it->second.timer;
    timers_.erase(it);
    timer->stop();
    // The kill may come from inside this timer's own timeout signal.
    timer->deleteLater();
}

void QtTimerService::Fire(int id) {
    const auto it = timers_.find(id);
    if (it != timers_.end() && it->second.tick != nullptr) {
        it->second.tick(id);
    }
}
