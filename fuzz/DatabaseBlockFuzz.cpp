// Reads arbitrary bytes as the database block of a document, into a database prepared as
// the document prepares it (one set "Line"); whatever reads is exported, drawn and saved.
#include "core/Archive.h"
#include "database/PlumeData.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PlumeData database;
    database.CreateDefaultSet();
    Archive archive(data, size);
    bool read = false;
    try {
        read = database.Serialize(archive, "/nonexistent/fuzz.plm");
    } catch (const ArchiveEndOfFile&) {
        read = false;
    }
    std::string text;
    database.ExportText(text, ", ");
    if (read) {
        Archive out;
        database.Serialize(out);
    }
    return 0;
}
