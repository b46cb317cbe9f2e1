#include "platform_qt/QtTimerService.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

// Ticks per timer id and per callback; the callbacks are plain functions.
std::map<int, int> ticksA;
std::map<int, int> ticksB;
QtTimerService* killingService = nullptr;

void TickA(int id) {
    ++ticksA[id];
}
void TickB(int id) {
    ++ticksB[id];
}
void TickAndKill(int id) {
    ++ticksA[id];
    killingService->KillTimer(id);
}

void ResetTicks() {
    ticksA.clear();
    ticksB.clear();
}

// Runs the event loop until `done` holds or a generous deadline passes; the outcome is
// checked by the caller, never the time taken.
template <class Done> void PumpUntil(Done done) {
    const QDeadlineTimer deadline(10000);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

// Runs the event loop for a while, long enough for a 1 ms timer to have fired many times.
void PumpFor(int ms) {
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

TEST(QtTimerService, TicksUntilKilled) {
    ResetTicks();
    QtTimerService service;
    service.StartTimer(3, 1, TickA);
    service.StartTimer(4, 1, TickA);
    PumpUntil([] { return ticksA[3] >= 2 && ticksA[4] >= 2; });
    ASSERT_GE(ticksA[3], 2);
    ASSERT_GE(ticksA[4], 2);

    service.KillTimer(3);
    service.KillTimer(99); // not running: nothing
    const int killedTicks = ticksA[3];
    const int otherTicks = ticksA[4];
    PumpUntil([&] { return ticksA[4] >= otherTicks + 3; });
    EXPECT_GE(ticksA[4], otherTicks + 3) << "the other timer keeps running";
    EXPECT_EQ(ticksA[3], killedTicks);
    EXPECT_EQ(ticksA.count(99), 0u);
}

TEST(QtTimerService, RestartingAnIdReplacesItsCallbackAndKeepsOneTimer) {
    ResetTicks();
    QtTimerService service;
    service.StartTimer(7, 1, TickA);
    PumpUntil([] { return ticksA[7] >= 1; });
    ASSERT_GE(ticksA[7], 1);
    service.StartTimer(7, 2, TickB);
    const int before = ticksA[7];
    PumpUntil([] { return ticksB[7] >= 3; });
    EXPECT_GE(ticksB[7], 3);
    EXPECT_EQ(ticksA[7], before);
    // One kill stops it: a restart did not leave a second timer behind.
    service.KillTimer(7);
    const int after = ticksB[7];
    PumpFor(50);
    EXPECT_EQ(ticksB[7], after);
}

TEST(QtTimerService, ATickMayKillItsOwnTimer) {
    ResetTicks();
    QtTimerService service;
    killingService = &service;
    service.StartTimer(5, 1, TickAndKill);
    PumpUntil([] { return ticksA[5] >= 1; });
    PumpFor(50);
    EXPECT_EQ(ticksA[5], 1);
    killingService = nullptr;
}

TEST(QtTimerService, DestroyingTheServiceStopsItsTimers) {
    ResetTicks();
    auto service = std::make_unique<QtTimerService>();
    service->StartTimer(1, 1, TickA);
    PumpUntil([] { return ticksA[1] >= 1; });
    ASSERT_GE(ticksA[1], 1);
    service.reset();
    const int before = ticksA[1];
    PumpFor(50);
    EXPECT_EQ(ticksA[1], before);
}

} // namespace
