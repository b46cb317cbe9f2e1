#include "scanner/ScanProgressDlg.h"

#include <QCoreApplication>

#include <algorithm>

ScanProgressDlg::ScanProgressDlg(QWidget* parent) : dialog_(new QProgressDialog(parent)) {
    dialog_->setObjectName("ScanProgress");
    dialog_->setWindowTitle(QObject::tr("Scanning"));
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    dialog_->setMinimumDuration(0);
    dialog_->setRange(0, 0);
    dialog_->show();
}

ScanProgressDlg::~ScanProgressDlg() {
    delete dialog_.data();
}

bool ScanProgressDlg::Step(int page, std::uint64_t received, std::uint64_t expected) {
    if (dialog_ == nullptr) {
        return false;
    }
    dialog_->setLabelText(QObject::tr("Scanning page %1...").arg(page));
    if (expected > 0) {
        dialog_->setRange(0, 1000);
        dialog_->setValue(
            static_cast<int>(std::min<std::uint64_t>(received, expected) * 1000 / expected));
    } else {
        dialog_->setRange(0, 0);
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return dialog_ != nullptr && !dialog_->wasCanceled();
}
