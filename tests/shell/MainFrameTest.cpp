#include "../ui/DialogDriver.h"
#include "FakePlatform.h"
#include "FrameRig.h"
#include "SeededBitmap.h"
#include "core/ApplicationState.h"
#include "core/CPreferences.h"
#include "database/DbPointRep.h"
#include "database/PlumeData.h"
#include "history/PrimTask.h"
#include "image/BmpCodec.h"
#include "platform/IniSettingsProfile.h"
#include "shell/CChildFrame.h"
#include "shell/CDataView.h"
#include "shell/CMainFrame.h"
#include "shell/CPlumeApp.h"
#include "shell/CommandActions.h"
#include "shell/DataListModel.h"
#include "shell/DataSetsBox.h"
#include "shell/DocumentDialogs.h"
#include "shell/DocumentManager.h"
#include "shell/ShellIcons.h"
#include "shell/WindowPlacement.h"
#include "view/CPlumeView.h"
#include "view/Magnifier.h"

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QWhatsThis>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

namespace {

// The toolbars carry exactly their buttons, in order, separators included; menus and
// buttons share one action per command, so icon-only buttons are named by its text.
TEST(CMainFrame, BarsAndMenusComeFromTheCommandTable) {
    FrameRig rig;
    struct Bar {
        int id;
        const char* caption;
        std::vector<int> buttons;
    };
    const Bar bars[] = {
        {kStandardBar, "Standard", CommandActions::StandardBar()},
        {kViewBar, "View", CommandActions::ViewBar()},
        {kDigitizeBar, "Digitize", CommandActions::DigitizeBar()},
    };
    for (const Bar& bar : bars) {
        QToolBar* toolBar = rig.frame->Bar(bar.id);
        ASSERT_NE(toolBar, nullptr) << bar.caption;
        EXPECT_EQ(toolBar->windowTitle(), bar.caption);
        const QList<QAction*> actions = toolBar->actions();
        ASSERT_EQ(actions.size(), static_cast<qsizetype>(bar.buttons.size())) << bar.caption;
        for (std::size_t i = 0; i < bar.buttons.size(); ++i) {
            QAction* action = actions[static_cast<qsizetype>(i)];
            if (bar.buttons[i] == 0) {
                EXPECT_TRUE(action->isSeparator()) << bar.caption << " " << i;
            } else {
                EXPECT_EQ(action, rig.frame->Actions().Action(bar.buttons[i])) << bar.caption;
                EXPECT_FALSE(action->text().isEmpty());
                EXPECT_FALSE(action->statusTip().isEmpty());
            }
        }
    }
    QAction* undo = rig.frame->Actions().Action(kUndo);
    EXPECT_EQ(undo->text(), "&Undo");
    EXPECT_EQ(undo->shortcut(), QKeySequence("Ctrl+Z"));
    EXPECT_EQ(rig.frame->Actions().Action(kZoomIn)->shortcut(), QKeySequence("Ctrl++"));
    EXPECT_TRUE(rig.frame->Actions().Action(kSortData)->isCheckable());
    EXPECT_EQ(rig.frame->SetsBox()->width(), 150);

    std::unique_ptr<QMenu> popup(rig.frame->createPopupMenu());
    QStringList toggles;
    for (QAction* action : popup->actions()) {
        toggles << QString(action->text()).remove('&');
    }
    EXPECT_EQ(toggles, (QStringList{"Standard Toolbar", "View Toolbar", "Digitize Toolbar",
                                    "Data Sets", "Attributes Toolbar", "Magnifier"}));
    // Docked upright at the left edge the Data Sets bar hides its box and shows the place's
    // own (disabled) button; back at the top the box returns.
    QToolBar* sets = rig.frame->Bar(kDataSetsBar);
    QAction* place = rig.frame->Actions().Action(kSelectDataSet);
    rig.frame->addToolBar(Qt::LeftToolBarArea, sets);
    QApplication::processEvents();
    EXPECT_TRUE(place->isVisible());
    EXPECT_FALSE(rig.frame->SetsBox()->isVisibleTo(sets));
    EXPECT_FALSE(rig.Enabled(kSelectDataSet));
    rig.frame->addToolBar(Qt::TopToolBarArea, sets);
    QApplication::processEvents();
    EXPECT_FALSE(place->isVisible());
    EXPECT_TRUE(rig.frame->SetsBox()->isVisibleTo(sets));
    // Hiding a bar through its toggle unticks it.
    rig.frame->RunCommand(kViewBar);
    EXPECT_FALSE(rig.Checked(kViewBar));
    EXPECT_TRUE(rig.frame->Bar(kViewBar)->isHidden());
}

// Menus and enabling follow the document: nothing but the application's commands without
// one; the image's commands once it is open; the mapping's once a region is placed.
TEST(CMainFrame, EnablingFollowsTheDocumentsState) {
    FrameRig rig;
    EXPECT_EQ(rig.frame->windowTitle(), "Corvane Tracery");
    EXPECT_FALSE(rig.MenuShown("&Edit"));
    EXPECT_FALSE(rig.MenuShown("&Digitize"));
    EXPECT_TRUE(rig.MenuShown("&File"));
    EXPECT_TRUE(rig.Checked(kStandardBar));
    EXPECT_FALSE(rig.Enabled(kZoomIn));
    EXPECT_FALSE(rig.Enabled(kFileClose));
    EXPECT_FALSE(rig.frame->SetsBox()->isEnabled());

    CPlumeDoc* document = rig.frame->Documents().OpenFile(rig.Image("scan.bmp"));
    ASSERT_NE(document, nullptr);
    QApplication::processEvents();
    EXPECT_EQ(rig.frame->ActiveDocument(), document);
    // An opened image is titled without its extension until it is saved under a name.
    EXPECT_EQ(rig.frame->windowTitle(), "Corvane Tracery - scan");
    EXPECT_TRUE(rig.MenuShown("&Edit"));
    EXPECT_EQ(rig.frame->StatusPane(1), "Points:");
    EXPECT_EQ(rig.frame->StatusPane(3), "   Image:");
    EXPECT_EQ(rig.frame->StatusPane(4), "scan.bmp");
    struct Case {
        int id;
        bool enabled;
    };
    const Case opened[] = {
        {kZoomIn, true},    {kCopy, true},           {kAxisMapping, false}, {kGridSnap, false},
        {kCut, false},      {kCollectAngles, false}, {kSwapViews, false},   {kUndo, false},
        {kFileClose, true}, {kNewDataSet, true},     {kFlipVertical, true},
    };
    for (const Case& c : opened) {
        EXPECT_EQ(rig.Enabled(c.id), c.enabled) << c.id;
    }
    rig.frame->RunCommand(kDefineMappingFullSized);
    EXPECT_TRUE(rig.Enabled(kAxisMapping));
    EXPECT_TRUE(rig.Enabled(kUndo));
    EXPECT_TRUE(rig.Enabled(kRotateMappingRegion) ==
                (rig.frame->ActiveView()->ToolFor(kRotateMappingRegion) != nullptr));
    rig.frame->RunCommand(kUndo);
    EXPECT_FALSE(rig.Enabled(kAxisMapping));

    // The same file again comes to the front instead of opening twice.
    EXPECT_EQ(rig.frame->Documents().OpenFile(document->Path()), document);
    EXPECT_EQ(rig.frame->Documents().Documents().size(), 1u);
    // A file of neither kind leaves no window.
    const std::string junk = rig.folder.filePath("junk.txt").toStdString();
    std::ofstream(junk) << "not an image";
    EXPECT_EQ(rig.frame->Documents().OpenFile(junk), nullptr);
    EXPECT_EQ(rig.frame->Documents().Documents().size(), 1u);
    ASSERT_FALSE(rig.platform.messages.shown.empty());
}

// No value in the data list is cut short: each column is as wide as its longest value,
// and never narrower than usual.
TEST(CMainFrame, DataListColumnsFitTheirLongestValue) {
    FrameRig rig;
    CPlumeDoc* document = rig.frame->Documents().OpenFile(rig.Image("points.bmp"));
    ASSERT_NE(document, nullptr);
    rig.frame->RunCommand(kDefineMappingFullSized);
    CDataView* view = rig.frame->ActiveFrame()->DataList();
    const int usual = view->columnWidth(1);
    PlumeData& database = *document->Database();
    SmartPtr<DbPrimRep> point(new DbPointRep(DPoint{1, 1}));
    auto task = std::make_unique<PrimTask>(&database, point);
    static_cast<DbPointRep&>(*point).graph = DPoint{2, -5.55112e-15};
    ASSERT_TRUE(database.Perform(std::move(task)));
    document->CommitTask();
    const QString longest = "-5.55112e-15";
    QCoreApplication::processEvents();
    ASSERT_EQ(view->Model()->Rows().size(), 2u);
    EXPECT_EQ(view->Model()->Rows()[1][1], longest);
    EXPECT_GE(view->columnWidth(1), view->fontMetrics().horizontalAdvance(longest));
    EXPECT_GT(view->columnWidth(1), usual);
    EXPECT_EQ(view->columnWidth(0), usual);
}

// The data list shows the current set's points and the data-set box its sets; both follow
// the document.
TEST(CMainFrame, DataListAndSetsBoxFollowTheDocument) {
    FrameRig rig;
    CPlumeDoc* document = rig.frame->Documents().OpenFile(rig.Image("points.bmp"));
    ASSERT_NE(document, nullptr);
    CChildFrame* window = rig.frame->ActiveFrame();
    ASSERT_NE(window, nullptr);
    DataListModel* list = window->DataList()->Model();
    EXPECT_EQ(list->rowCount(), 0);
    EXPECT_EQ(list->columnCount(), 2);

    rig.frame->RunCommand(kDefineMappingFullSized);
    QCoreApplication::processEvents();
    PlumeData& database = *document->Database();
    int rebuilds = 0;
    QObject::connect(list, &QAbstractItemModel::modelReset, [&] { ++rebuilds; });
    for (double x : {30.0, 10.0, 20.0}) {
        auto* point = new DbPointRep(DPoint{x, 40});
        ASSERT_TRUE(
            database.Perform(std::make_unique<PrimTask>(&database, SmartPtr<DbPrimRep>(point))));
    }
    document->CommitTask();
    EXPECT_EQ(list->rowCount(), 0) << "made again once control is back in the event loop";
    QCoreApplication::processEvents();
    EXPECT_EQ(rebuilds, 1) << "the notices of three points and the commit make one rebuild";
    ASSERT_EQ(list->rowCount(), 4) << "the heading line and three points";
    EXPECT_EQ(list->Rows()[0][0], "X");
    // "SortData" off in the preferences: the list keeps the order of collection even though
    // the document sorts its own text.
    database.SetSortData(true);
    rig.preferences.sortData = 0;
    window->DataList()->Rebuild();
    std::vector<double> xs;
    for (std::size_t i = 1; i < list->Rows().size(); ++i) {
        xs.push_back(list->Rows()[i][0].toDouble());
    }
    EXPECT_TRUE(xs[0] > xs[1]) << "unsorted";
    rig.preferences.sortData = 1;
    window->DataList()->Rebuild();
    EXPECT_LT(list->Rows()[1][0].toDouble(), list->Rows()[2][0].toDouble()) << "sorted";

    DataSetsBox* box = rig.frame->SetsBox();
    EXPECT_TRUE(box->isEnabled());
    const int before = box->count();
    ASSERT_TRUE(document->NewDataSet("Second"));
    EXPECT_EQ(box->count(), before + 1);
    EXPECT_EQ(box->currentText(), "Second");
    rig.frame->RunCommand(kDeleteCurrentSet);
    EXPECT_EQ(box->count(), before + 1) << "a deleted set leaves an empty entry";
    EXPECT_TRUE(box->itemText(before).isEmpty());
    box->activated(0);
    EXPECT_EQ(database.SetManager().GetCurrent(), box->itemData(0).toInt());
}

// "WindowPos": ten numbers or nothing; written from a window and applied back.
TEST(WindowPlacement, ParsesFormatsAndLandsOnAScreen) {
    struct Case {
        const char* text;
        bool valid;
    };
    const Case cases[] = {
        {"0,1,-1,-1,-1,-1,10,20,810,620", true}, {"2,3,-1,-1,-1,-1,10,20,810,620", true},
        {"0,1,-1,-1,-1,-1,10,20,810", false},    {"0,1,-1,-1,-1,-1,10,20,810,620,5", false},
        {"0,1,x,-1,-1,-1,10,20,810,620", false}, {"", false},
        {"0,1,,-1,-1,-1,10,20,810,620", false},
    };
    for (const Case& c : cases) {
        const auto placement = WindowPlacement::Parse(c.text);
        EXPECT_EQ(placement.has_value(), c.valid) << c.text;
        if (placement) {
            EXPECT_EQ(placement->Format(), c.text);
        }
    }
    QWidget window;
    const auto far = WindowPlacement::Parse("0,1,-1,-1,-1,-1,50000,50000,50600,50400");
    ASSERT_TRUE(far);
    EXPECT_FALSE(far->ApplyTo(window));
    bool onScreen = false;
    for (const QScreen* screen : QGuiApplication::screens()) {
        onScreen = onScreen || screen->availableGeometry().intersects(window.geometry());
    }
    EXPECT_TRUE(onScreen) << "moved onto the primary screen";
    EXPECT_TRUE(WindowPlacement::Parse("2,3,-1,-1,-1,-1,10,20,810,620")->ApplyTo(window));
}

// Start-up reads the preferences, opens the command line's files, and the placement and
// preferences go back to the same settings file.
TEST(CPlumeApp, StartsReadsAndWritesItsSettings) {
    ApplicationState::Scope state;
    QTemporaryDir folder;
    const std::string settings = folder.filePath("Corvane Tracery.conf").toStdString();
    {
        IniSettingsProfile profile(settings);
        profile.WriteInt("Settings", "ZoomType", 3);
        profile.WriteInt("Settings", "PickTol", 7);
        profile.WriteString("Settings", "WindowPos", "0,1,-1,-1,-1,-1,20,30,620,430");
        ASSERT_TRUE(profile.Save());
    }
    const std::string image = folder.filePath("start.bmp").toStdString();
    ASSERT_TRUE(BmpCodec::Save(SeededBitmap(40, 30), image));
    {
        CPlumeApp app(settings);
        ASSERT_TRUE(app.InitInstance({image}));
        EXPECT_EQ(app.Preferences().zoomType, 3);
        EXPECT_EQ(app.MainFrame().Documents().Documents().size(), 1u);
        QApplication::processEvents();
        EXPECT_EQ(app.MainFrame().windowTitle(), "Corvane Tracery - start");
        EXPECT_DOUBLE_EQ(app.MainFrame().ActiveView()->Geometry().ZoomRate(), 1.05);
        for (const int id : {kFileNew, kFileOpen, kPrintSetup, kAppExit, kAppAbout, kContextHelp}) {
            EXPECT_TRUE(app.MainFrame().QueryCommand(id).enabled) << id;
        }
        app.MainFrame().RunCommand(kContextHelp);
        EXPECT_TRUE(QWhatsThis::inWhatsThisMode());
        QWhatsThis::leaveWhatsThisMode();
        app.Preferences().sortData = 1;
        app.MainFrame().close();
        app.ExitInstance();
    }
    IniSettingsProfile written(settings);
    EXPECT_EQ(written.GetInt("Settings", "SortData", -1), 1);
    EXPECT_EQ(written.GetInt("Settings", "PickTol", -1), 7) << "never written, kept as it was";
    EXPECT_TRUE(WindowPlacement::Parse(written.GetString("Settings", "WindowPos", "")).has_value());
    const std::vector<std::string> recent{written.GetString("Recent File List", "File1", "")};
    EXPECT_EQ(recent.front(), image);

    // A file of neither kind ends the start-up after its message.
    const std::string junk = folder.filePath("junk.dat").toStdString();
    std::ofstream(junk) << "neither";
    CPlumeApp failing(settings);
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            box->accept();
        }
    });
    closer.start(5);
    EXPECT_FALSE(failing.InitInstance({junk}));
    EXPECT_TRUE(failing.MainFrame().Documents().Documents().empty());

    // Several files, as a desktop passes them: each its own document; one that cannot be
    // opened does not keep the others out. The window shows the program's icon.
    const std::string second = folder.filePath("second.bmp").toStdString();
    ASSERT_TRUE(BmpCodec::Save(SeededBitmap(20, 10), second));
    CPlumeApp several(settings);
    EXPECT_TRUE(several.InitInstance({image, junk, second}));
    EXPECT_EQ(several.MainFrame().Documents().Documents().size(), 2u);
    EXPECT_EQ(several.MainFrame().windowIcon().pixmap(32).toImage(),
              ShellIcons::Application().pixmap(32).toImage());
}

} // namespace

namespace {

// Open an image, map it through the Axis Mapping dialog, collect a point, save a document
// through the save dialog, open that document again: the title, the panes and the data
// list come back.
TEST(CMainFrame, AScriptedSessionSavesAndReopens) {
    FrameRig rig;
    CPlumeDoc* document = rig.frame->Documents().OpenFile(rig.Image("session.bmp", 200, 100));
    ASSERT_NE(document, nullptr);
    rig.frame->RunCommand(kDefineMappingFullSized);
    ASSERT_TRUE(RunDocumentDialog(
        kAxisMapping, rig.frame.get(), *document, rig.preferences, [](QDialog& dialog) {
            Fill(dialog, {{"X Min:", "0"}, {"X Max:", "10"}, {"Y Min:", "0"}, {"Y Max:", "5"}});
            Click(dialog, "OK");
        }));
    PlumeData& database = *document->Database();
    auto* point = new DbPointRep(DPoint{99.5, 49.5});
    ASSERT_TRUE(
        database.Perform(std::make_unique<PrimTask>(&database, SmartPtr<DbPrimRep>(point))));
    document->CommitTask();
    QCoreApplication::processEvents();
    const std::vector<std::vector<QString>> rows =
        rig.frame->ActiveFrame()->DataList()->Model()->Rows();
    ASSERT_EQ(rows.size(), 2u);

    const std::string saved = rig.folder.filePath("session.plm").toStdString();
    rig.platform.savePrompt.script.selectFilter = 1; // the document type
    rig.platform.savePrompt.script.name = saved;
    rig.frame->RunCommand(kFileSaveAs);
    ASSERT_FALSE(document->IsModified());
    EXPECT_EQ(document->Path(), saved);
    QApplication::processEvents();
    EXPECT_EQ(rig.frame->windowTitle(), "Corvane Tracery - session.plm");

    rig.frame->RunCommand(kFileClose);
    QApplication::processEvents();
    EXPECT_TRUE(rig.frame->Documents().Documents().empty());
    EXPECT_EQ(rig.frame->windowTitle(), "Corvane Tracery");

    CPlumeDoc* reopened = rig.frame->Documents().OpenFile(saved);
    ASSERT_NE(reopened, nullptr);
    QApplication::processEvents();
    // Opened, it is titled without the extension again until it is saved under a name; its
    // embedded image takes the document's own path.
    EXPECT_EQ(rig.frame->windowTitle(), "Corvane Tracery - session");
    EXPECT_EQ(rig.frame->StatusPane(2), "1");
    EXPECT_EQ(rig.frame->StatusPane(4), "session.plm");
    EXPECT_EQ(rig.frame->ActiveFrame()->DataList()->Model()->Rows(), rows);
    EXPECT_TRUE(rig.Enabled(kAxisMapping)) << "the mapping came back";
}

} // namespace

namespace {

// Collect Points with a mapping whose limits were never assigned (a stored document can
// bring one) asks for them in the Axis Mapping dialog first: Cancel selects nothing, OK
// selects the point tool. A click then adds a point that the Points pane and the data list
// show. View > Magnifier shows and hides the magnifier, which follows the active view, and
// the preferences remember both it and its zoom.
TEST(CMainFrame, CollectingConfirmsTheMappingAndTheMagnifierFollows) {
    FrameRig rig;
    CPlumeDoc* document = rig.frame->Documents().OpenFile(rig.Image("graph.bmp", 200, 100));
    ASSERT_NE(document, nullptr);
    rig.frame->RunCommand(kDefineMappingFullSized);
    document->Database()->Mapping().limitsSet = 0;
    CPlumeView* view = rig.frame->ActiveView();
    ASSERT_NE(view, nullptr);
    Tool* mapTool = view->ToolFor(kDefineMappingRegion);
    EXPECT_EQ(view->ActiveTool(), mapTool);

    int dialogs = 0;
    bool accept = false;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        ++dialogs;
        if (accept) {
            Fill(*dialog, {{"X Min:", "0"}, {"X Max:", "199"}, {"Y Min:", "0"}, {"Y Max:", "99"}});
            Click(*dialog, "OK");
        } else {
            Click(*dialog, "Cancel");
        }
    });
    driver.start(5);
    rig.frame->RunCommand(kCollectPoints);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(view->ActiveTool(), mapTool) << "cancelled: no point tool";
    accept = true;
    rig.frame->RunCommand(kCollectLines);
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(view->ActiveTool(), view->ToolFor(kCollectLines));
    EXPECT_EQ(document->Database()->Mapping().limitsSet, 1);
    rig.frame->RunCommand(kCollectPoints);
    EXPECT_EQ(dialogs, 2) << "a confirmed mapping asks nothing";
    driver.stop();
    ASSERT_EQ(view->ActiveTool(), view->ToolFor(kCollectPoints));
    EXPECT_TRUE(rig.Checked(kCollectPoints));

    view->ActualPixels();
    const ToolEvent origin = view->MakeToolEvent(IPoint{0, 0});
    const QPoint at(origin.client.x - origin.logical.x + 50,
                    origin.client.y - origin.logical.y + 40);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent click(
            type, QPointF(at), view->viewport()->mapToGlobal(QPointF(at)), Qt::LeftButton,
            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &click);
    }
    EXPECT_EQ(rig.frame->StatusPane(2), "1");
    QCoreApplication::processEvents();
    const std::vector<std::vector<QString>> rows =
        rig.frame->ActiveFrame()->DataList()->Model()->Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][0], "50");
    EXPECT_EQ(rows[1][1], "59");

    Magnifier* magnifier = rig.frame->MagnifierPanel();
    EXPECT_TRUE(rig.frame->MagnifierDock()->isVisible()) << "shown by default";
    EXPECT_TRUE(rig.Checked(kMagnifier));
    EXPECT_EQ(magnifier->View(), view);
    EXPECT_TRUE(view->ProbeWanted());
    rig.frame->RunCommand(kMagnifier);
    EXPECT_FALSE(rig.frame->MagnifierDock()->isVisible());
    EXPECT_FALSE(rig.Checked(kMagnifier));
    EXPECT_FALSE(view->ProbeWanted()) << "hidden, it costs nothing";
    EXPECT_EQ(rig.preferences.magnifier, 0);
    rig.frame->RunCommand(kMagnifier);
    EXPECT_EQ(rig.preferences.magnifier, 1);
    magnifier->SetZoom(4);
    EXPECT_EQ(rig.preferences.magnifierZoom, 4);

    rig.frame->RunCommand(kFileClose);
    QApplication::processEvents();
    EXPECT_EQ(magnifier->View(), nullptr);
}

} // namespace

namespace {

// The data list's rows: no name line, no line with an empty first field, as many columns
// as the widest line ever had.
TEST(DataListModel, RowsAndColumnsFromTheSetsText) {
    DataListModel model;
    EXPECT_EQ(model.columnCount(), 2);
    model.Rebuild("Line\nX,Y,Sample,Run\n1,2,A,7\n3,4,B,8\nSample,A\n,skipped\n\n");
    ASSERT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.columnCount(), 4);
    EXPECT_EQ(model.data(model.index(1, 2), Qt::DisplayRole).toString(), "A");
    EXPECT_EQ(model.data(model.index(3, 0), Qt::DisplayRole).toString(), "Sample");
    EXPECT_EQ(model.data(model.index(3, 3), Qt::DisplayRole).toString(), "");
    EXPECT_EQ(model.data(model.index(1, 1), Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::AlignRight | Qt::AlignVCenter);
    model.Rebuild("Line\nX,Y\n5,6\n");
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.columnCount(), 4) << "columns are never taken away";
    model.Rebuild("");
    EXPECT_EQ(model.rowCount(), 0);
}

} // namespace
