#include "platform_qt/QtMessagePump.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <gtest/gtest.h>

namespace {

class CountingObject : public QObject {
public:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User) {
            ++delivered;
            return true;
        }
        return QObject::event(event);
    }
    int delivered = 0;
};

TEST(QtMessagePump, DeliversWhatIsQueuedAndThenReportsAnEmptyQueue) {
    QtMessagePump pump;
    CountingObject target;
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    EXPECT_TRUE(pump.ProcessPending());
    EXPECT_EQ(target.delivered, 2);
    // Whatever else the platform had queued is gone after a few rounds.
    bool emptied = false;
    for (int round = 0; round < 100 && !emptied; ++round) {
        emptied = !pump.ProcessPending();
    }
    EXPECT_TRUE(emptied);
    EXPECT_EQ(target.delivered, 2);
}

} // namespace
