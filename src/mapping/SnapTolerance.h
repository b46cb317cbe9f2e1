#pragma once

// The process-wide snap tolerance, in image pixels: how far a snap test looks for something
// to snap to. It rests at its minimum; the tool manager raises it to the event's pick
// tolerance for the duration of one snap (a Scope does that and puts it back).
//
// Single-threaded, like everything that reads it.
class SnapTolerance {
public:
    // The first power of two, halving from 1, for which 1 + e == 1 in double arithmetic:
    // 2^-53. Both values start there.
    static constexpr double kEpsilon = [] {
        double e = 1.0;
        while (1.0 + e != 1.0) {
            e /= 2.0;
        }
        return e;
    }();

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
