#pragma once

#include <filesystem>

// The folder of the external test corpora: the environment variable TRACERY_CORPUS_DIR
// when it is set, else the folder the build was configured with (the shared corpus
// beside the checkout).
std::filesystem::path CorpusRoot();
