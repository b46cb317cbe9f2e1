#include "shell/AttributeDlg.h"

#include "platform_qt/DialogButtons.h"
#include "ui/NumberField.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

AttributeDlg::AttributeDlg(const QString& title, const QString& name, const QString& value,
                           NameTaken taken, QWidget* parent)
    : QDialog(parent), form_(new QFormLayout), name_(new QLineEdit(name)),
      value_(new QLineEdit(value)), taken_(std::move(taken)) {
    setWindowTitle(title);
    // The labels are the fields' buddies, which gives the fields their accessible names.
    form_->addRow(tr("&Name:"), name_);
    form_->addRow(tr("&Value:"), value_);
    name_->selectAll();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form_);
    AddOkCancel(*this, *layout);
    name_->setFocus();
}

AttributeDlg::~AttributeDlg() = default;

QString AttributeDlg::Name() const {
    return name_->text();
}

QString AttributeDlg::Value() const {
    return value_->text();
}

QString AttributeDlg::FinalName() const {
    return name_->text();
}

bool AttributeDlg::NeedsCheck(const QString&) const {
    return true;
}

void AttributeDlg::accept() {
    const QString name = FinalName();
    if (NeedsCheck(name) && taken_ && taken_(name)) {
        ShowDialogMessage(this, tr(kDuplicateMessage));
        name_->setFocus();
        name_->selectAll();
        return;
    }
    QDialog::accept();
}
