#pragma once

#include "core/Dynamic.h"
#include "core/SimpleArray.h"
#include "core/SmartPtr.h"
#include "database/DbAttRep.h"

#include <optional>
#include <string>
#include <string_view>

class Archive;
class NameTable;

// An ordered list of shared attributes. A list that has been handed out is never changed
// afterwards: whoever needs a different list builds a new one.
class DbAttSetRep : public SimpleArray<SmartPtr<DbAttRep>>, public dynamic::object {
public:
    static constexpr const char* kTypeName = "class DbAttSetRep";

    const char* TypeName() const override { return kTypeName; }

    // Index of the first attribute with exactly this name, or -1.
    std::int32_t FindByName(std::string_view name) const;
    std::optional<SmartPtr<DbAttRep>> RemoveByName(std::string_view name);
    // Puts the attribute in place of the first one of the same name; returns the old one.
    std::optional<SmartPtr<DbAttRep>> ReplaceByName(const SmartPtr<DbAttRep>& attribute);
    // New lists sharing every attribute, or the active ones, in order.
    SmartPtr<DbAttSetRep> CopyAll() const;
    SmartPtr<DbAttSetRep> CopyActive() const;

    // Gives each attribute the column of its name in the table (index - 1).
    void AssignColumns(NameTable& table) const;
    // The attribute columns of a row: for each column up to the highest one held by an
    // active attribute, the separator and the value in that column (if any).
    void AppendColumns(std::string& text, std::string_view separator) const;

    // Body: int32 1 (version), int32 n, n shared-object records ("class DbAttRep").
    bool Serialize(Archive& archive);
};
