#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

// The whole content of a file; empty when it cannot be read.
std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path);

// A file of the repository's tests/data folder.
std::filesystem::path TestDataPath(const std::filesystem::path& relative);
