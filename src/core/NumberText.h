#pragma once

#include <string>

// Appends a number as printf "%g" writes it in the C locale (six significant digits,
// exponent form below 1e-4 and from 1e6), whatever locale the process runs in: a comma
// as decimal separator would break comma-separated files.
void AppendGeneral(std::string& text, double value);
