#pragma once

#include "shell/AttributeDlg.h"

// "Edit Attribute": the name and value of one attribute, taken as typed (no trimming). A
// changed name must not be one the list already holds.
class EditAttDlg : public AttributeDlg {
    Q_OBJECT

public:
    EditAttDlg(const QString& name, const QString& value, NameTaken taken,
               QWidget* parent = nullptr);
    ~EditAttDlg() override;

protected:
    bool NeedsCheck(const QString& name) const override;

private:
    QString original_;
};
