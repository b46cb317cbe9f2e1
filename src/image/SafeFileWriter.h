#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>

// Replaces a file only with a complete new one: the bytes go to a new temporary file in
// the target's folder, are flushed to the disk, and the temporary file is then renamed
// over the target in one step. A failure at any point leaves the previous file as it was
// and removes the temporary file. A replaced file keeps its permissions.
class SafeFileWriter {
public:
    enum class Result {
        Written,
        CannotCreate, // no file can be made there (a missing folder, no permission, a bad name)
        WriteFailed,  // the bytes could not all be written or the file could not be put in place
    };

    // writeBody writes the whole content to the open file and returns false on any error.
    static Result Write(const std::string& path, const std::function<bool(std::FILE*)>& writeBody);
    // The same for content that is one block of bytes.
    static Result WriteBytes(const std::string& path, const void* data, std::size_t size);
    // Writes a block to the open file; false unless every byte was written.
    static bool Put(std::FILE* file, const void* data, std::size_t size);
};
