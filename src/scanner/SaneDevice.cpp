#include "scanner/SaneDevice.h"

#include "scanner/SaneLibrary.h"

#include <sane/saneopts.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Resolutions offered from a device that takes any value of a range.
constexpr int kCommonResolutions[] = {50, 75, 100, 150, 200, 300, 400, 600, 1200, 2400};

// Bytes asked for per read: small enough that a cancel is seen soon.
constexpr SANE_Int kReadSize = 32 * 1024;

int ToDpi(const SANE_Option_Descriptor& descriptor, SANE_Word word) {
    return descriptor.type == SANE_TYPE_FIXED ? static_cast<int>(std::lround(SANE_UNFIX(word)))
                                              : static_cast<int>(word);
}

SANE_Word FromDpi(const SANE_Option_Descriptor& descriptor, int dpi) {
    return descriptor.type == SANE_TYPE_FIXED ? SANE_FIX(dpi) : dpi;
}

bool Settable(const SANE_Option_Descriptor* descriptor) {
    return descriptor != nullptr && SANE_OPTION_IS_ACTIVE(descriptor->cap) &&
           SANE_OPTION_IS_SETTABLE(descriptor->cap);
}

} // namespace

SaneDevice::~SaneDevice() {
    Close();
}

SANE_Status SaneDevice::Open(const std::string& name) {
    Close();
    const SANE_Status status = sane_.open(name.c_str(), &handle_);
    if (status != SANE_STATUS_GOOD) {
        handle_ = nullptr;
        return status;
    }
    name_ = name;
    return status;
}

void SaneDevice::Close() {
    if (handle_ != nullptr) {
        sane_.cancel(handle_);
        sane_.close(handle_);
        handle_ = nullptr;
    }
    name_.clear();
}

SANE_Int SaneDevice::Find(const char* name) const {
    SANE_Int count = 0;
    if (sane_.control_option(handle_, 0, SANE_ACTION_GET_VALUE, &count, nullptr) !=
        SANE_STATUS_GOOD) {
        return 0;
    }
    for (SANE_Int option = 1; option < count; ++option) {
        const SANE_Option_Descriptor* descriptor = sane_.get_option_descriptor(handle_, option);
        if (descriptor != nullptr && descriptor->name != nullptr &&
            std::strcmp(descriptor->name, name) == 0) {
            return option;
        }
    }
    return 0;
}

namespace {

// A string option's value and choices; false when the device has no such active option.
bool ReadStringOption(SaneLibrary& sane, SANE_Handle handle, SANE_Int option,
                      std::vector<std::string>& choices, std::string& value) {
    const SANE_Option_Descriptor* descriptor = sane.get_option_descriptor(handle, option);
    if (!Settable(descriptor) || descriptor->type != SANE_TYPE_STRING ||
        descriptor->constraint_type != SANE_CONSTRAINT_STRING_LIST || descriptor->size <= 0) {
        return false;
    }
    std::vector<char> buffer(static_cast<std::size_t>(descriptor->size) + 1, '\0');
    if (sane.control_option(handle, option, SANE_ACTION_GET_VALUE, buffer.data(), nullptr) !=
        SANE_STATUS_GOOD) {
        return false;
    }
    value = buffer.data();
    for (const SANE_String_Const* entry = descriptor->constraint.string_list; *entry != nullptr;
         ++entry) {
        choices.emplace_back(*entry);
    }
    return true;
}

} // namespace

ScannerDialogs::ScanSettings SaneDevice::Settings() const {
    ScannerDialogs::ScanSettings settings;
    if (handle_ == nullptr) {
        return settings;
    }
    if (const SANE_Int mode = Find(SANE_NAME_SCAN_MODE)) {
        ReadStringOption(sane_, handle_, mode, settings.modes, settings.mode);
    }
    if (const SANE_Int source = Find(SANE_NAME_SCAN_SOURCE)) {
        ReadStringOption(sane_, handle_, source, settings.sources, settings.source);
    }
    // One source is no choice.
    if (settings.sources.size() < 2) {
        settings.sources.clear();
        settings.source.clear();
    }
    if (const SANE_Int option = Find(SANE_NAME_SCAN_RESOLUTION)) {
        const SANE_Option_Descriptor* descriptor = sane_.get_option_descriptor(handle_, option);
        SANE_Word word = 0;
        if (Settable(descriptor) &&
            (descriptor->type == SANE_TYPE_INT || descriptor->type == SANE_TYPE_FIXED) &&
            sane_.control_option(handle_, option, SANE_ACTION_GET_VALUE, &word, nullptr) ==
                SANE_STATUS_GOOD) {
            settings.resolution = ToDpi(*descriptor, word);
            // Whether the device would take the value it reports: some report a value
            // outside their own constraint (SANE's test backend keeps a whole number in a
            // fixed-point option, which reads as 0 dpi).
            bool allowed = settings.resolution > 0;
            if (descriptor->constraint_type == SANE_CONSTRAINT_WORD_LIST) {
                const SANE_Word* list = descriptor->constraint.word_list;
                for (SANE_Word i = 1; i <= list[0]; ++i) {
                    settings.resolutions.push_back(ToDpi(*descriptor, list[i]));
                }
                allowed =
                    allowed && std::find(settings.resolutions.begin(), settings.resolutions.end(),
                                         settings.resolution) != settings.resolutions.end();
            } else if (descriptor->constraint_type == SANE_CONSTRAINT_RANGE) {
                const SANE_Range& range = *descriptor->constraint.range;
                const int low = ToDpi(*descriptor, range.min);
                const int high = ToDpi(*descriptor, range.max);
                for (int dpi : kCommonResolutions) {
                    if (dpi >= low && dpi <= high) {
                        settings.resolutions.push_back(dpi);
                    }
                }
                allowed = allowed && settings.resolution >= low && settings.resolution <= high;
            }
            std::sort(settings.resolutions.begin(), settings.resolutions.end());
            settings.resolutions.erase(
                std::unique(settings.resolutions.begin(), settings.resolutions.end()),
                settings.resolutions.end());
            if (allowed || settings.resolutions.empty()) {
                if (std::find(settings.resolutions.begin(), settings.resolutions.end(),
                              settings.resolution) == settings.resolutions.end()) {
                    settings.resolutions.push_back(settings.resolution);
                    std::sort(settings.resolutions.begin(), settings.resolutions.end());
                }
            } else {
                // The offered value nearest to what the device reported.
                settings.resolution = *std::min_element(
                    settings.resolutions.begin(), settings.resolutions.end(), [&](int a, int b) {
                        return std::abs(a - settings.resolution) <
                               std::abs(b - settings.resolution);
                    });
            }
        }
    }
    return settings;
}

int SaneDevice::Resolution() const {
    return Settings().resolution;
}

SANE_Status SaneDevice::SetString(const char* name, const std::string& value) {
    const SANE_Int option = Find(name);
    const SANE_Option_Descriptor* descriptor =
        option != 0 ? sane_.get_option_descriptor(handle_, option) : nullptr;
    if (!Settable(descriptor) || descriptor->type != SANE_TYPE_STRING) {
        return SANE_STATUS_UNSUPPORTED;
    }
    std::vector<char> buffer(
        std::max<std::size_t>(static_cast<std::size_t>(descriptor->size), value.size() + 1), '\0');
    std::memcpy(buffer.data(), value.c_str(), value.size());
    SANE_Int info = 0;
    return sane_.control_option(handle_, option, SANE_ACTION_SET_VALUE, buffer.data(), &info);
}

SANE_Status SaneDevice::SetResolution(int dpi) {
    const SANE_Int option = Find(SANE_NAME_SCAN_RESOLUTION);
    const SANE_Option_Descriptor* descriptor =
        option != 0 ? sane_.get_option_descriptor(handle_, option) : nullptr;
    if (!Settable(descriptor) ||
        (descriptor->type != SANE_TYPE_INT && descriptor->type != SANE_TYPE_FIXED)) {
        return SANE_STATUS_UNSUPPORTED;
    }
    SANE_Word word = FromDpi(*descriptor, dpi);
    SANE_Int info = 0;
    return sane_.control_option(handle_, option, SANE_ACTION_SET_VALUE, &word, &info);
}

SANE_Status SaneDevice::Apply(const ScannerDialogs::ScanSettings& wanted) {
    if (handle_ == nullptr) {
        return SANE_STATUS_INVAL;
    }
    // Each step looks its option up again, so descriptors the step before made stale are
    // never used.
    ScannerDialogs::ScanSettings now = Settings();
    if (!wanted.mode.empty() && wanted.mode != now.mode) {
        if (const SANE_Status status = SetString(SANE_NAME_SCAN_MODE, wanted.mode);
            status != SANE_STATUS_GOOD) {
            return status;
        }
        now = Settings();
    }
    if (!wanted.source.empty() && wanted.source != now.source) {
        if (const SANE_Status status = SetString(SANE_NAME_SCAN_SOURCE, wanted.source);
            status != SANE_STATUS_GOOD) {
            return status;
        }
        now = Settings();
    }
    // Set even when it seems unchanged: the value read back may be the nearest offered one
    // standing in for a value the device reported but would not take.
    if (wanted.resolution > 0) {
        if (const SANE_Status status = SetResolution(wanted.resolution);
            status != SANE_STATUS_GOOD) {
            return status;
        }
    }
    return SANE_STATUS_GOOD;
}

bool SaneDevice::FeedsDocuments() const {
    const std::string source = Settings().source;
    std::string lower;
    for (char c : source) {
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower.find("feeder") != std::string::npos || lower.find("adf") != std::string::npos;
}

SANE_Status SaneDevice::Start() {
    return handle_ == nullptr ? SANE_STATUS_INVAL : sane_.start(handle_);
}

SANE_Status SaneDevice::ReadFrame(ScanPage& page, const std::atomic<bool>& cancel,
                                  std::atomic<std::uint64_t>& received,
                                  std::atomic<std::uint64_t>& expected, bool& lastFrame) {
    SANE_Parameters parameters{};
    if (const SANE_Status status = sane_.get_parameters(handle_, &parameters);
        status != SANE_STATUS_GOOD) {
        return status;
    }
    if (!page.BeginFrame(parameters)) {
        return SANE_STATUS_INVAL;
    }
    lastFrame = parameters.last_frame != SANE_FALSE;
    received = 0;
    expected = page.ExpectedBytes();
    std::vector<SANE_Byte> buffer(kReadSize);
    bool cancelled = false;
    for (;;) {
        if (cancel && !cancelled) {
            sane_.cancel(handle_);
            cancelled = true;
        }
        SANE_Int length = 0;
        const SANE_Status status = sane_.read(handle_, buffer.data(), kReadSize, &length);
        if (status == SANE_STATUS_EOF) {
            return cancelled ? SANE_STATUS_CANCELLED : SANE_STATUS_GOOD;
        }
        if (status != SANE_STATUS_GOOD) {
            return status;
        }
        if (cancelled) {
            continue;
        }
        if (length > 0 && !page.Append(buffer.data(), static_cast<std::size_t>(length))) {
            sane_.cancel(handle_);
            return SANE_STATUS_NO_MEM;
        }
        received = page.ReceivedBytes();
    }
}

void SaneDevice::Cancel() {
    if (handle_ != nullptr) {
        sane_.cancel(handle_);
    }
}
