#pragma once

#include "twain/TwainProtocol.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// The windows of the source manager over SANE: the selection of a device, the scan dialog
// a source shows when it is enabled, and the progress of a page. The program shows Qt
// dialogs (QtScannerDialogs); tests answer as they script it. Every window is parented by
// the application's window handle.
class ScannerDialogs {
public:
    struct Device {
        std::string name;
        std::string vendor;
        std::string model;
    };

    // What a scan is made with. The lists hold what the device offers; an empty list means
    // the device has no such option (sources: a flatbed only).
    struct ScanSettings {
        std::vector<std::string> modes;
        std::string mode;
        std::vector<int> resolutions;
        int resolution = 0;
        std::vector<std::string> sources;
        std::string source;
    };

    // The progress of one transfer, shown while it lasts.
    class Progress {
    public:
        virtual ~Progress() = default;
        // Shows how far the page has come (received of expected bytes; expected 0 when not
        // known), lets the window system run for a short while, and says false once the
        // user has cancelled.
        virtual bool Step(int page, std::uint64_t received, std::uint64_t expected) = 0;
    };

    virtual ~ScannerDialogs() = default;
    // The device chosen from the list, starting on `current`; nothing when cancelled.
    virtual std::optional<std::size_t>
    ChooseDevice(TW_HANDLE parent, const std::vector<Device>& devices, std::size_t current) = 0;
    // The scan dialog over `settings`, edited in place; true for Scan, false for Cancel.
    virtual bool AskScan(TW_HANDLE parent, const std::string& device, ScanSettings& settings) = 0;
    virtual std::unique_ptr<Progress> ShowProgress(TW_HANDLE parent) = 0;
};
