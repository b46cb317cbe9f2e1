#include "core/NumberText.h"

#include <charconv>

void AppendGeneral(std::string& text, double value) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    text.append(buffer, result.ptr);
}
