#pragma once

#include "platform/SaveNamePrompt.h"

#include <QPointer>
#include <QWidget>

// Qt's own (not the desktop's native) save-file dialog, modal over the parent window, with
// a panel of two check boxes under it, "Sort Data Points" and "Save Bitmap Copy" (object
// and accessible names the same as their texts). The dialog shows the save types' four
// filters; picking another filter rewrites the name in the file-name box and enables the
// boxes by the state's rules.
//
// OK needs a folder that exists. The confirmation before replacing a file asks about the
// file the save will really write, the typed name with the selected filter's extension
// (a typed "data.csv" under the ".txt" filter writes data.txt), rather than the typed name.
class QtSaveNamePrompt : public SaveNamePrompt {
public:
    explicit QtSaveNamePrompt(QWidget* parent);

    // On OK the state holds the filter, the dialog's absolute path as the name and the
    // check boxes' values, disabled boxes included; on Cancel it is left as it was.
    bool Prompt(SaveDialogState& state, const std::string& title) override;

private:
    QPointer<QWidget> parent_;
};
