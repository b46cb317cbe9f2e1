#pragma once

#include "document/DocumentServices.h"
#include "platform/BusyIndicator.h"
#include "platform/Clipboard.h"
#include "platform/DocumentViews.h"
#include "platform/MessageService.h"
#include "platform/OpenNamePrompt.h"
#include "platform/RecentFiles.h"
#include "platform/SaveNamePrompt.h"
#include "platform/SettingsProfile.h"
#include "platform/TimerService.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Records every message; answers the save-changes prompt with `answer`, and a retry prompt
// with Retry while `retries` is above 0 (counting it down), then Cancel.
class FakeMessages : public MessageService {
public:
    void ShowMessage(const std::string& text) override { shown.push_back(text); }
    Answer AskSaveChanges(const std::string& documentTitle) override;
    bool AskRetry(const std::string& text) override;

    std::vector<std::string> shown;
    std::vector<std::string> asked;
    std::vector<std::string> retryAsked;
    Answer answer = Answer::Yes;
    int retries = 0;
};

// Records what each prompt showed, then plays the script: Cancel, or OK after the
// optional filter change, typed name and check-box values, in that order (the order a
// user works through the dialog).
class FakeSavePrompt : public SaveNamePrompt {
public:
    struct Shown {
        std::string title;
        int filter = 0;
        std::string name;
        bool sort = false;
        bool sortEnabled = false;
        bool saveCopy = false;
        bool saveCopyEnabled = false;
    };
    struct Script {
        bool ok = true;
        int selectFilter = 0; // 0: keep the selected filter
        std::optional<std::string> name;
        std::optional<bool> sort;
        std::optional<bool> saveCopy;
    };

    bool Prompt(SaveDialogState& state, const std::string& title) override;

    std::vector<Shown> shown;
    Script script;
};

class FakeClipboard : public Clipboard {
public:
    bool Open() override;
    void Close() override { isOpen = false; }
    void Empty() override;
    void SetText(const std::string& value) override { text = value; }
    void SetPackedBitmap(const std::vector<std::uint8_t>& value) override { bitmap = value; }
    bool HasPackedBitmap() const override { return bitmap.has_value(); }
    std::optional<std::vector<std::uint8_t>> GetPackedBitmap() override { return bitmap; }

    bool refuseOpen = false;
    bool isOpen = false;
    int opens = 0;
    std::optional<std::string> text;
    std::optional<std::vector<std::uint8_t>> bitmap;
};

class CountingBusy : public BusyIndicator {
public:
    void Begin() override { ++begins; }
    void End() override { ++ends; }

    int begins = 0;
    int ends = 0;
};

class FakeRecentFiles : public RecentFiles {
public:
    void Add(const std::string& path) override { paths.push_back(path); }

    std::vector<std::string> paths;
};

class FakeViews : public DocumentViews {
public:
    void UpdateAllViews(int hint) override { hints.push_back(hint); }
    void SetTitle(const std::string& value) override { title = value; }
    void SetStatusPane(int pane, const std::string& text) override { panes[pane] = text; }
    void AttachDatabase(PlumeData* database) override { attached = database; }

    std::vector<int> hints;
    std::string title;
    std::map<int, std::string> panes;
    PlumeData* attached = nullptr;
};

// Records what it was shown; answers with `path` and `filterIndex`, or Cancel when `path`
// is empty.
class FakeOpenPrompt : public OpenNamePrompt {
public:
    bool Prompt(const std::string& title, const std::vector<Filter>& filters, int& index,
                std::string& chosen) override;

    std::vector<std::string> titles;
    std::vector<Filter> filters;
    int shownIndex = 0;
    std::string path;
    int filterIndex = 0;
};

// Values by (section, key); reads and writes are recorded in order as "section/key".
class FakeSettings : public SettingsProfile {
public:
    std::int32_t GetInt(const std::string& section, const std::string& key,
                        std::int32_t fallback) const override;
    void WriteInt(const std::string& section, const std::string& key, std::int32_t value) override;
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& fallback) const override;
    void WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override;

    std::map<std::pair<std::string, std::string>, std::int32_t> ints;
    std::map<std::pair<std::string, std::string>, std::string> strings;
    mutable std::vector<std::string> reads;
    std::vector<std::pair<std::string, std::int32_t>> intWrites;
};

// Timers that run only when a test ticks them.
class FakeTimers : public TimerService {
public:
    void StartTimer(int id, int periodMs, Callback tick) override {
        running[id] = periodMs;
        callback = tick;
        ++starts;
    }
    void KillTimer(int id) override { running.erase(id); }
    // Ticks a running timer as the window system would; false when it does not run.
    bool Tick(int id) {
        if (running.count(id) == 0 || callback == nullptr) {
            return false;
        }
        callback(id);
        return true;
    }

    std::map<int, int> running; // id -> period in milliseconds
    Callback callback = nullptr;
    int starts = 0;
};

// One of each fake and the services that point at them.
struct FakePlatform {
    DocumentServices Services();

    FakeMessages messages;
    FakeSavePrompt savePrompt;
    FakeClipboard clipboard;
    CountingBusy busy;
    FakeRecentFiles recentFiles;
    FakeViews views;
    const CPreferences* preferences = nullptr;
};
