#include "image/SafeFileWriter.h"

#include <atomic>
#include <chrono>
#include <filesystem>

#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

namespace {

// A name beside the target that no other file has: the rename must stay on one file
// system to replace the target in one step.
std::filesystem::path TemporaryBeside(const std::filesystem::path& target) {
    static std::atomic<unsigned> counter{0};
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".%llx.%u.tmp", static_cast<unsigned long long>(now),
                  counter.fetch_add(1));
    std::filesystem::path name = target;
    name += suffix;
    return name;
}

bool FlushToDisk(std::FILE* file) {
    if (std::fflush(file) != 0) {
        return false;
    }
#if defined(__unix__) || defined(__APPLE__)
    // The rename must not make a file visible whose bytes are still only in the cache.
    if (::fsync(::fileno(file)) != 0) {
        return false;
    }
#endif
    return true;
}

} // namespace

SafeFileWriter::Result SafeFileWriter::Write(const std::string& path,
                                             const std::function<bool(std::FILE*)>& writeBody) {
    if (path.empty()) {
        return Result::CannotCreate;
    }
    const std::filesystem::path target(path);
    std::error_code error;
    if (std::filesystem::is_directory(target, error)) {
        return Result::CannotCreate;
    }
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::filesystem::path temporary = TemporaryBeside(target);
        // "x": fails rather than opening a file that already exists.
        std::FILE* file = std::fopen(temporary.string().c_str(), "wbx");
        if (file == nullptr) {
            if (std::filesystem::exists(temporary, error)) {
                continue;
            }
            return Result::CannotCreate;
        }
        const bool written = writeBody(file) && FlushToDisk(file);
        const bool closed = std::fclose(file) == 0;
        if (written && closed) {
            const std::filesystem::file_status old = std::filesystem::status(target, error);
            if (!error && std::filesystem::is_regular_file(old)) {
                std::filesystem::permissions(temporary, old.permissions(), error);
            }
            std::filesystem::rename(temporary, target, error);
            if (!error) {
                return Result::Written;
            }
        }
        std::filesystem::remove(temporary, error);
        return Result::WriteFailed;
    }
    return Result::CannotCreate;
}

SafeFileWriter::Result SafeFileWriter::WriteBytes(const std::string& path, const void* data,
                                                  std::size_t size) {
    return Write(path, [&](std::FILE* file) { return Put(file, data, size); });
}

bool SafeFileWriter::Put(std::FILE* file, const void* data, std::size_t size) {
    return std::fwrite(data, 1, size, file) == size;
}
