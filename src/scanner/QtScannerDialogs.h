#pragma once

#include "scanner/ScannerDialogs.h"

class QWidget;

// The source manager's windows in Qt: a list of the devices (name, vendor, model), the scan
// dialog (mode, resolution and, where the device has a choice, the page source; Scan and
// Cancel), and a progress window with the page number and a Cancel button.
class QtScannerDialogs : public ScannerDialogs {
public:
    std::optional<std::size_t> ChooseDevice(TW_HANDLE parent, const std::vector<Device>& devices,
                                            std::size_t current) override;
    bool AskScan(TW_HANDLE parent, const std::string& device, ScanSettings& settings) override;
    std::unique_ptr<Progress> ShowProgress(TW_HANDLE parent) override;

    // The widget a window handle is.
    static QWidget* Widget(TW_HANDLE parent) { return static_cast<QWidget*>(parent); }
};
