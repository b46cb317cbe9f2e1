#pragma once

#include <cstdarg>
#include <string>

// printf formatting for the status bar, into a buffer of 1,024 characters: a longer text
// is cut to 1,023. Numbers are written as in the C locale, whatever locale the program
// runs in, so "%g" always shows a decimal point.
std::string FormatStatus(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatStatusV(const char* format, std::va_list arguments);
