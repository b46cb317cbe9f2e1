#include "image/ParallelDeflate.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <limits>
#include <thread>

namespace {

// Deflates piece `index` of `count` into `out` and gives its Adler-32; false on a zlib
// failure.
bool DeflatePiece(const std::uint8_t* data, std::size_t size, std::size_t index, std::size_t count,
                  std::vector<std::uint8_t>& out, uLong& adler) {
    const std::size_t begin = index * ParallelDeflate::kPieceSize;
    const std::size_t length = std::min(ParallelDeflate::kPieceSize, size - begin);
    const bool first = index == 0;
    const bool last = index + 1 == count;
    adler = adler32(adler32(0L, nullptr, 0), data + begin, static_cast<uInt>(length));
    z_stream stream{};
    // The first piece carries the zlib header; the others are bare deflate data.
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, first ? MAX_WBITS : -MAX_WBITS, 8,
                     Z_DEFAULT_STRATEGY) != Z_OK) {
        return false;
    }
    bool ok = true;
    if (!first) {
        const std::size_t window = std::min(begin, ParallelDeflate::kWindow);
        ok =
            deflateSetDictionary(&stream, data + begin - window, static_cast<uInt>(window)) == Z_OK;
    }
    // Room for the worst case, the flush marker and the checksum, in a buffer the thread
    // keeps; the piece itself holds only what deflate made (a plot's megabyte shrinks to a
    // few kilobytes, and 300 pieces at their worst-case size would double a save's memory).
    thread_local std::vector<std::uint8_t> scratch;
    scratch.resize(deflateBound(&stream, static_cast<uLong>(length)) + 16);
    stream.next_in = const_cast<Bytef*>(data + begin);
    stream.avail_in = static_cast<uInt>(length);
    stream.next_out = scratch.data();
    stream.avail_out = static_cast<uInt>(scratch.size());
    if (ok) {
        const int flush = last ? Z_FINISH : Z_FULL_FLUSH;
        const int result = deflate(&stream, flush);
        ok = last ? result == Z_STREAM_END : result == Z_OK && stream.avail_in == 0;
    }
    out.reserve(stream.total_out + 4); // the checksum may follow on the last piece
    out.assign(scratch.data(), scratch.data() + stream.total_out);
    deflateEnd(&stream); // an unfinished piece's end reports that; it is meant to be
    return ok;
}

} // namespace

std::size_t ParallelDeflate::PieceCount(std::size_t size) {
    return std::max<std::size_t>(1, (size + kPieceSize - 1) / kPieceSize);
}

bool ParallelDeflate::Compress(const std::uint8_t* data, std::size_t size, Stream& out,
                               unsigned threads) {
    const std::size_t count = PieceCount(size);
    out.pieces.assign(count, {});
    out.size = 0;
    if (threads == 0) {
        threads = std::max(1u, std::thread::hardware_concurrency());
    }
    const std::size_t workers = std::min<std::size_t>(threads, count);
    std::vector<uLong> adlers(count);
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    const auto work = [&] {
        for (std::size_t i = next++; i < count && !failed; i = next++) {
            if (!DeflatePiece(data, size, i, count, out.pieces[i], adlers[i])) {
                failed = true;
            }
        }
    };
    std::vector<std::thread> pool;
    pool.reserve(workers - 1);
    for (std::size_t i = 1; i < workers; ++i) {
        pool.emplace_back(work);
    }
    work();
    for (std::thread& thread : pool) {
        thread.join();
    }
    if (failed) {
        out.pieces.clear();
        return false;
    }
    // A lone piece was a whole zlib stream with its own checksum; several pieces get the
    // checksum of the whole buffer, big-endian, after the last.
    if (count > 1) {
        uLong adler = adlers[0];
        for (std::size_t i = 1; i < count; ++i) {
            const std::size_t length = std::min(kPieceSize, size - i * kPieceSize);
            adler = adler32_combine(adler, adlers[i], static_cast<z_off_t>(length));
        }
        for (int shift = 24; shift >= 0; shift -= 8) {
            out.pieces.back().push_back(static_cast<std::uint8_t>(adler >> shift));
        }
    }
    for (const std::vector<std::uint8_t>& piece : out.pieces) {
        out.size += piece.size();
    }
    return true;
}
