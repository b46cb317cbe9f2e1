#pragma once

#include "shell/AttributeDlg.h"

class QCheckBox;

// "Define Attribute": a name, a value and "Add only to current set". Leading and trailing
// white space is removed from the name and the value on OK, before the name is checked.
class AddAttDlg : public AttributeDlg {
    Q_OBJECT

public:
    AddAttDlg(const QString& name, const QString& value, bool onlyCurrentSet, NameTaken taken,
              QWidget* parent = nullptr);
    ~AddAttDlg() override;

    void accept() override;
    bool OnlyCurrentSet() const;

protected:
    QString FinalName() const override;

private:
    QCheckBox* onlyCurrentSet_;
};
