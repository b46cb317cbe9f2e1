#include "database/DbPointRep.h"

#include "core/Archive.h"
#include "core/NumberText.h"
#include "database/ExportOptions.h"
#include "draw/DrawContext.h"
#include "mapping/TransformData.h"

void DbPointRep::Remap(const TransformData& mapping) {
    mapping.PixelToGraph(pixel, graph);
}

void DbPointRep::Draw(DrawContext& context) {
    context.DrawMarker(pixel.x, pixel.y);
}

bool DbPointRep::Serialize(Archive& archive) {
    if (!DbPrimRep::Serialize(archive)) {
        return false;
    }
    SerializeFields(archive);
    return true;
}

void DbPointRep::SerializeFields(Archive& archive) {
    if (archive.IsStoring()) {
        archive.WriteInt32(1);
        archive.WriteDouble(graph.x);
        archive.WriteDouble(graph.y);
        archive.WriteDouble(pixel.x);
        archive.WriteDouble(pixel.y);
        return;
    }
    archive.ReadInt32();
    graph.x = archive.ReadDouble();
    graph.y = archive.ReadDouble();
    pixel.x = archive.ReadDouble();
    pixel.y = archive.ReadDouble();
}

int DbPointRep::ColumnCount(const ExportOptions&) const {
    return 2;
}

void DbPointRep::ExportRow(std::string& text, std::string_view separator,
                           const ExportOptions& options) const {
    AppendGeneral(text, graph.x);
    text.append(separator);
    AppendGeneral(text, graph.y);
    DbPrimRep::ExportRow(text, separator, options);
    text.push_back('\n');
}

void DbPointRep::ExportHeader(std::string& text, std::string_view separator,
                              const ExportOptions&) const {
    text.append("X");
    text.append(separator);
    text.append("Y");
}

double DbPointRep::SortKey(const ExportOptions& options) const {
    return options.axis == ExportOptions::kSortByY ? graph.y : graph.x;
}

int DbPointRep::Kind() const {
    return 3;
}
