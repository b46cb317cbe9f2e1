#include "scanner/SaneSourceManager.h"

#include "platform/SettingsProfile.h"
#include "scanner/SaneLibrary.h"
#include "scanner/ScanPage.h"
#include "twain/NativeImage.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

using namespace twain;

namespace {

SaneSourceManager* current = nullptr;

// The event that carries an announcement to the application's message filter.
QEvent::Type AnnouncementType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void CopyText(TW_STR32& field, const std::string& text) {
    std::memset(field, 0, sizeof field);
    std::strncpy(field, text.c_str(), sizeof field - 1);
}

std::string Text(const TW_STR32& field) {
    return std::string(field, strnlen(field, sizeof field));
}

constexpr const char* kDevice = "Device";
constexpr const char* kMode = "Mode";
constexpr const char* kResolution = "Resolution";
constexpr const char* kSource = "Source";

} // namespace

SaneSourceManager::SaneSourceManager(SaneLibrary& sane, ScannerDialogs& dialogs,
                                     SettingsProfile* profile)
    : sane_(sane), dialogs_(dialogs), profile_(profile), device_(sane) {
    current = this;
}

SaneSourceManager::~SaneSourceManager() {
    CloseManager();
    if (current == this) {
        current = nullptr;
    }
}

TW_UINT16 SaneSourceManager::Entry(pTW_IDENTITY origin, pTW_IDENTITY dest, TW_UINT32 group,
                                   TW_UINT16 argumentType, TW_UINT16 message, TW_MEMREF data) {
    if (current == nullptr || origin == nullptr) {
        return TWRC_FAILURE;
    }
    if (data == nullptr && !(group == DG_IMAGE && argumentType == DAT_IMAGEFILEXFER)) {
        return current->Fail(TWCC_BADVALUE, dest != nullptr);
    }
    if (dest == nullptr) {
        return group == DG_CONTROL ? current->Manager(argumentType, message, data)
                                   : current->Fail(TWCC_BADPROTOCOL, false);
    }
    return current->Source(dest, group, argumentType, message, data);
}

TW_UINT16 SaneSourceManager::ConditionFor(SANE_Status status) {
    switch (status) {
    case SANE_STATUS_GOOD:
        return TWCC_SUCCESS;
    case SANE_STATUS_JAMMED:
        return TWCC_PAPERJAM;
    case SANE_STATUS_NO_MEM:
        return TWCC_LOWMEMORY;
    case SANE_STATUS_INVAL:
        return TWCC_BADVALUE;
    // The device cannot do it now: busy, its cover open, no paper, no access, or a failure
    // on the way to it.
    case SANE_STATUS_DEVICE_BUSY:
    case SANE_STATUS_COVER_OPEN:
    case SANE_STATUS_NO_DOCS:
    case SANE_STATUS_ACCESS_DENIED:
    case SANE_STATUS_IO_ERROR:
        return TWCC_OPERATIONERROR;
    default:
        return TWCC_BUMMER;
    }
}

TW_UINT16 SaneSourceManager::Fail(TW_UINT16 condition, bool source) {
    (source ? sourceCondition_ : managerCondition_) = condition;
    return TWRC_FAILURE;
}

// ---- the manager's own calls ----

TW_UINT16 SaneSourceManager::Manager(TW_UINT16 argumentType, TW_UINT16 message, TW_MEMREF data) {
    switch (argumentType) {
    case DAT_PARENT:
        if (message == MSG_OPENDSM) {
            parent_ = *static_cast<TW_HANDLE*>(data);
            return OpenManager();
        }
        if (message == MSG_CLOSEDSM) {
            return CloseManager();
        }
        break;
    case DAT_STATUS: {
        auto& status = *static_cast<TW_STATUS*>(data);
        status = TW_STATUS{managerCondition_, 0};
        managerCondition_ = TWCC_SUCCESS;
        return TWRC_SUCCESS;
    }
    case DAT_IDENTITY:
        if (!open_) {
            return Fail(TWCC_SEQERROR, false);
        }
        return Identity(message, *static_cast<TW_IDENTITY*>(data));
    default:
        break;
    }
    return Fail(TWCC_BADPROTOCOL, false);
}

TW_UINT16 SaneSourceManager::OpenManager() {
    if (open_) {
        return Fail(TWCC_SEQERROR, false);
    }
    SANE_Int version = 0;
    const SANE_Status status = sane_.init(&version, nullptr);
    if (status != SANE_STATUS_GOOD) {
        return Fail(ConditionFor(status), false);
    }
    open_ = true;
    return TWRC_SUCCESS;
}

TW_UINT16 SaneSourceManager::CloseManager() {
    if (!open_) {
        return Fail(TWCC_SEQERROR, false);
    }
    CloseSource();
    devices_.clear();
    sane_.exit();
    open_ = false;
    return TWRC_SUCCESS;
}

void SaneSourceManager::RefreshDevices() {
    devices_.clear();
    const SANE_Device** list = nullptr;
    if (sane_.get_devices(&list, SANE_FALSE) != SANE_STATUS_GOOD || list == nullptr) {
        return;
    }
    for (; *list != nullptr; ++list) {
        const SANE_Device& device = **list;
        devices_.push_back({device.name != nullptr ? device.name : "",
                            device.vendor != nullptr ? device.vendor : "",
                            device.model != nullptr ? device.model : ""});
    }
}

TW_UINT32 SaneSourceManager::IdFor(const std::string& name) {
    const auto found = std::find(ids_.begin(), ids_.end(), name);
    if (found != ids_.end()) {
        return static_cast<TW_UINT32>(found - ids_.begin()) + 1;
    }
    ids_.push_back(name);
    return static_cast<TW_UINT32>(ids_.size());
}

void SaneSourceManager::Describe(int device, TW_IDENTITY& identity) {
    const ScannerDialogs::Device& d = devices_[static_cast<std::size_t>(device)];
    identity = TW_IDENTITY{};
    identity.Id = IdFor(d.name);
    identity.Version.MajorNum = 1;
    identity.Version.Language = TWLG_DUT;
    identity.Version.Country = TWCY_USA;
    CopyText(identity.Version.Info, "SANE");
    identity.ProtocolMajor = 1;
    identity.ProtocolMinor = 8;
    identity.SupportedGroups = DG_CONTROL | DG_IMAGE;
    CopyText(identity.Manufacturer, d.vendor);
    CopyText(identity.ProductFamily, d.model);
    CopyText(identity.ProductName, d.name);
}

int SaneSourceManager::DefaultDevice() const {
    if (devices_.empty()) {
        return -1;
    }
    const std::string remembered = !chosen_.empty() ? chosen_
                                   : profile_ != nullptr
                                       ? profile_->GetString(kSection, kDevice, "")
                                       : "";
    for (std::size_t i = 0; i < devices_.size(); ++i) {
        if (devices_[i].name == remembered) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

int SaneSourceManager::DeviceFor(const TW_IDENTITY& identity) const {
    std::string name;
    if (identity.Id != 0 && identity.Id <= ids_.size()) {
        name = ids_[identity.Id - 1];
    } else if (identity.ProductName[0] != '\0') {
        name = Text(identity.ProductName);
    } else {
        return DefaultDevice();
    }
    for (std::size_t i = 0; i < devices_.size(); ++i) {
        if (devices_[i].name == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

TW_UINT16 SaneSourceManager::Identity(TW_UINT16 message, TW_IDENTITY& identity) {
    switch (message) {
    case MSG_GETDEFAULT: {
        if (devices_.empty()) {
            RefreshDevices();
        }
        const int device = DefaultDevice();
        if (device < 0) {
            return Fail(TWCC_NODS, false);
        }
        Describe(device, identity);
        return TWRC_SUCCESS;
    }
    case MSG_GETFIRST:
        RefreshDevices();
        nextDevice_ = 0;
        [[fallthrough]];
    case MSG_GETNEXT:
        if (nextDevice_ >= devices_.size()) {
            return TWRC_ENDOFLIST;
        }
        Describe(static_cast<int>(nextDevice_++), identity);
        return TWRC_SUCCESS;
    case MSG_USERSELECT: {
        RefreshDevices();
        if (devices_.empty()) {
            return Fail(TWCC_NODS, false);
        }
        int start = DeviceFor(identity);
        const std::optional<std::size_t> chosen =
            dialogs_.ChooseDevice(parent_, devices_, static_cast<std::size_t>(std::max(start, 0)));
        if (!chosen || *chosen >= devices_.size()) {
            return TWRC_CANCEL;
        }
        chosen_ = devices_[*chosen].name;
        if (profile_ != nullptr) {
            profile_->WriteString(kSection, kDevice, chosen_);
        }
        Describe(static_cast<int>(*chosen), identity);
        return TWRC_SUCCESS;
    }
    case MSG_OPENDS:
        return OpenSource(identity);
    case MSG_CLOSEDS:
        return CloseSource() == TWRC_SUCCESS ? TWRC_SUCCESS : Fail(TWCC_SEQERROR, false);
    default:
        return Fail(TWCC_BADPROTOCOL, false);
    }
}

TW_UINT16 SaneSourceManager::OpenSource(TW_IDENTITY& identity) {
    if (device_.IsOpen()) {
        return Fail(TWCC_SEQERROR, false);
    }
    if (devices_.empty()) {
        RefreshDevices();
    }
    const int device = DeviceFor(identity);
    if (device < 0) {
        return Fail(TWCC_NODS, false);
    }
    const SANE_Status status = device_.Open(devices_[static_cast<std::size_t>(device)].name);
    if (status != SANE_STATUS_GOOD) {
        return Fail(ConditionFor(status), false);
    }
    Describe(device, identity);
    openId_ = identity.Id;
    sourceCondition_ = TWCC_SUCCESS;
    return TWRC_SUCCESS;
}

TW_UINT16 SaneSourceManager::CloseSource() {
    if (!device_.IsOpen()) {
        return TWRC_FAILURE;
    }
    Disable();
    device_.Close();
    openId_ = 0;
    return TWRC_SUCCESS;
}

// ---- the source's calls ----

TW_UINT16 SaneSourceManager::Source(pTW_IDENTITY dest, TW_UINT32 group, TW_UINT16 argumentType,
                                    TW_UINT16 message, TW_MEMREF data) {
    if (group == DG_CONTROL && argumentType == DAT_STATUS) {
        auto& status = *static_cast<TW_STATUS*>(data);
        status = TW_STATUS{sourceCondition_, 0};
        sourceCondition_ = TWCC_SUCCESS;
        return TWRC_SUCCESS;
    }
    if (!device_.IsOpen() || dest->Id != openId_) {
        return Fail(TWCC_BADVALUE, true);
    }
    if (group == DG_IMAGE) {
        if (argumentType == DAT_IMAGENATIVEXFER && message == MSG_GET) {
            return Transfer(*static_cast<TW_HANDLE*>(data));
        }
        return Fail(TWCC_BADPROTOCOL, true);
    }
    switch (argumentType) {
    case DAT_CAPABILITY:
        return Capability(message, *static_cast<TW_CAPABILITY*>(data));
    case DAT_USERINTERFACE:
        if (message == MSG_ENABLEDS) {
            return Enable(*static_cast<TW_USERINTERFACE*>(data));
        }
        if (message == MSG_DISABLEDS) {
            return enabled_ ? Disable() : Fail(TWCC_SEQERROR, true);
        }
        break;
    case DAT_EVENT:
        if (message == MSG_PROCESSEVENT) {
            return ProcessEvent(*static_cast<TW_EVENT*>(data));
        }
        break;
    case DAT_PENDINGXFERS:
        if (message == MSG_ENDXFER) {
            return EndTransfer(*static_cast<TW_PENDINGXFERS*>(data));
        }
        if (message == MSG_RESET) {
            return Reset(*static_cast<TW_PENDINGXFERS*>(data));
        }
        if (message == MSG_GET) {
            static_cast<TW_PENDINGXFERS*>(data)->Count = batchOver_ ? 0 : kUnknownTransferCount;
            return TWRC_SUCCESS;
        }
        break;
    default:
        break;
    }
    return Fail(TWCC_BADPROTOCOL, true);
}

// Only the transfer mechanism is negotiated, and only the native transfer is offered.
TW_UINT16 SaneSourceManager::Capability(TW_UINT16 message, TW_CAPABILITY& capability) {
    if (capability.Cap != ICAP_XFERMECH) {
        return Fail(TWCC_BADCAP, true);
    }
    if (message == MSG_GET) {
        auto* value = static_cast<TW_ONEVALUE*>(std::malloc(sizeof(TW_ONEVALUE)));
        if (value == nullptr) {
            return Fail(TWCC_LOWMEMORY, true);
        }
        *value = TW_ONEVALUE{TWTY_UINT16, TWSX_NATIVE};
        capability.ConType = TWON_ONEVALUE;
        capability.hContainer = value;
        return TWRC_SUCCESS;
    }
    if (message == MSG_SET) {
        const auto* value = static_cast<const TW_ONEVALUE*>(capability.hContainer);
        if (enabled_) {
            return Fail(TWCC_SEQERROR, true);
        }
        if (capability.ConType != TWON_ONEVALUE || value == nullptr ||
            value->ItemType != TWTY_UINT16 || value->Item != TWSX_NATIVE) {
            return Fail(TWCC_BADVALUE, true);
        }
        return TWRC_SUCCESS;
    }
    return Fail(TWCC_BADPROTOCOL, true);
}

ScannerDialogs::ScanSettings
SaneSourceManager::Remembered(ScannerDialogs::ScanSettings settings) const {
    if (profile_ == nullptr) {
        return settings;
    }
    const auto offered = [](const auto& list, const auto& value) {
        return std::find(list.begin(), list.end(), value) != list.end();
    };
    const std::string mode = profile_->GetString(kSection, kMode, "");
    if (offered(settings.modes, mode)) {
        settings.mode = mode;
    }
    const int resolution = profile_->GetInt(kSection, kResolution, 0);
    if (offered(settings.resolutions, resolution)) {
        settings.resolution = resolution;
    }
    const std::string source = profile_->GetString(kSection, kSource, "");
    if (offered(settings.sources, source)) {
        settings.source = source;
    }
    return settings;
}

void SaneSourceManager::Remember(const ScannerDialogs::ScanSettings& settings) {
    if (profile_ != nullptr) {
        profile_->WriteString(kSection, kMode, settings.mode);
        profile_->WriteInt(kSection, kResolution, settings.resolution);
        profile_->WriteString(kSection, kSource, settings.source);
    }
}

TW_UINT16 SaneSourceManager::Enable(TW_USERINTERFACE& userInterface) {
    if (enabled_) {
        return Fail(TWCC_SEQERROR, true);
    }
    if (userInterface.hParent != nullptr) {
        parent_ = userInterface.hParent;
    }
    ScannerDialogs::ScanSettings settings = Remembered(device_.Settings());
    enabled_ = true;
    if (userInterface.ShowUI != 0 && !dialogs_.AskScan(parent_, device_.Name(), settings)) {
        Announce(MSG_CLOSEDSREQ);
        return TWRC_SUCCESS;
    }
    if (const SANE_Status status = device_.Apply(settings); status != SANE_STATUS_GOOD) {
        enabled_ = false;
        return Fail(ConditionFor(status), true);
    }
    Remember(settings);
    resolution_ = device_.Resolution();
    page_ = 0;
    started_ = false;
    batchOver_ = false;
    Announce(MSG_XFERREADY);
    return TWRC_SUCCESS;
}

TW_UINT16 SaneSourceManager::Disable() {
    EndBatch();
    enabled_ = false;
    announced_ = MSG_NULL;
    return TWRC_SUCCESS;
}

void SaneSourceManager::Announce(TW_UINT16 message) {
    announced_ = message;
    QObject* receiver = parent_ != nullptr ? static_cast<QObject*>(static_cast<QWidget*>(parent_))
                                           : QCoreApplication::instance();
    if (receiver != nullptr) {
        QCoreApplication::postEvent(receiver, new QEvent(AnnouncementType()));
    }
}

TW_UINT16 SaneSourceManager::ProcessEvent(TW_EVENT& event) {
    event.TWMessage = MSG_NULL;
    const auto* message = static_cast<const QEvent*>(event.pEvent);
    if (!enabled_ || message == nullptr || message->type() != AnnouncementType()) {
        return TWRC_NOTDSEVENT;
    }
    event.TWMessage = announced_;
    announced_ = MSG_NULL;
    return TWRC_DSEVENT;
}

void SaneSourceManager::EndBatch() {
    if (!batchOver_ || started_) {
        device_.Cancel();
    }
    batchOver_ = true;
    started_ = false;
    progress_.reset();
}

bool SaneSourceManager::RunWithProgress(int page,
                                        const std::function<void(const std::atomic<bool>&)>& work) {
    std::atomic<bool> cancel{false};
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    received_ = 0;
    expected_ = 0;
    std::thread worker([&] {
        work(cancel);
        const std::lock_guard lock(mutex);
        done = true;
        finished.notify_all();
    });
    if (progress_ == nullptr) {
        progress_ = dialogs_.ShowProgress(parent_);
    }
    for (;;) {
        if (progress_ != nullptr && !cancel && !progress_->Step(page, received_, expected_)) {
            cancel = true;
        }
        std::unique_lock lock(mutex);
        if (finished.wait_for(lock, std::chrono::milliseconds(20), [&] { return done; })) {
            break;
        }
    }
    worker.join();
    return !cancel;
}

TW_UINT16 SaneSourceManager::Transfer(TW_HANDLE& image) {
    image = nullptr;
    if (!enabled_ || batchOver_) {
        return Fail(TWCC_SEQERROR, true);
    }
    ++page_;
    ScanPage page;
    SANE_Status status = SANE_STATUS_GOOD;
    const bool wanted = RunWithProgress(page_, [&](const std::atomic<bool>& cancel) {
        status = started_ ? startStatus_ : device_.Start();
        started_ = false;
        bool lastFrame = false;
        while (status == SANE_STATUS_GOOD && !cancel) {
            status = device_.ReadFrame(page, cancel, received_, expected_, lastFrame);
            if (status != SANE_STATUS_GOOD || lastFrame) {
                break;
            }
            status = device_.Start();
        }
    });
    if (!wanted || status == SANE_STATUS_CANCELLED) {
        EndBatch();
        return TWRC_CANCEL;
    }
    if (status != SANE_STATUS_GOOD) {
        EndBatch();
        return Fail(ConditionFor(status), true);
    }
    PackedBitmap bitmap = page.Build(resolution_);
    if (bitmap.Empty()) {
        EndBatch();
        return Fail(TWCC_BUMMER, true);
    }
    image = NativeImage::FromBitmap(std::move(bitmap));
    return TWRC_XFERDONE;
}

// A feeder's next page is started here, so that the count says whether there is one.
TW_UINT16 SaneSourceManager::EndTransfer(TW_PENDINGXFERS& pending) {
    pending = TW_PENDINGXFERS{};
    if (!batchOver_ && device_.FeedsDocuments()) {
        SANE_Status status = SANE_STATUS_GOOD;
        const bool wanted =
            RunWithProgress(page_ + 1, [&](const std::atomic<bool>&) { status = device_.Start(); });
        started_ = true;
        startStatus_ = status;
        if (wanted && status != SANE_STATUS_NO_DOCS && status != SANE_STATUS_CANCELLED) {
            // A page that failed to start fails its own transfer.
            pending.Count = kUnknownTransferCount;
            return TWRC_SUCCESS;
        }
    }
    EndBatch();
    if (enabled_) {
        Announce(MSG_CLOSEDSREQ);
    }
    return TWRC_SUCCESS;
}

TW_UINT16 SaneSourceManager::Reset(TW_PENDINGXFERS& pending) {
    pending = TW_PENDINGXFERS{};
    EndBatch();
    if (enabled_) {
        Announce(MSG_CLOSEDSREQ);
    }
    return TWRC_SUCCESS;
}
