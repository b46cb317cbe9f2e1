// Reads arbitrary bytes as the image copy record of a document (first byte even: the
// compressed record, odd: the older uncompressed one); an image that reads is then put
// through the pixel operations at a small size.
#include "core/Archive.h"
#include "image/ImageStore.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    ImageStore store;
    Archive archive(data + 1, size - 1);
    bool read = false;
    try {
        read = (data[0] & 1) == 0 ? store.ReadCopyBlock(archive) : store.ReadLegacyBlock(archive);
    } catch (const ArchiveEndOfFile&) {
        read = false;
    }
    if (read && store.GetPackedBitmap().TotalSize() < (1u << 20)) {
        store.FlipHorizontal();
        store.Rotate(90);
        store.Crop(1, 1, 3, 3);
        store.GetScaledCopy(5, 7);
        Archive out;
        store.WriteCopyBlock(out, 1004);
    }
    return 0;
}
