#pragma once

#include "tools/SnapCheckGroup.h"
#include "tools/Tool.h"

// Keeps the tracking state of the mouse, snaps each event's pixel position through its
// snap tests and forwards the event to the one active tool. A press with Ctrl held is a
// "modified click": the tool's ModifiedClick sees the press and the release, and the drags
// between them are ignored.
class TrackMgr : public Tool {
public:
    static constexpr int kIdle = 0;
    static constexpr int kPressed = 1;
    static constexpr int kDragging = 2;
    static constexpr int kReleasing = 3;
    static constexpr int kModifiedClick = 4;

    TrackMgr();
    ~TrackMgr() override;

    void ButtonDown(ToolEvent& event) override;
    void Drag(ToolEvent& event) override;
    void ButtonUp(ToolEvent& event) override;
    void Hover(ToolEvent& event) override;
    void Finish(ToolEvent& event) override;
    void Cancel(ToolEvent& event) override;
    void DrawOverlay(ToolEvent& event) override;
    IPoint ScrollDirection() override;
    // The tool takes the database root, then activates.
    void Activate(ToolEvent& event) override;
    // The tool deactivates; snapping goes off.
    void Deactivate(ToolEvent& event) override;

    int TrackState() const { return state_; }
    // Forgets the tool of a temporary switch, then SetTool.
    void SelectTool(Tool* tool);
    // A temporary switch: with a tool, remembers the current one (unless one is remembered
    // already) and sets the new one; with none, goes back to the remembered tool.
    void PushTool(Tool* tool);
    void AddSnapCheck(SnapCheck* check);
    // Moves the event's pixel position onto the first snap test that takes it, with the
    // process-wide snap tolerance raised to the event's pick tolerance for the call. Not
    // with Shift held, nor while snapping is off.
    void SnapEvent(ToolEvent& event);
    void SetSnapEnabled(bool enabled) { snapEnabled_ = enabled; }
    bool SnapEnabled() const { return snapEnabled_; }
    // The tool becomes current with state idle, and is given the view and this manager.
    void SetTool(Tool* tool);

    Tool* CurrentTool() const { return tool_; }
    Tool* RememberedTool() const { return remembered_; }

private:
    Tool* tool_ = nullptr;
    Tool* remembered_ = nullptr;
    int state_ = kIdle;
    SnapCheckGroup snapChecks_;
    bool snapEnabled_ = false;
};
