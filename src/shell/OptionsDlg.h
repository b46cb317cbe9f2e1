#pragma once

#include "core/CPreferences.h"

#include <QDialog>

class QCheckBox;

// "Options": the four settings a user changes, on a copy of the preferences. OK writes the
// check boxes into the copy; the caller copies it back and tells the preferences' observers.
class OptionsDlg : public QDialog {
    Q_OBJECT

public:
    explicit OptionsDlg(const CPreferences& preferences, QWidget* parent = nullptr);
    ~OptionsDlg() override;

    void accept() override;

    // The copy: as given until OK, then with the check boxes' choices.
    const CPreferences& Preferences() const { return preferences_; }

private:
    CPreferences preferences_;
    QCheckBox* sortData_;
    QCheckBox* saveCopy_; // the opposite of keeping the image by reference
    QCheckBox* reuseMapping_;
    QCheckBox* allowCaching_;
};
