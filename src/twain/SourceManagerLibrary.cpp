#include "twain/SourceManagerLibrary.h"

namespace {

enum Availability { kNotKnown, kAvailable, kNotAvailable };

// Process-wide, as the library is: one per process whoever asks.
SourceManagerLibrary::Loader* loader = nullptr;
DSMENTRYPROC entry = nullptr;
int availability = kNotKnown;

} // namespace

bool SourceManagerLibrary::IsAvailable() {
    if (entry != nullptr) {
        return true;
    }
    if (availability == kNotKnown) {
        availability = kNotAvailable;
        if (loader != nullptr && loader->Load() != nullptr) {
            loader->Unload();
            availability = kAvailable;
        }
    }
    return availability == kAvailable;
}

bool SourceManagerLibrary::Load() {
    if (entry == nullptr && loader != nullptr) {
        entry = loader->Load();
        availability = entry != nullptr ? kAvailable : kNotAvailable;
    }
    return entry != nullptr;
}

void SourceManagerLibrary::Unload() {
    if (entry != nullptr && loader != nullptr) {
        loader->Unload();
    }
    entry = nullptr;
}

DSMENTRYPROC SourceManagerLibrary::Entry() {
    return entry;
}

SourceManagerLibrary::Scope::Scope(Loader* installed)
    : previousLoader_(loader), previousEntry_(entry), previousAvailability_(availability) {
    loader = installed;
    entry = nullptr;
    availability = kNotKnown;
}

SourceManagerLibrary::Scope::~Scope() {
    Unload();
    loader = previousLoader_;
    entry = previousEntry_;
    availability = previousAvailability_;
}
