#include "image/ParallelDeflate.h"

#include <zlib.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

std::vector<std::uint8_t> Joined(const ParallelDeflate::Stream& stream) {
    std::vector<std::uint8_t> all;
    for (const auto& piece : stream.pieces) {
        all.insert(all.end(), piece.begin(), piece.end());
    }
    return all;
}

// A scanned graph: white with sparse dark lines; or noise, which deflate cannot shrink.
std::vector<std::uint8_t> Content(std::size_t size, bool noisy, unsigned seed) {
    std::vector<std::uint8_t> bytes(size, 0xFF);
    std::mt19937 random(seed);
    for (std::size_t i = 0; i < size; ++i) {
        if (noisy) {
            bytes[i] = static_cast<std::uint8_t>(random());
        } else if (i % 3001 < 9 || (i / 4096) % 97 == 0) {
            bytes[i] = static_cast<std::uint8_t>(i % 7 * 20);
        }
    }
    return bytes;
}

// Whatever the size — none, less than a piece, a piece exactly, pieces and a bit — and the
// number of threads, the stream inflates to the same bytes with the one-call uncompress, is
// the same stream for any number of threads, and is within 1 % (and a few bytes a piece) of
// what the one-call compress makes of the same bytes.
TEST(ParallelDeflate, OneStreamAnyReaderCanRead) {
    const std::size_t piece = ParallelDeflate::kPieceSize;
    struct Case {
        std::size_t size;
        bool noisy;
    };
    const Case cases[] = {{0, false},         {1, false},           {54, false},
                          {piece, false},     {piece + 1, false},   {3 * piece + 777, false},
                          {8 * piece, false}, {2 * piece + 5, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << (c.noisy ? " noisy" : " plot"));
        const std::vector<std::uint8_t> data = Content(c.size, c.noisy, 7);
        ParallelDeflate::Stream one;
        ParallelDeflate::Stream four;
        ASSERT_TRUE(ParallelDeflate::Compress(data.data(), data.size(), one, 1));
        ASSERT_TRUE(ParallelDeflate::Compress(data.data(), data.size(), four, 4));
        EXPECT_EQ(one.pieces.size(), ParallelDeflate::PieceCount(c.size));
        const std::vector<std::uint8_t> stream = Joined(four);
        EXPECT_EQ(stream.size(), four.size);
        EXPECT_EQ(Joined(one), stream) << "the cut depends on the size alone";

        std::vector<std::uint8_t> back(c.size + 1);
        uLongf length = static_cast<uLongf>(back.size());
        ASSERT_EQ(
            uncompress(back.data(), &length, stream.data(), static_cast<uLong>(stream.size())),
            Z_OK);
        ASSERT_EQ(length, c.size);
        back.resize(length);
        EXPECT_TRUE(back == data);

        uLongf single = compressBound(static_cast<uLong>(c.size));
        std::vector<std::uint8_t> reference(single);
        ASSERT_EQ(compress(reference.data(), &single, data.data(), static_cast<uLong>(c.size)),
                  Z_OK);
        // Each cut costs a flush marker and a fresh block header: a few bytes, which only
        // count against streams of a few kilobytes.
        EXPECT_LE(static_cast<double>(stream.size()),
                  1.01 * static_cast<double>(single) +
                      32.0 * static_cast<double>(four.pieces.size()));
    }
}

// A damaged stream is refused by the reader: the checksum covers every piece.
TEST(ParallelDeflate, TheChecksumCoversEveryPiece) {
    const std::vector<std::uint8_t> data = Content(3 * ParallelDeflate::kPieceSize, false, 3);
    ParallelDeflate::Stream stream;
    ASSERT_TRUE(ParallelDeflate::Compress(data.data(), data.size(), stream, 2));
    std::vector<std::uint8_t> bytes = Joined(stream);
    bytes[bytes.size() - 2] ^= 0x01;
    std::vector<std::uint8_t> back(data.size());
    uLongf length = static_cast<uLongf>(back.size());
    EXPECT_EQ(uncompress(back.data(), &length, bytes.data(), static_cast<uLong>(bytes.size())),
              Z_DATA_ERROR);
}

} // namespace
