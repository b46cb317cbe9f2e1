#include "view/CPlumeView.h"
#include "BitmapPixels.h"
#include "FakePlatform.h"
#include "SeededBitmap.h"
#include "ViewRig.h"
#include "core/ApplicationState.h"
#include "core/CPreferences.h"
#include "database/DbPointRep.h"
#include "history/PrimTask.h"
#include "image/ImageStore.h"
#include "mapping/RegGridData.h"
#include "mapping/TransformMan.h"
#include "tools/Cursor.h"
#include "tools/TrackMgr.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

// An image smaller than the window is centred; points over the strips have negative pixel
// positions; the pick tolerance is pickTol / scale.
TEST(CPlumeView, EventsAndCentring) {
    ViewRig rig(100, 50);
    // A fit of 2 snaps down to 1.2^2.
    EXPECT_DOUBLE_EQ(rig.view->Geometry().Scale(), std::pow(1.2, 2));
    rig.view->ActualPixels();
    EXPECT_EQ(rig.view->Geometry().Scale(), 1.0);
    const ToolEvent event = rig.view->MakeToolEvent(IPoint{10, 10});
    EXPECT_EQ(event.centringOffset, (IPoint{50, 25}));
    EXPECT_EQ(event.logical, (IPoint{-40, -15}));
    EXPECT_EQ(event.pixel, (DPoint{-40, -15}));
    EXPECT_EQ(event.pickTolerance, (DPoint{3, 3}));
    const ToolEvent outside = rig.view->MakeToolEvent(IPoint{260, -5});
    EXPECT_EQ(outside.client, (IPoint{199, 0})) << "clamped into the client area";
    // (260, -5) moved by -3 is (257, -8): 58 and 8 from the clamped point.
    EXPECT_EQ(outside.pickTolerance, (DPoint{58, 8})) << "grows by what the clamp removed";
}

// The back buffer shows the strips in the window colour, the image pixel for pixel, the
// grid, the region and the point markers in their colours.
TEST(CPlumeView, PaintsStripsImageGridRegionAndPoints) {
    ViewRig rig(100, 50);
    rig.view->ActualPixels();
    const QRgb window = rig.view->palette().color(QPalette::Base).rgb() & 0xFFFFFF;
    EXPECT_EQ(rig.Screen(10, 10), window);
    EXPECT_EQ(rig.Screen(199, 99), window);
    for (const QPoint image : {QPoint(0, 0), QPoint(99, 49), QPoint(37, 21)}) {
        EXPECT_EQ(rig.Screen(50 + image.x(), 25 + image.y()), rig.Source(image.x(), image.y()))
            << image.x() << "," << image.y();
    }

    // Grid, region and a point, each in its colour (the sets draw in their own colours).
    const auto count = [&rig](QRgb colour) {
        int n = 0;
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < 200; ++x) {
                n += rig.Screen(x, y) == colour ? 1 : 0;
            }
        }
        return n;
    };
    const QRgb green = 0x00FF00;
    const QRgb blue = 0x0000FF;
    EXPECT_EQ(count(green), 0);
    EXPECT_EQ(count(blue), 0);
    PlumeData& database = *rig.document->Database();
    ASSERT_TRUE(rig.document->RunCommand(kDefineMappingFullSized));
    database.Grid().snapX = 1;
    database.Grid().showX = 1;
    database.Grid().stepX = 1; // the default graph range is 1 to 10
    rig.preferences.gridColor = MakeColour(0, 255, 0);
    rig.preferences.boxColor = MakeColour(0, 0, 255);
    rig.view->OnInitialUpdate();
    rig.view->ActualPixels();
    auto* point = new DbPointRep(DPoint{20, 20});
    ASSERT_TRUE(
        database.Perform(std::make_unique<PrimTask>(&database, SmartPtr<DbPrimRep>(point))));
    rig.document->CommitTask();
    EXPECT_GT(count(green), 40) << "grid lines";
    EXPECT_GT(count(blue), 200) << "the region around the image";
    EXPECT_EQ(rig.Screen(50 + 20 + 3, 25 + 20), 0xFF0000u) << "the plus marker's right arm";
    EXPECT_EQ(rig.Screen(10, 10), window) << "strips stay";
}

// Feedback drawn not-xor twice leaves the buffer exactly as it was.
TEST(CPlumeView, NotXorFeedbackTwiceRestoresTheBuffer) {
    ViewRig rig(300, 200);
    const QImage before = rig.view->BackBuffer().copy();
    ToolEvent event = rig.view->MakeToolEvent(IPoint{0, 0});
    for (int pass = 0; pass < 2; ++pass) {
        event.context.SelectFeedbackPen(pass == 0 ? PenStyle::Dotted : PenStyle::Dotted);
        event.context.MoveTo(3, 4);
        event.context.LineTo(150, 90);
        event.context.LineTo(10, 80);
        DrawContext::PlusMarker(event.context, 40, 30);
        event.context.RestorePen();
        if (pass == 0) {
            EXPECT_NE(rig.view->BackBuffer(), before);
        }
    }
    EXPECT_EQ(rig.view->BackBuffer(), before);
}

// Space, Z and X switch tools for as long as they are held; not while a press is tracked.
TEST(CPlumeView, TemporaryToolsFromTheKeyboard) {
    ViewRig rig(400, 300);
    Tool* pan = rig.view->ToolFor(kPan);
    Tool* zoomIn = rig.view->ToolFor(kZoomInRecenter);
    Tool* zoomOut = rig.view->ToolFor(kZoomOutRecenter);
    ASSERT_TRUE(rig.view->RunCommand(kZoomInRecenter));
    struct Step {
        QEvent::Type type;
        int key;
        Tool* active;
    };
    const Step steps[] = {
        {QEvent::KeyPress, Qt::Key_Space, pan},      {QEvent::KeyPress, Qt::Key_X, zoomOut},
        {QEvent::KeyRelease, Qt::Key_X, pan},        {QEvent::KeyRelease, Qt::Key_Space, zoomIn},
        {QEvent::KeyPress, Qt::Key_Space, pan},      {QEvent::KeyPress, Qt::Key_Z, zoomIn},
        {QEvent::KeyRelease, Qt::Key_Space, zoomIn}, // Z still held: nothing
        {QEvent::KeyRelease, Qt::Key_Z, zoomIn},
    };
    for (const Step& step : steps) {
        rig.Key(step.type, step.key);
        EXPECT_EQ(rig.view->ActiveTool(), step.active) << step.key;
    }
    // Space and Z with the zoom-in tool active switch nothing; letting go keeps it.
    rig.Key(QEvent::KeyPress, Qt::Key_Z);
    rig.Key(QEvent::KeyPress, Qt::Key_Space);
    rig.Key(QEvent::KeyRelease, Qt::Key_Space);
    rig.Key(QEvent::KeyRelease, Qt::Key_Z);
    EXPECT_EQ(rig.view->ActiveTool(), zoomIn);

    // During a drag Space is ignored.
    rig.Mouse(QEvent::MouseButtonPress, QPoint(50, 50));
    rig.Key(QEvent::KeyPress, Qt::Key_Space);
    EXPECT_EQ(rig.view->ActiveTool(), zoomIn);
    rig.Mouse(QEvent::MouseButtonRelease, QPoint(50, 50));
    rig.Key(QEvent::KeyRelease, Qt::Key_Space);
    EXPECT_EQ(rig.view->ActiveTool(), zoomIn);
}

// The hand drags the image; the zoom-in tool zooms at the release point; the wheel
// scrolls, and with Ctrl zooms at the pointer.
TEST(CPlumeView, PanZoomAndWheel) {
    ViewRig rig(1000, 1000, {200, 100});
    rig.view->ActualPixels();
    ASSERT_TRUE(rig.view->RunCommand(kPan));
    const IPoint start = rig.view->Geometry().Scroll();
    rig.Mouse(QEvent::MouseButtonPress, QPoint(50, 50));
    rig.Mouse(QEvent::MouseMove, QPoint(80, 50));
    rig.Mouse(QEvent::MouseButtonRelease, QPoint(80, 50));
    EXPECT_EQ(rig.view->Geometry().Scroll().x, std::max(0, start.x - 30));

    ASSERT_TRUE(rig.view->RunCommand(kZoomInRecenter));
    const ToolEvent at = rig.view->MakeToolEvent(IPoint{60, 40});
    const IPoint scroll = rig.view->Geometry().Scroll();
    rig.Mouse(QEvent::MouseButtonPress, QPoint(60, 40));
    rig.Mouse(QEvent::MouseButtonRelease, QPoint(60, 40));
    EXPECT_DOUBLE_EQ(rig.view->Geometry().Scale(), 1.2);
    EXPECT_EQ(rig.view->Geometry().Scroll(),
              (IPoint{static_cast<int>(at.logical.x * 1.2) - (at.logical.x - scroll.x),
                      static_cast<int>(at.logical.y * 1.2) - (at.logical.y - scroll.y)}));
    EXPECT_FALSE(rig.view->FitMode());

    const IPoint before = rig.view->Geometry().Scroll();
    QWheelEvent down(QPointF(20, 20), QPointF(20, 20), QPoint(), QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(rig.view->viewport(), &down);
    EXPECT_GT(rig.view->Geometry().Scroll().y, before.y);
    QWheelEvent zoom(QPointF(20, 20), QPointF(20, 20), QPoint(), QPoint(0, 120), Qt::NoButton,
                     Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(rig.view->viewport(), &zoom);
    EXPECT_DOUBLE_EQ(rig.view->Geometry().Scale(), 1.2 * 1.2);
}

// The view's rows of the command table: enabling and ticks.
TEST(CPlumeView, CommandsAndTheirRules) {
    ViewRig rig(400, 300);
    struct Case {
        int id;
        bool enabled;
        bool checked;
    };
    const Case cases[] = {
        {kZoomIn, true, false},
        {kFitToWindow, true, false},
        {kZoomMedium, true, true},
        {kZoomFast, true, false},
        {kDrawDithered, true, false},
        {kSaveView, true, false},
        {kNextSavedView, false, false},
        {kPreviousSavedView, false, false},
        {kCollectAngles, false, false},
        {kSwapViews, false, false},
        {kRotateMappingRegion, false, false}, // no region yet
        {kCollectPoints, false, false},
        {kCollectLines, false, false},
        {kDefineMappingRegion, true, true}, // the default tool
        {kCrop, true, false},
        {kPan, true, false},
        {kUndo, false, false}, // the document's, not the view's
    };
    for (const Case& c : cases) {
        const CPlumeDoc::CommandState state = rig.view->QueryCommand(c.id);
        EXPECT_EQ(state.enabled, c.enabled) << c.id;
        EXPECT_EQ(state.checked, c.checked) << c.id;
    }
    ASSERT_TRUE(rig.view->RunCommand(kActualPixels));
    EXPECT_TRUE(rig.view->QueryCommand(kActualPixels).checked);
    ASSERT_TRUE(rig.view->RunCommand(kZoomFast));
    EXPECT_TRUE(rig.view->QueryCommand(kZoomFast).checked);
    EXPECT_EQ(rig.preferences.zoomType, 1);
    EXPECT_DOUBLE_EQ(rig.view->Geometry().ZoomRate(), 1.4);
    ASSERT_TRUE(rig.view->RunCommand(kSaveView));
    ASSERT_TRUE(rig.view->RunCommand(kZoomIn));
    EXPECT_TRUE(rig.view->QueryCommand(kPreviousSavedView).enabled);
    ASSERT_TRUE(rig.view->RunCommand(kPreviousSavedView));
    EXPECT_EQ(rig.view->Geometry().Scale(), 1.0);
    EXPECT_TRUE(rig.view->QueryCommand(kNextSavedView).enabled);
    ASSERT_TRUE(rig.view->RunCommand(kNextSavedView));
    EXPECT_DOUBLE_EQ(rig.view->Geometry().Scale(), 1.4);
    EXPECT_FALSE(rig.view->FitMode());
    ASSERT_TRUE(rig.view->RunCommand(kFitToWindow));
    EXPECT_TRUE(rig.view->FitMode());
    rig.view->resize(300, 200);
    // 400 x 300 in 300 x 200: the height limits at 2/3, snapped down to 1.4^-2.
    EXPECT_DOUBLE_EQ(rig.view->Geometry().Scale(), std::pow(1.4, -2)) << "refits on resize";
}

// One page to a PDF file: read back with pdftoppm, the middle of the page shows the image.
TEST(CPlumeView, PrintsToAPdfFile) {
    ViewRig rig(60, 40);
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString pdf = folder.filePath("page.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setResolution(72);
    ASSERT_TRUE(rig.view->PrintTo(printer));
    ASSERT_TRUE(QFile::exists(pdf));
    const QString png = folder.filePath("page");
    const int status = QProcess::execute("pdftoppm", {"-r", "72", "-png", "-singlefile", pdf, png});
    if (status < 0) {
        GTEST_SKIP() << "pdftoppm is missing (scripts/setup-deps installs poppler-utils)";
    }
    ASSERT_EQ(status, 0);
    QImage page(png + ".png");
    ASSERT_FALSE(page.isNull());
    // The image fills the page less an inch and is centred: the page's middle shows one of
    // the image's middle pixels (the page's own margins shift it by up to a pixel).
    const QRgb middle = page.pixel(page.width() / 2, page.height() / 2) & 0xFFFFFF;
    const auto near = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) <= 8 && std::abs(qGreen(a) - qGreen(b)) <= 8 &&
               std::abs(qBlue(a) - qBlue(b)) <= 8;
    };
    bool found = false;
    for (int y = 18; y <= 21; ++y) {
        for (int x = 28; x <= 31; ++x) {
            found = found || near(middle, rig.Source(x, y));
        }
    }
    EXPECT_TRUE(found) << std::hex << middle;
    // Less an inch: at 72 dots per inch the image is 595 - 72 = 523 wide on A4, 523/60 per
    // image pixel; the rows above it are blank.
    const int imageHeight = static_cast<int>(523.0 / 60 * 40);
    EXPECT_EQ(page.pixel(page.width() / 2, (page.height() - imageHeight) / 2 - 20) & 0xFFFFFF,
              0xFFFFFFu);
    EXPECT_EQ(page.pixel(2, 2) & 0xFFFFFF, 0xFFFFFFu) << "the margin is blank";
}

} // namespace

namespace {

// Document notifications, activation, Enter and Escape, the scrolling keys and the name
// assistive technology reads.
TEST(CPlumeView, UpdatesActivationAndKeys) {
    ViewRig rig(1000, 800, {200, 100});
    EXPECT_EQ(rig.view->accessibleName(), "Image view");
    EXPECT_TRUE(rig.view->accessibleDescription().contains("1000 by 800 pixels"));
    EXPECT_EQ(rig.view->focusPolicy(), Qt::StrongFocus);

    rig.view->ActualPixels();
    ASSERT_TRUE(rig.document->RunCommand(kRotateClockwise)); // hint 1: the image turned
    EXPECT_EQ(rig.view->Geometry().ImageSize(), (IPoint{800, 1000}));
    rig.view->OnUpdate(PlumeData::kHintImagePasted); // hint 2: fit
    EXPECT_TRUE(rig.view->FitMode());

    rig.view->OnActivateView(false, false);
    for (int pane : {2, 4, 5}) {
        ASSERT_TRUE(rig.panes.count(pane)) << pane;
        EXPECT_TRUE(rig.panes[pane].isEmpty()) << pane;
    }

    rig.view->ActualPixels();
    struct KeyCase {
        int key;
        Qt::KeyboardModifiers modifiers;
        IPoint scroll; // from (100, 100)
    };
    const KeyCase keys[] = {
        {Qt::Key_Down, Qt::NoModifier, {100, 110}},
        {Qt::Key_Up, Qt::NoModifier, {100, 90}},
        {Qt::Key_Right, Qt::NoModifier, {120, 100}},
        {Qt::Key_Left, Qt::NoModifier, {80, 100}},
        {Qt::Key_PageDown, Qt::NoModifier, {100, 200}},
        {Qt::Key_PageUp, Qt::ControlModifier, {300, 100}}, // page right
        {Qt::Key_Home, Qt::NoModifier, {0, 0}},
        {Qt::Key_End, Qt::NoModifier, {600, 900}},
    };
    for (const KeyCase& k : keys) {
        rig.view->ApplyView(ViewSpec{1.0, 100, 100, 0});
        rig.Key(QEvent::KeyPress, k.key, k.modifiers);
        rig.Key(QEvent::KeyRelease, k.key, k.modifiers);
        EXPECT_EQ(rig.view->Geometry().Scroll(), k.scroll) << k.key;
    }

    // Enter finishes and sends the pending hint to the views; Escape cancels.
    struct Recording : Tool {
        void Finish(ToolEvent&) override { log += "F"; }
        void Cancel(ToolEvent&) override { log += "C"; }
        void Activate(ToolEvent&) override {}
        void Deactivate(ToolEvent&) override {}
        std::string log;
    };
    auto recording = std::make_unique<Recording>();
    Recording* tool = recording.get();
    rig.view->AddTool(kCrop, std::move(recording));
    ASSERT_TRUE(rig.view->RunCommand(kCrop));
    rig.view->ApplyView(ViewSpec{1.0, 0, 0, 0});
    rig.document->Database()->RotateImage(90); // leaves hint 1 pending
    rig.Key(QEvent::KeyPress, Qt::Key_Return);
    rig.Key(QEvent::KeyPress, Qt::Key_Escape);
    EXPECT_EQ(tool->log, "FC");
    EXPECT_EQ(rig.document->Database()->UpdateHint(), 0);
    EXPECT_EQ(rig.view->Geometry().ImageSize(), (IPoint{1000, 800})) << "the views took hint 1";
}

} // namespace

namespace {

// Zoomed in or out, displayed pixel (i, j) of the zoomed image is source pixel
// (trunc(i x W / w), trunc(j x H / h)), whether it comes from the bitmap or from the image
// store's reduced copy.
TEST(CPlumeView, ZoomedPixelsAreNearestNeighbour) {
    for (const double zoom : {std::pow(1.2, -7), 1.2 * 1.2, 7.0}) {
        ViewRig rig(400, 300);
        rig.view->ApplyView(ViewSpec{zoom, 37, 11, 0});
        const IPoint display = rig.view->Geometry().DisplaySize();
        for (const QPoint client :
             {QPoint(0, 0), QPoint(57, 31), QPoint(111, 83), QPoint(199, 99)}) {
            const IPoint logical = rig.view->Geometry().ClientToLogical({client.x(), client.y()});
            if (logical.x < 0 || logical.y < 0 || logical.x >= display.x ||
                logical.y >= display.y) {
                continue;
            }
            const int sx = static_cast<int>(std::int64_t{logical.x} * 400 / display.x);
            const int sy = static_cast<int>(std::int64_t{logical.y} * 300 / display.y);
            EXPECT_EQ(rig.Screen(client.x(), client.y()), rig.Source(sx, sy))
                << zoom << " at " << client.x() << "," << client.y();
        }
    }
}

} // namespace
