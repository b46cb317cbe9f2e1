#pragma once

#include <cstdint>
#include <string>

// The per-user settings store: integers and strings by section and key.
class SettingsProfile {
public:
    virtual ~SettingsProfile() = default;
    virtual std::int32_t GetInt(const std::string& section, const std::string& key,
                                std::int32_t fallback) const = 0;
    virtual void WriteInt(const std::string& section, const std::string& key,
                          std::int32_t value) = 0;
    virtual std::string GetString(const std::string& section, const std::string& key,
                                  const std::string& fallback) const = 0;
    virtual void WriteString(const std::string& section, const std::string& key,
                             const std::string& value) = 0;
};
