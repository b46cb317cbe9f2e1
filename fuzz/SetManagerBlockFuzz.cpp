// Reads arbitrary bytes as a set-manager block; what reads is then exported as text (both
// sort orders) and written again, so that every path a loaded file can reach is covered.
#include "core/Archive.h"
#include "core/ArchiveObjectTable.h"
#include "database/DbSetMgr.h"
#include "database/ExportOptions.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DbSetMgr manager;
    bool read = false;
    {
        ArchiveTableSession session;
        Archive archive(data, size);
        try {
            read = manager.Serialize(archive);
        } catch (const ArchiveEndOfFile&) {
            read = false;
        }
    }
    std::string text;
    ExportOptions options;
    manager.ExportAllSets(text, ", ", options);
    if (read) {
        options.sort = 1;
        manager.ExportAllSets(text, " ", options);
        ArchiveTableSession session;
        Archive out;
        manager.Serialize(out);
    }
    return 0;
}
