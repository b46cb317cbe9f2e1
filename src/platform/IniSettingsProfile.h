#pragma once

#include "platform/SettingsProfile.h"

#include <map>
#include <string>
#include <utility>

// The settings store as an INI file ("[Section]" lines, then "key=value" lines): the form
// in which the window program keeps its per-user settings on Linux, so that the command
// line reads the same preferences. A missing or unreadable file is an empty profile.
class IniSettingsProfile : public SettingsProfile {
public:
    explicit IniSettingsProfile(std::string path);

    // ~/.config/Corvane/Corvane Tracery.conf, or under $XDG_CONFIG_HOME when it is set.
    static std::string DefaultPath();

    std::int32_t GetInt(const std::string& section, const std::string& key,
                        std::int32_t fallback) const override;
    void WriteInt(const std::string& section, const std::string& key, std::int32_t value) override;
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& fallback) const override;
    void WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override;

    // Writes the file back; false when it cannot be written.
    bool Save() const;

private:
    std::string path_;
    std::map<std::pair<std::string, std::string>, std::string> values_;
};
