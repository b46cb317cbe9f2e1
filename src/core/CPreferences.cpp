#include "core/CPreferences.h"

#include "platform/SettingsProfile.h"

namespace {
// The values in their registry order; PickTol is read but never written.
struct Setting {
    const char* key;
    std::int32_t CPreferences::*field;
    bool written;
};
constexpr Setting kSettings[] = {
    {"ZoomType", &CPreferences::zoomType, true},
    {"PickTol", &CPreferences::pickTol, false},
    {"SortData", &CPreferences::sortData, true},
    {"SaveReference", &CPreferences::saveReference, true},
    {"ReuseMappingData", &CPreferences::reuseMappingData, true},
    {"AllowCaching", &CPreferences::allowCaching, true},
    {"CacheSize", &CPreferences::cacheSize, true},
    {"BoxColor", &CPreferences::boxColor, true},
    {"CropColor", &CPreferences::cropColor, true},
    {"GridColor", &CPreferences::gridColor, true},
    {"PtsColor", &CPreferences::ptsColor, true},
    {"Magnifier", &CPreferences::magnifier, true},
    {"MagnifierZoom", &CPreferences::magnifierZoom, true},
    {"PdfDpi", &CPreferences::pdfDpi, true},
};
} // namespace

void CPreferences::Load(const SettingsProfile& profile) {
    for (const Setting& setting : kSettings) {
        this->*setting.field = profile.GetInt(kSection, setting.key, this->*setting.field);
    }
}

void CPreferences::Save(SettingsProfile& profile) const {
    for (const Setting& setting : kSettings) {
        if (setting.written) {
            profile.WriteInt(kSection, setting.key, this->*setting.field);
        }
    }
}

void CPreferences::CopySettingsFrom(const CPreferences& other) {
    for (const Setting& setting : kSettings) {
        this->*setting.field = other.*setting.field;
    }
}
