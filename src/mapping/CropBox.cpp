#include "mapping/CropBox.h"

#include <algorithm>
#include <cmath>

namespace {

// trunc(v), or false when the result would not fit an int.
bool TruncToInt(double v, int& out) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) {
        return false;
    }
    out = static_cast<int>(v);
    return true;
}

} // namespace

CropBox::~CropBox() = default;

void CropBox::Drag(int code, const DPoint& from, const DPoint& to) {
    DragHandleOrSpan(code, from, to);
}

void CropBox::SaveCorners() {
    if (pixelCount > 0) {
        GetPixelCorners(4, savedCorners.data());
    }
}

void CropBox::RestoreCorners() {
    if (pixelCount > 0) {
        SetPixelNodes(4, savedCorners.data());
    }
}

bool CropBox::CropRect(int& left, int& top, int& width, int& height) const {
    if (pixelCount < 1) {
        return false;
    }
    DPoint corners[4];
    GetPixelCorners(4, corners);
    DPoint low;
    DPoint high;
    if (!Bounds(corners, 4, low, high)) {
        return false;
    }
    const double minX = low.x;
    const double minY = low.y;
    const double maxX = high.x;
    const double maxY = high.y;
    int l = 0;
    int t = 0;
    int w = 0;
    int h = 0;
    if (!TruncToInt(minX + 0.5, l) || !TruncToInt(minY + 0.5, t) ||
        !TruncToInt(maxX - minX + 0.5, w) || !TruncToInt(maxY - minY + 0.5, h) || w == 2147483647 ||
        h == 2147483647) {
        return false;
    }
    left = l;
    top = t;
    width = w + 1;
    height = h + 1;
    return true;
}
