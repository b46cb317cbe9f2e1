#include "shell/AddAttDlg.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>

AddAttDlg::AddAttDlg(const QString& name, const QString& value, bool onlyCurrentSet,
                     NameTaken taken, QWidget* parent)
    : AttributeDlg(tr("Define Attribute"), name, value, std::move(taken), parent),
      onlyCurrentSet_(new QCheckBox(tr("Add only to &current set"))) {
    onlyCurrentSet_->setChecked(onlyCurrentSet);
    Form()->addRow(QString(), onlyCurrentSet_);
    // After the fields, before the buttons that the base put in the chain first.
    setTabOrder(ValueField(), onlyCurrentSet_);
}

AddAttDlg::~AddAttDlg() = default;

QString AddAttDlg::FinalName() const {
    return NameField()->text().trimmed();
}

void AddAttDlg::accept() {
    NameField()->setText(NameField()->text().trimmed());
    ValueField()->setText(ValueField()->text().trimmed());
    AttributeDlg::accept();
}

bool AddAttDlg::OnlyCurrentSet() const {
    return onlyCurrentSet_->isChecked();
}
