#pragma once

#include "scanner/ScannerDialogs.h"

#include <QProgressDialog>

class QWidget;

// The progress of a scanned page: "Scanning page N...", a bar of the bytes read (a busy
// bar while the height is unknown) and Cancel. It shows at once and is modal, so the
// application's windows take no input while the scanner works.
class ScanProgressDlg : public ScannerDialogs::Progress {
public:
    explicit ScanProgressDlg(QWidget* parent);

    bool Step(int page, std::uint64_t received, std::uint64_t expected) override;

private:
    QProgressDialog dialog_;
};
