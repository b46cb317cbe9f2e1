#include "platform_qt/QtCursorService.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <QWidget>

#include <array>
#include <cmath>
#include <numbers>

namespace {

constexpr int kSize = 32;

// Drawn without antialiasing: every pixel is black, white or transparent, so the shapes
// stay crisp at their size and read the same on a monochrome pointer.
QImage Blank() {
    QImage image(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void Outline(QPainter& painter, const QPainterPath& path) {
    painter.setPen(QPen(Qt::black, 1.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::white);
    painter.drawPath(path.simplified());
}

// A point at `degrees` (counter-clockwise from east, as QPainterPath measures) on a circle.
QPointF OnCircle(QPointF centre, double radius, double degrees) {
    const double a = degrees * std::numbers::pi / 180.0;
    return {centre.x() + radius * std::cos(a), centre.y() - radius * std::sin(a)};
}

// Three quarters of a ring turning clockwise, ending in an arrowhead. Hot spot: the centre.
QImage DrawRotate() {
    QImage image = Blank();
    QPainter painter(&image);
    const QPointF centre(15.5, 16.5);
    const double outer = 10.5;
    const double inner = 6.0;
    // From east, clockwise round to the top, where the head points east again.
    const double start = 10.0;
    const double sweep = -270.0;
    const double end = start + sweep;

    QPainterPath ring;
    ring.arcMoveTo(QRectF(centre.x() - outer, centre.y() - outer, 2 * outer, 2 * outer), start);
    ring.arcTo(QRectF(centre.x() - outer, centre.y() - outer, 2 * outer, 2 * outer), start, sweep);
    ring.arcTo(QRectF(centre.x() - inner, centre.y() - inner, 2 * inner, 2 * inner), end, -sweep);
    ring.closeSubpath();

    // The head: its base straddles the ring's end, its tip lies ahead along the clockwise
    // tangent there, which is (sin a, cos a) on the screen.
    const double a = end * std::numbers::pi / 180.0;
    const QPointF tip =
        OnCircle(centre, (outer + inner) / 2, end) + 7.0 * QPointF(std::sin(a), std::cos(a));
    QPolygonF head;
    head << OnCircle(centre, inner - 3.5, end) << OnCircle(centre, outer + 3.5, end) << tip;
    QPainterPath headPath;
    headPath.addPolygon(head);
    headPath.closeSubpath();

    Outline(painter, ring.united(headPath));
    return image;
}

// An open hand, fingers up. Hot spot: the middle of the palm.
QImage DrawHand() {
    QImage image = Blank();
    QPainter painter(&image);
    QPainterPath hand;
    hand.addRoundedRect(QRectF(8.5, 14.5, 16, 14), 4, 4);
    // Fingers, left to right, with their tops.
    const std::array<double, 4> tops = {7.5, 4.5, 5.5, 8.5};
    for (std::size_t i = 0; i < tops.size(); ++i) {
        QPainterPath finger;
        finger.addRoundedRect(QRectF(8.5 + 4.0 * static_cast<double>(i), tops[i], 4, 18), 2, 2);
        hand = hand.united(finger);
    }
    QPolygonF thumb;
    thumb << QPointF(9.5, 24.5) << QPointF(3.5, 17.5) << QPointF(4.5, 14.5) << QPointF(7.5, 14.5)
          << QPointF(10.5, 18.5);
    QPainterPath thumbPath;
    thumbPath.addPolygon(thumb);
    thumbPath.closeSubpath();
    Outline(painter, hand.united(thumbPath));
    // The gaps between the fingers, down to the palm.
    painter.setPen(Qt::black);
    for (std::size_t i = 1; i < tops.size(); ++i) {
        const int x = 8 + 4 * static_cast<int>(i);
        const int top = static_cast<int>(std::max(tops[i - 1], tops[i])) + 2;
        painter.drawLine(x, top, x, 16);
    }
    return image;
}

// A magnifying glass with a plus or a minus in its lens. Hot spot: the lens centre.
QImage DrawMagnifier(bool plus) {
    QImage image = Blank();
    QPainter painter(&image);
    QPolygonF handle;
    handle << QPointF(18.5, 21.5) << QPointF(21.5, 18.5) << QPointF(29.5, 26.5)
           << QPointF(26.5, 29.5);
    QPainterPath handlePath;
    handlePath.addPolygon(handle);
    handlePath.closeSubpath();
    Outline(painter, handlePath);

    QPainterPath lens;
    lens.addEllipse(QPointF(13.5, 13.5), 10, 10);
    QPainterPath glass;
    glass.addEllipse(QPointF(13.5, 13.5), 8, 8);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawPath(lens);
    painter.setBrush(Qt::white);
    painter.drawPath(glass);

    painter.fillRect(QRect(9, 13, 10, 2), Qt::black);
    if (plus) {
        painter.fillRect(QRect(13, 9, 2, 10), Qt::black);
    }
    return image;
}

QCursor Drawn(const QImage& image, int hotX, int hotY) {
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}

struct DrawnCursors {
    QCursor rotate = Drawn(DrawRotate(), 15, 16);
    QCursor hand = Drawn(DrawHand(), 16, 21);
    QCursor zoomIn = Drawn(DrawMagnifier(true), 13, 13);
    QCursor zoomOut = Drawn(DrawMagnifier(false), 13, 13);
};

const DrawnCursors& Cursors() {
    // Never destroyed: a pixmap must not outlive the application object, and static
    // objects are destroyed after it.
    static const DrawnCursors* const cursors = new DrawnCursors;
    return *cursors;
}

} // namespace

QtCursorService::QtCursorService(QWidget& widget) : widget_(&widget) {}

void QtCursorService::SetCursor(CursorShape shape) {
    if (widget_ != nullptr) {
        widget_->setCursor(CursorFor(shape));
    }
}

QCursor QtCursorService::CursorFor(CursorShape shape) {
    switch (shape) {
    case CursorShape::Arrow:
        break;
    case CursorShape::Cross:
        return QCursor(Qt::CrossCursor);
    case CursorShape::SizeAll:
        return QCursor(Qt::SizeAllCursor);
    case CursorShape::SizeNS:
        return QCursor(Qt::SizeVerCursor);
    case CursorShape::SizeWE:
        return QCursor(Qt::SizeHorCursor);
    case CursorShape::SizeNESW:
        return QCursor(Qt::SizeBDiagCursor);
    case CursorShape::SizeNWSE:
        return QCursor(Qt::SizeFDiagCursor);
    case CursorShape::Rotate:
        return Cursors().rotate;
    case CursorShape::Hand:
        return Cursors().hand;
    case CursorShape::ZoomIn:
        return Cursors().zoomIn;
    case CursorShape::ZoomOut:
        return Cursors().zoomOut;
    }
    return QCursor(Qt::ArrowCursor);
}
