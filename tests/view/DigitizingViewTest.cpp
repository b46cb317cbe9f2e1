#include "ViewRig.h"
#include "history/RegGridTask.h"
#include "history/TransTask.h"
#include "mapping/RegGridData.h"
#include "mapping/TransformAxisVw.h"
#include "mapping/TransformData.h"
#include "tools/AntsProc.h"
#include "tools/CollectLineTool.h"
#include "tools/CropTool.h"
#include "tools/RotateTool.h"
#include "tools/TimerProc.h"
#include "tools/TrackMgr.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A 200 x 150 graph image shown at actual pixels, centred in a 300 x 200 view, so that
// client = image pixel + (50, 25).
struct JobRig : ViewRig {
    JobRig() : ViewRig(200, 150, IPoint{300, 200}) {
        view->ActualPixels();
        opened = ToRgb(document->Database()->Image().GetPackedBitmap());
    }
    PlumeData& Data() { return *document->Database(); }
    const Box& Region() { return Data().Mapping().region; }
    // The axis mapping as the dialog's OK gives it.
    void SetAxes(double xMin, double xMax, double yMin, double yMax, bool logY) {
        auto axes = std::make_unique<TransformAxisVw>(&Data().Mapping());
        axes->Refresh();
        axes->xMin = xMin;
        axes->xMax = xMax;
        axes->yMin = yMin;
        axes->yMax = yMax;
        axes->logY = logY ? 1 : 0;
        ASSERT_TRUE(Data().Perform(std::make_unique<TransTask>(&Data(), std::move(axes))));
        document->CommitTask();
    }
    // The region (20, 20)-(180, 120) drawn with the mapping tool.
    void DrawRegion() {
        ASSERT_TRUE(view->RunCommand(kDefineMappingRegion));
        Drag(Over(20, 20), Over(180, 120));
    }
    std::vector<DPoint> Exported() {
        std::string text;
        Data().ExportText(text, ", ");
        std::vector<DPoint> points;
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            DPoint p;
            if (std::sscanf(line.c_str(), "%lf, %lf", &p.x, &p.y) == 2) {
                points.push_back(p);
            }
        }
        return points;
    }
    Tool* Active() { return view->ActiveTool(); }
    std::string Pane0() { return panes[0].toStdString(); }

    std::vector<std::uint32_t> opened;
};

void ExpectRegion(const Box& region, DPoint topLeft, DPoint bottomRight, const char* what) {
    ASSERT_EQ(region.pixelCount, 8) << what;
    EXPECT_NEAR(region.pixelNodes[0].x, topLeft.x, 1e-9) << what;
    EXPECT_NEAR(region.pixelNodes[0].y, topLeft.y, 1e-9) << what;
    EXPECT_NEAR(region.pixelNodes[4].x, bottomRight.x, 1e-9) << what;
    EXPECT_NEAR(region.pixelNodes[4].y, bottomRight.y, 1e-9) << what;
}

// The whole job with the mouse: draw the region (replace it, move a corner, give up a drag
// with Escape), map the axes (linear X, logarithmic Y), click points with and without the
// grid snap and Shift, and undo everything back to the opened image and an empty set. The
// expected graph values are worked out by hand from the region's corners.
TEST(DigitizingTools, TheWholeJobWithTheMouse) {
    JobRig rig;
    EXPECT_EQ(rig.Active(), rig.view->ToolFor(kDefineMappingRegion)) << "the default tool";
    EXPECT_FALSE(rig.view->QueryCommand(kCollectPoints).enabled) << "no region yet";

    rig.Drag(rig.Over(30, 30), rig.Over(100, 100));
    ExpectRegion(rig.Region(), {30, 30}, {100, 100}, "first region");
    rig.Drag(rig.Over(180, 120), rig.Over(20, 20)); // from outside: a new one, either way
    ExpectRegion(rig.Region(), {20, 20}, {180, 120}, "replaced");
    rig.Drag(rig.Over(180, 20), rig.Over(185, 15)); // the top-right corner alone
    ExpectRegion(rig.Region(), {20, 15}, {185, 120}, "corner moved");
    rig.Drag(rig.Over(185, 15), rig.Over(180, 20));
    ExpectRegion(rig.Region(), {20, 20}, {180, 120}, "corner back");
    const std::int32_t steps = rig.Data().HistoryCount();

    const QImage before = rig.view->BackBuffer();
    rig.Mouse(QEvent::MouseButtonPress, rig.Over(20, 120));
    rig.Move(rig.Over(60, 140));
    EXPECT_NE(rig.view->BackBuffer(), before) << "the dotted outline";
    rig.Press(Qt::Key_Escape);
    EXPECT_EQ(rig.view->BackBuffer(), before) << "Escape takes the outline off";
    rig.Move(rig.Over(70, 140));
    rig.Mouse(QEvent::MouseButtonRelease, rig.Over(70, 140));
    ExpectRegion(rig.Region(), {20, 20}, {180, 120}, "after Escape");
    EXPECT_EQ(rig.Data().HistoryCount(), steps) << "the release made no task";

    rig.SetAxes(0, 100, 1, 1000, true);
    ASSERT_TRUE(rig.view->RunCommand(kCollectPoints));
    EXPECT_EQ(rig.Active(), rig.view->ToolFor(kCollectPoints));
    EXPECT_TRUE(rig.view->QueryCommand(kCollectPoints).checked);

    // X: 0 at pixel 20 to 100 at pixel 180, 0.625 a pixel. Y: log10 from 0 at pixel 120 to 3
    // at pixel 20, 0.03 decades a pixel.
    rig.Click(rig.Over(20, 120));                      // (0, 1)
    rig.Click(rig.Over(180, 20));                      // (100, 1000)
    rig.Click(rig.Over(100, 70));                      // (50, 10^1.5)
    rig.Click(rig.Over(60, 95));                       // (25, 10^0.75)
    rig.Click(rig.Over(150, 50), Qt::ControlModifier); // nothing
    rig.Drag(rig.Over(150, 50), rig.Over(160, 60), Qt::ControlModifier);

    // The grid: a line of constant X every 10 graph units; a click snaps to the nearest.
    RegGridData& grid = rig.Data().Grid();
    grid.snapX = 1;
    grid.stepX = 10;
    grid.originX = 0;
    rig.Click(rig.Over(63, 95));                    // x 26.875 snaps to 30
    rig.Click(rig.Over(63, 95), Qt::ShiftModifier); // Shift: x 26.875 as it is
    EXPECT_EQ(rig.panes[CPlumeView::kPanePoints], QString()) << "the shell writes that pane";

    const std::vector<DPoint> expected = {
        {0, 1},
        {100, 1000},
        {50, std::pow(10, 1.5)},
        {25, std::pow(10, 0.75)},
        {30, std::pow(10, 0.75)},
        {26.875, std::pow(10, 0.75)},
    };
    const std::vector<DPoint> points = rig.Exported();
    ASSERT_EQ(points.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        // The text keeps 6 significant digits.
        EXPECT_NEAR(points[i].x, expected[i].x, 1e-5 * std::max(1.0, expected[i].x)) << i;
        EXPECT_NEAR(points[i].y, expected[i].y, 1e-5 * expected[i].y) << i;
    }
    // The view shows them at once: the current set's plus marker at each.
    const QPoint last = rig.Over(63, 95);
    EXPECT_EQ(rig.Screen(last.x() + 3, last.y()), 0xFF0000u) << "red plus arm";

    // Hover: the plot position of the snapped position, the resolution of the pointer's.
    rig.Move(rig.Over(63, 95));
    // One logical unit is 0.625 across and 10^0.75 (1 - 10^-0.03) = 0.375 up: "30" to 4
    // digits and 5.623 to 3.
    EXPECT_EQ(rig.Pane0(), "Plot Position (30, 5.62)");
    EXPECT_EQ(rig.panes[CPlumeView::kPaneReadout].toStdString(), "0.625, 0.375");

    // Everything undone: the opened image, no points, no region.
    while (rig.document->Undo()) {
    }
    EXPECT_EQ(rig.Data().SetManager().GetTotalCount(), 0);
    EXPECT_EQ(rig.Region().pixelCount, 0);
    EXPECT_EQ(ToRgb(rig.Data().Image().GetPackedBitmap()), rig.opened);
    EXPECT_NE(rig.Active(), rig.view->ToolFor(kCollectPoints))
        << "without a region the point tool gave way to the default tool";
    EXPECT_EQ(rig.Active(), rig.view->DefaultTool());
}

// Measuring with the line tool on a linear mapping of (-1, -1)-(1, 1) over the region:
// graph (0, 0) is pixel (100, 70), (1, 1) pixel (180, 20), (-1, 0) pixel (20, 70).
TEST(DigitizingTools, MeasuresLines) {
    JobRig rig;
    rig.DrawRegion();
    rig.SetAxes(-1, 1, -1, 1, false);
    const QImage clean = rig.view->BackBuffer();
    ASSERT_TRUE(rig.view->RunCommand(kCollectLines));
    auto* tool = static_cast<CollectLineTool*>(rig.Active());
    ASSERT_EQ(tool, rig.view->ToolFor(kCollectLines));
    const auto measure = [&] {
        const std::string text = rig.Pane0();
        const std::size_t at = text.find("Len,Angle ");
        return at == std::string::npos ? text : text.substr(at + 10);
    };

    rig.Drag(rig.Over(100, 70), rig.Over(180, 20));
    EXPECT_EQ(measure(), "(1.41421, 45.0)");
    EXPECT_EQ(tool->PointCount(), 2);
    rig.Move(rig.Over(140, 70)); // the completed line's measure stays
    EXPECT_EQ(measure(), "(1.41421, 45.0)");
    EXPECT_EQ(rig.Pane0().rfind("Position (0.5, ", 0), 0u) << rig.Pane0();

    // Two clicks, the first released 3 units away (it waits), to (-1, 0).
    rig.Mouse(QEvent::MouseButtonPress, rig.Over(100, 70));
    rig.Move(rig.Over(103, 70));
    rig.Mouse(QEvent::MouseButtonRelease, rig.Over(103, 70));
    EXPECT_EQ(tool->PointCount(), 1) << "3 units: a click";
    rig.Move(rig.Over(20, 70));
    EXPECT_EQ(measure(), "(1, 180.0)") << "the length follows the pointer";
    rig.Click(rig.Over(20, 70));
    EXPECT_EQ(tool->PointCount(), 2);
    EXPECT_EQ(measure(), "(1, 180.0)");

    // A drag of 5 units is a line of its own.
    rig.Drag(rig.Over(100, 70), rig.Over(105, 70));
    EXPECT_EQ(tool->PointCount(), 2) << "5 units: complete";
    EXPECT_EQ(measure(), "(0.0625, 0.0)");

    rig.Press(Qt::Key_Escape);
    EXPECT_EQ(rig.view->BackBuffer(), clean) << "Escape erases the line and its markers";
    rig.Drag(rig.Over(100, 70), rig.Over(180, 20));
    ASSERT_TRUE(rig.view->RunCommand(kDefineMappingRegion));
    EXPECT_EQ(rig.view->BackBuffer(), clean) << "leaving the tool erases what it showed";
    EXPECT_TRUE(rig.view->RunCommand(kCollectLines));
    rig.Click(rig.Over(100, 70), Qt::ControlModifier);
    rig.Click(rig.Over(150, 70), Qt::ControlModifier);
    EXPECT_EQ(rig.view->BackBuffer(), clean) << "Ctrl-clicks draw nothing";
    EXPECT_EQ(rig.Data().HistoryCount(), 2) << "the region and the axes only";
}

// A quarter turn about the bottom-left corner and back, in one drag and in two, leaves the
// region unrotated; the pivot symbol comes and goes with the tool.
TEST(DigitizingTools, RotatesTheRegionAQuarterTurnAndBack) {
    JobRig rig;
    rig.DrawRegion();
    const Box original = rig.Region();
    const QImage clean = rig.view->BackBuffer();
    ASSERT_TRUE(rig.view->RunCommand(kRotateMappingRegion));
    EXPECT_NE(rig.view->BackBuffer(), clean) << "the pivot symbol";
    const QPoint pivot = rig.Over(20, 120);
    EXPECT_EQ(rig.Screen(pivot.x(), pivot.y()), ~clean.pixel(pivot) & 0xFFFFFFu)
        << "the symbol's apex inverts the region's corner";
    const auto expectOriginal = [&](double tolerance, const char* what) {
        EXPECT_NEAR(rig.Region().angle, 0.0, 1e-5) << what;
        for (int i = 0; i < 8; ++i) {
            EXPECT_NEAR(rig.Region().pixelNodes[i].x, original.pixelNodes[i].x, tolerance) << i;
            EXPECT_NEAR(rig.Region().pixelNodes[i].y, original.pixelNodes[i].y, tolerance) << i;
        }
    };

    // One drag out to a quarter turn (counter-clockwise on screen) and back.
    rig.Mouse(QEvent::MouseButtonPress, rig.Over(195, 120));
    rig.Move(rig.Over(20, 0));
    rig.Move(rig.Over(195, 120));
    rig.Mouse(QEvent::MouseButtonRelease, rig.Over(195, 120));
    expectOriginal(1e-9, "one drag");

    // Two gestures: a quarter turn stored, then a quarter turn back.
    rig.Drag(rig.Over(195, 120), rig.Over(20, 0));
    EXPECT_NEAR(rig.Region().angle, -90.0, 1e-5);
    EXPECT_NEAR(rig.Region().pixelNodes[4].x, 20.0, 1e-3) << "bottom-right turned above";
    EXPECT_NEAR(rig.Region().pixelNodes[4].y, -40.0, 1e-3);
    // Back: from (60, 0), a quarter turn clockwise about the pivot is (140, 160).
    rig.Drag(rig.Over(60, 0), rig.Over(140, 160));
    expectOriginal(1e-3, "two gestures");

    ASSERT_TRUE(rig.view->RunCommand(kDefineMappingRegion));
    rig.view->Redraw();
    const QImage unrotated = rig.view->BackBuffer();
    ASSERT_TRUE(rig.view->RunCommand(kRotateMappingRegion));
    ASSERT_TRUE(rig.view->RunCommand(kDefineMappingRegion));
    EXPECT_EQ(rig.view->BackBuffer(), unrotated) << "the symbol goes with the tool";
    EXPECT_EQ(rig.Data().HistoryCount(), 4);
}

// Crop: the box with running ants (ticked by hand here), Enter crops as one undoable step,
// Escape removes a box.
TEST(DigitizingTools, CropsWithEnterAndUndoes) {
    JobRig rig;
    ASSERT_TRUE(rig.view->RunCommand(kCrop));
    auto* tool = static_cast<CropTool*>(rig.Active());
    const QImage clean = rig.view->BackBuffer();
    rig.Drag(rig.Over(40, 30), rig.Over(140, 100));
    ASSERT_TRUE(tool->BoxDefined());
    ASSERT_NE(tool->Ants(), nullptr);
    ASSERT_TRUE(tool->Ants()->IsRunning());
    EXPECT_EQ(tool->Ants()->Period(), 25);
    EXPECT_EQ(rig.view->BackBuffer(), clean) << "the view never paints the box";

    // Ticks: the top edge in runs of three white and five black pixels, one pixel further
    // along at each tick.
    const QPoint corner = rig.Over(40, 30);
    const auto topEdge = [&] {
        std::string run;
        for (int x = 0; x < 16; ++x) {
            const QRgb c = rig.Screen(corner.x() + x, corner.y());
            run += c == 0xFFFFFFu ? 'W' : c == 0 ? '#' : '?';
        }
        return run;
    };
    TimerProc::Dispatch(tool->Ants()->Index());
    const std::string first = topEdge();
    TimerProc::Dispatch(tool->Ants()->Index());
    const std::string second = topEdge();
    EXPECT_EQ(std::count(first.begin(), first.end(), 'W'), 6) << first;
    EXPECT_EQ(std::count(first.begin(), first.end(), '#'), 10) << first;
    EXPECT_EQ(second.substr(0, 15), first.substr(1)) << first << " then " << second;
    EXPECT_EQ(tool->Ants()->Pattern(), 2);

    rig.Press(Qt::Key_Return);
    EXPECT_FALSE(tool->BoxDefined());
    EXPECT_FALSE(tool->Ants()->IsRunning());
    EXPECT_EQ(rig.Data().Image().GetPackedBitmap().Width(), 101);
    EXPECT_EQ(rig.Data().Image().GetPackedBitmap().Height(), 71);
    rig.Press(Qt::Key_Return);
    EXPECT_EQ(rig.Data().HistoryCount(), 1) << "Enter without a box does nothing";

    ASSERT_TRUE(rig.document->Undo());
    EXPECT_EQ(ToRgb(rig.Data().Image().GetPackedBitmap()), rig.opened);

    rig.Drag(rig.Over(10, 10), rig.Over(50, 50));
    ASSERT_TRUE(tool->BoxDefined());
    rig.Press(Qt::Key_Escape);
    EXPECT_FALSE(tool->BoxDefined());
    EXPECT_FALSE(tool->Ants()->IsRunning());
    rig.view->ActualPixels();
    EXPECT_EQ(rig.view->BackBuffer(), clean);
}

// Ctrl-clicks and Ctrl-drags do nothing in any tool: no task, nothing drawn.
TEST(DigitizingTools, CtrlClicksDoNothing) {
    JobRig rig;
    rig.DrawRegion();
    rig.SetAxes(0, 1, 0, 1, false);
    for (int command :
         {kDefineMappingRegion, kRotateMappingRegion, kCollectPoints, kCollectLines, kCrop}) {
        ASSERT_TRUE(rig.view->RunCommand(command)) << command;
        const QImage before = rig.view->BackBuffer();
        const std::int32_t steps = rig.Data().HistoryCount();
        rig.Click(rig.Over(100, 70), Qt::ControlModifier);
        rig.Drag(rig.Over(10, 10), rig.Over(150, 140), Qt::ControlModifier);
        rig.Drag(rig.Over(20, 20), rig.Over(60, 60), Qt::ControlModifier);
        EXPECT_EQ(rig.Data().HistoryCount(), steps) << command;
        EXPECT_EQ(rig.view->BackBuffer(), before) << command;
    }
}

// A drag that leaves the window scrolls it; the outline is taken off, the view scrolls and
// the outline is drawn again where the pointer now is; the region ends under the pointer.
TEST(DigitizingTools, AutomaticScrollDuringADrag) {
    JobRig rig;
    rig.view->ZoomIn();
    rig.view->ZoomIn();
    rig.view->ZoomIn(); // 1.728: the image is larger than the window
    const double scale = rig.view->Geometry().Scale();
    ASSERT_GT(200 * scale, 300);
    const IPoint scroll = rig.view->Geometry().Scroll();
    rig.Mouse(QEvent::MouseButtonPress, QPoint(20, 20));
    rig.Move(QPoint(150, 100));
    rig.Move(QPoint(340, 100)); // 41 pixels beyond the right edge: the scroll starts
    const IPoint scrolled = rig.view->Geometry().Scroll();
    EXPECT_GT(scrolled.x, scroll.x) << "one step at once";
    EXPECT_EQ(scrolled.y, scroll.y);
    rig.Mouse(QEvent::MouseButtonRelease, QPoint(340, 100));
    const Box& region = rig.Region();
    ASSERT_EQ(region.pixelCount, 8);
    // The release is clamped to the last client column, over the scrolled image.
    EXPECT_NEAR(region.pixelNodes[4].x, (299 + scrolled.x) / scale, 1e-9);
    EXPECT_NEAR(region.pixelNodes[0].x, (20 + scroll.x) / scale, 1e-9);

    // The feedback drawn after the scroll is erased exactly by the release's repaint: the
    // buffer is what a fresh paint gives.
    const QImage after = rig.view->BackBuffer();
    rig.view->Redraw();
    EXPECT_EQ(rig.view->BackBuffer(), after);
}

} // namespace
