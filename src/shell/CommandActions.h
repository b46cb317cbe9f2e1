#pragma once

#include "document/CPlumeDoc.h"
#include "document/CommandTable.h"

#include <QObject>

#include <functional>
#include <map>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;

// The actions of the menus and toolbars, one per row of the command table: text, shortcut,
// status-bar prompt (also the tool tip), icon and checkability come from the row. Triggering
// an action runs the command through the router given at construction; Refresh asks the
// router for every command's enabling and tick.
class CommandActions : public QObject {
    Q_OBJECT

public:
    using Query = std::function<CPlumeDoc::CommandState(int id)>;
    using Run = std::function<void(int id)>;

    CommandActions(QWidget* owner, Query query, Run run);

    QAction* Action(int id) const;
    // The menu's actions in table order, separators where the table puts them.
    void FillMenu(QMenu* menu, CommandMenu which) const;
    // A toolbar from a list of ids; 0 is a separator, an id without an action is skipped.
    void FillToolBar(QToolBar* bar, const std::vector<int>& ids) const;
    void Refresh();

    // The buttons of the four bars, in order (0 a separator).
    static const std::vector<int>& StandardBar();
    static const std::vector<int>& ViewBar();
    static const std::vector<int>& DigitizeBar();
    static const std::vector<int>& DataSetsBar();

    // "&Save\tCtrl+S" → the menu text "&Save" and the shortcut "Ctrl+S".
    static QString MenuText(const CommandRow& row);
    static QString Shortcut(const CommandRow& row);

private:
    Query query_;
    Run run_;
    std::map<int, QAction*> actions_;
};
