#include "twain/CTwain.h"

#include "platform/MessagePump.h"
#include "platform/MessageService.h"
#include "twain/NativeImage.h"
#include "twain/SourceManagerLibrary.h"

#include <cstdlib>
#include <cstring>

using namespace twain;

namespace {

// The pump stops after this many rounds even if messages keep coming (a timer that is
// always due would otherwise keep a transfer waiting for ever).
constexpr int kMaxPumpRounds = 1000;

void CopyText(TW_STR32& field, const char* text) {
    std::memset(field, 0, sizeof field);
    std::strncpy(field, text, sizeof field - 1);
}

} // namespace

const char* CTwain::StateName(int state) {
    static const char* const names[] = {
        "1(PRE_SESSION)",    "2(SOURCE_MANAGER_LOADED)", "3(SOURCE_MANAGER_OPEN)", "4(SOURCE_OPEN)",
        "5(SOURCE_ENABLED)", "6(TRANSFER_READY)",        "7(TRANSFERRING)",
    };
    return state >= kPreSession && state <= kTransferring ? names[state - 1] : "";
}

CTwain::CTwain() {
    appIdentity_.Version.MajorNum = 1;
    appIdentity_.Version.MinorNum = 1;
    appIdentity_.Version.Language = TWLG_DUT;
    appIdentity_.Version.Country = TWCY_USA;
    CopyText(appIdentity_.Version.Info, "1.1");
    appIdentity_.ProtocolMajor = 1;
    appIdentity_.ProtocolMinor = 8;
    appIdentity_.SupportedGroups = DG_CONTROL | DG_IMAGE;
    CopyText(appIdentity_.Manufacturer, "Plume");
    CopyText(appIdentity_.ProductFamily, "Plume");
    CopyText(appIdentity_.ProductName, "Plume");
}

CTwain::~CTwain() {
    CloseManager();
    UnloadManager();
}

bool CTwain::IsAvailable() {
    return SourceManagerLibrary::IsAvailable();
}

// ---- calls and the state table ----

TW_UINT16 CTwain::Call(bool toSource, TW_UINT32 group, TW_UINT16 argumentType, TW_UINT16 message,
                       TW_MEMREF data) {
    DSMENTRYPROC entry = SourceManagerLibrary::Entry();
    if (entry == nullptr) {
        lastReturnCode_ = TWRC_FAILURE;
        lastConditionCode_ = TWCC_BUMMER;
        return lastReturnCode_;
    }
    ++callDepth_;
    const TW_UINT16 returnCode = entry(&appIdentity_, toSource ? &sourceIdentity_ : nullptr, group,
                                       argumentType, message, data);
    --callDepth_;
    lastReturnCode_ = returnCode;
    if (returnCode == TWRC_FAILURE && argumentType != DAT_STATUS && argumentType != DAT_EVENT) {
        TW_STATUS status{};
        ++callDepth_;
        const TW_UINT16 statusCode =
            entry(&appIdentity_, state_ >= kSourceOpen ? &sourceIdentity_ : nullptr, DG_CONTROL,
                  DAT_STATUS, MSG_GET, &status);
        --callDepth_;
        lastConditionCode_ = statusCode == TWRC_SUCCESS ? status.ConditionCode : TWCC_BUMMER;
    }
    UpdateState(group, argumentType, message, data, returnCode);
    return returnCode;
}

void CTwain::UpdateState(TW_UINT32 group, TW_UINT16 argumentType, TW_UINT16 message, TW_MEMREF data,
                         TW_UINT16 returnCode) {
    const bool success = returnCode == TWRC_SUCCESS;
    if (group == DG_CONTROL) {
        switch (argumentType) {
        case DAT_PARENT:
            if (success && message == MSG_OPENDSM) {
                SetState(kSourceManagerOpen);
            } else if (success && message == MSG_CLOSEDSM) {
                SetState(kSourceManagerLoaded);
            }
            break;
        case DAT_IDENTITY:
            if (success && message == MSG_OPENDS) {
                SetState(kSourceOpen);
            } else if (success && message == MSG_CLOSEDS) {
                SetState(kSourceManagerOpen);
            }
            break;
        case DAT_USERINTERFACE:
            if (message == MSG_ENABLEDS && (success || returnCode == TWRC_CHECKSTATUS)) {
                SetState(kSourceEnabled);
            } else if (success && message == MSG_DISABLEDS) {
                SetState(kSourceOpen);
            }
            break;
        case DAT_EVENT:
            if (message == MSG_PROCESSEVENT && returnCode == TWRC_DSEVENT) {
                const TW_UINT16 answer = static_cast<TW_EVENT*>(data)->TWMessage;
                if (answer == MSG_XFERREADY) {
                    SetState(kTransferReady);
                } else if (answer == MSG_CLOSEDSREQ) {
                    SetState(kSourceEnabled);
                }
            }
            break;
        case DAT_PENDINGXFERS:
            if (success && message == MSG_ENDXFER) {
                SetState(static_cast<TW_PENDINGXFERS*>(data)->Count != 0 ? kTransferReady
                                                                         : kSourceEnabled);
            } else if (success && message == MSG_RESET) {
                SetState(kSourceEnabled);
            }
            break;
        default:
            break;
        }
    } else if (group == DG_IMAGE && message == MSG_GET &&
               (argumentType == DAT_IMAGENATIVEXFER || argumentType == DAT_IMAGEMEMXFER ||
                argumentType == DAT_IMAGEFILEXFER) &&
               (success || returnCode == TWRC_XFERDONE || returnCode == TWRC_CANCEL)) {
        SetState(kTransferring);
    }
}

void CTwain::SetState(int state) {
    if (state != state_) {
        state_ = state;
        StateChanged(state);
    }
}

// ---- the way up ----

bool CTwain::LoadManager() {
    if (state_ == kPreSession && SourceManagerLibrary::Load()) {
        SetState(kSourceManagerLoaded);
    }
    return state_ >= kSourceManagerLoaded;
}

bool CTwain::OpenManager(TW_HANDLE window) {
    if (state_ == kPreSession && !LoadManager()) {
        return false;
    }
    if (state_ == kSourceManagerLoaded) {
        TW_HANDLE parent = window;
        Call(false, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &parent);
    }
    return state_ >= kSourceManagerOpen;
}

bool CTwain::OpenSource() {
    if (state_ != kSourceManagerOpen) {
        return state_ >= kSourceOpen;
    }
    // An empty identity asks for the manager's default source.
    sourceIdentity_ = TW_IDENTITY{};
    Call(false, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &sourceIdentity_);
    return state_ >= kSourceOpen;
}

bool CTwain::SetTransferMechanismCapability() {
    void* container = nullptr;
    while ((container = AllocateContainer(sizeof(TW_ONEVALUE))) == nullptr) {
        if (messages_ == nullptr ||
            !messages_->AskRetry("Internal error while preparing for TWAIN acquire.")) {
            return false;
        }
    }
    auto* value = static_cast<TW_ONEVALUE*>(container);
    value->ItemType = TWTY_UINT16;
    value->Item = transferMechanism_;
    TW_CAPABILITY capability{ICAP_XFERMECH, TWON_ONEVALUE, container};
    // A source that refuses the mechanism keeps its default, the native transfer.
    Call(true, DG_CONTROL, DAT_CAPABILITY, MSG_SET, &capability);
    FreeContainer(container);
    return true;
}

bool CTwain::EnableSource(TW_HANDLE window) {
    if (state_ != kSourceOpen) {
        return state_ >= kSourceEnabled;
    }
    if (!SetTransferMechanismCapability()) {
        return false;
    }
    userInterface_.ShowUI = showUserInterface_ ? 1 : 0;
    userInterface_.ModalUI = 0;
    userInterface_.hParent = window;
    Call(true, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &userInterface_);
    return state_ >= kSourceEnabled;
}

// ---- the way down ----

bool CTwain::DisableSource() {
    if (state_ > kSourceEnabled) {
        DropToState(kSourceEnabled, window_);
    }
    if (state_ == kSourceEnabled) {
        Call(true, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &userInterface_);
    }
    return state_ < kSourceEnabled;
}

bool CTwain::CloseSource() {
    if (state_ > kSourceOpen) {
        DropToState(kSourceOpen, window_);
    }
    if (state_ == kSourceOpen) {
        Call(false, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &sourceIdentity_);
    }
    return state_ < kSourceOpen;
}

bool CTwain::CloseManager() {
    if (state_ > kSourceManagerOpen) {
        DropToState(kSourceManagerOpen, window_);
    }
    if (state_ == kSourceManagerOpen) {
        TW_HANDLE parent = window_;
        Call(false, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &parent);
    }
    return state_ < kSourceManagerOpen;
}

bool CTwain::UnloadManager() {
    if (state_ > kSourceManagerLoaded) {
        DropToState(kSourceManagerLoaded, window_);
    }
    if (state_ == kSourceManagerLoaded) {
        SourceManagerLibrary::Unload();
        SetState(kPreSession);
    }
    return state_ == kPreSession;
}

bool CTwain::EndTransfer() {
    if (state_ != kTransferring && state_ != kTransferReady) {
        return false;
    }
    pendingTransfers_ = TW_PENDINGXFERS{};
    return Call(true, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pendingTransfers_) ==
           TWRC_SUCCESS;
}

bool CTwain::ResetTransfers() {
    if (state_ != kTransferReady) {
        return false;
    }
    pendingTransfers_ = TW_PENDINGXFERS{};
    return Call(true, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pendingTransfers_) == TWRC_SUCCESS;
}

void CTwain::DropToState(int target, TW_HANDLE window) {
    window_ = window != nullptr ? window : window_;
    while (state_ > target) {
        const int before = state_;
        switch (state_) {
        case kTransferring:
            EndTransfer();
            break;
        case kTransferReady:
            ResetTransfers();
            break;
        case kSourceEnabled:
            DisableSource();
            break;
        case kSourceOpen:
            CloseSource();
            break;
        case kSourceManagerOpen:
            CloseManager();
            break;
        default:
            UnloadManager();
            break;
        }
        // The manager refused the step: nothing more can be done in that state, so it is
        // left behind rather than asked again for ever.
        if (state_ == before) {
            SetState(before - 1);
        }
    }
}

// ---- the commands ----

bool CTwain::SelectSource(TW_HANDLE window) {
    savedState_ = state_;
    bool selected = false;
    if (OpenManager(window)) {
        TW_IDENTITY chosen{};
        Call(false, DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &chosen);
        const TW_UINT16 answer = Call(false, DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, &chosen);
        selected = answer == TWRC_SUCCESS;
        if (selected) {
            sourceIdentity_ = chosen;
        } else if (answer == TWRC_FAILURE) {
            ReportError(lastConditionCode_);
        }
    } else {
        ReportError(lastConditionCode_);
    }
    DropToState(savedState_, window);
    return selected;
}

bool CTwain::Acquire(TW_HANDLE window) {
    savedState_ = state_;
    if (state_ < kSourceManagerOpen && !OpenManager(window)) {
        ReportError(0);
        DropToState(savedState_, window);
        return false;
    }
    if (state_ == kSourceManagerOpen && (!OpenSource() || !NegotiateCapabilities())) {
        ReportError(1);
        DropToState(savedState_, window);
        return false;
    }
    if (state_ == kSourceOpen && !EnableSource(window)) {
        ReportError(2);
        DropToState(savedState_, window);
        return false;
    }
    return state_ >= kSourceEnabled;
}

// ---- messages and transfers ----

bool CTwain::FilterMessage(TW_MEMREF message) {
    if (state_ < kSourceEnabled || callDepth_ > 0) {
        return false;
    }
    TW_EVENT event{message, MSG_NULL};
    const TW_UINT16 answer = Call(true, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
    if (event.TWMessage == MSG_XFERREADY && !inTransferLoop_) {
        TransferLoop();
    } else if (event.TWMessage == MSG_CLOSEDSREQ) {
        CloseSourceRequest();
    }
    return answer == TWRC_DSEVENT;
}

void CTwain::PumpMessages() {
    for (int round = 0; round < kMaxPumpRounds && state_ > kSourceOpen && pump_ != nullptr &&
                        pump_->ProcessPending();
         ++round) {
    }
}

bool CTwain::NegotiateCapabilities() {
    return true;
}

void CTwain::TransferLoop() {
    inTransferLoop_ = true;
    do {
        switch (transferMechanism_) {
        case TWSX_FILE:
            FileTransfer();
            break;
        case TWSX_MEMORY:
            MemoryTransfer();
            break;
        default:
            NativeTransfer();
            break;
        }
        if (state_ > kTransferReady) {
            DropToState(kSourceEnabled, window_);
            break;
        }
    } while (state_ == kTransferReady);
    inTransferLoop_ = false;
}

void CTwain::TransferFailed() {
    ReportError(lastConditionCode_);
    // A source that failed an image may still count pending ones: asking again would fail
    // again, so the rest of this batch is dropped.
    if (state_ == kTransferring) {
        EndTransfer();
    }
    if (state_ == kTransferReady) {
        ResetTransfers();
    }
}

void CTwain::NativeTransfer() {
    TW_HANDLE bitmap = nullptr;
    const TW_UINT16 answer = Call(true, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &bitmap);
    if (answer != TWRC_XFERDONE) {
        NativeImage::Release(bitmap);
        bitmap = nullptr;
    }
    if (answer == TWRC_FAILURE) {
        TransferFailed();
    } else {
        EndTransfer();
        // The user cancelled: nothing more of this batch is wanted.
        if (answer == TWRC_CANCEL && state_ == kTransferReady) {
            ResetTransfers();
        }
    }
    PumpMessages();
    if (bitmap != nullptr) {
        ImageReceived(bitmap);
    }
}

void CTwain::MemoryTransfer() {
    TW_IMAGEINFO info{};
    TW_SETUPMEMXFER setup{};
    if (Call(true, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info) != TWRC_SUCCESS ||
        Call(true, DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup) != TWRC_SUCCESS) {
        TransferFailed();
        MemoryTransferDone(false);
        return;
    }
    TW_MEMORY buffer{};
    if (!MemoryImageInfo(info) || !MemoryAllocateBuffer(setup, buffer)) {
        ResetTransfers();
        MemoryTransferDone(false);
        return;
    }
    bool succeeded = false;
    for (;;) {
        TW_IMAGEMEMXFER strip{};
        strip.Memory = buffer;
        const TW_UINT16 answer = Call(true, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &strip);
        if (answer == TWRC_SUCCESS || answer == TWRC_XFERDONE) {
            MemoryRowsReceived(strip);
        }
        if (answer != TWRC_SUCCESS) {
            succeeded = answer == TWRC_XFERDONE;
            break;
        }
    }
    MemoryReleaseBuffer(buffer);
    if (lastReturnCode_ == TWRC_FAILURE) {
        TransferFailed();
    } else {
        EndTransfer();
    }
    PumpMessages();
    MemoryTransferDone(succeeded);
}

void CTwain::FileTransfer() {
    TW_SETUPFILEXFER setup{};
    if (Call(true, DG_CONTROL, DAT_SETUPFILEXFER, MSG_GET, &setup) != TWRC_SUCCESS) {
        TransferFailed();
        return;
    }
    if (!FileChoose(setup)) {
        ResetTransfers();
        return;
    }
    if (Call(true, DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup) != TWRC_SUCCESS) {
        TransferFailed();
        return;
    }
    const TW_UINT16 answer = Call(true, DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr);
    if (answer == TWRC_FAILURE) {
        TransferFailed();
    } else {
        EndTransfer();
    }
    PumpMessages();
    if (answer == TWRC_XFERDONE) {
        FileReceived(setup);
    }
}

void CTwain::CloseSourceRequest() {
    CloseSource();
}

void CTwain::ImageReceived(TW_HANDLE bitmap) {
    NativeImage::Release(bitmap);
}

bool CTwain::MemoryImageInfo(const TW_IMAGEINFO&) {
    return true;
}

void CTwain::MemoryRowsReceived(const TW_IMAGEMEMXFER&) {}

void CTwain::MemoryTransferDone(bool) {}

bool CTwain::MemoryAllocateBuffer(const TW_SETUPMEMXFER& setup, TW_MEMORY& buffer) {
    if (setup.Preferred == 0) {
        return false;
    }
    buffer.TheMem = std::malloc(setup.Preferred);
    if (buffer.TheMem == nullptr) {
        return false;
    }
    buffer.Flags = TWMF_APPOWNS | TWMF_POINTER;
    buffer.Length = setup.Preferred;
    return true;
}

void CTwain::MemoryReleaseBuffer(TW_MEMORY& buffer) {
    std::free(buffer.TheMem);
    buffer = TW_MEMORY{};
}

bool CTwain::FileChoose(TW_SETUPFILEXFER&) {
    return true;
}

void CTwain::FileReceived(const TW_SETUPFILEXFER&) {}

void CTwain::StateChanged(int) {}

void CTwain::ReportError(int) {}

void* CTwain::AllocateContainer(std::size_t size) {
    return std::malloc(size);
}

void CTwain::FreeContainer(void* container) {
    std::free(container);
}
