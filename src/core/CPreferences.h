#pragma once

#include "core/Observer.h"
#include "platform/Device.h"

#include <cstdint>

class SettingsProfile;

// The user's settings for the whole program, in memory while it runs. Objects that follow
// them observe this object and are notified (hint 0) when they change.
class CPreferences : public Observer {
public:
    static constexpr const char* kSection = "Settings";

    // Copies the settings (not the observers).
    void CopySettingsFrom(const CPreferences& other);
    // Reads every value of the section "Settings" in table order; a missing one keeps its
    // default. No range checks.
    void Load(const SettingsProfile& profile);
    // Writes them back in the same order, all but "PickTol", which is only ever set by hand.
    void Save(SettingsProfile& profile) const;

    std::int32_t zoomType = 2;         // "ZoomType": 1 fast, 2 medium, 3 slow
    std::int32_t pickTol = 3;          // "PickTol": screen pixels; never written back
    std::int32_t sortData = 0;         // "SortData"
    std::int32_t saveReference = 0;    // "SaveReference": keep the image by reference
    std::int32_t reuseMappingData = 0; // "ReuseMappingData"
    std::int32_t allowCaching = 1;     // "AllowCaching"
    std::int32_t cacheSize = 3;        // "CacheSize": display copies
    std::int32_t boxColor = 255;       // "BoxColor": 0x00BBGGRR
    std::int32_t cropColor = 0;        // "CropColor"
    std::int32_t gridColor = 13158600; // "GridColor": 0xC8C8C8
    std::int32_t ptsColor = 255;       // "PtsColor"
    std::int32_t magnifier = 1;        // "Magnifier": the magnifier panel is shown
    std::int32_t magnifierZoom = 8;    // "MagnifierZoom": 4 or 8 screen pixels per pixel
    std::int32_t pdfDpi = 150;         // "PdfDpi": the resolution a PDF page is opened at
};
