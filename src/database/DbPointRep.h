#pragma once

#include "core/Geometry.h"
#include "database/DbPrimRep.h"

// A collected point. It is made from its pixel position; Remap fills the graph position
// once, when the point is collected, and later mapping changes leave it as it is.
class DbPointRep : public DbPrimRep {
public:
    static constexpr const char* kTypeName = "class DbPointRep";

    DbPointRep() = default;
    explicit DbPointRep(const DPoint& pixelPosition) : pixel(pixelPosition) {}

    void Remap(const TransformData& mapping) override;
    void Draw(DrawContext& context) override;
    // Body: the base body, then int32 1 (point version, ignored on reading), graph x,
    // graph y, pixel x, pixel y as doubles.
    bool Serialize(Archive& archive) override;
    int ColumnCount(const ExportOptions& options) const override;
    void ExportRow(std::string& text, std::string_view separator,
                   const ExportOptions& options) const override;
    void ExportHeader(std::string& text, std::string_view separator,
                      const ExportOptions& options) const override;
    double SortKey(const ExportOptions& options) const override;
    int Kind() const override;

    const char* TypeName() const override { return kTypeName; }

    DPoint graph;
    DPoint pixel;

private:
    // The point's own fields after the base body.
    void SerializeFields(Archive& archive);
};
