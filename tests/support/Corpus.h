#pragma once

#include <gtest/gtest.h>

#include <filesystem>

// The folder of the external test corpora: the environment variable TRACERY_CORPUS_DIR
// when it is set, else the folder the build was configured with (the shared corpus
// beside the checkout).
std::filesystem::path CorpusRoot();

// True when the environment variable CI is set to anything but the empty string.
bool RunningInCi();

// Leaves the test when a corpus folder is missing: skipped on a developer's machine,
// failed in CI, where a missing corpus must not pass unnoticed.
#define REQUIRE_CORPUS_FOLDER(folder, what)                                                        \
    do {                                                                                           \
        const std::filesystem::path corpusFolder_ = (folder);                                      \
        if (!std::filesystem::is_directory(corpusFolder_)) {                                       \
            if (RunningInCi()) {                                                                   \
                GTEST_FAIL() << what << " not found at " << corpusFolder_ << " (CI is set)";       \
            }                                                                                      \
            GTEST_SKIP() << what << " not found at " << corpusFolder_;                             \
        }                                                                                          \
    } while (false)
