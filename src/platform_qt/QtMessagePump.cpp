#include "platform_qt/QtMessagePump.h"

#include <QAbstractEventDispatcher>
#include <QThread>

bool QtMessagePump::ProcessPending() {
    QAbstractEventDispatcher* dispatcher =
        QAbstractEventDispatcher::instance(QThread::currentThread());
    // The dispatcher delivers posted events too, and counts them.
    return dispatcher != nullptr && dispatcher->processEvents(QEventLoop::AllEvents);
}
