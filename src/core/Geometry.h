#pragma once

// A position in image pixels (x right, y down), natural coordinates or graph units.
struct DPoint {
    double x = 0.0;
    double y = 0.0;

    bool operator==(const DPoint&) const = default;
};

// Integer positions in client or logical units.
struct IPoint {
    int x = 0;
    int y = 0;

    bool operator==(const IPoint&) const = default;
};

// Degrees to radians and back with the factors the system has always used
// (3.1415926 / 180 and 180 / 3.1415926), not the exact pi: stored angles and rotated
// regions depend on them.
constexpr double kDegreesToRadians = 0.017453292222222222;
constexpr double kRadiansToDegrees = 57.295780490442965;
