#pragma once

#include "core/Dynamic.h"

#include <cstdint>
#include <string>

class Archive;

// One attribute, a named text value. A value type: once handed out it is never changed;
// a change makes a new one. Only the transient column is rewritten, by the text form.
class DbAttRep : public dynamic::object {
public:
    static constexpr const char* kTypeName = "class DbAttRep";

    DbAttRep() = default;
    DbAttRep(std::string attributeName, std::string attributeValue, std::int32_t isActive)
        : active(isActive), name(std::move(attributeName)), value(std::move(attributeValue)) {}

    const char* TypeName() const override { return kTypeName; }

    // Body: int32 1 (version, ignored on reading), name, value, int32 active.
    bool Serialize(Archive& archive);

    std::int32_t active = 0;
    std::int32_t column = 0; // set by the text form; not saved
    std::string name;
    std::string value;
};
