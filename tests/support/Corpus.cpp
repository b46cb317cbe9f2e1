#include "Corpus.h"

#include <cstdlib>

std::filesystem::path CorpusRoot() {
    if (const char* folder = std::getenv("TRACERY_CORPUS_DIR");
        folder != nullptr && *folder != '\0') {
        return folder;
    }
    return TRACERY_CORPUS_DEFAULT;
}

bool RunningInCi() {
    const char* ci = std::getenv("CI");
    return ci != nullptr && *ci != '\0';
}
