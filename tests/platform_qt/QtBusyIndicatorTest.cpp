#include "platform_qt/QtBusyIndicator.h"

#include <QCursor>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// The shape on top of the override stack, or -1 when there is none.
int TopShape() {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor != nullptr ? static_cast<int>(cursor->shape()) : -1;
}

TEST(QtBusyIndicator, NestsAndNeverTakesAnotherOwnersOverride) {
    // B = Begin, E = End, D = destroy the indicator. Another owner's cross is on the stack
    // throughout and must be the only entry left at the end.
    const struct {
        const char* steps;
        Qt::CursorShape shown;
    } cases[] = {
        {"B", Qt::WaitCursor},     {"BBE", Qt::WaitCursor},   {"BBEE", Qt::CrossCursor},
        {"EEB", Qt::WaitCursor},   {"BEEE", Qt::CrossCursor}, {"BBD", Qt::CrossCursor},
        {"BEBE", Qt::CrossCursor}, {"D", Qt::CrossCursor},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.steps);
        QGuiApplication::setOverrideCursor(QCursor(Qt::CrossCursor));
        {
            auto busy = std::make_unique<QtBusyIndicator>();
            for (const char step : std::string(c.steps)) {
                if (step == 'B') {
                    busy->Begin();
                } else if (step == 'E') {
                    busy->End();
                } else {
                    busy.reset();
                }
            }
            EXPECT_EQ(TopShape(), c.shown);
        }
        EXPECT_EQ(TopShape(), Qt::CrossCursor);
        QGuiApplication::restoreOverrideCursor();
        EXPECT_EQ(TopShape(), -1);
    }
}

} // namespace
