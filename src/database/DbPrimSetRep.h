#pragma once

#include "core/SimpleArray.h"
#include "core/SmartPtr.h"
#include "database/DbPrimRep.h"

#include <string>
#include <string_view>

class Archive;
class DrawContext;
struct ExportOptions;

// A data set: its primitives in order of collection, and its name. The empty name marks
// the placeholder of a deleted set.
class DbPrimSetRep : public SimpleArray<SmartPtr<DbPrimRep>> {
public:
    explicit DbPrimSetRep(std::string setName = {}) : name(std::move(setName)) {}

    // Returns the old name.
    std::string Rename(std::string newName);
    void Append(const SmartPtr<DbPrimRep>& primitive) {
        SimpleArray<SmartPtr<DbPrimRep>>::Append(primitive);
    }
    // Removes the element that shares the primitive's holder (the last such, should a damaged
    // file have put one holder there twice); false when none does.
    bool Remove(const SmartPtr<DbPrimRep>& primitive);
    std::int32_t GetCount() const { return Count(); }
    bool IsPlaceholder() const { return name.empty(); }
    void DrawAll(DrawContext& context);

    // Written directly, version 2: int32 2, name, int32 n, n shared-object records.
    // Version 1 (points only) is read too: int32 ignored, int32 n, n bare point bodies.
    bool Serialize(Archive& archive);

    // Appends the set's items: sorted into runs of equal kind, each with a heading line,
    // its rows and an empty line.
    void ExportText(std::string& text, std::string_view separator,
                    const ExportOptions& options) const;

    std::string name;
};
