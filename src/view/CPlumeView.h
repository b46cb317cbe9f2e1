#pragma once

#include "document/CPlumeDoc.h"
#include "tools/ToolView.h"
#include "view/SavedViews.h"
#include "view/ViewGeometry.h"

#include <QAbstractScrollArea>
#include <QImage>

#include <functional>
#include <map>
#include <memory>

class AutoScrollProc;
class CPreferences;
class QPrinter;
class QtCursorService;
class QtDevice;
class QtTimerService;
class RegGridSnap;
class Tool;
class TrackMgr;

// The scrollable, zoomable window that shows a document's image with the mapping region,
// the grid and the data sets drawn over it. Everything is drawn into a back buffer the
// size of the client area (the screen, as far as the tools know): the tools draw their
// not-xor feedback straight into it, and a paint only copies it to the window. Only the
// visible part of the zoomed image is ever rendered, so memory does not grow with the zoom.
//
// The view owns the tools, the tool manager, the automatic-scroll timer and the stack of
// saved views. Its commands are the rows of the command table whose handler is the view.
class CPlumeView : public QAbstractScrollArea, public ToolView {
    Q_OBJECT

public:
    // Status-bar panes the view and its tools write.
    static constexpr int kPanePrompt = 0;
    static constexpr int kPanePoints = 2;
    static constexpr int kPaneImage = 4;
    static constexpr int kPaneReadout = 5;

    CPlumeView(CPlumeDoc* document, CPreferences* preferences, QWidget* parent = nullptr);
    ~CPlumeView() override;

    // Attaches the view to its document (the first update): preferences, tools, fit to
    // window, the grid snap.
    void OnInitialUpdate();
    // A document notification: 1 image changed, 2 image pasted (fit), 3 current set chosen,
    // anything else a redraw.
    void OnUpdate(int hint);
    // Becoming the active view, or losing that with no successor.
    void OnActivateView(bool active, bool hasSuccessor);

    CPlumeDoc::CommandState QueryCommand(int id) const;
    // False when the command is not the view's, is disabled, or did nothing.
    bool RunCommand(int id);

    // The tools, one per tool-selecting command, made with the view.
    void AddTool(int command, std::unique_ptr<Tool> tool);
    Tool* ToolFor(int command) const;
    void SelectTool(Tool* tool);
    void SwitchToolTemporarily(Tool* tool);
    Tool* ActiveTool() const;
    Tool* DefaultTool() const { return defaultTool_; }
    TrackMgr& Tracker() { return *tracker_; }

    // ToolView
    ToolEvent MakeToolEvent(IPoint client) override;
    void AutoScrollBy(int dx, int dy) override;
    void ZoomInAt(const ToolEvent& event) override;
    void ZoomOutAt(const ToolEvent& event) override;
    IPoint LastMousePosition() const override { return lastMouse_; }
    IPoint ClientSize() const override;
    Cursor* SetCursor(Cursor* cursor) override;
    void ShowStatus(int pane, const std::string& text) override;
    void UpdateOtherViews(int hint) override;
    void ShowDrawing() override;
    void Invalidate() override;
    TimerService& Timers() override;

    // Collect Points and Collect Lines need a confirmed mapping first: the window that holds
    // the view asks for one (the Axis Mapping dialog) through this function, which answers
    // whether the mapping is confirmed afterwards. Without one, a mapping whose limits were
    // never assigned is not confirmed.
    void SetMappingConfirmation(std::function<bool()> confirm) {
        confirmMapping_ = std::move(confirm);
    }

    // The zoom commands and saved views.
    void ZoomIn();
    void ZoomOut();
    void FitToWindow();
    void ActualPixels();
    void SaveView();
    void NextSavedView();
    void PreviousSavedView();
    ViewSpec CurrentView() const;
    // Shows a view: its scale and scroll position (as applying a saved view does).
    void ApplyView(const ViewSpec& view);

    // Prints one page: the image filling the page less an inch each way, centred, without
    // tool feedback. False when nothing could be printed.
    bool PrintTo(QPrinter& printer);
    // Draws the image, grid, region and sets at a scale in logical units of the device
    // (whose origin the caller has set), then the tool overlay unless printing.
    void DrawScene(QtDevice& device, double scale, bool printing);

    const ViewGeometry& Geometry() const { return geometry_; }
    const SavedViews& Views() const { return savedViews_; }
    const QImage& BackBuffer() const { return buffer_; }
    bool FitMode() const { return fitMode_; }
    bool DrawDithered() const { return drawDithered_; }
    bool HasDisplayImage() const;
    int PickTolerance() const { return pickTol_; }
    CPlumeDoc* Document() const { return document_; }
    // Renders the back buffer again and shows it: what an invalidation does.
    void Redraw();

    // Where a click at the pointer would land: the image pixel after the active tool's
    // snapping (none with Shift held or snapping off), the pixel before it, and whether the
    // pointer is over the view's client area at all.
    struct PointerProbe {
        DPoint pixel;
        DPoint rawPixel;
        bool inside = false;
    };
    PointerProbe Probe();
    // pointerMoved is emitted only while someone wants it, so nothing is computed for a
    // magnifier that is hidden.
    void SetProbeWanted(bool wanted) { probeWanted_ = wanted; }
    bool ProbeWanted() const { return probeWanted_; }

signals:
    void statusTextChanged(int pane, const QString& text);
    // The zoom changed (for the window title, the accessible description).
    void zoomChanged(double scale);
    // The pointer moved, the view scrolled or zoomed under it, the tool (and so the
    // snapping) changed, or the pointer left: Probe() has a new answer.
    void pointerMoved();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void ApplyPreferences();
    void RebuildDisplayImage();
    void UpdateScrollBars();
    void SyncScrollFromBars();
    void AfterZoom();
    void RenderBuffer();
    void ScrollBy(int dx, int dy);
    void OnScrollCode(int code);
    Tool* TemporaryToolChoice() const;
    void HandleTemporaryKeys(bool keyDown);
    void UpdateAccessibleDescription();
    void RecordModifiers(Qt::KeyboardModifiers modifiers);
    void AnnouncePointer();
    bool ConfirmMapping();

    CPlumeDoc* document_;
    CPreferences* preferences_;
    ViewGeometry geometry_;
    SavedViews savedViews_;
    QImage buffer_;
    // The zoomed-out image in the screen's format, kept for the zoom it was made for.
    QImage reducedImage_;
    std::unique_ptr<QtDevice> bufferDevice_;
    std::unique_ptr<QtTimerService> timers_;
    std::unique_ptr<QtCursorService> cursors_;
    std::unique_ptr<TrackMgr> tracker_;
    std::map<int, std::unique_ptr<Tool>> tools_;
    std::unique_ptr<AutoScrollProc> autoScroll_;
    std::unique_ptr<RegGridSnap> gridSnap_;
    Tool* defaultTool_ = nullptr;
    Cursor* currentCursor_ = nullptr;
    bool hasDisplayImage_ = false;
    bool fitMode_ = false;
    bool drawDithered_ = false;
    bool overlayOnly_ = false;
    bool captured_ = false;
    bool initialised_ = false;
    bool settingScrollBars_ = false;
    int pickTol_ = 2;
    int screenBitsPerPixel_ = 32;
    Colour gridColor_ = 13158600;
    Colour boxColor_ = 255;
    Colour ptsColor_ = 255;
    IPoint lastMouse_;
    Qt::KeyboardModifiers modifiers_;
    bool spaceDown_ = false;
    bool zDown_ = false;
    bool xDown_ = false;
    double pinchRemainder_ = 0.0;
    std::function<bool()> confirmMapping_;
    bool probeWanted_ = false;
    bool pointerInside_ = false;
};
