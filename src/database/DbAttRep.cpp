#include "database/DbAttRep.h"

#include "core/Archive.h"

bool DbAttRep::Serialize(Archive& archive) {
    if (archive.IsStoring()) {
        archive.WriteInt32(1);
        archive.WriteString(name);
        archive.WriteString(value);
        archive.WriteInt32(active);
        return true;
    }
    archive.ReadInt32();
    name = archive.ReadString();
    value = archive.ReadString();
    active = archive.ReadInt32();
    return true;
}
