#pragma once

#include "twain/TwainProtocol.h"

// The process's source manager: a library found and loaded at run time, its "DSM_Entry"
// entry point, and whether loading it works at all (asked once, then remembered).
//
// Where the library comes from is a Loader's business; the program installs the one of its
// platform with a Scope (a test installs a fake), and with none installed no source
// manager is available.
class SourceManagerLibrary {
public:
    class Loader {
    public:
        virtual ~Loader() = default;
        // Loads the library; its entry point, or null (and nothing left loaded) when the
        // library is missing, does not load, or exports no "DSM_Entry".
        virtual DSMENTRYPROC Load() = 0;
        // Releases what Load loaded.
        virtual void Unload() = 0;
    };

    class Scope;

    // True once the entry point is loaded. Otherwise the first call loads the library to see
    // whether it can be, releases it again, and the answer stands from then on.
    static bool IsAvailable();
    // Loads the library; false when it cannot be. Loading a loaded library does nothing.
    static bool Load();
    static void Unload();
    // Null while the library is not loaded.
    static DSMENTRYPROC Entry();
};

// Installs a loader for its lifetime with nothing loaded and nothing known yet; puts the
// previous loader back at the end, releasing whatever this one loaded.
class SourceManagerLibrary::Scope {
public:
    explicit Scope(Loader* loader);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

private:
    Loader* previousLoader_;
    DSMENTRYPROC previousEntry_;
    int previousAvailability_;
};
