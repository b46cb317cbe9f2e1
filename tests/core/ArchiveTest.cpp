#include "core/Archive.h"
#include "Truncations.h"

#include "ByteWriter.h"
#include "LargestAllocation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string Pattern(std::size_t length) {
    std::string text(length, '\0');
    for (std::size_t i = 0; i < length; ++i) {
        text[i] = static_cast<char>('a' + i % 26);
    }
    return text;
}

Bytes Concat(Bytes head, const std::string& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

struct Outcome {
    bool endOfFile = false;
    std::size_t largestAllocation = 0;
};

// Runs f and records whether it hit the end of the file and the largest single heap
// request it made; without the sanitizer runtime no request is seen and the size is 0.
template <typename F> Outcome Observe(F f) {
    Outcome outcome;
    outcome.largestAllocation = LargestAllocationOf([&] {
        try {
            f();
        } catch (const ArchiveEndOfFile&) {
            outcome.endOfFile = true;
        }
    });
    return outcome;
}

TEST(Archive, IntegersAndDoublesAreLittleEndian) {
    struct IntCase {
        std::int32_t value;
        Bytes bytes;
    };
    const IntCase ints[] = {
        {0, {0x00, 0x00, 0x00, 0x00}},
        {1, {0x01, 0x00, 0x00, 0x00}},
        {-1, {0xFF, 0xFF, 0xFF, 0xFF}},
        {0x12345678, {0x78, 0x56, 0x34, 0x12}},
        {std::numeric_limits<std::int32_t>::min(), {0x00, 0x00, 0x00, 0x80}},
    };
    for (const IntCase& c : ints) {
        Archive out;
        out.WriteInt32(c.value);
        EXPECT_EQ(out.Buffer(), c.bytes) << c.value;
        Archive in(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(in.ReadInt32(), c.value);
        EXPECT_EQ(in.Remaining(), 0u);
    }

    struct DoubleCase {
        double value;
        Bytes bytes;
    };
    const DoubleCase doubles[] = {
        {1.0, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0x3F}},
        {-2.5, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0xC0}},
        {0.1, {0x9A, 0x99, 0x99, 0x99, 0x99, 0x99, 0xB9, 0x3F}},
    };
    for (const DoubleCase& c : doubles) {
        Archive out;
        out.WriteDouble(c.value);
        EXPECT_EQ(out.Buffer(), c.bytes) << c.value;
        Archive in(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(in.ReadDouble(), c.value);
    }
}

TEST(Archive, StringLengthPrefixesAtTheirBoundaries) {
    struct Case {
        std::size_t length;
        Bytes prefix;
    };
    const Case cases[] = {
        {0, {0x00}},
        {1, {0x01}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {65533, {0xFF, 0xFD, 0xFF}},
        {65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
    };
    for (const Case& c : cases) {
        const std::string text = Pattern(c.length);
        const Bytes expected = Concat(c.prefix, text);

        Archive out;
        out.WriteString(text);
        EXPECT_EQ(out.Buffer(), expected) << "writing length " << c.length;

        // A value after the string shows that the reader stopped exactly at its end.
        Bytes file = expected;
        ByteWriter tail;
        tail.I32(-7);
        file.insert(file.end(), tail.bytes().begin(), tail.bytes().end());
        Archive in(file.data(), file.size());
        EXPECT_EQ(in.ReadString(), text) << "reading length " << c.length;
        EXPECT_EQ(in.ReadInt32(), -7) << c.length;
    }
}

TEST(Archive, ReaderTakesLongerPrefixesThanNeeded) {
    const Bytes sixteen = Concat({0xFF, 0x05, 0x00}, "hello");
    const Bytes thirtyTwo = Concat({0xFF, 0xFF, 0xFF, 0x03, 0x00, 0x00, 0x00}, "abc");
    Archive a(sixteen.data(), sixteen.size());
    EXPECT_EQ(a.ReadString(), "hello");
    Archive b(thirtyTwo.data(), thirtyTwo.size());
    EXPECT_EQ(b.ReadString(), "abc");
    EXPECT_EQ(b.Remaining(), 0u);
}

ByteWriter WideString(const std::u16string& units, const Bytes& prefix) {
    ByteWriter w;
    w.U8(0xFF).U16(0xFFFE).Bytes(prefix);
    for (char16_t unit : units) {
        w.U16(unit);
    }
    return w;
}

TEST(Archive, WideStringsBecomeTheEightBitCodePage) {
    struct Case {
        const char* name;
        std::u16string units;
        Bytes prefix;
        std::string expected;
    };
    const std::u16string threeHundred(300, u'\u00E9');
    const Case cases[] = {
        {"empty", u"", {0x00}, ""},
        {"ascii", u"Abc", {0x03}, "Abc"},
        {"latin-1 range", u"\u00E9\u00A0\u00FF", {0x03}, "\xE9\xA0\xFF"},
        {"windows-1252 extras", u"\u20AC\u0178\u2122", {0x03}, "\x80\x9F\x99"},
        {"outside the code page", u"x\u4E2Dy", {0x03}, "x?y"},
        {"surrogate pair is one character", u"a\U0001F600b", {0x04}, "a?b"},
        {"16-bit prefix", threeHundred, {0xFF, 0x2C, 0x01}, std::string(300, '\xE9')},
        {"32-bit prefix",
         u"x\u20AC\u00E9",
         {0xFF, 0xFF, 0xFF, 0x03, 0x00, 0x00, 0x00},
         "x\x80\xE9"},
    };
    for (const Case& c : cases) {
        ByteWriter w = WideString(c.units, c.prefix);
        w.I32(99);
        Archive in(w.bytes().data(), w.size());
        EXPECT_EQ(in.ReadString(), c.expected) << c.name;
        EXPECT_EQ(in.ReadInt32(), 99) << c.name;
    }
}

TEST(Archive, RawBlocksPassUnchanged) {
    const Bytes block = {0x00, 0xFF, 0x10, 0x80, 0x7F};
    Archive out;
    out.WriteBytes(block.data(), 0);
    out.WriteBytes(block.data(), block.size());
    out.WriteByte(0xAB);
    EXPECT_EQ(out.Buffer(), (Bytes{0x00, 0xFF, 0x10, 0x80, 0x7F, 0xAB}));

    const Bytes file = out.Buffer();
    Archive in(file.data(), file.size());
    std::uint8_t copy[3] = {};
    in.ReadBytes(copy, 3);
    EXPECT_EQ(Bytes(copy, copy + 3), (Bytes{0x00, 0xFF, 0x10}));
    const std::uint8_t* view = in.ReadView(1);
    EXPECT_EQ(view, file.data() + 3);
    in.Skip(1);
    EXPECT_EQ(in.ReadByte(), 0xAB);
    EXPECT_EQ(in.Remaining(), 0u);
}

// A sink archive hands over the same bytes as an in-memory one, in pieces of at most one
// chunk, except that a block larger than a chunk goes over whole and uncopied.
TEST(Archive, SinkReceivesTheSameBytesInChunks) {
    constexpr std::size_t kChunk = 1 << 20;
    const std::string big = Pattern(kChunk + 5);
    struct Case {
        const char* name;
        void (*write)(Archive&, const std::string&);
    };
    const Case cases[] = {
        {"nothing", [](Archive&, const std::string&) {}},
        {"small values",
         [](Archive& a, const std::string&) {
             a.WriteInt32(7);
             a.WriteString("abc");
             a.WriteDouble(2.5);
         }},
        {"values across chunks",
         [](Archive& a, const std::string&) {
             for (int i = 0; i < 300000; ++i) {
                 a.WriteInt32(i);
                 a.WriteByte(static_cast<std::uint8_t>(i));
             }
         }},
        {"block of exactly a chunk after a value",
         [](Archive& a, const std::string& b) {
             a.WriteByte(1);
             a.WriteBytes(b.data(), kChunk);
             a.WriteByte(2);
         }},
        {"block above a chunk between values",
         [](Archive& a, const std::string& b) {
             a.WriteString("head");
             a.WriteBytes(b.data(), b.size());
             a.WriteString("tail");
         }},
    };
    for (const Case& c : cases) {
        Archive memory;
        c.write(memory, big);
        Bytes received;
        std::size_t largestPiece = 0;
        const std::uint8_t* bigPassed = nullptr;
        Archive streamed([&](const std::uint8_t* data, std::size_t size) {
            received.insert(received.end(), data, data + size);
            largestPiece = std::max(largestPiece, size);
            if (size > kChunk) {
                bigPassed = data;
            }
            return true;
        });
        c.write(streamed, big);
        EXPECT_EQ(streamed.StoredSize(), memory.StoredSize()) << c.name;
        streamed.Flush();
        EXPECT_EQ(received, memory.Buffer()) << c.name;
        EXPECT_EQ(streamed.StoredSize(), memory.StoredSize()) << c.name;
        if (largestPiece > kChunk) {
            EXPECT_EQ(bigPassed, reinterpret_cast<const std::uint8_t*>(big.data())) << c.name;
        }
    }
}

// Once the sink refuses bytes the write throws and the sink is not called again.
TEST(Archive, RefusedBytesStopTheWrite) {
    int calls = 0;
    Archive out([&](const std::uint8_t*, std::size_t) {
        ++calls;
        return calls < 2;
    });
    int thrown = 0;
    for (int i = 0; i < 1000000 && thrown < 3; ++i) {
        try {
            out.WriteDouble(i);
        } catch (const ArchiveWriteFailed&) {
            ++thrown;
        }
    }
    EXPECT_EQ(thrown, 3);
    EXPECT_THROW(out.Flush(), ArchiveWriteFailed);
    EXPECT_EQ(calls, 2);
}

// Every kind of value, in the forms the reader knows.
Bytes MixedFile() {
    ByteWriter w;
    w.I32(5).F64(1.5).Str("abc");
    w.U8(0xFF).U16(300).Raw(Pattern(300).data(), 300);
    w.U8(0xFF).U16(0xFFFF).I32(3).Raw("xyz", 3);
    w.Bytes(WideString(u"\u00E9\u20AC", {0x02}).bytes());
    w.Bytes(WideString(u"q", {0xFF, 0x01, 0x00}).bytes());
    w.Bytes(WideString(u"r", {0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x00, 0x00}).bytes());
    w.U8(0x11).U8(0x22).U16(0x3344);
    w.Raw("block", 5);
    return w.bytes();
}

void ReadMixed(Archive& in) {
    EXPECT_EQ(in.ReadInt32(), 5);
    EXPECT_EQ(in.ReadDouble(), 1.5);
    EXPECT_EQ(in.ReadString(), "abc");
    EXPECT_EQ(in.ReadString(), Pattern(300));
    EXPECT_EQ(in.ReadString(), "xyz");
    EXPECT_EQ(in.ReadString(), "\xE9\x80");
    EXPECT_EQ(in.ReadString(), "q");
    EXPECT_EQ(in.ReadString(), "r");
    EXPECT_EQ(in.ReadByte(), 0x11);
    EXPECT_EQ(in.ReadByte(), 0x22);
    EXPECT_EQ(in.ReadUInt16(), 0x3344);
    char block[5];
    in.ReadBytes(block, sizeof block);
    EXPECT_EQ(std::string(block, sizeof block), "block");
}

TEST(Archive, EveryTruncationIsAnEndOfFileError) {
    const Bytes file = MixedFile();
    {
        Archive whole(file.data(), file.size());
        ReadMixed(whole);
        EXPECT_EQ(whole.Remaining(), 0u);
    }
    ForEachTruncation(file, [](const Bytes& head, std::size_t cut) {
        Archive in(head.data(), head.size());
        EXPECT_THROW(ReadMixed(in), ArchiveEndOfFile) << "cut at " << cut;
    });
}

TEST(Archive, ClaimedLengthBeyondTheFileFailsBeforeAllocating) {
    struct Case {
        const char* name;
        Bytes bytes;
    };
    const Case cases[] = {
        {"32-bit length", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 'b', 'c'}},
        {"32-bit length with the sign bit", {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x80, 'a'}},
        {"16-bit length", {0xFF, 0xFD, 0xFF, 'a', 'b'}},
        {"one-byte length", {0xFE, 'a'}},
        {"wide 32-bit length",
         {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 0}},
        {"wide 32-bit length, all bits",
         {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {"wide 16-bit length", {0xFF, 0xFE, 0xFF, 0xFF, 0xFD, 0xFF, 'a', 0}},
        {"wide odd byte", {0xFF, 0xFE, 0xFF, 0x02, 'a', 0, 'b'}},
    };
    for (const Case& c : cases) {
        Archive in(c.bytes.data(), c.bytes.size());
        const Outcome outcome = Observe([&] { (void)in.ReadString(); });
        EXPECT_TRUE(outcome.endOfFile) << c.name;
        EXPECT_LT(outcome.largestAllocation, 4096u) << c.name;
    }
    if (LargestAllocationKnown()) {
        // The hook does see large requests, so the check above can fail.
        EXPECT_GE(Observe([] { std::vector<char> big(1 << 20); }).largestAllocation,
                  std::size_t{1} << 20);
    }
}

} // namespace
