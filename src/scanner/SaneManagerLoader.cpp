#include "scanner/SaneManagerLoader.h"

#include "scanner/SaneSourceManager.h"

SaneManagerLoader::SaneManagerLoader(ScannerDialogs& dialogs, SettingsProfile* profile,
                                     std::string libraryName)
    : dialogs_(dialogs), profile_(profile), library_(std::move(libraryName)) {}

SaneManagerLoader::~SaneManagerLoader() {
    Unload();
}

DSMENTRYPROC SaneManagerLoader::Load() {
    if (!library_.Load()) {
        return nullptr;
    }
    manager_ = std::make_unique<SaneSourceManager>(library_, dialogs_, profile_);
    return &SaneSourceManager::Entry;
}

void SaneManagerLoader::Unload() {
    manager_.reset();
    library_.Unload();
}
