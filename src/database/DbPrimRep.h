#pragma once

#include "core/Dynamic.h"
#include "database/DbBase.h"

#include <string>
#include <string_view>

class Archive;
class DrawContext;
class NameTable;
class TransformData;
struct ExportOptions;

// A primitive of a data set. The bare primitive is what fills new array slots; the system
// creates points and attribute entries. The virtual operations keep their slot order.
class DbPrimRep : public DbBase, public dynamic::object {
public:
    static constexpr const char* kTypeName = "class DbPrimRep";

    ~DbPrimRep() override = default;
    // Takes the graph position from the mapping, for primitives that have one.
    virtual void Remap(const TransformData& mapping);
    virtual void Draw(DrawContext& context);
    // Base body: int32 1 (version, ignored on reading), the attribute list's shared-object
    // record ("class DbAttSetRep").
    virtual bool Serialize(Archive& archive);
    virtual int ColumnCount(const ExportOptions& options) const;
    // Kind 1 writes the attribute columns only, without a line end.
    virtual void ExportRow(std::string& text, std::string_view separator,
                           const ExportOptions& options) const;
    virtual void ExportHeader(std::string& text, std::string_view separator,
                              const ExportOptions& options) const;
    virtual double SortKey(const ExportOptions& options) const;
    // 1 bare primitive, 2 attribute entry, 3 point: the text form groups runs by it.
    virtual int Kind() const;
    virtual void SetAttributes(const SmartPtr<DbAttSetRep>& list);
    virtual void AssignColumns(NameTable& table);

    const char* TypeName() const override { return kTypeName; }
};
