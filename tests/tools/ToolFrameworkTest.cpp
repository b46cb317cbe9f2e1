#include "FakePlatform.h"
#include "FakeToolView.h"
#include "RasterDevice.h"
#include "core/ApplicationState.h"
#include "database/PlumeData.h"
#include "mapping/CropBox.h"
#include "mapping/SnapTolerance.h"
#include "tools/AntsProc.h"
#include "tools/AutoScrollProc.h"
#include "tools/Cursor.h"
#include "tools/PanTool.h"
#include "tools/StatusText.h"
#include "tools/TimerProc.h"
#include "tools/ToolView.h"
#include "tools/TrackMgr.h"
#include "tools/ZoominTool.h"
#include "tools/ZoomoutTool.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace {

// Logs the calls that reach it, one letter each.
class LoggingTool : public Tool {
public:
    void ButtonDown(ToolEvent& e) override { Log("D", e); }
    void Drag(ToolEvent& e) override { Log("G", e); }
    void ButtonUp(ToolEvent& e) override { Log("U", e); }
    void Hover(ToolEvent& e) override { Log("H", e); }
    void HoverRaw(ToolEvent& e) override { Log("R", e); }
    void ModifiedClick(ToolEvent& e, int phase) override {
        Log(phase == 1 ? "M1" : "M3", e);
        toleranceInModifiedClick = SnapTolerance::Current();
    }
    void Activate(ToolEvent&) override { log += "A"; }
    void Deactivate(ToolEvent&) override { log += "Z"; }

    void Log(const char* what, const ToolEvent& e) {
        log += what;
        lastPixel = e.pixel;
    }
    std::string log;
    DPoint lastPixel;
    double toleranceInModifiedClick = 0;
};

// Snaps every point to (50, 50) and records the tolerance in force.
class RecordingSnap : public SnapCheck {
public:
    explicit RecordingSnap(bool takes, DPoint to = {50, 50}) : takes_(takes), to_(to) {}
    bool Snap(DPoint& point) override {
        tolerances.push_back(SnapTolerance::Current());
        if (takes_) {
            point = to_;
        }
        return takes_;
    }
    std::vector<double> tolerances;

private:
    bool takes_;
    DPoint to_;
};

struct Rig {
    ApplicationState::Scope state;
    FakeToolView view;
    TrackMgr manager;
    LoggingTool tool;
    Rig() {
        manager.SetView(&view);
        manager.SelectTool(&tool);
    }
    ToolEvent At(int x, int y, int button = 0) {
        ToolEvent event = view.MakeToolEvent(IPoint{x, y});
        event.button = button;
        return event;
    }
};

// Press, drags and release through the manager, with and without Ctrl: a Ctrl press is a
// modified click, and the drags and release after it are ignored until the next hover.
TEST(TrackMgr, StatesAndModifiedClicks) {
    struct Step {
        char op; // d press, g drag, u release, h hover
        int ctrl;
        int stateAfter;
    };
    struct Case {
        const char* what;
        std::vector<Step> steps;
        const char* log;
    };
    const Case cases[] = {
        {"plain click", {{'d', 0, 1}, {'u', 0, 0}}, "DU"},
        {"drag", {{'d', 0, 1}, {'g', 0, 2}, {'g', 0, 2}, {'u', 0, 0}}, "DGGU"},
        {"ctrl click", {{'d', 1, 4}, {'g', 1, 4}, {'u', 1, 4}}, "M1"},
        {"ctrl press, plain release", {{'d', 1, 4}, {'u', 0, 4}}, "M1"},
        {"hover ends the modified click",
         {{'d', 1, 4}, {'h', 0, 0}, {'d', 0, 1}, {'u', 0, 0}},
         "M1RHDU"},
        {"ctrl only at the release", {{'d', 0, 1}, {'u', 1, 0}}, "DM3"},
    };
    for (const Case& c : cases) {
        Rig rig;
        for (const Step& step : c.steps) {
            rig.view.ctrl = step.ctrl;
            ToolEvent event = rig.At(10, 10, step.op == 'h' ? 0 : 1);
            switch (step.op) {
            case 'd':
                rig.manager.ButtonDown(event);
                break;
            case 'g':
                rig.manager.Drag(event);
                break;
            case 'u':
                rig.manager.ButtonUp(event);
                break;
            default:
                rig.manager.Hover(event);
                break;
            }
            EXPECT_EQ(rig.manager.TrackState(), step.stateAfter) << c.what << " after " << step.op;
        }
        EXPECT_EQ(rig.tool.log, c.log) << c.what;
    }
}

// The snap tolerance is the event's pick tolerance (pickTol / scale) for the call and the
// minimum around a modified click; Shift or snapping off leaves the point alone; the tests
// are asked from the last added, and the first that snaps decides.
TEST(TrackMgr, SnapsWithThePickToleranceUnlessShiftOrOff) {
    struct Case {
        const char* what;
        double scale;
        int shift;
        bool enabled;
        double tolerance; // expected in force; 0: no test asked
        DPoint pixel;
    };
    const Case cases[] = {
        {"pickTol 3 at scale 2", 2.0, 0, true, 1.5, {50, 50}},
        {"pickTol 3 at scale 0.5", 0.5, 0, true, 6.0, {50, 50}},
        {"shift held", 2.0, 1, true, 0, {5, 5}},
        {"snapping off", 2.0, 0, false, 0, {5, 5}},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.view.scale = c.scale;
        rig.view.shift = c.shift;
        RecordingSnap first(true, {1, 1});
        RecordingSnap last(true);
        rig.manager.AddSnapCheck(&first);
        rig.manager.AddSnapCheck(&last);
        rig.manager.SetSnapEnabled(c.enabled);
        ToolEvent event = rig.At(static_cast<int>(5 * c.scale), static_cast<int>(5 * c.scale), 1);
        rig.manager.ButtonDown(event);
        EXPECT_EQ(rig.tool.lastPixel, c.pixel) << c.what;
        EXPECT_TRUE(first.tolerances.empty()) << c.what << ": the last added decides";
        if (c.tolerance > 0) {
            ASSERT_EQ(last.tolerances.size(), 1u) << c.what;
            EXPECT_DOUBLE_EQ(last.tolerances[0], c.tolerance) << c.what;
        } else {
            EXPECT_TRUE(last.tolerances.empty()) << c.what;
        }
        EXPECT_EQ(SnapTolerance::Current(), SnapTolerance::Minimum()) << c.what << ": restored";
    }
    Rig rig;
    rig.view.ctrl = 1;
    ToolEvent event = rig.At(10, 10, 1);
    rig.manager.ButtonDown(event);
    EXPECT_EQ(rig.tool.toleranceInModifiedClick, SnapTolerance::Minimum());
}

// Temporary switches remember the first tool only; going back with nothing remembered keeps
// the active tool; a plain selection forgets; deactivation turns snapping off.
TEST(TrackMgr, TemporarySwitchesAndSelection) {
    Rig rig;
    LoggingTool pan;
    LoggingTool zoom;
    rig.manager.PushTool(&pan);
    rig.manager.PushTool(&zoom);
    EXPECT_EQ(rig.manager.CurrentTool(), &zoom);
    EXPECT_EQ(rig.manager.RememberedTool(), &rig.tool);
    EXPECT_EQ(zoom.Manager(), &rig.manager);
    EXPECT_EQ(zoom.View(), &rig.view);
    rig.manager.PushTool(nullptr);
    EXPECT_EQ(rig.manager.CurrentTool(), &rig.tool);
    rig.manager.PushTool(nullptr);
    EXPECT_EQ(rig.manager.CurrentTool(), &rig.tool) << "nothing remembered: the tool stays";
    rig.manager.PushTool(&pan);
    rig.manager.SelectTool(&zoom);
    EXPECT_EQ(rig.manager.RememberedTool(), nullptr);

    PlumeData database;
    rig.manager.SetDatabase(&database);
    rig.manager.SetSnapEnabled(true);
    ToolEvent event = rig.At(0, 0);
    rig.manager.Activate(event);
    EXPECT_EQ(zoom.Database(), &database);
    rig.manager.Deactivate(event);
    EXPECT_EQ(zoom.log, "AZ");
    EXPECT_FALSE(rig.manager.SnapEnabled());
}

// The table hands out the lowest free index from 1 and grows to 2 x (count + 2) when count
// + 2 passes its capacity; a stopped timer frees its index and never ticks again.
TEST(TimerProc, TableIndexesAndGrowth) {
    struct Counting : TimerProc {
        using TimerProc::TimerProc;
        void Tick() override { ++ticks; }
        int ticks = 0;
    };
    FakeTimers timers;
    std::vector<std::unique_ptr<Counting>> procs;
    for (int i = 0; i < 9; ++i) {
        const int count = TimerProc::TableCount();
        const int capacity = TimerProc::TableCapacity();
        procs.push_back(std::make_unique<Counting>(&timers));
        procs.back()->Start();
        if (count + 2 > capacity) {
            EXPECT_EQ(TimerProc::TableCapacity(), 2 * (count + 2)) << i;
        } else {
            EXPECT_EQ(TimerProc::TableCapacity(), capacity) << i;
        }
        EXPECT_EQ(TimerProc::At(procs.back()->Index()), procs.back().get());
    }
    std::vector<int> indexes;
    for (const auto& p : procs) {
        indexes.push_back(p->Index());
    }
    for (std::size_t i = 1; i < indexes.size(); ++i) {
        EXPECT_EQ(indexes[i], indexes[i - 1] + 1) << "consecutive when none is free";
    }
    const int freed = procs[3]->Index();
    procs[3]->Stop();
    EXPECT_EQ(TimerProc::At(freed), nullptr);
    EXPECT_FALSE(timers.Tick(freed));
    Counting again(&timers);
    again.Start();
    EXPECT_EQ(again.Index(), freed) << "the lowest free index";
    ASSERT_TRUE(timers.Tick(freed));
    EXPECT_EQ(again.ticks, 1);
    EXPECT_EQ(procs[3]->ticks, 0);
    // A running timer given a new period starts again with it.
    EXPECT_EQ(again.SetPeriod(25), TimerProc::kDefaultPeriod);
    EXPECT_EQ(timers.running.at(again.Index()), 25);
    procs.clear();
    EXPECT_EQ(TimerProc::At(indexes[0]), nullptr) << "destroying stops";
}

// Steps and periods of the automatic scroll, in single precision.
TEST(AutoScrollProc, StepAndPeriodGrowWithTheDistance) {
    struct Case {
        IPoint mouse;
        int direction;
        IPoint scroll;
        int period;
    };
    const IPoint client{200, 100};
    const Case cases[] = {
        {{240, 50}, 1, {15, 0}, 42},   // 40 beyond the right edge
        {{210, 50}, 1, {10, 0}, 55},   // within 30: the base step
        {{-40, 50}, 1, {-15, 0}, 42},  // before the left edge
        {{240, 50}, -1, {-15, 0}, 42}, // the pan tool pulls the other way
        {{100, 120}, 1, {0, 10}, 55},  // below
        {{330, -10}, 1, {60, -60}, 5}, // the larger distance sets the step; the period floors
        {{100, 50}, 1, {0, 0}, 55},    // inside: no movement
    };
    for (const Case& c : cases) {
        const AutoScrollProc::Step step = AutoScrollProc::StepFor(c.mouse, client, c.direction);
        EXPECT_EQ(step.scroll, c.scroll) << c.mouse.x << "," << c.mouse.y;
        EXPECT_EQ(step.period, c.period) << c.mouse.x << "," << c.mouse.y;
    }
}

TEST(AutoScrollProc, TicksScrollTheViewAndAStillPointerKeepsThePeriod) {
    FakeToolView view;
    AutoScrollProc scroller(&view, &view.timers);
    view.mouse = IPoint{240, 50};
    scroller.StartScroll(&view, 1);
    ASSERT_TRUE(scroller.IsRunning());
    EXPECT_EQ(scroller.Period(), AutoScrollProc::kSlowPeriod);
    ASSERT_TRUE(view.timers.Tick(scroller.Index()));
    EXPECT_EQ(scroller.Period(), 42);
    view.mouse = IPoint{330, 50};
    ASSERT_TRUE(view.timers.Tick(scroller.Index()));
    EXPECT_EQ(scroller.Period(), 5);
    scroller.SetPeriod(70);
    ASSERT_TRUE(view.timers.Tick(scroller.Index()));
    EXPECT_EQ(scroller.Period(), 70) << "the pointer did not move";
    EXPECT_EQ(view.scrolls, (std::vector<IPoint>{{15, 0}, {60, 0}, {60, 0}}));
    scroller.StartScroll(&view, -1);
    EXPECT_EQ(scroller.Direction(), 1) << "already running: unchanged";
}

// The hand scrolls by the client movement against it; the zoom tools zoom at the release;
// each installs its cursor and gives back the one before.
TEST(PanAndZoomTools, ScrollAndZoomAtThePointer) {
    FakeToolView view;
    TrackMgr manager;
    manager.SetView(&view);
    PanTool pan;
    manager.SelectTool(&pan);
    ToolEvent event = view.MakeToolEvent(IPoint{10, 10});
    manager.Activate(event);
    EXPECT_EQ(view.current, HandCursor::Instance());
    EXPECT_EQ(pan.ScrollDirection(), (IPoint{-1, -1}));
    ToolEvent press = view.MakeToolEvent(IPoint{50, 40});
    manager.ButtonDown(press);
    ToolEvent drag = view.MakeToolEvent(IPoint{80, 40});
    manager.Drag(drag);
    ToolEvent drag2 = view.MakeToolEvent(IPoint{85, 30});
    manager.Drag(drag2);
    EXPECT_EQ(view.scrolls, (std::vector<IPoint>{{-30, 0}, {-5, 10}}));
    manager.Deactivate(event);
    EXPECT_EQ(view.current, nullptr);

    ZoominTool zoomIn;
    ZoomoutTool zoomOut;
    for (Tool* tool : {static_cast<Tool*>(&zoomIn), static_cast<Tool*>(&zoomOut)}) {
        manager.SelectTool(tool);
        manager.Activate(event);
        ToolEvent down = view.MakeToolEvent(IPoint{100, 20});
        manager.ButtonDown(down);
        ToolEvent up = view.MakeToolEvent(IPoint{60, 20});
        manager.ButtonUp(up);
        EXPECT_EQ(tool->InstalledCursor(), tool == &zoomIn
                                               ? static_cast<Cursor*>(ZoominCursor::Instance())
                                               : ZoomoutCursor::Instance());
        manager.Deactivate(event);
    }
    EXPECT_EQ(view.zooms, (std::vector<int>{60 + view.scroll.x, -(60 + view.scroll.x)}));
}

// The base tool's read-outs: the move texts, a plot position with the digits its resolution
// makes meaningful, and the resolution itself; numbers are written with a decimal point in
// any locale and a text is cut at 1,023 characters.
TEST(Tool, StatusTexts) {
    FakeToolView view;
    view.scale = 2.0;
    Tool tool;
    tool.SetView(&view);
    ToolEvent event = view.MakeToolEvent(IPoint{7, 9});
    tool.ButtonDown(event);
    EXPECT_EQ(view.panes[0], "Move at Pixel (7,9)  Logical(7,9)  Scaled(3.5,4.5)");
    tool.HoverRaw(event);
    EXPECT_EQ(view.panes[0], "MoveRaw at Pixel (7,9)  Logical(7,9)  Scaled(3.5,4.5)");

    PlumeData database;
    tool.SetDatabase(&database);
    tool.ShowPlotPosition(event);
    EXPECT_EQ(view.panes[0], "") << "no mapping yet";
    database.Mapping().region.SetPixelRect(DPoint{0, 0}, DPoint{1000, 1000});
    database.Mapping().SetLimits(DPoint{0, 0}, DPoint{1000, 123.456});
    event = view.MakeToolEvent(IPoint{100, 100}); // pixel (50, 50)
    tool.ShowPlotPosition(event);
    // About (50, 117.3), resolution 0.5 and 0.0617 per logical unit: 4 and 6 digits.
    DPoint graph;
    ASSERT_TRUE(database.Mapping().PixelToGraph(event.pixel, graph));
    EXPECT_EQ(view.panes[0], FormatStatus("Plot Position (%.4g, %.6g)", graph.x, graph.y));
    EXPECT_NEAR(graph.y, 117.3, 0.1);
    tool.ShowResolution(event);
    EXPECT_EQ(view.panes[5], "0.5, 0.0617");

    struct Precision {
        double g, r;
        int digits;
    };
    const Precision precisions[] = {
        {117.283, 0.0617, 6},
        {50, 0.5, 4},
        {0.00314, 0.00001, 4},
        {0, 0.5, 6},
        {-3, 0.5, 6},
        {5, 0, 6},
        {std::numeric_limits<double>::infinity(), 1, 6},
    };
    for (const Precision& p : precisions) {
        EXPECT_EQ(Tool::PlotPrecision(p.g, p.r), p.digits) << p.g << " " << p.r;
    }

    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
    EXPECT_EQ(FormatStatus("%g", 1.5), "1.5");
    std::setlocale(LC_ALL, "C");
    const std::string longText(3000, 'x');
    EXPECT_EQ(FormatStatus("%s", longText.c_str()).size(), 1023u);
}

} // namespace

namespace {

// Each tick draws the crop outline again in black and white runs whose pattern starts one
// pixel later, and shows it.
TEST(AntsProc, MarchesTheCropOutline) {
    FakeToolView view;
    CropBox box;
    box.SetPixelRect(DPoint{1, 1}, DPoint{6, 6});
    AntsProc ants(&view, &box, &view.timers);
    ants.SetPeriod(AntsProc::kPeriod);
    ants.Start();
    ASSERT_TRUE(view.timers.Tick(ants.Index()));
    EXPECT_EQ(ants.Pattern(), 1);
    const std::string first = view.device.Picture();
    ASSERT_TRUE(view.timers.Tick(ants.Index()));
    EXPECT_EQ(ants.Pattern(), 2);
    const std::string second = view.device.Picture();
    EXPECT_NE(first, second) << "the dashes moved";
    EXPECT_NE(first.find('#'), std::string::npos);
    EXPECT_EQ(view.shown, 2);
    EXPECT_EQ(view.timers.running.at(ants.Index()), AntsProc::kPeriod);
}

} // namespace
