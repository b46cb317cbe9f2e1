#include "database/DbAttPrimRep.h"

#include "core/Archive.h"
#include "core/SharedRecord.h"

bool DbAttPrimRep::Serialize(Archive& archive) {
    return shared_record::SerializeVersioned(archive, attribute);
}

int DbAttPrimRep::ColumnCount(const ExportOptions&) const {
    return 2;
}

void DbAttPrimRep::ExportRow(std::string& text, std::string_view separator,
                             const ExportOptions&) const {
    text.append(attribute->name);
    text.append(separator);
    text.append(attribute->value);
    text.push_back('\n');
}

double DbAttPrimRep::SortKey(const ExportOptions&) const {
    if (attribute->name.empty()) {
        return 0.0;
    }
    return static_cast<double>(static_cast<signed char>(attribute->name.front()));
}

int DbAttPrimRep::Kind() const {
    return 2;
}

void DbAttPrimRep::AssignColumns(NameTable&) {}
