#include "FakePlatform.h"

#include "document/SaveDialogState.h"

MessageService::Answer FakeMessages::AskSaveChanges(const std::string& documentTitle) {
    asked.push_back(documentTitle);
    return answer;
}

bool FakeMessages::AskRetry(const std::string& text) {
    retryAsked.push_back(text);
    if (retries <= 0) {
        return false;
    }
    --retries;
    return true;
}

bool FakeSavePrompt::Prompt(SaveDialogState& state, const std::string& title) {
    shown.push_back({title, state.Filter(), state.Name(), state.Sort(), state.SortEnabled(),
                     state.SaveCopy(), state.SaveCopyEnabled()});
    if (!script.ok) {
        return false;
    }
    if (script.selectFilter != 0) {
        state.SelectFilter(script.selectFilter);
    }
    if (script.name) {
        state.SetName(*script.name);
    }
    if (script.sort) {
        state.SetSort(*script.sort);
    }
    if (script.saveCopy) {
        state.SetSaveCopy(*script.saveCopy);
    }
    return true;
}

bool FakeOpenPrompt::Prompt(const std::string& title, const std::vector<Filter>& shown, int& index,
                            std::string& chosen) {
    titles.push_back(title);
    filters = shown;
    shownIndex = index;
    if (path.empty()) {
        return false;
    }
    index = filterIndex;
    chosen = path;
    return true;
}

bool FakeClipboard::Open() {
    ++opens;
    isOpen = !refuseOpen;
    return isOpen;
}

void FakeClipboard::Empty() {
    text.reset();
    bitmap.reset();
}

std::int32_t FakeSettings::GetInt(const std::string& section, const std::string& key,
                                  std::int32_t fallback) const {
    reads.push_back(section + "/" + key);
    const auto found = ints.find({section, key});
    return found != ints.end() ? found->second : fallback;
}

void FakeSettings::WriteInt(const std::string& section, const std::string& key,
                            std::int32_t value) {
    intWrites.emplace_back(section + "/" + key, value);
    ints[{section, key}] = value;
}

std::string FakeSettings::GetString(const std::string& section, const std::string& key,
                                    const std::string& fallback) const {
    reads.push_back(section + "/" + key);
    const auto found = strings.find({section, key});
    return found != strings.end() ? found->second : fallback;
}

void FakeSettings::WriteString(const std::string& section, const std::string& key,
                               const std::string& value) {
    strings[{section, key}] = value;
}

DocumentServices FakePlatform::Services() {
    DocumentServices services;
    services.messages = &messages;
    services.savePrompt = &savePrompt;
    services.clipboard = &clipboard;
    services.busy = &busy;
    services.recentFiles = &recentFiles;
    services.views = &views;
    services.preferences = preferences;
    return services;
}
