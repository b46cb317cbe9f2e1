#include "platform_qt/QtCursorService.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <gtest/gtest.h>

#include <utility>

namespace {

// Qt::BitmapCursor: drawn for this program.
const std::pair<CursorShape, Qt::CursorShape> kShapes[] = {
    {CursorShape::Arrow, Qt::ArrowCursor},        {CursorShape::Cross, Qt::CrossCursor},
    {CursorShape::SizeAll, Qt::SizeAllCursor},    {CursorShape::SizeNS, Qt::SizeVerCursor},
    {CursorShape::SizeWE, Qt::SizeHorCursor},     {CursorShape::SizeNESW, Qt::SizeBDiagCursor},
    {CursorShape::SizeNWSE, Qt::SizeFDiagCursor}, {CursorShape::Rotate, Qt::BitmapCursor},
    {CursorShape::Hand, Qt::BitmapCursor},        {CursorShape::ZoomIn, Qt::BitmapCursor},
    {CursorShape::ZoomOut, Qt::BitmapCursor},
};

TEST(QtCursorService, EveryShapeIsASystemCursorOrADrawnPicture) {
    for (const auto& [shape, expected] : kShapes) {
        SCOPED_TRACE(static_cast<int>(shape));
        const QCursor cursor = QtCursorService::CursorFor(shape);
        EXPECT_EQ(cursor.shape(), expected);
        if (expected != Qt::BitmapCursor) {
            continue;
        }
        const QImage picture = cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(picture.size(), QSize(32, 32));
        EXPECT_TRUE(picture.rect().contains(cursor.hotSpot()));
        // A black outline round white, to read on any background, and clear around it.
        int black = 0;
        int white = 0;
        int clear = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const QRgb p = picture.pixel(x, y);
                black += p == 0xFF000000u ? 1 : 0;
                white += p == 0xFFFFFFFFu ? 1 : 0;
                clear += qAlpha(p) == 0 ? 1 : 0;
            }
        }
        EXPECT_GT(black, 20);
        EXPECT_GT(white, 20);
        EXPECT_GT(clear, 100);
    }
    EXPECT_NE(QtCursorService::CursorFor(CursorShape::ZoomIn).pixmap().toImage(),
              QtCursorService::CursorFor(CursorShape::ZoomOut).pixmap().toImage());
}

TEST(QtCursorService, SetCursorChangesTheWidgetsCursor) {
    QWidget widget;
    QtCursorService service(widget);
    for (const auto& [shape, expected] : kShapes) {
        service.SetCursor(shape);
        EXPECT_EQ(widget.cursor().shape(), expected) << static_cast<int>(shape);
        if (expected == Qt::BitmapCursor) {
            const QCursor drawn = QtCursorService::CursorFor(shape);
            EXPECT_EQ(widget.cursor().pixmap().toImage(), drawn.pixmap().toImage());
            EXPECT_EQ(widget.cursor().hotSpot(), drawn.hotSpot());
        }
    }
}

} // namespace
