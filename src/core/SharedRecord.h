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

namespace detail {

// What stands before a record's body or table position.
struct RecordHead {
    std::int32_t version;
    std::int32_t tag;          // 0 no object, 1 a table position follows, 2 a body follows
    std::string_view typeName; // valid until the archive's next string read
};

inline RecordHead ReadHead(Archive& archive) {
    RecordHead head{archive.ReadInt32(), 0, {}};
    head.tag = head.version;
    if (head.version >= 100) {
        head.tag = archive.ReadInt32();
        head.typeName = archive.ReadStringView();
    }
    return head;
}

// Reads a table position: the holder there when it holds a T, else null.
template <typename T> typename SmartPtr<T>::Holder* ReadSharedHolder(Archive& archive) {
    const std::int32_t position = archive.ReadInt32();
    return static_cast<typename SmartPtr<T>::Holder*>(
        ArchiveObjectTable::Instance().At(position, typeid(T)));
}

// An object of the stored type when a factory makes one that is a T, else null.
template <typename T> std::unique_ptr<T> MakeByTypeName(std::string_view typeName) {
    std::unique_ptr<dynamic::object> made = dynamic::CreateByTypeName(typeName);
    if (dynamic_cast<T*>(made.get()) == nullptr) {
        return nullptr;
    }
    return std::unique_ptr<T>(static_cast<T*>(made.release()));
}

} // namespace detail

// Reads a record into a pointer that holds a default object. False for a record that
// names no table entry of this type, or a type that no factory makes as a T.
template <typename T> bool Read(Archive& archive, SmartPtr<T>& pointer) {
    const detail::RecordHead head = detail::ReadHead(archive);
    if (head.tag == 0) {
        return true;
    }
    if (head.tag == 1) {
        typename SmartPtr<T>::Holder* holder = detail::ReadSharedHolder<T>(archive);
        if (holder == nullptr) {
            return false;
        }
        pointer.ShareHolder(holder);
        return true;
    }
    // A body is read into a holder of the pointer's own: one that other pointers share (or
    // that already stands in the table) is left alone, so that the records shared with it
    // are not overwritten.
    if (pointer.UseCount() > 1 || ArchiveObjectTable::Instance().Find(pointer.holder()) != 0) {
        pointer = SmartPtr<T>();
    }
    if (head.version > 100 && head.typeName != pointer->TypeName()) {
        std::unique_ptr<T> made = detail::MakeByTypeName<T>(head.typeName);
        if (!made) {
            return false;
        }
        pointer.ReplaceObject(std::move(made));
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
    const detail::RecordHead head = detail::ReadHead(archive);
    if (head.tag == 0) {
        return SmartPtr<T>();
    }
    if (head.tag == 1) {
        typename SmartPtr<T>::Holder* holder = detail::ReadSharedHolder<T>(archive);
        if (holder == nullptr) {
            return std::nullopt;
        }
        return SmartPtr<T>::Share(holder);
    }
    std::unique_ptr<T> object;
    if (head.version > 100 && head.typeName != T::kTypeName) {
        object = detail::MakeByTypeName<T>(head.typeName);
        if (!object) {
            return std::nullopt;
        }
    } else {
        object = std::make_unique<T>();
    }
    SmartPtr<T> pointer(object.release());
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
