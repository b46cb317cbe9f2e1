#pragma once

#include "core/Archive.h"
#include "core/ArchiveObjectTable.h"
#include "core/Dynamic.h"
#include "core/SmartPtr.h"

#include <memory>
#include <optional>
#include <string>

// The file form of a SmartPtr (all integers int32):
//   101, 0                          no object
//   101, 1, type name, k            the holder at position k of the object table
//   101, 2, type name, body         a new holder: added to the table, then its body
// Older files: a first integer below 100 is the tag itself and no type name follows;
// version 100 carries a type name that is read but never compared.
//
// T provides TypeName() (the stored name) and bool Serialize(Archive&) (the body).
namespace shared_record {

constexpr std::int32_t kVersion = 101;

template <typename T> void TableAdd(typename SmartPtr<T>::Holder* holder) {
    using Holder = typename SmartPtr<T>::Holder;
    ArchiveObjectTable::Instance().Add(
        holder, typeid(T),
        [](ArchiveMark* h) { SmartPtr<T>::AddReference(static_cast<Holder*>(h)); },
        [](ArchiveMark* h) { SmartPtr<T>::ReleaseReference(static_cast<Holder*>(h)); });
}

// Writes the record under the given type name.
template <typename T>
void Write(Archive& archive, const SmartPtr<T>& pointer, const char* typeName) {
    archive.WriteInt32(kVersion);
    ArchiveObjectTable& table = ArchiveObjectTable::Instance();
    if (const std::int32_t position = table.Find(pointer.holder()); position > 0) {
        archive.WriteInt32(1);
        archive.WriteString(typeName);
        archive.WriteInt32(position);
        return;
    }
    archive.WriteInt32(2);
    archive.WriteString(typeName);
    table.Mark(pointer.holder());
    pointer->Serialize(archive);
}

// Writes the record under the object's own run-time type name.
template <typename T> void Write(Archive& archive, const SmartPtr<T>& pointer) {
    Write(archive, pointer, pointer->TypeName());
}

// Reads a record into a pointer that holds a default object. False for a record that
// names no table entry of this type, or a type that no factory makes as a T.
template <typename T> bool Read(Archive& archive, SmartPtr<T>& pointer) {
    const std::int32_t version = archive.ReadInt32();
    std::int32_t tag = version;
    std::string_view typeName;
    if (version >= 100) {
        tag = archive.ReadInt32();
        typeName = archive.ReadStringView();
    }
    if (tag == 0) {
        return true;
    }
    if (tag == 1) {
        const std::int32_t position = archive.ReadInt32();
        ArchiveMark* holder = ArchiveObjectTable::Instance().At(position, typeid(T));
        if (holder == nullptr) {
            return false;
        }
        pointer.ShareHolder(static_cast<typename SmartPtr<T>::Holder*>(holder));
        return true;
    }
    // A body is read into a holder of the pointer's own: one that other pointers share (or
    // that already stands in the table) is left alone, so that the records shared with it
    // are not overwritten.
    if (pointer.UseCount() > 1 || ArchiveObjectTable::Instance().Find(pointer.holder()) != 0) {
        pointer = SmartPtr<T>();
    }
    if (version > 100 && typeName != pointer->TypeName()) {
        std::unique_ptr<dynamic::object> made = dynamic::CreateByTypeName(typeName);
        if (dynamic_cast<T*>(made.get()) == nullptr) {
            return false;
        }
        pointer.ReplaceObject(std::unique_ptr<T>(static_cast<T*>(made.release())));
    }
    TableAdd<T>(pointer.holder());
    return pointer->Serialize(archive);
}

// Reads a record into a new pointer, as Read does into a pointer that holds a default
// object, but without making that default object first: the object is made once, of the
// stored type (or shared from the table). T provides kTypeName, the name of its own type.
// Empty for a record that Read would refuse. Loading a million points makes a million
// objects this way instead of three million.
template <typename T> std::optional<SmartPtr<T>> ReadNew(Archive& archive) {
    const std::int32_t version = archive.ReadInt32();
    std::int32_t tag = version;
    std::string_view typeName;
    if (version >= 100) {
        tag = archive.ReadInt32();
        typeName = archive.ReadStringView();
    }
    if (tag == 0) {
        return SmartPtr<T>();
    }
    if (tag == 1) {
        const std::int32_t position = archive.ReadInt32();
        ArchiveMark* holder = ArchiveObjectTable::Instance().At(position, typeid(T));
        if (holder == nullptr) {
            return std::nullopt;
        }
        return SmartPtr<T>::Share(static_cast<typename SmartPtr<T>::Holder*>(holder));
    }
    T* object = nullptr;
    if (version > 100 && typeName != T::kTypeName) {
        std::unique_ptr<dynamic::object> made = dynamic::CreateByTypeName(typeName);
        if (dynamic_cast<T*>(made.get()) == nullptr) {
            return std::nullopt;
        }
        object = static_cast<T*>(made.release());
    } else {
        object = new T();
    }
    SmartPtr<T> pointer(object);
    TableAdd<T>(pointer.holder());
    if (!pointer->Serialize(archive)) {
        return std::nullopt;
    }
    return pointer;
}

// A record of its own version (int32 1; any value is accepted on reading) followed by one
// shared record, written under T's stored type name. The primitives keep their attribute
// list this way, the attribute primitive its attribute, the attribute manager its list.
template <typename T> bool SerializeVersioned(Archive& archive, SmartPtr<T>& pointer) {
    if (archive.IsStoring()) {
        archive.WriteInt32(1);
        Write(archive, pointer, T::kTypeName);
        return true;
    }
    archive.ReadInt32();
    return Read(archive, pointer);
}

} // namespace shared_record
