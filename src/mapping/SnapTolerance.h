#pragma once

#include "core/ApplicationState.h"

// The snap tolerance of the application state, in image pixels: how far a snap test looks
// for something to snap to. It rests at its minimum; the tool manager raises it to the
// event's pick tolerance for the duration of one snap (a Scope does that and puts it back).
class SnapTolerance {
public:
    // 2^-53: both values start there.
    static constexpr double kEpsilon = ApplicationState::kSnapEpsilon;

    SnapTolerance() = delete;

    static double Current();
    static void SetCurrent(double pixels);
    static double Minimum();
    static void SetMinimum(double pixels);

    // Sets the tolerance for its lifetime and restores the previous value when it ends. A
    // value below the minimum, or one that is not a number, gives the minimum.
    class Scope {
    public:
        explicit Scope(double pixels);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        double previous_;
    };
};
