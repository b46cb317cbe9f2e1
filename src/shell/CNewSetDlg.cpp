#include "shell/CNewSetDlg.h"
#include "platform_qt/DialogButtons.h"

#include <QFormLayout>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

CNewSetDlg::CNewSetDlg(const QString& name, QWidget* parent)
    : QDialog(parent), name_(new QLineEdit(name)) {
    setWindowTitle(QStringLiteral("New Data Set"));
    name_->selectAll();

    // The label is the field's buddy, which gives the field its accessible name.
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Name:"), name_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    AddOkCancel(*this, *layout);
}

CNewSetDlg::~CNewSetDlg() = default;

void CNewSetDlg::accept() {
    if (name_->text().trimmed().isEmpty()) {
        QMessageBox::warning(this, QGuiApplication::applicationDisplayName(),
                             QStringLiteral("Please enter a name for the data set."));
        name_->setFocus();
        name_->selectAll();
        return;
    }
    QDialog::accept();
}

QString CNewSetDlg::Name() const {
    return name_->text();
}
