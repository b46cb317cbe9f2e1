#pragma once

#include "scanner/ScannerDialogs.h"

#include <QPointer>
#include <QProgressDialog>

class QWidget;

// The progress of a batch of scanned pages: "Scanning page N...", a bar of the bytes read
// (a busy bar while the height is unknown) and Cancel. It shows at once and is modal, so
// the application's windows take no input while the scanner works. The window goes with
// this object, or earlier with its parent.
class ScanProgressDlg : public ScannerDialogs::Progress {
public:
    explicit ScanProgressDlg(QWidget* parent);
    ~ScanProgressDlg() override;
    ScanProgressDlg(const ScanProgressDlg&) = delete;
    ScanProgressDlg& operator=(const ScanProgressDlg&) = delete;

    bool Step(int page, std::uint64_t received, std::uint64_t expected) override;

private:
    QPointer<QProgressDialog> dialog_;
};
