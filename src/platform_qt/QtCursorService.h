#pragma once

#include "platform/CursorService.h"

#include <QCursor>
#include <QPointer>

class QWidget;

// Sets the pointer shape of one widget. The system's shapes are Qt's own; Rotate, Hand,
// ZoomIn and ZoomOut are 32 x 32 pictures drawn once for this program, black outlines
// around white so that they read on any background.
class QtCursorService : public CursorService {
public:
    explicit QtCursorService(QWidget& widget);

    // Nothing once the widget is gone.
    void SetCursor(CursorShape shape) override;

    // Needs the application object (the drawn shapes are pixmaps).
    static QCursor CursorFor(CursorShape shape);

private:
    QPointer<QWidget> widget_;
};
