#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// Distinct names numbered from 1 in order of addition; names compare exactly.
class NameTable {
public:
    // The 1-based index of the name, added when it is new.
    std::int32_t Add(const std::string& name);
    // The name at a 1-based index, or null past the end.
    const std::string* At(std::int32_t index) const;
    std::int32_t Count() const { return static_cast<std::int32_t>(names_.size()); }
    const std::vector<std::string>& Names() const { return names_; }

private:
    std::vector<std::string> names_;
    std::unordered_map<std::string, std::int32_t> indexes_;
};
