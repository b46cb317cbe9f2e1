#include "FakeSourceManager.h"

#include "SeededBitmap.h"
#include "twain/NativeImage.h"

#include <cstdlib>
#include <cstring>

using namespace twain;

FakeSourceManager* FakeSourceManager::current_ = nullptr;

FakeSourceManager::FakeSourceManager() : previous_(current_) {
    current_ = this;
}

FakeSourceManager::~FakeSourceManager() {
    current_ = previous_;
}

DSMENTRYPROC FakeSourceManager::Load() {
    ++loads;
    return loadable ? &FakeSourceManager::Entry : nullptr;
}

std::vector<std::string> FakeSourceManager::Calls() const {
    std::vector<std::string> shown;
    for (const std::string& call : calls) {
        if (call != "STATUS" && call != ">STATUS") {
            shown.push_back(call);
        }
    }
    return shown;
}

TW_UINT16 FakeSourceManager::Entry(pTW_IDENTITY origin, pTW_IDENTITY dest, TW_UINT32 group,
                                   TW_UINT16 argumentType, TW_UINT16 message, TW_MEMREF data) {
    if (origin != nullptr) {
        current_->origin = *origin;
    }
    return current_->Answer(dest, group, argumentType, message, data);
}

namespace {

std::string NameOf(TW_UINT32 group, TW_UINT16 argumentType, TW_UINT16 message) {
    if (group == DG_IMAGE) {
        switch (argumentType) {
        case DAT_IMAGENATIVEXFER:
            return "NATIVE";
        case DAT_IMAGEMEMXFER:
            return "MEMORY";
        case DAT_IMAGEFILEXFER:
            return "FILE";
        case DAT_IMAGEINFO:
            return "IMAGEINFO";
        default:
            return "IMAGE?";
        }
    }
    switch (argumentType) {
    case DAT_STATUS:
        return "STATUS";
    case DAT_CAPABILITY:
        return "CAPABILITY";
    case DAT_SETUPMEMXFER:
        return "SETUPMEMXFER";
    case DAT_SETUPFILEXFER:
        return message == MSG_SET ? "SETUPFILEXFER SET" : "SETUPFILEXFER";
    default:
        break;
    }
    switch (message) {
    case MSG_OPENDSM:
        return "OPENDSM";
    case MSG_CLOSEDSM:
        return "CLOSEDSM";
    case MSG_GETDEFAULT:
        return "GETDEFAULT";
    case MSG_USERSELECT:
        return "USERSELECT";
    case MSG_OPENDS:
        return "OPENDS";
    case MSG_CLOSEDS:
        return "CLOSEDS";
    case MSG_ENABLEDS:
        return "ENABLEDS";
    case MSG_DISABLEDS:
        return "DISABLEDS";
    case MSG_PROCESSEVENT:
        return "PROCESSEVENT";
    case MSG_ENDXFER:
        return "ENDXFER";
    case MSG_RESET:
        return "RESET";
    default:
        return "?";
    }
}

} // namespace

TW_UINT16 FakeSourceManager::Answer(pTW_IDENTITY dest, TW_UINT32 group, TW_UINT16 argumentType,
                                    TW_UINT16 message, TW_MEMREF data) {
    const std::string name = NameOf(group, argumentType, message);
    calls.push_back((dest != nullptr ? ">" : "") + name);
    if (const auto hook = during.find(name); hook != during.end() && hook->second) {
        hook->second();
    }
    TW_UINT16 answer = TWRC_SUCCESS;
    if (name == "PROCESSEVENT") {
        answer = TWRC_NOTDSEVENT;
    } else if (name == "NATIVE") {
        answer = TWRC_XFERDONE;
    }
    if (auto found = answers.find(name); found != answers.end() && !found->second.empty()) {
        answer = found->second.front();
        found->second.pop_front();
    }
    if (name == "STATUS") {
        static_cast<TW_STATUS*>(data)->ConditionCode = condition;
    } else if (name == "OPENDSM") {
        parent = *static_cast<TW_HANDLE*>(data);
    } else if (name == "ENABLEDS") {
        userInterface = *static_cast<TW_USERINTERFACE*>(data);
    } else if (name == "CAPABILITY") {
        const auto* capability = static_cast<TW_CAPABILITY*>(data);
        if (capability->Cap == ICAP_XFERMECH && capability->ConType == TWON_ONEVALUE) {
            capabilities.push_back(*static_cast<TW_ONEVALUE*>(capability->hContainer));
        }
    } else if (name == "PROCESSEVENT") {
        auto* event = static_cast<TW_EVENT*>(data);
        events.push_back(event->pEvent);
        if (answer == TWRC_DSEVENT && !eventMessages.empty()) {
            event->TWMessage = eventMessages.front();
            eventMessages.pop_front();
        }
    } else if (name == "ENDXFER" && answer == TWRC_SUCCESS) {
        auto* pending = static_cast<TW_PENDINGXFERS*>(data);
        pending->Count = pendingCounts.empty() ? 0 : pendingCounts.front();
        if (!pendingCounts.empty()) {
            pendingCounts.pop_front();
        }
    } else if (name == "NATIVE" && answer == TWRC_XFERDONE) {
        *static_cast<TW_HANDLE*>(data) = brokenImages
                                             ? std::calloc(1, PackedBitmap::kHeaderSize)
                                             : NativeImage::FromBitmap(SeededBitmap(4, 3, 24, 9));
    } else if (name == "SETUPMEMXFER") {
        *static_cast<TW_SETUPMEMXFER*>(data) = TW_SETUPMEMXFER{16, 64, 32};
    } else if (name == "IMAGEINFO") {
        auto* info = static_cast<TW_IMAGEINFO*>(data);
        info->ImageWidth = 4;
        info->ImageLength = 3;
    } else if (name == "MEMORY" && (answer == TWRC_SUCCESS || answer == TWRC_XFERDONE)) {
        auto* strip = static_cast<TW_IMAGEMEMXFER*>(data);
        strip->Rows = 1;
        strip->BytesWritten = strip->Memory.Length;
        std::memset(strip->Memory.TheMem, 0x5A, strip->Memory.Length);
    } else if (name == "SETUPFILEXFER") {
        std::strcpy(static_cast<TW_SETUPFILEXFER*>(data)->FileName, "TWAIN.TMP");
    }
    return answer;
}
