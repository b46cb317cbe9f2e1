#include "document/CPreferences.h"

void CPreferences::CopySettingsFrom(const CPreferences& other) {
    zoomType = other.zoomType;
    pickTol = other.pickTol;
    sortData = other.sortData;
    saveReference = other.saveReference;
    reuseMappingData = other.reuseMappingData;
    allowCaching = other.allowCaching;
    cacheSize = other.cacheSize;
    boxColor = other.boxColor;
    cropColor = other.cropColor;
    gridColor = other.gridColor;
    ptsColor = other.ptsColor;
}
