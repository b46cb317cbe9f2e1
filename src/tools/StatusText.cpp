#include "tools/StatusText.h"

#include <clocale>
#include <cstdio>
#include <locale.h>

namespace {

constexpr std::size_t kBufferSize = 1024;

// The C locale for the calling thread while it lives.
class CLocaleScope {
public:
    CLocaleScope() : c_(newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr))) {
        if (c_ != static_cast<locale_t>(nullptr)) {
            previous_ = uselocale(c_);
        }
    }
    ~CLocaleScope() {
        if (c_ != static_cast<locale_t>(nullptr)) {
            uselocale(previous_);
            freelocale(c_);
        }
    }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t c_;
    locale_t previous_ = static_cast<locale_t>(nullptr);
};

} // namespace

std::string FormatStatusV(const char* format, std::va_list arguments) {
    char buffer[kBufferSize];
    CLocaleScope locale;
    const int written = std::vsnprintf(buffer, sizeof buffer, format, arguments);
    if (written < 0) {
        return std::string();
    }
    return std::string(buffer);
}

std::string FormatStatus(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    std::string text = FormatStatusV(format, arguments);
    va_end(arguments);
    return text;
}
