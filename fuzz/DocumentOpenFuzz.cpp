// Opens arbitrary bytes as a file, exactly as File > Open does: as an image first, then as
// a document file. Whatever opens is exported as text and serialized again.
#include "core/Archive.h"
#include "document/CPlumeDoc.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/tracery-open-fuzz-" + std::to_string(::getpid()) + ".plm";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return 0;
    }
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    CPlumeDoc document{DocumentServices{}};
    if (document.OpenDocument(path)) {
        std::string text;
        document.Database()->ExportText(text, ", ");
        Archive out;
        document.Database()->Serialize(out);
    }
    return 0;
}
