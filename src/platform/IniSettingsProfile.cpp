#include "platform/IniSettingsProfile.h"

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {
std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return std::string();
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}
} // namespace

IniSettingsProfile::IniSettingsProfile(std::string path) : path_(std::move(path)) {
    std::ifstream file(path_);
    std::string line;
    std::string section;
    while (std::getline(file, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == ';' || line[0] == '#') {
            continue;
        }
        if (line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos) {
            values_[{section, Trim(line.substr(0, equals))}] = Trim(line.substr(equals + 1));
        }
    }
}

std::string IniSettingsProfile::DefaultPath() {
    std::filesystem::path folder;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config != '\0') {
        folder = config;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        folder = std::filesystem::path(home) / ".config";
    } else {
        return std::string();
    }
    return (folder / "Corvane" / "Corvane Tracery.conf").string();
}

std::int32_t IniSettingsProfile::GetInt(const std::string& section, const std::string& key,
                                        std::int32_t fallback) const {
    const auto found = values_.find({section, key});
    if (found == values_.end()) {
        return fallback;
    }
    std::int32_t value = fallback;
    const std::string& text = found->second;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() ? value : fallback;
}

void IniSettingsProfile::WriteInt(const std::string& section, const std::string& key,
                                  std::int32_t value) {
    values_[{section, key}] = std::to_string(value);
}

std::string IniSettingsProfile::GetString(const std::string& section, const std::string& key,
                                          const std::string& fallback) const {
    const auto found = values_.find({section, key});
    return found == values_.end() ? fallback : found->second;
}

void IniSettingsProfile::WriteString(const std::string& section, const std::string& key,
                                     const std::string& value) {
    values_[{section, key}] = value;
}

bool IniSettingsProfile::Save() const {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), error);
    std::ofstream file(path_, std::ios::trunc);
    std::string section;
    bool first = true;
    for (const auto& [where, value] : values_) {
        if (first || where.first != section) {
            section = where.first;
            file << (first ? "" : "\n") << '[' << section << "]\n";
            first = false;
        }
        file << where.second << '=' << value << '\n';
    }
    return static_cast<bool>(file);
}
