#include "platform_qt/QtBusyIndicator.h"

#include <QCursor>
#include <QGuiApplication>

QtBusyIndicator::~QtBusyIndicator() {
    if (overriding_ && qGuiApp != nullptr) {
        QGuiApplication::restoreOverrideCursor();
    }
}

void QtBusyIndicator::Begin() {
    if (depth_++ == 0 && qGuiApp != nullptr) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        overriding_ = true;
    }
}

void QtBusyIndicator::End() {
    if (depth_ == 0) {
        return;
    }
    if (--depth_ == 0 && overriding_) {
        overriding_ = false;
        if (qGuiApp != nullptr) {
            QGuiApplication::restoreOverrideCursor();
        }
    }
}
