#pragma once

#include "document/CPlumeDoc.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class AttGenDlg;
class CChildFrame;
class CommandActions;
class CPlumeView;
class CPreferences;
class DataSetsBox;
class DocumentManager;
class FrameTwain;
class Magnifier;
class QDockWidget;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QToolBar;

// The main window: the document windows, the menus and the four toolbars built from the
// command table, the data-set box and the status bar with its six panes. Commands are
// routed as a multi-document program routes them: the active view, its document, this
// window, the application.
class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    static constexpr const char* kAppTitle = "Corvane Tracery";

    CMainFrame(CPreferences* preferences, DocumentServices services, QWidget* parent = nullptr);
    ~CMainFrame() override;

    DocumentManager& Documents() { return *documents_; }
    FrameTwain& Scanner() { return *twain_; }
    CommandActions& Actions() { return *actions_; }
    CChildFrame* ActiveFrame() const;
    CPlumeView* ActiveView() const;
    CPlumeDoc* ActiveDocument() const;

    CPlumeDoc::CommandState QueryCommand(int id) const;
    void RunCommand(int id);
    // Enabling and ticks of every action, and the menus that apply.
    void RefreshCommands();
    void SetStatusPane(int pane, const QString& text);
    QString StatusPane(int pane) const;
    QToolBar* Bar(int id) const;
    DataSetsBox* SetsBox() const { return setsBox_; }
    AttGenDlg* AttributesPanel() const { return attributes_; }
    QDockWidget* AttributesDock() const { return attributesDock_; }
    Magnifier* MagnifierPanel() const { return magnifier_; }
    QDockWidget* MagnifierDock() const { return magnifierDock_; }
    // The application's commands (File > New, Open, Exit, About) are run by the handler
    // the application installs.
    void SetApplicationHandler(std::function<void(int)> run) { applicationRun_ = std::move(run); }
    // Runs first on every close request (the placement is saved there).
    void SetCloseRequestHandler(std::function<void()> handler) {
        closeRequest_ = std::move(handler);
    }
    // The recent files, numbered, in the File menu above Exit.
    void SetRecentFiles(const std::vector<std::string>& paths,
                        const std::function<void(const std::string&)>& open);

    // The pop-up menu of the bars (a right click on any of them): the five bar toggles.
    QMenu* createPopupMenu() override;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CChildFrame* MakeWindow(CPlumeDoc* document);
    void BuildMenus();
    void BuildBars();
    void BuildStatusBar();
    void BuildAttributes();
    void ShowAttributes(bool shown);
    void BuildMagnifier();
    void ShowMagnifier(bool shown);
    void SubWindowActivated(QMdiSubWindow* window);
    void UpdateTitle();
    QString WantedTitle() const;
    void FillWindowMenu();
    void RunMainWindowCommand(int id);

    CPreferences* preferences_;
    QMdiArea* area_;
    std::unique_ptr<DocumentManager> documents_;
    std::unique_ptr<FrameTwain> twain_;
    CommandActions* actions_ = nullptr;
    DataSetsBox* setsBox_ = nullptr;
    AttGenDlg* attributes_ = nullptr;
    QDockWidget* attributesDock_ = nullptr;
    bool attributesWanted_ = true; // shown whenever a document view is active
    Magnifier* magnifier_ = nullptr;
    QDockWidget* magnifierDock_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    std::vector<QMenu*> documentMenus_;
    std::array<QLabel*, 6> panes_{};
    std::map<int, QToolBar*> bars_;
    CPlumeView* lastActiveView_ = nullptr;
    std::function<void(int)> applicationRun_;
    std::function<void()> closeRequest_;
    bool settingTitle_ = false;
    QMenu* fileMenu_ = nullptr;
    std::vector<QAction*> recentActions_;
};
