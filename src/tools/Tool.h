#pragma once

#include "core/Geometry.h"
#include "tools/ToolEvent.h"

#include <memory>

class Cursor;
class PlumeData;
class Task;
class ToolView;
class TrackMgr;

// The base of every mouse tool of the image view, and of the manager that dispatches to
// them. The view turns window messages into ToolEvents; the manager snaps them and calls
// the active tool. The base's defaults show the pointer's position in the status bar.
//
// Status panes: 0 prompts and tool messages, 5 tool read-outs.
class Tool {
public:
    Tool();
    Tool(const Tool&) = delete;
    Tool& operator=(const Tool&) = delete;
    virtual ~Tool();

    // Pane 0: "Move at Pixel (%d,%d)  Logical(%d,%d)  Scaled(%g,%g)" with the client,
    // logical and image-pixel positions.
    virtual void ButtonDown(ToolEvent& event);
    virtual void Drag(ToolEvent& event);
    virtual void ButtonUp(ToolEvent& event);
    // After snapping.
    virtual void Hover(ToolEvent& event);
    // Before snapping: "MoveRaw at Pixel ..." with the same values.
    virtual void HoverRaw(ToolEvent& event);
    // Enter and Escape.
    virtual void Finish(ToolEvent& event);
    virtual void Cancel(ToolEvent& event);
    // The tool's feedback, drawn again over a fresh paint of the view.
    virtual void DrawOverlay(ToolEvent& event);
    // Around an automatic scroll: the feedback is taken off, the view scrolls, the tool
    // recomputes its drag from a fresh event (AfterAutoScroll) and draws it again.
    virtual void EraseFeedback(ToolEvent& event);
    virtual void RedrawFeedback(ToolEvent& event);
    // A press (phase 1) or release (phase 3) with Ctrl held; no tool does anything with it.
    virtual void ModifiedClick(ToolEvent& event, int phase);
    // Pane 0, printf style, cut at 1,023 characters; numbers in the C locale.
    void ShowStatus(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void ShowStatusIn(int pane, const char* format, ...) __attribute__((format(printf, 3, 4)));
    // Pane 0: "Plot Position (%.*g, %.*g)", each coordinate with as many digits as the
    // graph size of one logical unit there makes meaningful; "" where the mapping fails.
    virtual void ShowPlotPosition(const ToolEvent& event);
    // Pane 5: "%g, %g", the graph size of one logical unit at the event, to 3 significant
    // digits.
    virtual void ShowResolution(const ToolEvent& event);
    virtual void SetManager(TrackMgr* manager);
    TrackMgr* Manager() const { return manager_; }
    // The document's other views redraw (hint 0).
    void NotifyViews();
    virtual void AfterAutoScroll(ToolEvent& event);
    // The sign of the automatic scroll while a drag is outside the view, per axis.
    virtual IPoint ScrollDirection();
    // Default: the cross-hair cursor.
    virtual void Activate(ToolEvent& event);
    // Default: the cursor that was there before.
    virtual void Deactivate(ToolEvent& event);
    void InstallCursor(Cursor* cursor);
    // Shows another cursor while the tool is active (a hover change), keeping the one to
    // restore on deactivation.
    void ChangeCursor(Cursor* cursor);
    void RestoreCursor();
    // Performs the task through the database root and records it in the history.
    bool RunTask(std::unique_ptr<Task> task);

    void SetView(ToolView* view) { view_ = view; }
    ToolView* View() const { return view_; }
    void SetDatabase(PlumeData* database) { database_ = database; }
    PlumeData* Database() const { return database_; }
    Cursor* InstalledCursor() const { return installedCursor_; }

    // The precision "Plot Position" gives a graph coordinate g whose resolution is r:
    // trunc(floor(log10 g) - floor(log10 r)) + 2; 6 where either is not positive and finite.
    static int PlotPrecision(double g, double r);

protected:
    void ShowMoveText(const char* what, const ToolEvent& event);

    ToolView* view_ = nullptr;
    TrackMgr* manager_ = nullptr;
    Cursor* previousCursor_ = nullptr;
    Cursor* installedCursor_ = nullptr;
    PlumeData* database_ = nullptr;
};
