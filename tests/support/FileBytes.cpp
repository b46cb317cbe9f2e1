#include "FileBytes.h"

#include <fstream>
#include <iterator>

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>());
}

std::filesystem::path TestDataPath(const std::filesystem::path& relative) {
    return std::filesystem::path(TRACERY_TEST_DATA_DIR) / relative;
}
