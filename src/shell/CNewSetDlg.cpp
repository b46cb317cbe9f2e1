#include "shell/CNewSetDlg.h"

#include <QDialogButtonBox>
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

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
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
