#pragma once

#include "scanner/SaneDevice.h"
#include "scanner/ScannerDialogs.h"
#include "twain/TwainProtocol.h"

#include <sane/sane.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class SaneLibrary;
class SettingsProfile;

// The source manager this program brings: SANE's devices as the protocol's sources,
// reached through the one entry point the protocol knows ("DSM_Entry", here Entry).
//
// Opening the manager initialises SANE and closing it ends SANE. A device is a source whose
// identity names it (product name), its vendor (manufacturer) and model (product family).
// The chosen device is the default source and is remembered in the settings, as are the
// mode, resolution and page source of the last scan.
//
// Enabling a source shows the scan dialog; Scan sets the device's options and announces
// that images are ready, Cancel asks to be closed. The announcements are events posted to
// the application's window, which the message filter hands to the source (process event).
// A native transfer scans one page on a worker thread while a progress window runs the
// window system; a document feeder gives a page per transfer until it runs out. When a
// batch ends, however it ended, the source asks to be closed, so that the next acquisition
// starts with the scan dialog again.
class SaneSourceManager {
public:
    // The settings section of the remembered choices.
    static constexpr const char* kSection = "Scanner";

    // Becomes the process's manager (the one Entry reaches) until destroyed. `profile` may
    // be null: nothing is remembered.
    SaneSourceManager(SaneLibrary& sane, ScannerDialogs& dialogs, SettingsProfile* profile);
    ~SaneSourceManager();
    SaneSourceManager(const SaneSourceManager&) = delete;
    SaneSourceManager& operator=(const SaneSourceManager&) = delete;

    static TW_UINT16 Entry(pTW_IDENTITY origin, pTW_IDENTITY dest, TW_UINT32 group,
                           TW_UINT16 argumentType, TW_UINT16 message, TW_MEMREF data);

    // The condition code a SANE status becomes.
    static TW_UINT16 ConditionFor(SANE_Status status);

private:
    TW_UINT16 Manager(TW_UINT16 argumentType, TW_UINT16 message, TW_MEMREF data);
    TW_UINT16 Source(pTW_IDENTITY dest, TW_UINT32 group, TW_UINT16 argumentType, TW_UINT16 message,
                     TW_MEMREF data);

    TW_UINT16 OpenManager();
    TW_UINT16 CloseManager();
    TW_UINT16 Identity(TW_UINT16 message, TW_IDENTITY& identity);
    TW_UINT16 OpenSource(TW_IDENTITY& identity);
    TW_UINT16 CloseSource();
    TW_UINT16 Capability(TW_UINT16 message, TW_CAPABILITY& capability);
    TW_UINT16 Enable(TW_USERINTERFACE& userInterface);
    TW_UINT16 Disable();
    TW_UINT16 ProcessEvent(TW_EVENT& event);
    TW_UINT16 Transfer(TW_HANDLE& image);
    TW_UINT16 EndTransfer(TW_PENDINGXFERS& pending);
    TW_UINT16 Reset(TW_PENDINGXFERS& pending);

    TW_UINT16 Fail(TW_UINT16 condition, bool source);
    void RefreshDevices();
    // The device a source identity names; the default for an empty identity; -1 for none.
    int DeviceFor(const TW_IDENTITY& identity) const;
    int DefaultDevice() const;
    void Describe(int device, TW_IDENTITY& identity);
    TW_UINT32 IdFor(const std::string& name);
    // Posts an announcement for the message filter to pass on.
    void Announce(TW_UINT16 message);
    void EndBatch();
    // Runs `work` on a worker thread while the progress window shows `page`; false when
    // the user cancelled (the work has then seen its cancel flag).
    bool RunWithProgress(int page, const std::function<void(const std::atomic<bool>&)>& work);
    ScannerDialogs::ScanSettings Remembered(ScannerDialogs::ScanSettings device) const;
    void Remember(const ScannerDialogs::ScanSettings& settings);

    SaneLibrary& sane_;
    ScannerDialogs& dialogs_;
    SettingsProfile* profile_;
    SaneDevice device_;

    bool open_ = false;
    std::vector<ScannerDialogs::Device> devices_;
    std::size_t nextDevice_ = 0;   // GETNEXT's position
    std::string chosen_;           // the device of the last selection
    std::vector<std::string> ids_; // a source's Id is its place here plus one
    TW_UINT32 openId_ = 0;
    TW_HANDLE parent_ = nullptr;
    bool enabled_ = false;
    TW_UINT16 announced_ = twain::MSG_NULL;
    TW_UINT16 managerCondition_ = twain::TWCC_SUCCESS;
    TW_UINT16 sourceCondition_ = twain::TWCC_SUCCESS;

    // The batch: pages scanned, whether the next page has been started (and how that went),
    // whether the batch is over.
    int resolution_ = 0;
    int page_ = 0;
    bool started_ = false;
    SANE_Status startStatus_ = SANE_STATUS_GOOD;
    bool batchOver_ = true;
    // One progress window for the whole batch, from its first page to its end.
    std::unique_ptr<ScannerDialogs::Progress> progress_;
    std::atomic<std::uint64_t> received_{0};
    std::atomic<std::uint64_t> expected_{0};
};
