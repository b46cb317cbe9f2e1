#pragma once

#include "mapping/Box.h"

#include <array>

// The crop tool's rectangle: a region without graph values, plus a copy of its corners
// that the tool keeps while a drag is in progress.
class CropBox : public Box {
public:
    CropBox() = default;
    ~CropBox() override;

    // With a handle and a region, resizes as Box does; otherwise starts a new unrotated
    // rectangle spanning the two points.
    void Drag(int code, const DPoint& from, const DPoint& to) override;

    void SaveCorners();
    // Puts the saved corners back; the region becomes unrotated.
    void RestoreCorners();
    // The integer image rectangle covered by the corners' bounding box, both end pixels
    // included. False (outputs untouched) without a region or when the corners do not fit
    // the integer range.
    bool CropRect(int& left, int& top, int& width, int& height) const;

    std::array<DPoint, 4> savedCorners{}; // corners 0, 2, 4, 6
};
