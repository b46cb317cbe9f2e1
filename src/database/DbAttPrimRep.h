#pragma once

#include "core/SmartPtr.h"
#include "database/DbAttRep.h"
#include "database/DbPrimRep.h"

// An attribute entry placed among the primitives of one set. Its inherited attribute list
// is neither used nor saved.
class DbAttPrimRep : public DbPrimRep {
public:
    static constexpr const char* kTypeName = "class DbAttPrimRep";

    DbAttPrimRep() = default;
    explicit DbAttPrimRep(const SmartPtr<DbAttRep>& held) : attribute(held) {}

    // Body: int32 1 (ignored on reading), the attribute's shared-object record
    // ("class DbAttRep").
    bool Serialize(Archive& archive) override;
    int ColumnCount(const ExportOptions& options) const override;
    void ExportRow(std::string& text, std::string_view separator,
                   const ExportOptions& options) const override;
    // The first byte of the name as a signed 8-bit number; 0 for an empty name.
    double SortKey(const ExportOptions& options) const override;
    int Kind() const override;
    void AssignColumns(NameTable& table) override;

    const char* TypeName() const override { return kTypeName; }

    SmartPtr<DbAttRep> attribute;
};
