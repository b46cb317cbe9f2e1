#include "database/DbPrimRep.h"

#include "core/Archive.h"
#include "core/SharedRecord.h"

void DbPrimRep::Remap(const TransformData&) {}

void DbPrimRep::Draw(DrawContext&) {}

bool DbPrimRep::Serialize(Archive& archive) {
    return shared_record::SerializeVersioned(archive, attributes);
}

int DbPrimRep::ColumnCount(const ExportOptions&) const {
    return 0;
}

void DbPrimRep::ExportRow(std::string& text, std::string_view separator,
                          const ExportOptions&) const {
    attributes->AppendColumns(text, separator);
}

void DbPrimRep::ExportHeader(std::string&, std::string_view, const ExportOptions&) const {}

double DbPrimRep::SortKey(const ExportOptions&) const {
    return 0.0;
}

int DbPrimRep::Kind() const {
    return 1;
}

void DbPrimRep::SetAttributes(const SmartPtr<DbAttSetRep>& list) {
    attributes = list;
}

void DbPrimRep::AssignColumns(NameTable& table) {
    attributes->AssignColumns(table);
}
