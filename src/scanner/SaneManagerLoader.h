#pragma once

#include "scanner/SaneLibrary.h"
#include "twain/SourceManagerLibrary.h"

#include <memory>
#include <string>

class SaneSourceManager;
class ScannerDialogs;
class SettingsProfile;

// Installs the source manager over SANE as the process's source manager: loading it loads
// the SANE library (`libsane.so.1` unless told otherwise) and makes the manager; without
// the library there is no source manager, and the scanner commands stay disabled.
class SaneManagerLoader : public SourceManagerLibrary::Loader {
public:
    SaneManagerLoader(ScannerDialogs& dialogs, SettingsProfile* profile,
                      std::string libraryName = SaneLibrary::kDefaultName);
    ~SaneManagerLoader() override;
    SaneManagerLoader(const SaneManagerLoader&) = delete;
    SaneManagerLoader& operator=(const SaneManagerLoader&) = delete;

    DSMENTRYPROC Load() override;
    void Unload() override;

private:
    ScannerDialogs& dialogs_;
    SettingsProfile* profile_;
    SaneLibrary library_;
    std::unique_ptr<SaneSourceManager> manager_;
};
