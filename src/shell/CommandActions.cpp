#include "shell/CommandActions.h"

#include "shell/ShellIcons.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>
#include <QWidget>

CommandActions::CommandActions(QWidget* owner, Query query, Run run)
    : QObject(owner), query_(std::move(query)), run_(std::move(run)) {
    for (const CommandRow& row : CommandTable()) {
        auto* action = new QAction(MenuText(row), owner);
        const QString shortcut = Shortcut(row);
        if (!shortcut.isEmpty()) {
            action->setShortcut(QKeySequence(shortcut));
            action->setShortcutContext(Qt::WindowShortcut);
        }
        const QString prompt = QString::fromUtf8(row.prompt);
        action->setStatusTip(prompt);
        QString tip = QString(MenuText(row)).remove('&');
        if (!shortcut.isEmpty()) {
            tip += QStringLiteral(" (%1)").arg(
                QKeySequence(shortcut).toString(QKeySequence::NativeText));
        }
        action->setToolTip(tip);
        action->setWhatsThis(prompt);
        action->setIcon(ShellIcons::ForCommand(row));
        action->setCheckable(row.checked != CommandCondition::Never);
        action->setEnabled(false);
        const int id = row.id;
        connect(action, &QAction::triggered, this, [this, id] { run_(id); });
        actions_[row.id] = action;
        owner->addAction(action);
    }
}

QString CommandActions::MenuText(const CommandRow& row) {
    const QString text = QString::fromUtf8(row.text);
    const qsizetype tab = text.indexOf('\t');
    return tab < 0 ? text : text.left(tab);
}

QString CommandActions::Shortcut(const CommandRow& row) {
    const QString text = QString::fromUtf8(row.text);
    const qsizetype tab = text.indexOf('\t');
    return tab < 0 ? QString() : text.mid(tab + 1);
}

QAction* CommandActions::Action(int id) const {
    const auto it = actions_.find(id);
    return it != actions_.end() ? it->second : nullptr;
}

void CommandActions::FillMenu(QMenu* menu, CommandMenu which) const {
    bool first = true;
    for (const CommandRow& row : CommandTable()) {
        if (row.menu != which) {
            continue;
        }
        if (row.separatorBefore && !first) {
            menu->addSeparator();
        }
        menu->addAction(Action(row.id));
        first = false;
    }
}

void CommandActions::FillToolBar(QToolBar* bar, const std::vector<int>& ids) const {
    for (int id : ids) {
        if (id == 0) {
            bar->addSeparator();
        } else if (QAction* action = Action(id)) {
            bar->addAction(action);
        }
    }
}

void CommandActions::Refresh() {
    for (const auto& [id, action] : actions_) {
        const CPlumeDoc::CommandState state = query_(id);
        if (action->isEnabled() != state.enabled) {
            action->setEnabled(state.enabled);
        }
        if (action->isCheckable() && action->isChecked() != state.checked) {
            action->setChecked(state.checked);
        }
    }
}

const std::vector<int>& CommandActions::StandardBar() {
    static const std::vector<int> ids{kFileOpen, kFileSave,   0, kPrintPreview, kPrint, 0, kCut,
                                      kCopy,     kPaste,      0, kUndo,         kRedo,  0, kCrop,
                                      0,         kContextHelp};
    return ids;
}

const std::vector<int>& CommandActions::ViewBar() {
    static const std::vector<int> ids{kZoomIn, kZoomOut, kFitToWindow, kActualPixels, kPan};
    return ids;
}

const std::vector<int>& CommandActions::DigitizeBar() {
    static const std::vector<int> ids{kDefineMappingRegion, kRotateMappingRegion, kAxisMapping, 0,
                                      kCollectPoints,       kCollectLines};
    return ids;
}

const std::vector<int>& CommandActions::DataSetsBar() {
    // The place of kSelectDataSet holds the data-set box.
    static const std::vector<int> ids{kAttributes, 0, kNewDataSet};
    return ids;
}
