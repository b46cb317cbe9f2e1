#pragma once

#include "platform/RecentFiles.h"

#include <functional>
#include <string>
#include <vector>

class SettingsProfile;

// The File menu's list of recently used files: at most kMaxEntries, the most recent
// first. It lives in the settings profile, section "Recent File List", keys "File1" to
// "File8"; the whole list is written there after every change (emptied keys past its end),
// and read back once on construction, skipping empty entries and repeats.
//
// Two names are one file when their canonical forms agree (links and "." or ".." resolved)
// or, for a file that does not exist, their absolute forms. Entries keep the absolute form
// of the name they were added under.
class QtRecentFiles : public RecentFiles {
public:
    static constexpr int kMaxEntries = 8;

    // `persist` runs after each write, for an owner that keeps the profile on disk
    // (IniSettingsProfile::Save); it may be empty. The profile must outlive the list.
    explicit QtRecentFiles(SettingsProfile& profile, std::function<void()> persist = {});

    // Moves the file to the front, or puts it there and drops the oldest beyond the cap.
    // An empty name, or one holding a line break (it would break the settings file's
    // lines), is not listed.
    void Add(const std::string& path) override;
    // Takes the file off the list (one that failed to open); nothing when it is not listed.
    void Remove(const std::string& path);
    std::vector<std::string> Paths() const { return paths_; }

    // Runs after every change of the list.
    std::function<void()> changed;

private:
    int Find(const std::string& path) const;
    void Store();

    SettingsProfile& profile_;
    std::function<void()> persist_;
    std::vector<std::string> paths_;
};
