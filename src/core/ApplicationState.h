#pragma once

#include <string>

// The values that belong to the running program rather than to one document or window:
// the first-open flag and the save type last chosen (documents), the number of display
// copies an image keeps (image store), the snap tolerance (grid snap) and the Open dialog's
// filter, the attribute dialogs' remembered entries. One object holds them all.
//
// Its owner is whoever runs the program — the command line's entry, the window
// application, each test — and it takes effect by being installed with a Scope, which
// puts the previous one back when it ends. Code that runs with none installed (benchmarks,
// fuzz targets) sees one object of defaults that lives as long as the process.
//
// Single-threaded, like everything that reads it.
class ApplicationState {
public:
    // The first power of two, halving from 1, for which 1 + e == 1 in double arithmetic:
    // 2^-53. Both snap tolerances start there.
    static constexpr double kSnapEpsilon = [] {
        double e = 1.0;
        while (1.0 + e != 1.0) {
            e /= 2.0;
        }
        return e;
    }();

    bool firstOpen = true;   // until the first successful open of any document
    int lastSaveType = 0;    // 1-based row of the save-type table; 0 before the first save
    int imageCacheLimit = 0; // display copies an image store keeps, 0 or more
    double snapTolerance = kSnapEpsilon;        // image pixels
    double snapToleranceMinimum = kSnapEpsilon; // image pixels
    int openFilterIndex = 1;                    // 0-based; the image files' filter
    // What the Define Attribute dialog last accepted, and opens with next time.
    std::string attributeName;
    std::string attributeValue;
    bool attributeOnlyCurrentSet = false;

    // The installed state, or the process's defaults when none is.
    static ApplicationState& Current();

    class Scope;
};

// Installs a fresh state of defaults for its lifetime.
class ApplicationState::Scope {
public:
    Scope();
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

    ApplicationState& State() { return state_; }

private:
    ApplicationState state_;
    ApplicationState* previous_;
};
