#include "view/Magnifier.h"

#include "database/PlumeData.h"
#include "image/ImageStore.h"
#include "mapping/TransformData.h"
#include "platform_qt/QtDevice.h"
#include "tools/StatusText.h"
#include "view/CPlumeView.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

namespace {

constexpr int kSize = Magnifier::kPictureSize;

// A probed position further out than this (image pixels) is held here before it is turned
// into an integer: no image reaches it, and the cell arithmetic below stays far inside 64
// bits.
constexpr double kFarOut = 1099511627776.0; // 2^40

// The screen position of the probed pixel's square: centred in the picture.
constexpr int CellOrigin(int zoom) {
    return (kSize - zoom) / 2;
}

// The image pixels of one picture axis: the columns (or rows) of cells that meet the
// picture, cut to the image, and where the first of them lands.
struct AxisRun {
    int source = 0; // first image pixel drawn
    int count = 0;  // image pixels drawn; 0 when the picture misses the image on this axis
    int dest = 0;   // picture pixel of the first drawn cell's first screen pixel (may be < 0)
};

AxisRun RunFor(std::int64_t probed, int extent, int zoom) {
    const int origin = CellOrigin(zoom);
    // Cells wholly or partly left of (above) the probed cell; the first may be cut by the
    // picture's edge.
    const std::int64_t before = (origin + zoom - 1) / zoom;
    const std::int64_t first = probed - before;
    const std::int64_t firstDest = origin - before * zoom;
    const std::int64_t cells = (kSize - firstDest + zoom - 1) / zoom;
    const std::int64_t from = std::max<std::int64_t>(first, 0);
    const std::int64_t to = std::min<std::int64_t>(first + cells, extent);
    AxisRun run;
    if (to <= from) {
        return run;
    }
    run.source = static_cast<int>(from);
    run.count = static_cast<int>(to - from);
    run.dest = static_cast<int>(firstDest + (from - first) * zoom);
    return run;
}

// A horizontal and a vertical line through the centre of the probed cell, each a dark and a
// light line side by side so that one of them stands out on any image, and a square of the
// same two tones just outside the cell. The arms stop at the square, so the probed pixel
// itself stays in view.
void DrawCrossHair(QtDevice& device, int zoom) {
    const int cell = CellOrigin(zoom);
    const int centre = kSize / 2; // the cell's centre lies between pixels centre - 1 and centre
    const int inner = cell - 1;   // light square
    const int outer = cell - 2;   // dark square
    const int innerEnd = cell + zoom + 1;
    const int outerEnd = cell + zoom + 2;
    const auto outline = [&device](int left, int top, int right, int bottom, Colour colour) {
        device.FillRect(left, top, right, top + 1, colour);
        device.FillRect(left, bottom - 1, right, bottom, colour);
        device.FillRect(left, top, left + 1, bottom, colour);
        device.FillRect(right - 1, top, right, bottom, colour);
    };
    outline(outer, outer, outerEnd, outerEnd, kBlack);
    outline(inner, inner, innerEnd, innerEnd, kWhite);
    // Arms from the picture's edges to the dark square.
    for (const auto& [from, to] : {std::pair{0, outer}, std::pair{outerEnd, kSize}}) {
        device.FillRect(from, centre - 1, to, centre, kBlack);
        device.FillRect(from, centre, to, centre + 1, kWhite);
        device.FillRect(centre - 1, from, centre, to, kBlack);
        device.FillRect(centre, from, centre + 1, to, kWhite);
    }
}

} // namespace

// The picture itself: a fixed-size area that paints the magnifier's picture as it is.
class Magnifier::PictureArea : public QWidget {
public:
    explicit PictureArea(Magnifier* owner) : QWidget(owner), owner_(owner) {
        setFixedSize(kSize, kSize);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAccessibleName(tr("Magnified image"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawImage(QRect(0, 0, kSize, kSize), owner_->Picture());
    }

private:
    Magnifier* owner_;
};

Magnifier::Magnifier(QWidget* parent)
    : QWidget(parent), picture_(kSize, kSize, QImage::Format_RGB32) {
    setAccessibleName(tr("Magnifier"));
    area_ = new PictureArea(this);
    position_ = new QLabel(this);
    position_->setAccessibleName(tr("Graph position under the cross-hair"));
    position_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    position_->setMinimumWidth(kSize);

    zoom4_ = new QRadioButton(tr("4x"), this);
    zoom4_->setAccessibleName(tr("Magnify 4 times"));
    zoom8_ = new QRadioButton(tr("8x"), this);
    zoom8_->setAccessibleName(tr("Magnify 8 times"));
    zoomGroup_ = new QButtonGroup(this);
    zoomGroup_->addButton(zoom4_, 4);
    zoomGroup_->addButton(zoom8_, 8);
    zoom8_->setChecked(true);
    connect(zoomGroup_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked) {
            SetZoom(id);
        }
    });

    auto* zoomRow = new QHBoxLayout;
    zoomRow->addWidget(zoom4_);
    zoomRow->addWidget(zoom8_);
    zoomRow->addStretch(1);
    auto* column = new QVBoxLayout(this);
    column->addWidget(area_, 0, Qt::AlignHCenter);
    column->addWidget(position_);
    column->addLayout(zoomRow);
    column->addStretch(1);

    ShowNothing();
}

Magnifier::~Magnifier() {
    if (view_ != nullptr) {
        view_->SetProbeWanted(false);
    }
}

void Magnifier::SetView(CPlumeView* view) {
    if (view == view_) {
        return;
    }
    if (view_ != nullptr) {
        disconnect(moved_);
        disconnect(gone_);
        view_->SetProbeWanted(false);
    }
    view_ = view;
    if (view != nullptr) {
        moved_ = connect(view, &CPlumeView::pointerMoved, this, &Magnifier::Refresh);
        // By the time destroyed is emitted the pointer is already null; the picture of a view
        // that is gone must not stay up.
        gone_ = connect(view, &QObject::destroyed, this, &Magnifier::ShowNothing);
        view->SetProbeWanted(isVisible());
    }
    if (isVisible()) {
        Refresh();
    } else {
        ShowNothing();
    }
}

void Magnifier::SetZoom(int zoom) {
    if ((zoom != 4 && zoom != 8) || zoom == zoom_) {
        return;
    }
    zoom_ = zoom;
    (zoom == 4 ? zoom4_ : zoom8_)->setChecked(true);
    Refresh();
    emit zoomChanged(zoom);
}

void Magnifier::Refresh() {
    if (!isVisible()) {
        return;
    }
    CPlumeView* view = view_.data();
    PlumeData* database =
        view != nullptr && view->Document() != nullptr ? view->Document()->Database() : nullptr;
    if (database == nullptr) {
        ShowNothing();
        return;
    }
    const CPlumeView::PointerProbe probe = view->Probe();
    if (!probe.inside || !std::isfinite(probe.pixel.x) || !std::isfinite(probe.pixel.y)) {
        ShowNothing();
        return;
    }
    const auto whole = [](double v) {
        return static_cast<std::int64_t>(std::floor(std::clamp(v, -kFarOut, kFarOut)));
    };
    const std::int64_t px = whole(probe.pixel.x);
    const std::int64_t py = whole(probe.pixel.y);

    picture_.fill(kBackground);
    QtDevice device(picture_);
    const PackedBitmap& bitmap = database->Image().GetPackedBitmap();
    const AxisRun columns = RunFor(px, bitmap.Width(), zoom_);
    const AxisRun rows = RunFor(py, bitmap.Height(), zoom_);
    if (columns.count > 0 && rows.count > 0) {
        // Whole multiples, so every cell is exactly zoom x zoom copies of one source pixel.
        device.DrawPackedBitmap(PackedBitmapView{bitmap.Data(), bitmap.TotalSize()}, columns.dest,
                                rows.dest, columns.count * zoom_, rows.count * zoom_,
                                columns.source, rows.source, columns.count, rows.count);
    }
    DrawCrossHair(device, zoom_);

    DPoint graph;
    positionText_ = database->Mapping().PixelToGraph(probe.pixel, graph)
                        ? QString::fromStdString(FormatStatus("%g, %g", graph.x, graph.y))
                        : QString();
    const QString where = tr("Pixel %1, %2").arg(px).arg(py);
    area_->setAccessibleDescription(positionText_.isEmpty()
                                        ? tr("%1, no graph position").arg(where)
                                        : tr("%1, graph position %2").arg(where, positionText_));
    Publish();
}

void Magnifier::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (view_ != nullptr) {
        view_->SetProbeWanted(true);
    }
    Refresh();
}

void Magnifier::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (view_ != nullptr) {
        view_->SetProbeWanted(false);
    }
}

void Magnifier::ShowNothing() {
    picture_.fill(kBackground);
    positionText_.clear();
    area_->setAccessibleDescription(tr("No image under the pointer"));
    Publish();
}

void Magnifier::Publish() {
    position_->setText(positionText_);
    area_->update();
}
