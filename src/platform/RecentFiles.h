#pragma once

#include <string>

// The recent-file list of the File menu.
class RecentFiles {
public:
    virtual ~RecentFiles() = default;
    virtual void Add(const std::string& path) = 0;
};
