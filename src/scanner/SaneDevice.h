#pragma once

#include "scanner/ScanPage.h"
#include "scanner/ScannerDialogs.h"

#include <sane/sane.h>

#include <atomic>
#include <cstdint>
#include <string>

class SaneLibrary;

// One open SANE device: its options as a scan dialog shows them, and its pages.
//
// Options are found by name every time, never by a remembered number: setting one option
// may make the device describe its options anew (SANE_INFO_RELOAD_OPTIONS; setting the
// mode does so), after which old numbers and descriptors must not be used.
//
// Start and ReadFrame may run on another thread than the rest; Cancel may be asked for from
// any thread through the flag ReadFrame watches.
class SaneDevice {
public:
    explicit SaneDevice(SaneLibrary& sane) : sane_(sane) {}
    ~SaneDevice();
    SaneDevice(const SaneDevice&) = delete;
    SaneDevice& operator=(const SaneDevice&) = delete;

    SANE_Status Open(const std::string& name);
    void Close();
    bool IsOpen() const { return handle_ != nullptr; }
    const std::string& Name() const { return name_; }

    // The device's mode, resolution and page source with their choices.
    ScannerDialogs::ScanSettings Settings() const;
    // Sets what differs from the device's values, mode first; the first status that is not
    // good, or SANE_STATUS_GOOD. A value the device rounds is taken as it rounds it.
    SANE_Status Apply(const ScannerDialogs::ScanSettings& settings);
    // The device reads from a document feeder.
    bool FeedsDocuments() const;

    SANE_Status Start();
    // Reads the started frame into `page` until its end; `received` follows the bytes.
    // A set `cancel` cancels the scan (SANE_STATUS_CANCELLED). `lastFrame` says whether
    // the page is complete after this frame.
    SANE_Status ReadFrame(ScanPage& page, const std::atomic<bool>& cancel,
                          std::atomic<std::uint64_t>& received,
                          std::atomic<std::uint64_t>& expected, bool& lastFrame);
    // Ends the scan or the batch.
    void Cancel();
    // The resolution of the last Settings or Apply.
    int Resolution() const;

private:
    // The number of the option called `name`, 0 when there is none.
    SANE_Int Find(const char* name) const;
    SANE_Status SetString(const char* name, const std::string& value);
    SANE_Status SetResolution(int dpi);

    SaneLibrary& sane_;
    SANE_Handle handle_ = nullptr;
    std::string name_;
};
