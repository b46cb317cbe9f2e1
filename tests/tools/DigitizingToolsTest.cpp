#include "FakeToolView.h"
#include "SeededBitmap.h"
#include "core/ApplicationState.h"
#include "core/CPreferences.h"
#include "database/DbPointRep.h"
#include "database/PlumeData.h"
#include "image/ImageStore.h"
#include "mapping/SnapCheck.h"
#include "mapping/TransformMan.h"
#include "tools/AntsProc.h"
#include "tools/CollectLineTool.h"
#include "tools/CollectTool.h"
#include "tools/CropTool.h"
#include "tools/Cursor.h"
#include "tools/MapTool.h"
#include "tools/RotateTool.h"
#include "tools/StatusText.h"
#include "tools/TrackMgr.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// A 100 x 100 client at scale 1 over a database whose mapping region spans the pixels
// (10, 10)-(50, 50) with graph limits (-1, -1)-(1, 1): graph (0, 0) is pixel (30, 30) and
// one graph unit is 20 pixels, y up. The manager drives the tool as the view does.
struct ToolRig {
    explicit ToolRig(Tool& tool) {
        view.size = IPoint{100, 100};
        view.device = RasterDevice(100, 100);
        database.CreateDefaultSet();
        database.Mapping().region.SetPixelRect(DPoint{10, 10}, DPoint{50, 50});
        database.Mapping().SetLimits(DPoint{-1, -1}, DPoint{1, 1});
        manager.SetView(&view);
        manager.SetDatabase(&database);
        manager.SelectTool(&tool);
        ToolEvent event = At(0, 0);
        manager.Activate(event);
        view.onInvalidate = [this] {
            ToolEvent paint = At(0, 0);
            manager.DrawOverlay(paint);
        };
    }
    ToolEvent At(int x, int y, int button = 0) {
        ToolEvent event = view.MakeToolEvent(IPoint{x, y});
        event.button = button;
        return event;
    }
    void Press(int x, int y) {
        ToolEvent event = At(x, y, 1);
        manager.ButtonDown(event);
    }
    void DragTo(int x, int y) {
        ToolEvent event = At(x, y, 1);
        manager.Drag(event);
    }
    void Release(int x, int y) {
        ToolEvent event = At(x, y);
        manager.ButtonUp(event);
    }
    void Move(int x, int y) {
        ToolEvent event = At(x, y);
        manager.Hover(event);
    }
    void Key(bool enter) {
        ToolEvent event = At(0, 0);
        if (enter) {
            manager.Finish(event);
        } else {
            manager.Cancel(event);
        }
    }
    void Click(int x, int y) {
        Press(x, y);
        Release(x, y);
    }
    std::string Blank() const { return RasterDevice(100, 100).Picture(); }

    ApplicationState::Scope state;
    FakeToolView view;
    PlumeData database;
    TrackMgr manager;
};

// Moves every point to a fixed place, as a grid would.
class FixedSnap : public SnapCheck {
public:
    explicit FixedSnap(DPoint to) : to_(to) {}
    bool Snap(DPoint& point) override {
        point = to_;
        return true;
    }

private:
    DPoint to_;
};

// The line tool's two gestures, its read-out in graph terms, Escape and Ctrl-clicks.
TEST(CollectLineTool, GesturesAndReadouts) {
    struct Case {
        const char* name;
        IPoint from, to;
        bool drag; // press-drag-release; otherwise two clicks
        const char* text;
    };
    const Case cases[] = {
        {"to (1, 1)", {30, 30}, {50, 10}, true, "(1.41421, 45.0)"},
        {"to (-1, 0)", {30, 30}, {10, 30}, true, "(1, 180.0)"},
        {"down", {30, 30}, {30, 50}, true, "(1, -90.0)"},
        {"two clicks", {30, 30}, {50, 10}, false, "(1.41421, 45.0)"},
    };
    // "Position (x, y)   Len,Angle (length, angle)" with the pointer's graph position, which
    // the mapping's arithmetic may leave a few units in the last place off its exact value.
    const auto expectText = [](const std::string& text, DPoint position, const char* measure) {
        double x = 0;
        double y = 0;
        char rest[64] = {};
        ASSERT_EQ(
            std::sscanf(text.c_str(), "Position (%lf, %lf)   Len,Angle %63[^\n]", &x, &y, rest), 3)
            << text;
        EXPECT_NEAR(x, position.x, 1e-12) << text;
        EXPECT_NEAR(y, position.y, 1e-12) << text;
        EXPECT_STREQ(rest, measure) << text;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CollectLineTool tool;
        ToolRig rig(tool);
        const std::string blank = rig.view.device.Picture();
        rig.Press(c.from.x, c.from.y);
        EXPECT_EQ(tool.PointCount(), 1);
        if (c.drag) {
            rig.DragTo((c.from.x + c.to.x) / 2, (c.from.y + c.to.y) / 2);
            EXPECT_TRUE(tool.LineShown()) << "the rubber line follows the drag";
            rig.DragTo(c.to.x, c.to.y);
            rig.Release(c.to.x, c.to.y);
        } else {
            rig.Release(c.from.x, c.from.y);
            EXPECT_EQ(tool.PointCount(), 1) << "a click waits for the second";
            rig.Move(c.to.x, c.to.y);
            expectText(rig.view.panes[0], DPoint{(c.to.x - 30) / 20.0, (30 - c.to.y) / 20.0},
                       c.text);
            rig.Click(c.to.x, c.to.y);
        }
        EXPECT_EQ(tool.PointCount(), 2);
        EXPECT_EQ(tool.PressCount(), 0);
        EXPECT_TRUE(tool.LineShown());
        rig.Move(c.to.x, c.to.y);
        expectText(rig.view.panes[0], DPoint{(c.to.x - 30) / 20.0, (30 - c.to.y) / 20.0}, c.text);
        rig.Move(40, 40); // the finished line's measure stays, with the pointer's position
        expectText(rig.view.panes[0], DPoint{0.5, -0.5}, c.text);
        EXPECT_EQ(rig.view.panes[5], "0.05, 0.05");
        EXPECT_EQ(rig.view.device.At(c.from.x, c.from.y), kBlack) << "the start marker";

        // The screen after a fresh paint shows the same figures.
        const std::string shown = rig.view.device.Picture();
        rig.view.Invalidate();
        EXPECT_TRUE(rig.view.device.Picture() == shown);

        rig.Key(false);
        EXPECT_TRUE(rig.view.device.Picture() == blank) << "Escape takes everything off";
        EXPECT_EQ(tool.PointCount(), 0);
        EXPECT_FALSE(tool.LineShown());
    }
}

// A release closer than 5 logical units waits for a second click; 5 units away ends the
// line. A press on a finished line starts a new one; Ctrl-clicks do nothing; leaving the
// tool takes the figures off.
TEST(CollectLineTool, SlopNewLinesCtrlAndDeactivation) {
    CollectLineTool tool;
    ToolRig rig(tool);
    const std::string blank = rig.view.device.Picture();
    rig.Press(30, 30);
    rig.DragTo(33, 33);
    rig.Release(33, 33);
    EXPECT_EQ(tool.PointCount(), 1) << "3 units: still waiting";
    EXPECT_EQ(tool.PressCount(), 1);
    rig.Press(35, 30);
    rig.Release(35, 30);
    EXPECT_EQ(tool.PointCount(), 2) << "the second click ends it";

    rig.Press(20, 20); // a new line: the old one goes
    rig.DragTo(25, 20);
    rig.Release(25, 20);
    EXPECT_EQ(tool.PointCount(), 2) << "5 units: complete";
    EXPECT_EQ(tool.End(0).pixel, (DPoint{20, 20}));
    EXPECT_EQ(rig.view.device.At(35, 30), kWhite) << "the earlier end marker is gone";

    const std::string before = rig.view.device.Picture();
    rig.view.ctrl = 1;
    rig.Press(60, 60);
    rig.DragTo(70, 70);
    rig.Release(70, 70);
    rig.view.ctrl = 0;
    EXPECT_TRUE(rig.view.device.Picture() == before);
    EXPECT_EQ(tool.End(0).pixel, (DPoint{20, 20}));

    ToolEvent event = rig.At(0, 0);
    rig.manager.Deactivate(event);
    EXPECT_TRUE(rig.view.device.Picture() == blank);
    EXPECT_FALSE(rig.manager.SnapEnabled());
    rig.manager.Activate(event);
    EXPECT_EQ(tool.PointCount(), 0) << "activation starts over";
    EXPECT_TRUE(rig.manager.SnapEnabled());

    // Where the mapping converts nothing, pane 0 is empty and no line is drawn.
    rig.database.Mapping().Reset();
    rig.Press(30, 30);
    rig.DragTo(50, 50);
    EXPECT_EQ(rig.view.panes[0], "");
    EXPECT_FALSE(tool.LineShown());
}

// A point is added at the release, snapped unless Shift is held, with its graph value, as
// one undoable step; it is drawn at once and the other views hear of it.
TEST(CollectTool, AddsSnappedPointsAsTasks) {
    CPreferences preferences;
    preferences.ptsColor = 0x00FF00; // green
    CollectTool tool(&preferences);
    ToolRig rig(tool);
    FixedSnap snap(DPoint{40, 20});
    rig.manager.AddSnapCheck(&snap);
    EXPECT_TRUE(rig.manager.SnapEnabled());
    EXPECT_EQ(tool.PointColour(), 0x00FF00u);

    rig.Press(31, 29);
    EXPECT_EQ(rig.database.SetManager().GetCurrentCount(), 0) << "nothing on the press";
    rig.Release(31, 29);
    rig.view.shift = 1;
    rig.Click(30, 30);
    rig.view.shift = 0;
    rig.view.ctrl = 1;
    rig.Click(20, 20);
    rig.view.ctrl = 0;
    EXPECT_EQ(rig.database.SetManager().GetCurrentCount(), 2) << "the Ctrl-click added none";
    std::string text;
    rig.database.ExportText(text, ", ");
    EXPECT_NE(text.find("0.5, 0.5"), std::string::npos) << text; // snapped to (40, 20)
    EXPECT_NE(text.find("0, 0"), std::string::npos) << text;     // Shift: (30, 30)
    EXPECT_NE(rig.view.device.At(40, 20), kWhite) << "drawn at once";
    EXPECT_EQ(rig.view.otherViewHints, (std::vector<int>{0, 0}));

    rig.Move(30, 30);
    EXPECT_EQ(rig.view.panes[0], "Plot Position (0.5, 0.5)") << "of the snapped position";
    EXPECT_EQ(rig.view.panes[5], "0.05, 0.05");

    EXPECT_TRUE(rig.database.Undo());
    EXPECT_TRUE(rig.database.Undo());
    EXPECT_EQ(rig.database.SetManager().GetCurrentCount(), 0);
    EXPECT_FALSE(rig.database.CanUndo());

    ToolEvent event = rig.At(0, 0);
    rig.manager.Deactivate(event);
    EXPECT_EQ(rig.view.panes[0], "") << "no stale read-out for the next tool";
    EXPECT_EQ(rig.view.panes[5], "");
    EXPECT_FALSE(rig.manager.SnapEnabled());
}

Box StoredRegion(const PlumeData& database) {
    return database.Mapping().region;
}

// The mapping tool: a new region, a corner dragged alone, Escape mid-drag, a click, and the
// cursors over the region.
TEST(MapTool, DrawsReplacesAndDragsTheRegion) {
    MapTool tool;
    ToolRig rig(tool);
    rig.database.Mapping().Reset();
    const std::string blank = rig.view.device.Picture();
    EXPECT_EQ(rig.view.current, ArrowCursor::Instance());

    rig.Press(5, 60);
    rig.DragTo(20, 70);
    EXPECT_FALSE(rig.view.device.Picture() == blank) << "the dotted outline";
    rig.DragTo(45, 90);
    rig.Release(45, 90);
    Box region = StoredRegion(rig.database);
    ASSERT_EQ(region.pixelCount, 8);
    EXPECT_EQ(region.pixelNodes[0], (DPoint{5, 60}));
    EXPECT_EQ(region.pixelNodes[4], (DPoint{45, 90}));
    EXPECT_EQ(rig.database.HistoryCount(), 1);
    EXPECT_EQ(rig.view.invalidations, 1);
    EXPECT_TRUE(rig.view.device.Picture() == blank) << "the fresh paint has no outline";
    EXPECT_EQ(rig.view.otherViewHints, (std::vector<int>{0}));

    // A press outside replaces it, corners ordered whichever way the drag went.
    rig.Press(90, 50);
    rig.DragTo(60, 10);
    rig.Release(60, 10);
    region = StoredRegion(rig.database);
    EXPECT_EQ(region.pixelNodes[0], (DPoint{60, 10}));
    EXPECT_EQ(region.pixelNodes[4], (DPoint{90, 50}));

    // The bottom-right corner moves alone.
    rig.Press(90, 50);
    rig.DragTo(95, 70);
    rig.Release(95, 70);
    region = StoredRegion(rig.database);
    EXPECT_EQ(region.pixelNodes[0], (DPoint{60, 10}));
    EXPECT_EQ(region.pixelNodes[4], (DPoint{95, 70}));
    EXPECT_EQ(rig.database.HistoryCount(), 3);

    // Escape mid-drag: nothing stored, and the release makes no task.
    rig.Press(60, 10);
    rig.DragTo(30, 5);
    rig.Key(false);
    EXPECT_TRUE(rig.view.device.Picture() == blank);
    rig.DragTo(20, 5);
    rig.Release(20, 5);
    EXPECT_EQ(StoredRegion(rig.database), region);
    EXPECT_EQ(rig.database.HistoryCount(), 3);
    EXPECT_TRUE(rig.view.device.Picture() == blank);

    // A click without a drag changes nothing and leaves no step.
    rig.Click(5, 5);
    EXPECT_EQ(rig.database.HistoryCount(), 3);

    // Ctrl-clicks and Ctrl-drags do nothing.
    rig.view.ctrl = 1;
    rig.Press(5, 5);
    rig.DragTo(40, 40);
    rig.Release(40, 40);
    rig.view.ctrl = 0;
    EXPECT_EQ(rig.database.HistoryCount(), 3);

    struct Hover {
        IPoint at;
        Cursor* cursor;
    };
    const Hover hovers[] = {
        {{60, 10}, SizeUpLeftCursor::Instance()},  {{95, 70}, SizeUpLeftCursor::Instance()},
        {{95, 10}, SizeUpRightCursor::Instance()}, {{75, 10}, SizeVertCursor::Instance()},
        {{60, 40}, SizeHorizCursor::Instance()},   {{75, 40}, ArrowCursor::Instance()},
        {{20, 90}, ArrowCursor::Instance()},
    };
    for (const Hover& h : hovers) {
        rig.Move(h.at.x, h.at.y);
        EXPECT_EQ(rig.view.current, h.cursor) << h.at.x << ", " << h.at.y;
    }
    ToolEvent event = rig.At(0, 0);
    Cursor* before = nullptr;
    rig.view.current = before;
    rig.manager.SelectTool(&tool);
    rig.manager.Activate(event);
    rig.Move(60, 10);
    rig.manager.Deactivate(event);
    EXPECT_EQ(rig.view.current, before) << "the cursor from before the tool";
    EXPECT_EQ(tool.Mapping(), nullptr) << "the editing copy goes";
}

// The pivot symbol: its exact strokes, the same on screen at any zoom, and gone when drawn
// twice.
TEST(RotateTool, PivotSymbol) {
    RasterDevice one(40, 40);
    DrawContext atOne(&one, 1.0);
    RotateTool::DrawPivotSymbol(atOne, DPoint{20, 10});
    RasterDevice two(40, 40);
    DrawContext atTwo(&two, 2.0);
    RotateTool::DrawPivotSymbol(atTwo, DPoint{10, 5});
    EXPECT_TRUE(one.Picture() == two.Picture());
    // Triangle apex and base corners, the three strokes' starts; line ends are not drawn.
    for (const IPoint p : {IPoint{20, 10}, IPoint{27, 19}, IPoint{13, 19}, IPoint{25, 20},
                           IPoint{15, 20}, IPoint{20, 20}, IPoint{23, 22}}) {
        EXPECT_EQ(one.At(p.x, p.y), kBlack) << p.x << ", " << p.y;
    }
    for (const IPoint p : {IPoint{21, 24}, IPoint{11, 24}, IPoint{16, 24}, IPoint{20, 15}}) {
        EXPECT_EQ(one.At(p.x, p.y), kWhite) << p.x << ", " << p.y;
    }
    RotateTool::DrawPivotSymbol(atOne, DPoint{20, 10});
    EXPECT_TRUE(one.Picture() == RasterDevice(40, 40).Picture());
}

// A quarter turn about the bottom-left corner and back, in one drag and in two; an edge
// dragged as the mapping tool drags it; the symbol follows the stored pivot.
TEST(RotateTool, TurnsAboutTheBottomLeftCorner) {
    RotateTool tool;
    ToolRig rig(tool);
    rig.database.Mapping().region.SetPixelRect(DPoint{10, 10}, DPoint{50, 30});
    ToolEvent event = rig.At(0, 0);
    rig.manager.Deactivate(event);
    rig.manager.Activate(event);
    const Box original = StoredRegion(rig.database);
    EXPECT_TRUE(tool.PivotShown());
    EXPECT_EQ(rig.view.device.At(10, 30), kBlack) << "the symbol's apex at the pivot";
    EXPECT_EQ(rig.view.current, RotateCursor::Instance());

    // One drag: a quarter turn (clockwise on screen), then back to where it started.
    rig.Press(70, 30);
    rig.DragTo(10, 90);
    // 90 degrees as the tools reckon them: 57.295780490442965 degrees to the radian.
    EXPECT_NEAR(tool.Mapping()->region.angle, 90.0000015, 1e-6);
    rig.DragTo(70, 30);
    rig.Release(70, 30);
    Box region = StoredRegion(rig.database);
    EXPECT_NEAR(region.angle, 0.0, 1e-9);
    for (int i = 0; i < 8; ++i) {
        EXPECT_NEAR(region.pixelNodes[i].x, original.pixelNodes[i].x, 1e-9) << i;
        EXPECT_NEAR(region.pixelNodes[i].y, original.pixelNodes[i].y, 1e-9) << i;
    }

    // Two gestures: a quarter turn stored, then turned back.
    rig.Press(70, 30);
    rig.DragTo(10, 90);
    rig.Release(10, 90);
    region = StoredRegion(rig.database);
    EXPECT_NEAR(region.angle, 90.0000015, 1e-6);
    EXPECT_NEAR(region.pixelNodes[4].x, 10.0, 1e-4) << "bottom-right swung below the pivot";
    EXPECT_NEAR(region.pixelNodes[4].y, 70.0, 1e-4);
    EXPECT_NEAR(region.pixelNodes[6].x, 10.0, 1e-12) << "the pivot stays";
    rig.Press(10, 90);
    rig.DragTo(70, 30);
    rig.Release(70, 30);
    region = StoredRegion(rig.database);
    EXPECT_NEAR(region.angle, 0.0, 1e-9);
    EXPECT_NEAR(region.pixelNodes[4].x, 50.0, 1e-9);
    EXPECT_NEAR(region.pixelNodes[4].y, 30.0, 1e-9);

    // The bottom edge dragged down moves the pivot; the symbol is drawn there afterwards.
    const std::string beforeEdge = rig.view.device.Picture();
    rig.Press(30, 30);
    EXPECT_FALSE(tool.PivotShown()) << "taken off for an edge drag";
    rig.DragTo(30, 40);
    rig.Release(30, 40);
    EXPECT_NEAR(StoredRegion(rig.database).pixelNodes[6].y, 40.0, 1e-9);
    EXPECT_TRUE(tool.PivotShown());
    EXPECT_EQ(rig.view.device.At(10, 40), kBlack);
    EXPECT_EQ(rig.view.device.At(10, 30), kWhite);
    EXPECT_FALSE(rig.view.device.Picture() == beforeEdge);

    rig.manager.Deactivate(event);
    EXPECT_TRUE(rig.view.device.Picture() == rig.Blank()) << "leaving takes the symbol off";
    EXPECT_EQ(rig.database.HistoryCount(), 4);
}

// The crop tool: the box and its ants, the status text in logical units, Enter and Escape,
// and the box kept between activations.
TEST(CropTool, BoxAntsCropAndCancel) {
    CPreferences preferences;
    CropTool tool(&preferences);
    ToolRig rig(tool);
    ImageStore image;
    image.SetBitmap(SeededBitmap(80, 60, 24, 7), ImageStore::kTypeBmp);
    rig.database.ReplaceImage(std::move(image), 0);
    ASSERT_NE(tool.Ants(), nullptr);
    EXPECT_FALSE(tool.Ants()->IsRunning()) << "no box, no ants";

    rig.Key(true);
    EXPECT_EQ(rig.database.HistoryCount(), 0) << "Enter without a box does nothing";

    rig.Press(10, 10);
    rig.DragTo(20, 20);
    EXPECT_EQ(rig.view.device.At(10, 10), kBlack) << "the dotted outline";
    rig.DragTo(40, 30);
    rig.Release(40, 30);
    ASSERT_TRUE(tool.BoxDefined());
    ASSERT_TRUE(tool.Ants()->IsRunning());
    EXPECT_EQ(rig.view.timers.running.at(tool.Ants()->Index()), 25);
    EXPECT_TRUE(rig.view.device.Picture() == rig.Blank()) << "only the ants draw the box";

    // Each tick draws the outline with the pattern one pixel further on: three white, five
    // black along the top edge.
    rig.view.device = RasterDevice(100, 100, 0x808080);
    const auto topEdge = [&] {
        std::string run;
        for (int x = 10; x < 26; ++x) {
            run += rig.view.device.At(x, 10) == kWhite ? 'W' : '#';
        }
        return run;
    };
    ASSERT_TRUE(rig.view.timers.Tick(tool.Ants()->Index()));
    const std::string first = topEdge();
    ASSERT_TRUE(rig.view.timers.Tick(tool.Ants()->Index()));
    const std::string second = topEdge();
    EXPECT_EQ(std::count(first.begin(), first.begin() + 8, 'W'), 3) << first;
    EXPECT_EQ(second.substr(0, 15), first.substr(1)) << "travelled one pixel: " << second;
    rig.view.device = RasterDevice(100, 100);

    // The box stays with the tool; its ants start again on the way back.
    ToolEvent event = rig.At(0, 0);
    rig.manager.Deactivate(event);
    EXPECT_FALSE(tool.Ants()->IsRunning());
    rig.manager.Activate(event);
    EXPECT_TRUE(tool.BoxDefined());
    EXPECT_TRUE(tool.Ants()->IsRunning());

    // Logical units in the status text: image pixel (10, 10) at scale 2 is 20, 20.
    rig.view.scale = 2.0;
    rig.Move(20, 20);
    EXPECT_EQ(rig.view.panes[0], "X: 20  Y: 20");
    EXPECT_EQ(rig.view.current, SizeUpLeftCursor::Instance());
    rig.Move(60, 20);
    EXPECT_EQ(rig.view.current, SizeVertCursor::Instance()) << "the top edge";
    rig.Move(50, 50);
    EXPECT_EQ(rig.view.current, CrossHairCursor::Instance()) << "inside: nothing to drag";
    EXPECT_EQ(rig.view.current, CrossHairCursor::Instance());
    rig.view.scale = 1.0;

    rig.view.ctrl = 1;
    rig.Click(5, 5);
    rig.view.ctrl = 0;
    EXPECT_TRUE(tool.BoxDefined());

    rig.Key(true);
    EXPECT_FALSE(tool.BoxDefined());
    EXPECT_FALSE(tool.Ants()->IsRunning());
    EXPECT_EQ(rig.database.Image().GetPackedBitmap().Width(), 31);
    EXPECT_EQ(rig.database.Image().GetPackedBitmap().Height(), 21);
    EXPECT_TRUE(rig.database.Undo());
    EXPECT_EQ(rig.database.Image().GetPackedBitmap().Width(), 80);

    // Escape mid-drag removes the box; the rest of the gesture does nothing.
    rig.Press(10, 10);
    rig.DragTo(30, 30);
    rig.Key(false);
    rig.DragTo(35, 35);
    rig.Release(35, 35);
    EXPECT_FALSE(tool.BoxDefined());
    EXPECT_FALSE(tool.Ants()->IsRunning());
    EXPECT_TRUE(rig.view.device.Picture() == rig.Blank());
}

} // namespace
