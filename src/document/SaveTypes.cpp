#include "document/SaveTypes.h"

#include <algorithm>
#include <cctype>

namespace {

const SaveTypes::Type kTypes[SaveTypes::kCount] = {
    {".plm", "Plume Files (*.plm)", "*.plm", SaveTypes::Kind::Document},
    {".txt", "Points Only (*.txt)", "*.txt", SaveTypes::Kind::TextSpace},
    {".csv", "Comma Separated Variables (*.csv)", "*.csv", SaveTypes::Kind::TextComma},
    {".bmp", "BMP Only (*.bmp)", "*.bmp", SaveTypes::Kind::Bitmap},
};

const char* const kStripList[] = {".plm", ".txt", ".bmp", ".tif", ".plm", ".txt", ".csv", ".bmp"};

std::string Lower(std::string_view text) {
    std::string lowered(text);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lowered;
}

} // namespace

const SaveTypes::Type& SaveTypes::At(int index) {
    return kTypes[std::clamp(index, 1, kCount) - 1];
}

bool SaveTypes::Matches(std::string_view name, std::string_view extension) {
    const std::string lowered = Lower(name);
    const std::size_t dot = lowered.rfind('.');
    return dot != std::string::npos && lowered.find(extension) == dot;
}

int SaveTypes::Match(std::string_view name) {
    for (int i = 1; i <= kCount; ++i) {
        if (Matches(name, At(i).extension)) {
            return i;
        }
    }
    return 0;
}

std::string SaveTypes::StripExtension(std::string_view name) {
    for (const char* extension : kStripList) {
        if (Matches(name, extension)) {
            return std::string(name.substr(0, name.rfind('.')));
        }
    }
    return std::string(name);
}

const char* SaveTypes::SeparatorFor(std::string_view name) {
    return Match(name) == kComma ? ", " : " ";
}
