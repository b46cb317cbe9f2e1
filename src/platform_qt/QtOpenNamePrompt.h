#pragma once

#include "platform/OpenNamePrompt.h"

#include <QPointer>
#include <QString>
#include <QWidget>

// Qt's own (not the desktop's native) open-file dialog for one existing file, modal over
// the parent window.
class QtOpenNamePrompt : public OpenNamePrompt {
public:
    explicit QtOpenNamePrompt(QWidget* parent);

    // filterIndex is 0-based; one outside the filters shows the first. On OK it becomes
    // the index of the filter the dialog ends on, and path the chosen file's absolute name.
    // Both stay as they were on Cancel.
    bool Prompt(const std::string& title, const std::vector<Filter>& filters, int& filterIndex,
                std::string& path) override;

    // The filter as Qt's dialog takes it, "Text (patterns)": the text without the
    // parenthesised pattern it usually ends with, then the pattern in Qt's notation,
    // alternatives ";"-separated becoming space-separated and "*.*" (every file, on the
    // desktop the filters were written for) becoming "*", which on this platform also
    // takes names without a dot. Whitespace is simplified as the dialog does it.
    static QString NameFilter(const Filter& filter);

private:
    QPointer<QWidget> parent_;
};
