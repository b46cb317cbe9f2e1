#include "database/NameTable.h"

std::int32_t NameTable::Add(const std::string& name) {
    auto [it, inserted] = indexes_.try_emplace(name, Count() + 1);
    if (inserted) {
        names_.push_back(name);
    }
    return it->second;
}

const std::string* NameTable::At(std::int32_t index) const {
    if (index < 1 || index > Count()) {
        return nullptr;
    }
    return &names_[static_cast<std::size_t>(index - 1)];
}
