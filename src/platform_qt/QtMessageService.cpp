#include "platform_qt/QtMessageService.h"

#include <QMessageBox>
#include <QString>

namespace {
const char* const kTitle = "Corvane Tracery";
} // namespace

QtMessageService::QtMessageService(QWidget* parent) : parent_(parent) {}

void QtMessageService::ShowMessage(const std::string& text) {
    QMessageBox box(QMessageBox::Information, QString::fromUtf8(kTitle),
                    QString::fromStdString(text), QMessageBox::Ok, parent_);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

MessageService::Answer QtMessageService::AskSaveChanges(const std::string& documentTitle) {
    QMessageBox box(
        QMessageBox::Warning, QString::fromUtf8(kTitle),
        QStringLiteral("Save changes to %1?").arg(QString::fromStdString(documentTitle)),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent_);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

bool QtMessageService::AskRetry(const std::string& text) {
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kTitle), QString::fromStdString(text),
                    QMessageBox::Retry | QMessageBox::Cancel, parent_);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Retry);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Retry;
}
