#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Deflates one buffer into one zlib stream on every core. The buffer is cut into pieces of
// kPieceSize bytes; each piece is deflated at zlib's default level on its own, primed with
// the 32 KiB of input before it (so the matches reach across the cut as one deflater's
// would), and ends with a full flush, so that the pieces laid end to end are one valid
// stream: the zlib header on the first, the final block on the last, then the Adler-32 of
// the whole buffer (combined from the pieces'). Any zlib reader — the one-call uncompress
// included — reads it back to the same bytes.
//
// The cut depends only on the size, so the same buffer gives the same bytes on any machine
// whatever its number of cores. Threads exist only inside Compress.
class ParallelDeflate {
public:
    static constexpr std::size_t kPieceSize = std::size_t{1} << 20;
    static constexpr std::size_t kWindow = std::size_t{1} << 15;

    // The stream, in order, as the pieces' outputs (the last one carries the checksum).
    struct Stream {
        std::vector<std::vector<std::uint8_t>> pieces;
        std::size_t size = 0; // the bytes of all pieces together
    };

    // False when zlib refuses (out of memory). `threads` 0 means one per core.
    static bool Compress(const std::uint8_t* data, std::size_t size, Stream& out,
                         unsigned threads = 0);
    // The number of pieces a buffer of that size is cut into.
    static std::size_t PieceCount(std::size_t size);
};
