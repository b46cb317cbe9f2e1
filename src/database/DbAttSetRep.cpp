#include "database/DbAttSetRep.h"

#include "core/Archive.h"
#include "core/SharedRecord.h"
#include "database/NameTable.h"

std::int32_t DbAttSetRep::FindByName(std::string_view name) const {
    for (std::int32_t i = 0; i < Count(); ++i) {
        if ((*this)[i]->name == name) {
            return i;
        }
    }
    return -1;
}

std::optional<SmartPtr<DbAttRep>> DbAttSetRep::RemoveByName(std::string_view name) {
    const std::int32_t index = FindByName(name);
    if (index < 0) {
        return std::nullopt;
    }
    SmartPtr<DbAttRep> removed = (*this)[index];
    RemoveAt(index);
    return removed;
}

std::optional<SmartPtr<DbAttRep>> DbAttSetRep::ReplaceByName(const SmartPtr<DbAttRep>& attribute) {
    const std::int32_t index = FindByName(attribute->name);
    if (index < 0) {
        return std::nullopt;
    }
    SmartPtr<DbAttRep> old = attribute;
    old.Swap((*this)[index]);
    return old;
}

SmartPtr<DbAttSetRep> DbAttSetRep::CopyAll() const {
    SmartPtr<DbAttSetRep> copy;
    for (const SmartPtr<DbAttRep>& attribute : *this) {
        copy->Append(attribute);
    }
    return copy;
}

SmartPtr<DbAttSetRep> DbAttSetRep::CopyActive() const {
    SmartPtr<DbAttSetRep> copy;
    for (const SmartPtr<DbAttRep>& attribute : *this) {
        if (attribute->active != 0) {
            copy->Append(attribute);
        }
    }
    return copy;
}

void DbAttSetRep::AssignColumns(NameTable& table) const {
    for (const SmartPtr<DbAttRep>& attribute : *this) {
        attribute->column = table.Add(attribute->name) - 1;
    }
}

void DbAttSetRep::AppendColumns(std::string& text, std::string_view separator) const {
    std::int32_t highest = -1;
    for (const SmartPtr<DbAttRep>& attribute : *this) {
        if (attribute->active != 0 && attribute->column > highest) {
            highest = attribute->column;
        }
    }
    for (std::int32_t column = 0; column <= highest; ++column) {
        text.append(separator);
        for (const SmartPtr<DbAttRep>& attribute : *this) {
            if (attribute->column == column) {
                text.append(attribute->value);
                break;
            }
        }
    }
}

bool DbAttSetRep::Serialize(Archive& archive) {
    if (archive.IsStoring()) {
        archive.WriteInt32(1);
        archive.WriteInt32(Count());
        for (const SmartPtr<DbAttRep>& attribute : *this) {
            shared_record::Write(archive, attribute, DbAttRep::kTypeName);
        }
        return true;
    }
    const std::int32_t version = archive.ReadInt32();
    const std::int32_t count = archive.ReadInt32();
    // Every record takes at least four bytes, so a longer list cannot be in the file.
    if (count < 0 || static_cast<std::size_t>(count) > archive.Remaining() / 4) {
        return false;
    }
    Reserve(count + 1);
    SetCount(count);
    if (version != 1) {
        // Such a list holds default attributes, each its own.
        for (std::int32_t i = 0; i < count; ++i) {
            (*this)[i] = SmartPtr<DbAttRep>();
        }
        return true;
    }
    for (std::int32_t i = 0; i < count; ++i) {
        if (!shared_record::Read(archive, (*this)[i])) {
            return false;
        }
    }
    return true;
}
