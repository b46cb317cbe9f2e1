#include "shell/EditAttDlg.h"

EditAttDlg::EditAttDlg(const QString& name, const QString& value, NameTaken taken, QWidget* parent)
    : AttributeDlg(tr("Edit Attribute"), name, value, std::move(taken), parent), original_(name) {}

EditAttDlg::~EditAttDlg() = default;

bool EditAttDlg::NeedsCheck(const QString& name) const {
    return name != original_;
}
