#pragma once

// One saved view of the image view: the zoom and the scroll position.
struct ViewSpec {
    double scale = 1.0;
    int scrollX = 0;
    int scrollY = 0;
    int autoSaved = 0; // 1 when pushed by Previous Saved View rather than by the user

    // The same view: scale compared exactly, scroll positions as integers.
    bool SameViewAs(const ViewSpec& other) const {
        return scale == other.scale && scrollX == other.scrollX && scrollY == other.scrollY;
    }
};
