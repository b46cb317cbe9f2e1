#include "view/CPlumeView.h"

#include "core/ApplicationState.h"
#include "core/CPreferences.h"
#include "database/PlumeData.h"
#include "document/CommandTable.h"
#include "image/ImageStore.h"
#include "mapping/RegGridData.h"
#include "mapping/RegGridSnap.h"
#include "mapping/TransformMan.h"
#include "platform_qt/QtColour.h"
#include "platform_qt/QtCursorService.h"
#include "platform_qt/QtDevice.h"
#include "platform_qt/QtTimerService.h"
#include "tools/AutoScrollProc.h"
#include "tools/CollectLineTool.h"
#include "tools/CollectTool.h"
#include "tools/CropTool.h"
#include "tools/Cursor.h"
#include "tools/MapTool.h"
#include "tools/PanTool.h"
#include "tools/RotateTool.h"
#include "tools/TrackMgr.h"
#include "tools/ZoominTool.h"
#include "tools/ZoomoutTool.h"
#include "view/ViewPrinter.h"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// Scroll codes of the keyboard: low byte horizontal, high byte vertical, 0xFF none.
constexpr int kLineUp = 0;
constexpr int kLineDown = 1;
constexpr int kPageUp = 2;
constexpr int kPageDown = 3;
constexpr int kTop = 6;
constexpr int kBottom = 7;
constexpr int kNone = 0xFF;

constexpr int kFirstZoomTypeCommand = kZoomFast - 1; // 32791 is zoom type 1

// The tool commands whose tool must give way to the default tool when their command
// becomes disabled.
constexpr int kRegionBoundTools[] = {kRotateMappingRegion, kCollectPoints, kCollectLines};

// A reduced display copy is used when it has at most this many screens' worth of pixels
// (or this many pixels for small windows).
constexpr std::int64_t kReducedCopyScreens = 4;
constexpr std::int64_t kReducedCopyMinimum = 4 << 20;

// A pinch of this much (in the gesture's own units) is one zoom step.
constexpr double kPinchStep = 0.15;

class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

CPlumeView::CPlumeView(CPlumeDoc* document, CPreferences* preferences, QWidget* parent)
    : QAbstractScrollArea(parent), document_(document), preferences_(preferences),
      timers_(std::make_unique<QtTimerService>()),
      cursors_(std::make_unique<QtCursorService>(*viewport())),
      tracker_(std::make_unique<TrackMgr>()) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setFocusProxy(this);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->grabGesture(Qt::PinchGesture);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setAccessibleName(tr("Image view"));
    AddTool(kDefineMappingRegion, std::make_unique<MapTool>());
    AddTool(kRotateMappingRegion, std::make_unique<RotateTool>());
    AddTool(kCollectPoints, std::make_unique<CollectTool>(preferences_));
    AddTool(kCollectLines, std::make_unique<CollectLineTool>());
    AddTool(kCrop, std::make_unique<CropTool>(preferences_));
    AddTool(kPan, std::make_unique<PanTool>());
    AddTool(kZoomInRecenter, std::make_unique<ZoominTool>());
    AddTool(kZoomOutRecenter, std::make_unique<ZoomoutTool>());
    geometry_.SetClientSize(viewport()->width(), viewport()->height());
    buffer_ = QImage(std::max(1, viewport()->width()), std::max(1, viewport()->height()),
                     QImage::Format_RGB32);
    bufferDevice_ = std::make_unique<QtDevice>(buffer_);
}

CPlumeView::~CPlumeView() {
    // The active tool is deactivated (a crop tool stops its timer) before the tools go.
    if (initialised_ && defaultTool_ != nullptr && ActiveTool() != defaultTool_) {
        SelectTool(defaultTool_);
    }
    autoScroll_.reset();
    tracker_->SetTool(nullptr);
}

// ---- attaching and notifications ----

void CPlumeView::ApplyPreferences() {
    CPreferences defaults;
    const CPreferences& p = preferences_ != nullptr ? *preferences_ : defaults;
    gridColor_ = static_cast<Colour>(p.gridColor);
    boxColor_ = static_cast<Colour>(p.boxColor);
    ptsColor_ = static_cast<Colour>(p.ptsColor);
    pickTol_ = p.pickTol;
    geometry_.SetZoomType(p.zoomType);
}

void CPlumeView::OnInitialUpdate() {
    screenBitsPerPixel_ = screen() != nullptr ? screen()->depth() : 32;
    ApplyPreferences();
    PlumeData* database = document_->Database();
    tracker_->SetView(this);
    tracker_->SetDatabase(database);
    for (auto& [command, tool] : tools_) {
        tool->SetView(this);
        tool->SetDatabase(database);
    }
    autoScroll_ = std::make_unique<AutoScrollProc>(this, timers_.get());
    defaultTool_ = nullptr;
    initialised_ = true;
    FitToWindow();
    if (database != nullptr) {
        std::unique_ptr<AttributeRep> rep = database->Grid().CreateRep(RegGridSnap::kKey);
        gridSnap_.reset(static_cast<RegGridSnap*>(rep.release()));
        tracker_->AddSnapCheck(gridSnap_.get());
    }
    tracker_->SetSnapEnabled(false);
    UpdateAccessibleDescription();
}

void CPlumeView::OnUpdate(int hint) {
    switch (hint) {
    case PlumeData::kHintImageChanged:
        reducedImage_ = QImage();
        RebuildDisplayImage();
        UpdateScrollBars();
        Redraw();
        break;
    case PlumeData::kHintImagePasted:
        reducedImage_ = QImage();
        FitToWindow();
        break;
    case PlumeData::kHintSetChosen:
        overlayOnly_ = true;
        Redraw();
        break;
    default:
        Redraw();
        break;
    }
    // A tool whose command can no longer be given gives way to the default tool.
    for (int command : kRegionBoundTools) {
        Tool* tool = ToolFor(command);
        if (tool != nullptr && ActiveTool() == tool && !QueryCommand(command).enabled &&
            defaultTool_ != nullptr) {
            SelectTool(defaultTool_);
        }
    }
    UpdateAccessibleDescription();
    AnnouncePointer(); // the pixels under the pointer may have changed
}

void CPlumeView::OnActivateView(bool active, bool hasSuccessor) {
    if (active) {
        document_->OnViewActivated();
        return;
    }
    if (!hasSuccessor) {
        for (int pane : {kPanePoints, kPaneImage, kPaneReadout}) {
            ShowStatus(pane, std::string());
        }
    }
}

bool CPlumeView::HasDisplayImage() const {
    return hasDisplayImage_;
}

// The display image is not a zoomed copy: painting renders the visible part of the zoomed
// image straight from the bitmap, so "rebuilding" fixes the zoomed size and the rules that
// hang on it.
void CPlumeView::RebuildDisplayImage() {
    WaitCursor wait;
    const auto [width, height] = document_->GetImageSize();
    geometry_.SetImageSize(width, height);
    if (hasDisplayImage_) {
        const CPreferences defaults;
        const CPreferences& p = preferences_ != nullptr ? *preferences_ : defaults;
        ImageStore::SetCacheLimit(p.allowCaching != 0 ? p.cacheSize : 0);
    }
    hasDisplayImage_ = document_->HasImage();
    if (hasDisplayImage_ && defaultTool_ == nullptr) {
        defaultTool_ = ToolFor(kDefineMappingRegion);
        SelectTool(defaultTool_);
    }
}

// ---- tools ----

void CPlumeView::AddTool(int command, std::unique_ptr<Tool> tool) {
    tool->SetView(this);
    tool->SetDatabase(document_->Database());
    tools_[command] = std::move(tool);
}

Tool* CPlumeView::ToolFor(int command) const {
    const auto it = tools_.find(command);
    return it != tools_.end() ? it->second.get() : nullptr;
}

Tool* CPlumeView::ActiveTool() const {
    return tracker_->CurrentTool();
}

void CPlumeView::SelectTool(Tool* tool) {
    ToolEvent event = MakeToolEvent(IPoint{0, 0});
    tracker_->Deactivate(event);
    tracker_->SelectTool(tool);
    tracker_->SetDatabase(document_->Database());
    tracker_->Activate(event);
    ShowDrawing();
    AnnouncePointer();
}

void CPlumeView::SwitchToolTemporarily(Tool* tool) {
    if (tool == nullptr && tracker_->RememberedTool() == nullptr) {
        return; // nothing began: the active tool stays
    }
    ToolEvent event = MakeToolEvent(IPoint{0, 0});
    tracker_->Deactivate(event);
    tracker_->PushTool(tool);
    tracker_->SetDatabase(document_->Database());
    tracker_->Activate(event);
    ShowDrawing();
    AnnouncePointer();
}

// ---- ToolView ----

IPoint CPlumeView::ClientSize() const {
    return geometry_.ClientSize();
}

ToolEvent CPlumeView::MakeToolEvent(IPoint client) {
    ToolEvent event;
    const IPoint offset = geometry_.CentringOffset();
    const IPoint scroll = geometry_.Scroll();
    bufferDevice_->SetOrigin(offset.x - scroll.x, offset.y - scroll.y);
    event.context = DrawContext(bufferDevice_.get(), geometry_.Scale());
    event.shift = modifiers_.testFlag(Qt::ShiftModifier) ? 1 : 0;
    event.ctrl = modifiers_.testFlag(Qt::ControlModifier) ? 1 : 0;
    event.alt = modifiers_.testFlag(Qt::AltModifier) ? 1 : 0;
    event.space = spaceDown_ ? 1 : 0;
    const IPoint size = ClientSize();
    event.client = IPoint{std::clamp(client.x, 0, std::max(0, size.x - 1)),
                          std::clamp(client.y, 0, std::max(0, size.y - 1))};
    event.logical = geometry_.ClientToLogical(event.client);
    event.centringOffset = offset;
    event.pixel = geometry_.LogicalToPixel(event.logical);
    const DPoint moved = geometry_.LogicalToPixel(
        geometry_.ClientToLogical(IPoint{client.x - pickTol_, client.y - pickTol_}));
    event.pickTolerance =
        DPoint{std::fabs(moved.x - event.pixel.x), std::fabs(moved.y - event.pixel.y)};
    return event;
}

void CPlumeView::AutoScrollBy(int dx, int dy) {
    Tool* tool = ActiveTool();
    ToolEvent before = MakeToolEvent(lastMouse_);
    if (tool != nullptr) {
        tool->EraseFeedback(before);
    }
    ScrollBy(dx, dy);
    ToolEvent after = MakeToolEvent(lastMouse_);
    if (tool != nullptr) {
        tool->AfterAutoScroll(after);
        tool->RedrawFeedback(after);
    }
    ShowDrawing();
}

void CPlumeView::ZoomInAt(const ToolEvent& event) {
    if (geometry_.ZoomInAt(event.logical)) {
        fitMode_ = false;
        AfterZoom();
    }
}

void CPlumeView::ZoomOutAt(const ToolEvent& event) {
    if (geometry_.ZoomOutAt(event.logical)) {
        fitMode_ = false;
        AfterZoom();
    }
}

Cursor* CPlumeView::SetCursor(Cursor* cursor) {
    Cursor* old = currentCursor_;
    currentCursor_ = cursor;
    if (cursor != nullptr) {
        cursor->Apply(*cursors_);
    } else {
        viewport()->unsetCursor();
    }
    return old;
}

void CPlumeView::ShowStatus(int pane, const std::string& text) {
    emit statusTextChanged(pane, QString::fromStdString(text));
}

void CPlumeView::UpdateOtherViews(int hint) {
    document_->UpdateOtherViews(this, hint);
}

void CPlumeView::ShowDrawing() {
    viewport()->update();
}

void CPlumeView::Invalidate() {
    Redraw();
}

TimerService& CPlumeView::Timers() {
    return *timers_;
}

// ---- zoom, scroll and saved views ----

void CPlumeView::AfterZoom() {
    RebuildDisplayImage();
    UpdateScrollBars();
    Redraw();
    emit zoomChanged(geometry_.Scale());
    UpdateAccessibleDescription();
    AnnouncePointer();
}

void CPlumeView::ZoomIn() {
    fitMode_ = false;
    if (geometry_.ZoomIn()) {
        AfterZoom();
    }
}

void CPlumeView::ZoomOut() {
    fitMode_ = false;
    if (geometry_.ZoomOut()) {
        AfterZoom();
    }
}

void CPlumeView::FitToWindow() {
    fitMode_ = true;
    const QSize client = maximumViewportSize();
    geometry_.SetClientSize(client.width(), client.height());
    const auto [width, height] = document_->GetImageSize();
    geometry_.SetImageSize(width, height);
    geometry_.FitToWindow();
    geometry_.SetClientSize(viewport()->width(), viewport()->height());
    AfterZoom();
}

void CPlumeView::ActualPixels() {
    fitMode_ = false;
    geometry_.ActualPixels();
    AfterZoom();
}

ViewSpec CPlumeView::CurrentView() const {
    return ViewSpec{geometry_.Scale(), geometry_.Scroll().x, geometry_.Scroll().y, 0};
}

void CPlumeView::SaveView() {
    savedViews_.Save(CurrentView());
}

void CPlumeView::NextSavedView() {
    if (const std::optional<ViewSpec> entry = savedViews_.Next()) {
        ApplyView(*entry);
    }
}

void CPlumeView::PreviousSavedView() {
    if (const std::optional<ViewSpec> entry = savedViews_.Previous(CurrentView())) {
        ApplyView(*entry);
    }
}

void CPlumeView::ApplyView(const ViewSpec& view) {
    geometry_.SetScale(view.scale);
    RebuildDisplayImage();
    fitMode_ = false;
    geometry_.SetScroll(IPoint{view.scrollX, view.scrollY});
    UpdateScrollBars();
    Redraw();
    emit zoomChanged(geometry_.Scale());
    UpdateAccessibleDescription();
    AnnouncePointer();
}

void CPlumeView::UpdateScrollBars() {
    settingScrollBars_ = true;
    const IPoint most = geometry_.MaxScroll();
    const IPoint client = geometry_.ClientSize();
    const IPoint scroll = geometry_.Scroll();
    horizontalScrollBar()->setRange(0, most.x);
    horizontalScrollBar()->setPageStep(std::max(1, client.x));
    horizontalScrollBar()->setSingleStep(std::max(1, client.x / 10));
    horizontalScrollBar()->setValue(scroll.x);
    verticalScrollBar()->setRange(0, most.y);
    verticalScrollBar()->setPageStep(std::max(1, client.y));
    verticalScrollBar()->setSingleStep(std::max(1, client.y / 10));
    verticalScrollBar()->setValue(scroll.y);
    settingScrollBars_ = false;
}

void CPlumeView::SyncScrollFromBars() {
    geometry_.SetScroll(IPoint{horizontalScrollBar()->value(), verticalScrollBar()->value()});
}

void CPlumeView::ScrollBy(int dx, int dy) {
    const IPoint scroll = geometry_.Scroll();
    geometry_.SetScroll(IPoint{scroll.x + dx, scroll.y + dy});
    UpdateScrollBars();
    Redraw();
    AnnouncePointer();
}

void CPlumeView::scrollContentsBy(int, int) {
    if (settingScrollBars_) {
        return;
    }
    SyncScrollFromBars();
    Redraw();
    AnnouncePointer();
}

void CPlumeView::OnScrollCode(int code) {
    const int horizontal = code & 0xFF;
    const int vertical = (code >> 8) & 0xFF;
    const auto apply = [](QScrollBar* bar, int action) {
        switch (action) {
        case kLineUp:
            bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
            break;
        case kLineDown:
            bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            break;
        case kPageUp:
            bar->triggerAction(QAbstractSlider::SliderPageStepSub);
            break;
        case kPageDown:
            bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
            break;
        case kTop:
            bar->triggerAction(QAbstractSlider::SliderToMinimum);
            break;
        case kBottom:
            bar->triggerAction(QAbstractSlider::SliderToMaximum);
            break;
        default:
            break;
        }
    };
    if (horizontal != kNone) {
        apply(horizontalScrollBar(), horizontal);
    }
    if (vertical != kNone) {
        apply(verticalScrollBar(), vertical);
    }
}

// ---- painting ----

void CPlumeView::Redraw() {
    RenderBuffer();
    viewport()->update();
}

void CPlumeView::DrawScene(QtDevice& device, double scale, bool printing) {
    PlumeData* database = document_->Database();
    if (database == nullptr) {
        return;
    }
    DrawContext context(&device, scale);
    const PackedBitmap* bitmap = &database->Image().GetPackedBitmap();
    const IPoint image = geometry_.ImageSize();
    const auto zoomed = [scale](int extent) {
        return static_cast<int>(std::min(extent * scale + 0.5, 2147483647.0));
    };
    const IPoint display{zoomed(image.x), zoomed(image.y)};
    // Zoomed out, a repaint would read scattered pixels of a bitmap far larger than the
    // cache; a zoomed copy in the screen's format (the same nearest-neighbour pixels, made
    // once per zoom) is then copied instead, as long as it is no larger than a few screens.
    const IPoint client = geometry_.ClientSize();
    const std::int64_t copyLimit = std::max<std::int64_t>(
        kReducedCopyScreens * std::int64_t{client.x} * client.y, kReducedCopyMinimum);
    const PackedBitmapView source{bitmap->Data(), bitmap->TotalSize()};
    if (!printing && !drawDithered_ && display.x < bitmap->Width() &&
        display.y < bitmap->Height() && std::int64_t{display.x} * display.y <= copyLimit) {
        if (reducedImage_.size() != QSize(display.x, display.y)) {
            reducedImage_ = QImage(display.x, display.y, QImage::Format_RGB32);
            QtDevice copy(reducedImage_);
            copy.DrawPackedBitmap(source, 0, 0, display.x, display.y, 0, 0, bitmap->Width(),
                                  bitmap->Height());
        }
        const IPoint origin = geometry_.LogicalToClient(IPoint{0, 0});
        QPainter painter(&buffer_);
        painter.drawImage(QPoint(origin.x, origin.y), reducedImage_);
    } else {
        reducedImage_ = QImage();
        device.SetDithered(drawDithered_);
        device.DrawPackedBitmap(source, 0, 0, display.x, display.y, 0, 0, bitmap->Width(),
                                bitmap->Height());
    }
    if (gridSnap_) {
        context.SelectPen(Pen{gridColor_, 0, PenStyle::Solid});
        gridSnap_->Draw(context);
        context.RestorePen();
    }
    context.SelectPen(Pen{boxColor_, 0, PenStyle::Solid});
    if (TransformMan* manager = document_->MappingManager()) {
        manager->DrawRegion(context);
    } else {
        database->DrawMapping(context);
    }
    context.RestorePen();
    context.SelectPen(Pen{ptsColor_, 0, PenStyle::Solid});
    database->DrawSets(context);
    context.RestorePen();
    if (!printing) {
        ToolEvent event = MakeToolEvent(IPoint{0, 0});
        tracker_->DrawOverlay(event);
    }
}

// A hint-3 repaint (the current set changed) would keep the image, grid and region and
// draw the sets and the tool overlay again. Rendering the visible part of the image costs
// about what copying a saved layer would, so the whole scene is rendered again instead:
// the pixels are the same, and no second screen-sized layer is kept.
void CPlumeView::RenderBuffer() {
    const QSize size = viewport()->size();
    if (buffer_.size() != size && !size.isEmpty()) {
        buffer_ = QImage(size, QImage::Format_RGB32);
        bufferDevice_ = std::make_unique<QtDevice>(buffer_);
    }
    const QColor window = palette().color(QPalette::Base);
    overlayOnly_ = false;
    if (!hasDisplayImage_ || document_->Database() == nullptr) {
        buffer_.fill(window);
        return;
    }
    const IPoint offset = geometry_.CentringOffset();
    const IPoint scroll = geometry_.Scroll();
    const IPoint display = geometry_.DisplaySize();
    {
        // Only the strips the image does not cover are filled; the image paints the rest.
        QPainter painter(&buffer_);
        const QRect all(QPoint(0, 0), buffer_.size());
        const QRect image =
            QRect(offset.x - scroll.x, offset.y - scroll.y, display.x, display.y).intersected(all);
        if (image.isEmpty()) {
            painter.fillRect(all, window);
        } else {
            painter.fillRect(QRect(0, 0, all.width(), image.top()), window);
            painter.fillRect(QRect(0, image.bottom() + 1, all.width(), all.height()), window);
            painter.fillRect(QRect(0, image.top(), image.left(), image.height()), window);
            painter.fillRect(QRect(image.right() + 1, image.top(), all.width(), image.height()),
                             window);
        }
    }
    bufferDevice_->SetOrigin(offset.x - scroll.x, offset.y - scroll.y);
    DrawScene(*bufferDevice_, geometry_.Scale(), false);
}

void CPlumeView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.drawImage(0, 0, buffer_);
}

void CPlumeView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    geometry_.SetClientSize(viewport()->width(), viewport()->height());
    if (fitMode_ && initialised_) {
        FitToWindow();
        return;
    }
    UpdateScrollBars();
    Redraw();
}

// ---- mouse and keyboard ----

void CPlumeView::RecordModifiers(Qt::KeyboardModifiers modifiers) {
    const bool changed = modifiers != modifiers_;
    modifiers_ = modifiers;
    if (changed) {
        AnnouncePointer(); // Shift turns snapping off
    }
}

CPlumeView::PointerProbe CPlumeView::Probe() {
    PointerProbe probe;
    probe.inside = pointerInside_ && hasDisplayImage_;
    ToolEvent event = MakeToolEvent(lastMouse_);
    probe.rawPixel = event.pixel;
    tracker_->SnapEvent(event);
    probe.pixel = event.pixel;
    return probe;
}

void CPlumeView::AnnouncePointer() {
    if (probeWanted_) {
        emit pointerMoved();
    }
}

void CPlumeView::leaveEvent(QEvent* event) {
    QAbstractScrollArea::leaveEvent(event);
    if (!captured_) {
        pointerInside_ = false;
        AnnouncePointer();
    }
}

void CPlumeView::mousePressEvent(QMouseEvent* event) {
    RecordModifiers(event->modifiers());
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    captured_ = true;
    lastMouse_ = IPoint{event->position().toPoint().x(), event->position().toPoint().y()};
    ToolEvent toolEvent = MakeToolEvent(lastMouse_);
    toolEvent.button = 1;
    tracker_->ButtonDown(toolEvent);
    ShowDrawing();
}

void CPlumeView::mouseMoveEvent(QMouseEvent* event) {
    RecordModifiers(event->modifiers());
    const QPoint point = event->position().toPoint();
    lastMouse_ = IPoint{point.x(), point.y()};
    pointerInside_ = viewport()->rect().contains(point);
    ToolEvent toolEvent = MakeToolEvent(lastMouse_);
    if (captured_) {
        toolEvent.button = 1;
        tracker_->Drag(toolEvent);
        const bool inside = viewport()->rect().contains(point);
        if (!inside && autoScroll_ && !autoScroll_->IsRunning()) {
            autoScroll_->StartScroll(this, tracker_->ScrollDirection().x);
            autoScroll_->Tick();
        } else if (inside && autoScroll_) {
            autoScroll_->Stop();
        }
    } else {
        tracker_->Hover(toolEvent);
    }
    ShowDrawing();
    AnnouncePointer();
}

void CPlumeView::mouseReleaseEvent(QMouseEvent* event) {
    RecordModifiers(event->modifiers());
    if (event->button() != Qt::LeftButton || !captured_) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    const QPoint point = event->position().toPoint();
    lastMouse_ = IPoint{point.x(), point.y()};
    ToolEvent toolEvent = MakeToolEvent(lastMouse_);
    tracker_->ButtonUp(toolEvent);
    captured_ = false;
    if (autoScroll_) {
        autoScroll_->Stop();
    }
    ShowDrawing();
}

void CPlumeView::wheelEvent(QWheelEvent* event) {
    RecordModifiers(event->modifiers());
    const QPoint angle = event->angleDelta();
    if (event->modifiers().testFlag(Qt::ControlModifier)) {
        if (angle.y() == 0 || !hasDisplayImage_) {
            return;
        }
        const QPoint point = event->position().toPoint();
        const ToolEvent at = MakeToolEvent(IPoint{point.x(), point.y()});
        if (angle.y() > 0) {
            ZoomInAt(at);
        } else {
            ZoomOutAt(at);
        }
        event->accept();
        return;
    }
    // Three lines a notch; Shift turns the wheel sideways.
    const int notches = (angle.y() != 0 ? angle.y() : angle.x()) / 120;
    const bool sideways = event->modifiers().testFlag(Qt::ShiftModifier) || angle.y() == 0;
    QScrollBar* bar = sideways ? horizontalScrollBar() : verticalScrollBar();
    bar->setValue(bar->value() - notches * 3 * bar->singleStep());
    event->accept();
}

bool CPlumeView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::NativeGesture) {
        auto* gesture = static_cast<QNativeGestureEvent*>(event);
        if (gesture->gestureType() == Qt::ZoomNativeGesture && hasDisplayImage_) {
            pinchRemainder_ += gesture->value();
            const QPoint point = gesture->position().toPoint();
            while (std::fabs(pinchRemainder_) >= kPinchStep) {
                const ToolEvent at = MakeToolEvent(IPoint{point.x(), point.y()});
                if (pinchRemainder_ > 0) {
                    ZoomInAt(at);
                    pinchRemainder_ -= kPinchStep;
                } else {
                    ZoomOutAt(at);
                    pinchRemainder_ += kPinchStep;
                }
            }
            return true;
        }
    }
    return QAbstractScrollArea::viewportEvent(event);
}

Tool* CPlumeView::TemporaryToolChoice() const {
    if (zDown_) {
        return ToolFor(kZoomInRecenter);
    }
    if (xDown_) {
        return ToolFor(kZoomOutRecenter);
    }
    return ToolFor(kPan);
}

void CPlumeView::HandleTemporaryKeys(bool keyDown) {
    if (tracker_->TrackState() != TrackMgr::kIdle) {
        return; // no switch while a press is tracked
    }
    if (spaceDown_) {
        Tool* choice = TemporaryToolChoice();
        if (choice != nullptr && choice != ActiveTool()) {
            SwitchToolTemporarily(choice);
        }
        return;
    }
    if (!keyDown && !zDown_ && !xDown_) {
        SwitchToolTemporarily(nullptr);
    }
}

void CPlumeView::keyPressEvent(QKeyEvent* event) {
    RecordModifiers(event->modifiers());
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    const bool first = !event->isAutoRepeat();
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (first) {
            ToolEvent toolEvent = MakeToolEvent(IPoint{0, 0});
            tracker_->Finish(toolEvent);
            document_->CommitTask();
            ShowDrawing();
        }
        return;
    case Qt::Key_Escape:
        if (first) {
            ToolEvent toolEvent = MakeToolEvent(IPoint{0, 0});
            tracker_->Cancel(toolEvent);
            ShowDrawing();
        }
        return;
    case Qt::Key_Space:
    case Qt::Key_Z:
    case Qt::Key_X:
        if (first) {
            if (tracker_->TrackState() != TrackMgr::kIdle) {
                return; // ignored while a press is tracked, and not recorded as held
            }
            spaceDown_ = spaceDown_ || event->key() == Qt::Key_Space;
            zDown_ = zDown_ || event->key() == Qt::Key_Z;
            xDown_ = xDown_ || event->key() == Qt::Key_X;
            HandleTemporaryKeys(true);
        }
        return;
    case Qt::Key_PageUp:
        OnScrollCode(ctrl ? 0xFF03 : 0x02FF);
        return;
    case Qt::Key_PageDown:
        OnScrollCode(ctrl ? 0xFF02 : 0x03FF);
        return;
    case Qt::Key_Home:
        OnScrollCode(0x0606);
        return;
    case Qt::Key_End:
        OnScrollCode(0x0707);
        return;
    case Qt::Key_Left:
        OnScrollCode(0xFF00);
        return;
    case Qt::Key_Up:
        OnScrollCode(0x00FF);
        return;
    case Qt::Key_Right:
        OnScrollCode(0xFF01);
        return;
    case Qt::Key_Down:
        OnScrollCode(0x01FF);
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
}

void CPlumeView::keyReleaseEvent(QKeyEvent* event) {
    RecordModifiers(event->modifiers());
    const int key = event->key();
    if (event->isAutoRepeat() || (key != Qt::Key_Space && key != Qt::Key_Z && key != Qt::Key_X)) {
        QAbstractScrollArea::keyReleaseEvent(event);
        return;
    }
    if (key == Qt::Key_Space) {
        spaceDown_ = false;
    } else if (key == Qt::Key_Z) {
        zDown_ = false;
    } else {
        xDown_ = false;
    }
    const Qt::KeyboardModifiers held = event->modifiers();
    if (held.testFlag(Qt::ControlModifier) || held.testFlag(Qt::ShiftModifier) ||
        held.testFlag(Qt::AltModifier)) {
        return;
    }
    HandleTemporaryKeys(false);
}

void CPlumeView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void CPlumeView::UpdateAccessibleDescription() {
    const QString title = QString::fromStdString(document_->Title());
    const int percent = static_cast<int>(std::lround(geometry_.Scale() * 100.0));
    if (!hasDisplayImage_) {
        setAccessibleDescription(tr("%1, no image").arg(title));
        return;
    }
    const IPoint image = geometry_.ImageSize();
    setAccessibleDescription(
        tr("%1, %2 by %3 pixels, zoom %4%").arg(title).arg(image.x).arg(image.y).arg(percent));
}

// ---- commands ----

CPlumeDoc::CommandState CPlumeView::QueryCommand(int id) const {
    const CommandRow* row = FindCommand(id);
    if (row == nullptr || row->handler != CommandHandler::View) {
        return CPlumeDoc::CommandState{};
    }
    const bool selectsTool = id == kDefineMappingRegion || id == kRotateMappingRegion ||
                             id == kCollectPoints || id == kCollectLines || id == kPan ||
                             id == kZoomInRecenter || id == kZoomOutRecenter || id == kCrop;
    if (selectsTool && ToolFor(id) == nullptr) {
        return CPlumeDoc::CommandState{};
    }
    const auto holds = [&](CommandCondition condition) {
        using C = CommandCondition;
        switch (condition) {
        case C::DisplayImageExists:
            return hasDisplayImage_;
        case C::HasNextSavedView:
            return savedViews_.CanNext();
        case C::HasPreviousSavedView:
            return savedViews_.CanPrevious(CurrentView());
        case C::ToolActive:
            return ToolFor(id) != nullptr && ActiveTool() == ToolFor(id);
        case C::ZoomTypeMatches:
            return geometry_.ZoomType() == id - kFirstZoomTypeCommand;
        case C::DrawDithered:
            return drawDithered_;
        case C::ActualPixels:
            return std::fabs(geometry_.Scale() - 1.0) < 0.00001;
        default:
            return IsDocumentCondition(condition) && document_->Holds(condition);
        }
    };
    return CPlumeDoc::CommandState{holds(row->enabled), holds(row->checked)};
}

bool CPlumeView::RunCommand(int id) {
    if (!QueryCommand(id).enabled) {
        return false;
    }
    switch (id) {
    case kZoomIn:
        ZoomIn();
        return true;
    case kZoomOut:
        ZoomOut();
        return true;
    case kFitToWindow:
        FitToWindow();
        return true;
    case kActualPixels:
        ActualPixels();
        return true;
    case kRefresh:
        Redraw();
        return true;
    case kZoomFast:
    case kZoomMedium:
    case kZoomSlow:
        geometry_.SetZoomType(id - kFirstZoomTypeCommand);
        if (preferences_ != nullptr) {
            preferences_->zoomType = geometry_.ZoomType();
        }
        return true;
    case kDrawDithered:
        drawDithered_ = !drawDithered_;
        Redraw();
        return true;
    case kSaveView:
        SaveView();
        return true;
    case kNextSavedView:
        NextSavedView();
        return true;
    case kPreviousSavedView:
        PreviousSavedView();
        return true;
    case kPrint:
        return ViewPrinter::PrintWithDialog(*this);
    case kPrintDirect:
        return ViewPrinter::PrintDirect(*this);
    case kPrintPreview:
        return ViewPrinter::Preview(*this);
    case kCollectPoints:
    case kCollectLines:
        if (!ConfirmMapping()) {
            return false;
        }
        SelectTool(ToolFor(id));
        return true;
    default:
        if (Tool* tool = ToolFor(id)) {
            SelectTool(tool);
            return true;
        }
        return false;
    }
}

bool CPlumeView::ConfirmMapping() {
    if (confirmMapping_) {
        return confirmMapping_();
    }
    const PlumeData* database = document_->Database();
    return database != nullptr && database->Mapping().limitsSet == 1;
}

// ---- printing ----

bool CPlumeView::PrintTo(QPrinter& printer) {
    return ViewPrinter::Render(*this, printer);
}
