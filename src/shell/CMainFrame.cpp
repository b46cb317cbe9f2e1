#include "shell/CMainFrame.h"

#include "core/CPreferences.h"
#include "document/CommandTable.h"
#include "shell/AttGenDlg.h"
#include "shell/CChildFrame.h"
#include "shell/CommandActions.h"
#include "shell/DataSetsBox.h"
#include "shell/DocumentDialogs.h"
#include "shell/DocumentManager.h"
#include "shell/FrameTwain.h"
#include "ui/PdfPageDlg.h"
#include "view/CPlumeView.h"
#include "view/Magnifier.h"

#include <QAction>
#include <QCloseEvent>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

constexpr int kPaneWidths[6] = {0, 0, 50, 0, 150, 150};

// How often the enabling of the commands is brought up to date while the program is idle.
constexpr int kRefreshMilliseconds = 200;

} // namespace

CMainFrame::CMainFrame(CPreferences* preferences, DocumentServices services, QWidget* parent)
    : QMainWindow(parent), preferences_(preferences), area_(new QMdiArea(this)) {
    setWindowTitle(kAppTitle);
    setAcceptDrops(true);
    area_->setViewMode(QMdiArea::SubWindowView);
    area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(area_);

    DocumentManager::Host host;
    host.makeWindow = [this](CPlumeDoc* document) { return MakeWindow(document); };
    host.activateWindow = [this](CChildFrame* frame) {
        if (auto* window = qobject_cast<QMdiSubWindow*>(frame->parentWidget())) {
            area_->setActiveSubWindow(window);
            frame->View()->setFocus();
        }
    };
    host.setStatusPane = [this](int pane, const std::string& text) {
        SetStatusPane(pane, QString::fromStdString(text));
    };
    host.titleChanged = [this] { UpdateTitle(); };
    host.choosePdfPage = [this](const std::string& path, PdfPageChoice& choice) {
        int dpi = preferences_->pdfDpi;
        const bool chosen = PdfPageDlg::Choose(this, path, dpi, choice);
        preferences_->pdfDpi = dpi;
        return chosen;
    };
    documents_ = std::make_unique<DocumentManager>(services, std::move(host));

    FrameTwain::Host scanner;
    scanner.newDocument = [this] { return documents_->NewDocument(); };
    scanner.postClose = [this] {
        QMetaObject::invokeMethod(
            this, [this] { RunCommand(kScannerClose); }, Qt::QueuedConnection);
    };
    scanner.messages = services.messages;
    twain_ = std::make_unique<FrameTwain>(this, std::move(scanner));

    actions_ = new CommandActions(
        this, [this](int id) { return QueryCommand(id); }, [this](int id) { RunCommand(id); });
    BuildMenus();
    BuildBars();
    BuildStatusBar();
    BuildAttributes();
    BuildMagnifier();
    connect(area_, &QMdiArea::subWindowActivated, this, &CMainFrame::SubWindowActivated);
    auto* refresh = new QTimer(this);
    connect(refresh, &QTimer::timeout, this, &CMainFrame::RefreshCommands);
    refresh->start(kRefreshMilliseconds);
    RefreshCommands();
}

CMainFrame::~CMainFrame() {
    // The scanner connection goes first, down to state 1.
    twain_.reset();
    // The windows go before the documents they show (the documents are a member, and
    // would otherwise be destroyed before the window area, a child widget).
    setsBox_->SetDocument(nullptr);
    for (QMdiSubWindow* window : area_->findChildren<QMdiSubWindow*>()) {
        delete window;
    }
}

// ---- windows ----

CChildFrame* CMainFrame::MakeWindow(CPlumeDoc* document) {
    auto* frame = new CChildFrame(document, preferences_);
    // The first window, or one that follows a maximised one, is maximised.
    QMdiSubWindow* active = area_->activeSubWindow();
    const bool maximise = active == nullptr || active->isMaximized();
    QMdiSubWindow* window = area_->addSubWindow(frame);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->installEventFilter(this);
    connect(frame, &QObject::destroyed, this, [this, frame, document] {
        // The bars let go of a document before its last window takes it away.
        if (attributes_->Document() == document) {
            attributes_->SetDocument(nullptr);
        }
        if (setsBox_->Document() == document) {
            setsBox_->SetDocument(nullptr);
        }
        documents_->WindowClosed(frame);
        RefreshCommands();
    });
    connect(frame->View(), &CPlumeView::statusTextChanged, this,
            [this](int pane, const QString& text) { SetStatusPane(pane, text); });
    frame->View()->SetMappingConfirmation(
        [this, document] { return ConfirmMapping(this, *document); });
    if (maximise) {
        window->showMaximized();
    } else {
        window->show();
    }
    return frame;
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == attributesDock_ && event->type() == QEvent::Close) {
        attributesWanted_ = false; // closed by its own button
        return QMainWindow::eventFilter(watched, event);
    }
    if (watched == magnifierDock_ && event->type() == QEvent::Close) {
        preferences_->magnifier = 0; // closed by its own button
        return QMainWindow::eventFilter(watched, event);
    }
    if (event->type() == QEvent::Close) {
        auto* window = qobject_cast<QMdiSubWindow*>(watched);
        auto* frame = window != nullptr ? qobject_cast<CChildFrame*>(window->widget()) : nullptr;
        if (frame != nullptr && documents_->Windows(frame->Document()).size() == 1 &&
            !documents_->CanClose(frame->Document())) {
            event->ignore();
            return true;
        }
        if (frame != nullptr) {
            documents_->WindowClosing(frame);
            QTimer::singleShot(0, this, &CMainFrame::RefreshCommands);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

CChildFrame* CMainFrame::ActiveFrame() const {
    QMdiSubWindow* window = area_->activeSubWindow();
    return window != nullptr ? qobject_cast<CChildFrame*>(window->widget()) : nullptr;
}

CPlumeView* CMainFrame::ActiveView() const {
    CChildFrame* frame = ActiveFrame();
    return frame != nullptr ? frame->View() : nullptr;
}

CPlumeDoc* CMainFrame::ActiveDocument() const {
    CChildFrame* frame = ActiveFrame();
    return frame != nullptr ? frame->Document() : nullptr;
}

void CMainFrame::SubWindowActivated(QMdiSubWindow*) {
    CPlumeView* view = ActiveView();
    if (view != lastActiveView_) {
        if (view != nullptr) {
            view->OnActivateView(true, false);
        } else if (lastActiveView_ != nullptr) {
            for (int pane :
                 {CPlumeView::kPanePoints, CPlumeView::kPaneImage, CPlumeView::kPaneReadout}) {
                SetStatusPane(pane, QString());
            }
        }
        lastActiveView_ = view;
    }
    setsBox_->SetDocument(ActiveDocument());
    attributes_->SetDocument(ActiveDocument());
    attributesDock_->setVisible(view != nullptr && attributesWanted_);
    magnifier_->SetView(view);
    UpdateTitle();
    RefreshCommands();
}

QString CMainFrame::WantedTitle() const {
    CChildFrame* frame = ActiveFrame();
    if (frame == nullptr) {
        return kAppTitle;
    }
    return QStringLiteral("%1 - %2").arg(kAppTitle,
                                         QString::fromStdString(frame->Document()->Title()));
}

void CMainFrame::UpdateTitle() {
    const QString wanted = WantedTitle();
    if (windowTitle() != wanted) {
        setWindowTitle(wanted);
    }
}

// A maximised document window adds " - [title]" to the main window's title; the title
// already names the active document, so it is put back.
bool CMainFrame::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    if (event->type() == QEvent::WindowTitleChange && !settingTitle_ &&
        windowTitle() != WantedTitle()) {
        settingTitle_ = true;
        setWindowTitle(WantedTitle());
        settingTitle_ = false;
    }
    return handled;
}

// ---- menus, bars, status bar ----

void CMainFrame::BuildMenus() {
    struct Entry {
        const char* title;
        CommandMenu which;
        bool documentOnly;
    };
    const Entry entries[] = {
        {"&File", CommandMenu::File, false},        {"&Edit", CommandMenu::Edit, true},
        {"&View", CommandMenu::View, false},        {"&Image", CommandMenu::Image, true},
        {"&Digitize", CommandMenu::Digitize, true},
    };
    for (const Entry& entry : entries) {
        QMenu* menu = menuBar()->addMenu(tr(entry.title));
        actions_->FillMenu(menu, entry.which);
        if (entry.which == CommandMenu::File) {
            fileMenu_ = menu;
        }
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::RefreshCommands);
        if (entry.documentOnly) {
            documentMenus_.push_back(menu);
        }
    }
    windowMenu_ = menuBar()->addMenu(tr("&Window"));
    connect(windowMenu_, &QMenu::aboutToShow, this, &CMainFrame::FillWindowMenu);
    documentMenus_.push_back(windowMenu_);
    QMenu* help = menuBar()->addMenu(tr("&Help"));
    actions_->FillMenu(help, CommandMenu::Help);
}

void CMainFrame::FillWindowMenu() {
    windowMenu_->clear();
    windowMenu_->addAction(tr("&Cascade"), area_, &QMdiArea::cascadeSubWindows);
    windowMenu_->addAction(tr("&Tile"), area_, &QMdiArea::tileSubWindows);
    windowMenu_->addSeparator();
    int number = 1;
    for (QMdiSubWindow* window : area_->subWindowList()) {
        QAction* item = windowMenu_->addAction(
            QStringLiteral("&%1 %2").arg(number++).arg(window->windowTitle()),
            [this, window] { area_->setActiveSubWindow(window); });
        item->setCheckable(true);
        item->setChecked(window == area_->activeSubWindow());
    }
}

void CMainFrame::BuildBars() {
    struct Bar {
        int id;
        const char* caption;
        const std::vector<int>* buttons;
    };
    const Bar bars[] = {
        {kStandardBar, "Standard", &CommandActions::StandardBar()},
        {kViewBar, "View", &CommandActions::ViewBar()},
        {kDigitizeBar, "Digitize", &CommandActions::DigitizeBar()},
        {kDataSetsBar, "Data Sets", &CommandActions::DataSetsBar()},
    };
    for (const Bar& bar : bars) {
        QToolBar* toolBar = addToolBar(tr(bar.caption));
        toolBar->setObjectName(QString::fromUtf8(bar.caption));
        toolBar->setAccessibleName(tr(bar.caption));
        toolBar->setAllowedAreas(Qt::AllToolBarAreas);
        toolBar->setFloatable(true);
        toolBar->setMovable(true);
        toolBar->setToolButtonStyle(Qt::ToolButtonFollowStyle);
        actions_->FillToolBar(toolBar, *bar.buttons);
        // The toolbar's own button for the buttons that do not fit has no name of its own.
        if (auto* more =
                toolBar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"))) {
            more->setAccessibleName(tr("More %1 buttons").arg(tr(bar.caption)));
        }
        bars_[bar.id] = toolBar;
    }
    // The data-set box takes the Data Sets bar's fourth place; it is hidden while the bar
    // stands upright at the left or right edge.
    QToolBar* sets = bars_[kDataSetsBar];
    setsBox_ = new DataSetsBox(sets);
    QAction* boxAction = sets->addWidget(setsBox_);
    // Standing upright, the bar shows the place's own button instead, which carries no
    // command and stays disabled.
    QAction* placeButton = actions_->Action(kSelectDataSet);
    sets->addAction(placeButton);
    placeButton->setVisible(false);
    connect(sets, &QToolBar::orientationChanged, this,
            [boxAction, placeButton](Qt::Orientation orientation) {
                boxAction->setVisible(orientation == Qt::Horizontal);
                placeButton->setVisible(orientation == Qt::Vertical);
            });
}

void CMainFrame::BuildStatusBar() {
    const QString texts[6] = {QString(),       tr("Points:"), QString(),
                              tr("   Image:"), QString(),     QString()};
    const char* names[6] = {"Prompt",      "Points label", "Points",
                            "Image label", "Image",        "Tool read-out"};
    for (int pane = 0; pane < 6; ++pane) {
        auto* label = new QLabel(texts[pane], statusBar());
        label->setAccessibleName(tr(names[pane]));
        if (kPaneWidths[pane] > 0) {
            label->setMinimumWidth(kPaneWidths[pane]);
            label->setFrameShape(QFrame::Panel);
            label->setFrameShadow(QFrame::Sunken);
        }
        if (pane == 0) {
            statusBar()->addWidget(label, 1);
        } else {
            statusBar()->addPermanentWidget(label);
        }
        panes_[static_cast<std::size_t>(pane)] = label;
    }
    // The prompts of the menus and buttons go to pane 0.
    connect(statusBar(), &QStatusBar::messageChanged, this,
            [this](const QString& message) { panes_[0]->setVisible(message.isEmpty()); });
}

// The attributes panel docks at the right, above the magnifier. It is shown while a
// document view is active, unless the user hid it.
void CMainFrame::BuildAttributes() {
    attributesDock_ = new QDockWidget(tr("Attributes"), this);
    attributesDock_->setObjectName(QStringLiteral("Attributes"));
    attributesDock_->setAccessibleName(tr("Attributes"));
    attributesDock_->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    attributes_ = new AttGenDlg(attributesDock_);
    attributesDock_->setWidget(attributes_);
    addDockWidget(Qt::RightDockWidgetArea, attributesDock_);
    attributesDock_->installEventFilter(this);
    attributesDock_->hide();
}

void CMainFrame::ShowAttributes(bool shown) {
    attributesWanted_ = shown;
    attributesDock_->setVisible(shown && ActiveView() != nullptr);
}

// The magnifier docks at the right, below nothing else there; it can float or dock at either
// side. Whether it is shown and its zoom are remembered in the preferences.
void CMainFrame::BuildMagnifier() {
    magnifierDock_ = new QDockWidget(tr("Magnifier"), this);
    magnifierDock_->setObjectName(QStringLiteral("Magnifier"));
    magnifierDock_->setAccessibleName(tr("Magnifier"));
    magnifierDock_->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    magnifier_ = new Magnifier(magnifierDock_);
    magnifierDock_->setWidget(magnifier_);
    addDockWidget(Qt::RightDockWidgetArea, magnifierDock_);
    magnifierDock_->installEventFilter(this);
    magnifier_->SetZoom(preferences_->magnifierZoom);
    connect(magnifier_, &Magnifier::zoomChanged, this,
            [this](int zoom) { preferences_->magnifierZoom = zoom; });
    magnifierDock_->setVisible(preferences_->magnifier != 0);
}

void CMainFrame::ShowMagnifier(bool shown) {
    magnifierDock_->setVisible(shown);
    preferences_->magnifier = shown ? 1 : 0;
}

QMenu* CMainFrame::createPopupMenu() {
    RefreshCommands();
    auto* menu = new QMenu(this);
    for (int id :
         {kStandardBar, kViewBar, kDigitizeBar, kDataSetsBar, kAttributesBar, kMagnifier}) {
        QAction* action = actions_->Action(id);
        menu->addAction(action);
    }
    return menu;
}

void CMainFrame::SetStatusPane(int pane, const QString& text) {
    if (pane >= 0 && pane < 6) {
        panes_[static_cast<std::size_t>(pane)]->setText(text);
    }
}

QString CMainFrame::StatusPane(int pane) const {
    return pane >= 0 && pane < 6 ? panes_[static_cast<std::size_t>(pane)]->text() : QString();
}

QToolBar* CMainFrame::Bar(int id) const {
    const auto it = bars_.find(id);
    return it != bars_.end() ? it->second : nullptr;
}

// ---- commands ----

void CMainFrame::RunMainWindowCommand(int id) {
    if (QToolBar* bar = Bar(id)) {
        bar->setVisible(!bar->isVisible());
    } else if (id == kStatusBar) {
        statusBar()->setVisible(!statusBar()->isVisible());
    } else if (id == kAttributes || id == kAttributesBar) {
        ShowAttributes(!attributesDock_->isVisible());
    } else if (id == kMagnifier) {
        ShowMagnifier(!magnifierDock_->isVisible());
    } else if (id == kFileClose && area_->activeSubWindow() != nullptr) {
        area_->activeSubWindow()->close();
    } else if (id == kScannerSelectSource) {
        twain_->SelectScannerSource();
    } else if (id == kScannerAcquire) {
        twain_->AcquireFromScanner();
    } else if (id == kScannerClose) {
        twain_->CloseScannerSource();
    }
}

CPlumeDoc::CommandState CMainFrame::QueryCommand(int id) const {
    const CommandRow* row = FindCommand(id);
    if (row == nullptr) {
        return CPlumeDoc::CommandState{};
    }
    switch (row->handler) {
    case CommandHandler::View: {
        CPlumeView* view = ActiveView();
        return view != nullptr ? view->QueryCommand(id) : CPlumeDoc::CommandState{};
    }
    case CommandHandler::Document: {
        CPlumeDoc* document = ActiveDocument();
        return document != nullptr ? document->QueryCommand(id) : CPlumeDoc::CommandState{};
    }
    case CommandHandler::MainWindow: {
        CPlumeDoc::CommandState state;
        if (id == kAttributes || id == kAttributesBar) {
            // Only with a document view; hidden without one.
            state.enabled = ActiveView() != nullptr;
            state.checked = state.enabled && attributesDock_->isVisible();
        } else if (row->checked == CommandCondition::BarVisible) {
            state.enabled = bars_.count(id) != 0 || id == kStatusBar;
            state.checked = state.enabled &&
                            (id == kStatusBar ? statusBar()->isVisible() : Bar(id)->isVisible());
        } else if (row->checked == CommandCondition::MagnifierVisible) {
            state.enabled = true;
            state.checked = magnifierDock_->isVisible();
        } else if (row->enabled == CommandCondition::DocumentViewActive) {
            state.enabled = ActiveView() != nullptr;
        } else if (row->enabled == CommandCondition::ScannerAvailable) {
            state.enabled = CTwain::IsAvailable();
        } else {
            state.enabled = row->enabled == CommandCondition::Always;
        }
        return state;
    }
    case CommandHandler::Application:
        return CPlumeDoc::CommandState{applicationRun_ != nullptr, false};
    default:
        return CPlumeDoc::CommandState{};
    }
}

void CMainFrame::RunCommand(int id) {
    const CommandRow* row = FindCommand(id);
    if (row == nullptr || !QueryCommand(id).enabled) {
        return;
    }
    switch (row->handler) {
    case CommandHandler::View:
        ActiveView()->RunCommand(id);
        break;
    case CommandHandler::Document:
        if (row->opensDialog) {
            RunDocumentDialog(id, this, *ActiveDocument(), *preferences_);
        } else {
            ActiveDocument()->RunCommand(id);
        }
        break;
    case CommandHandler::MainWindow:
        RunMainWindowCommand(id);
        break;
    case CommandHandler::Application:
        if (applicationRun_) {
            applicationRun_(id);
        }
        break;
    default:
        break;
    }
    RefreshCommands();
}

void CMainFrame::RefreshCommands() {
    actions_->Refresh();
    const bool document = ActiveDocument() != nullptr;
    for (QMenu* menu : documentMenus_) {
        menu->menuAction()->setVisible(document);
    }
    // Without a document, File and View show only what applies without one.
    for (const CommandRow& row : CommandTable()) {
        if ((row.menu == CommandMenu::File || row.menu == CommandMenu::View) &&
            (row.handler == CommandHandler::Document || row.handler == CommandHandler::View)) {
            actions_->Action(row.id)->setVisible(document);
        }
    }
}

// ---- closing and dropping ----

void CMainFrame::SetRecentFiles(const std::vector<std::string>& paths,
                                const std::function<void(const std::string&)>& open) {
    for (QAction* action : recentActions_) {
        fileMenu_->removeAction(action);
        delete action;
    }
    recentActions_.clear();
    QAction* exit = actions_->Action(kAppExit);
    int number = 1;
    for (const std::string& path : paths) {
        auto* action = new QAction(
            QStringLiteral("&%1 %2").arg(number++).arg(QString::fromStdString(path)), fileMenu_);
        action->setStatusTip(tr("Open this document"));
        connect(action, &QAction::triggered, this, [open, path] { open(path); });
        fileMenu_->insertAction(exit, action);
        recentActions_.push_back(action);
    }
    if (!paths.empty()) {
        recentActions_.push_back(fileMenu_->insertSeparator(exit));
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (closeRequest_) {
        closeRequest_();
    }
    if (!documents_->CanCloseAll()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CMainFrame::dropEvent(QDropEvent* event) {
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            documents_->OpenFile(url.toLocalFile().toStdString());
        }
    }
    event->acceptProposedAction();
}
