// The reader's inflater, against zlib's compressor and hand-made streams.
#include "image/Inflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "PngOracle.h"
#include "image/Deflate.h"

namespace {

const size_t kNoLimit = size_t(1) << 30;

std::vector<std::vector<uint8_t>> Samples() {
    std::vector<std::vector<uint8_t>> s;
    s.push_back({});
    s.push_back({0});
    s.push_back(RandomBytes(70000, 2));
    std::vector<uint8_t> text;
    for (int i = 0; i < 3000; i++) {
        const char *words[] = {"domino ", "double six ", "boneyard ", "pass ", "\n"};
        for (const char *c = words[(i * 7 + i / 5) % 5]; *c; c++) text.push_back(uint8_t(*c));
    }
    s.push_back(text);
    s.push_back(PhotoLikeImage(300, 200, 4).pixels);
    s.push_back(FlatImage(400, 300).pixels);
    s.push_back(std::vector<uint8_t>(100000, 0xAB));
    return s;
}

TEST(Inflate, ReadsZlibStreamsOfEveryLevelAndStrategy) {
    const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
    for (const std::vector<uint8_t> &data : Samples()) {
        for (int level = 0; level <= 9; level++) {
            for (int strategy : strategies) {
                std::vector<uint8_t> stream = ZlibDeflate(data, level, strategy), out;
                std::string error;
                ASSERT_TRUE(ZlibUncompress(stream.data(), stream.size(), &out, kNoLimit, &error))
                    << "level " << level << " strategy " << strategy << ": " << error;
                ASSERT_EQ(out, data) << "level " << level << " strategy " << strategy;
            }
        }
    }
}

TEST(Inflate, ReadsOurOwnCompressor) {
    for (const std::vector<uint8_t> &data : Samples()) {
        std::vector<uint8_t> stream, out;
        ASSERT_TRUE(ZlibCompress(data.data(), data.size(), &stream));
        ASSERT_TRUE(ZlibUncompress(stream.data(), stream.size(), &out, kNoLimit));
        EXPECT_EQ(out, data);
    }
}

TEST(Inflate, EveryCutShortStreamFails) {
    std::vector<uint8_t> data = PhotoLikeImage(40, 30, 1).pixels;
    for (int level : {0, 1, 9}) {
        std::vector<uint8_t> raw = ZlibDeflate(data, level, Z_DEFAULT_STRATEGY, true), out;
        for (size_t n = 0; n < raw.size(); n++) {
            std::string error;
            ASSERT_FALSE(Inflate(raw.data(), n, &out, kNoLimit, nullptr, &error))
                << "level " << level << ", " << n << " of " << raw.size() << " bytes";
            EXPECT_TRUE(out.empty());
            EXPECT_FALSE(error.empty());
        }
    }
    // The fixed code's end of block is seven zero bits: a stream cut just
    // before its last byte must not be completed by imagined zeros.
    std::vector<uint8_t> raw;
    for (size_t n = 1; n < 40; n++) {
        raw.clear();
        std::vector<uint8_t> data = RandomBytes(n, uint32_t(n));
        ASSERT_TRUE(Deflate(data.data(), data.size(), &raw));
        std::vector<uint8_t> out;
        EXPECT_FALSE(Inflate(raw.data(), raw.size() - 1, &out, kNoLimit)) << n;
        EXPECT_TRUE(Inflate(raw.data(), raw.size(), &out, kNoLimit)) << n;
    }
}

TEST(Inflate, ReportsWhereTheStreamEnds) {
    std::vector<uint8_t> data = RandomBytes(3000, 8);
    for (int level : {0, 6}) {
        std::vector<uint8_t> raw = ZlibDeflate(data, level, Z_DEFAULT_STRATEGY, true), out;
        size_t end = raw.size();
        raw.insert(raw.end(), {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
        size_t consumed = 0;
        ASSERT_TRUE(Inflate(raw.data(), raw.size(), &out, kNoLimit, &consumed));
        EXPECT_EQ(consumed, end);
        EXPECT_EQ(out, data);
    }
}

TEST(Inflate, StopsAtTheOutputLimit) {
    std::vector<uint8_t> data(50000, 'q');
    std::vector<uint8_t> stream = ZlibDeflate(data, 9, Z_DEFAULT_STRATEGY), out;
    std::string error;
    EXPECT_FALSE(ZlibUncompress(stream.data(), stream.size(), &out, 49999, &error));
    EXPECT_EQ(error, "output too large");
    EXPECT_TRUE(ZlibUncompress(stream.data(), stream.size(), &out, 50000));
    // A wrong size hint only costs a reallocation.
    EXPECT_TRUE(ZlibUncompress(stream.data(), stream.size(), &out, 50000, nullptr, 10));
    EXPECT_EQ(out, data);
}

// Writes DEFLATE bit fields, least significant bit first.
class Bits {
public:
    Bits &Put(uint32_t value, int n) {
        for (int k = 0; k < n; k++) PutBit((value >> k) & 1);
        return *this;
    }
    // A Huffman code, most significant bit first.
    Bits &Code(uint32_t code, int n) {
        for (int k = n - 1; k >= 0; k--) PutBit((code >> k) & 1);
        return *this;
    }
    Bits &Align() {
        while (used_ % 8) PutBit(0);
        return *this;
    }
    Bits &Byte(uint8_t b) { return Align().Put(b, 8); }
    std::vector<uint8_t> bytes;

private:
    void PutBit(int b) {
        if (used_ % 8 == 0) bytes.push_back(0);
        bytes.back() |= uint8_t(b << (used_ % 8));
        used_++;
    }
    size_t used_ = 0;
};

std::string InflateError(const std::vector<uint8_t> &raw, std::vector<uint8_t> *out = nullptr) {
    std::vector<uint8_t> scratch;
    std::string error;
    if (Inflate(raw.data(), raw.size(), out ? out : &scratch, kNoLimit, nullptr, &error))
        return "ok";
    return error;
}

// Fixed-code helpers: literal 'A' (0x41) is 0x30 + 0x41 on 8 bits, the end
// code is seven zero bits.
Bits &FixedLiteral(Bits &b, int c) {
    return c < 144 ? b.Code(0x30 + c, 8) : b.Code(0x190 + c - 144, 9);
}

TEST(Inflate, RefusesMalformedBlocks) {
    // A stored block whose length and its complement disagree.
    Bits stored;
    stored.Put(1, 1).Put(0, 2).Byte(3).Byte(0).Byte(0xFC).Byte(0xFF).Byte('a').Byte('b').Byte('c');
    std::vector<uint8_t> out;
    EXPECT_EQ(InflateError(stored.bytes, &out), "ok");
    EXPECT_EQ(std::string(out.begin(), out.end()), "abc");
    stored.bytes[3] = 0xFD;
    EXPECT_EQ(InflateError(stored.bytes), "bad stored block length");

    Bits reserved;
    reserved.Put(1, 1).Put(3, 2).Put(0, 16);
    EXPECT_EQ(InflateError(reserved.bytes), "invalid block type");

    // A distance reaching before the start of the output.
    Bits far;
    far.Put(1, 1).Put(1, 2);
    FixedLiteral(far, 'A');
    far.Code(1, 7).Code(1, 5);  // length 3, distance 2
    far.Code(0, 7).Put(0, 8);
    EXPECT_EQ(InflateError(far.bytes), "distance too far back");

    // Length symbols 286 and 287 and distance codes 30 and 31 exist in the
    // fixed code but mean nothing.
    Bits len286;
    len286.Put(1, 1).Put(1, 2);
    FixedLiteral(len286, 'A');
    len286.Code(0xC6, 8).Put(0, 16);
    EXPECT_EQ(InflateError(len286.bytes), "invalid literal/length code");
    Bits dist30;
    dist30.Put(1, 1).Put(1, 2);
    FixedLiteral(dist30, 'A');
    dist30.Code(1, 7).Code(30, 5).Put(0, 16);
    EXPECT_EQ(InflateError(dist30.bytes), "invalid distance code");

    // A match that overlaps its own output repeats the pattern.
    Bits run;
    run.Put(1, 1).Put(1, 2);
    FixedLiteral(run, 'x');
    FixedLiteral(run, 'y');
    run.Code(4, 7).Code(1, 5);  // length 6, distance 2
    run.Code(0, 7);
    EXPECT_EQ(InflateError(run.bytes, &out), "ok");
    EXPECT_EQ(std::string(out.begin(), out.end()), "xyxyxyxy");
}

// A final dynamic block's header for the given literal/length and distance
// code lengths. The code-length code gives symbols 0..15 four bits each (a
// complete code), so each length is sent as its own 4-bit code.
Bits DynamicHeader(const std::vector<uint8_t> &lit, const std::vector<uint8_t> &dist) {
    Bits b;
    b.Put(1, 1).Put(2, 2);
    b.Put(uint32_t(lit.size() - 257), 5).Put(uint32_t(dist.size() - 1), 5).Put(19 - 4, 4);
    const int order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    for (int k = 0; k < 19; k++) b.Put(order[k] < 16 ? 4 : 0, 3);
    for (uint8_t len : lit) b.Code(len, 4);
    for (uint8_t len : dist) b.Code(len, 4);
    return b;
}

TEST(Inflate, RefusesBadHuffmanTables) {
    // The smallest complete code: 'a' and the end code, one bit each.
    std::vector<uint8_t> lit(257, 0), dist(1, 0);
    lit['a'] = 1;
    lit[256] = 1;
    Bits good = DynamicHeader(lit, dist);
    good.Code(0, 1).Code(0, 1).Code(1, 1);  // "aa", end
    std::vector<uint8_t> out;
    EXPECT_EQ(InflateError(good.bytes, &out), "ok");
    EXPECT_EQ(std::string(out.begin(), out.end()), "aa");

    std::vector<uint8_t> over = lit;
    over['b'] = 1;  // three 1-bit codes
    Bits b1 = DynamicHeader(over, dist);
    b1.Put(0, 16);
    EXPECT_EQ(InflateError(b1.bytes), "over-subscribed Huffman code");

    std::vector<uint8_t> incomplete = lit;
    incomplete[256] = 2;  // one 1-bit and one 2-bit code
    Bits b2 = DynamicHeader(incomplete, dist);
    b2.Put(0, 16);
    EXPECT_EQ(InflateError(b2.bytes), "incomplete Huffman code");

    std::vector<uint8_t> noEnd(257, 0);
    noEnd['a'] = 1;
    noEnd['b'] = 1;
    Bits b3 = DynamicHeader(noEnd, dist);
    b3.Put(0, 16);
    EXPECT_EQ(InflateError(b3.bytes), "no end-of-block code");

    // A single one-bit distance code is allowed.
    std::vector<uint8_t> withLength = lit, oneDist(1, 1);
    withLength.resize(258);
    withLength['a'] = 2;
    withLength[256] = 2;
    withLength[257] = 1;  // length 3
    Bits b4 = DynamicHeader(withLength, oneDist);
    b4.Code(2, 2).Code(0, 1).Code(0, 1).Code(3, 2);  // 'a', length 3 distance 1, end
    EXPECT_EQ(InflateError(b4.bytes, &out), "ok");
    EXPECT_EQ(std::string(out.begin(), out.end()), "aaaa");

    // Too many literal/length codes (287) in the header.
    Bits b5;
    b5.Put(1, 1).Put(2, 2).Put(30, 5).Put(0, 5).Put(0, 4).Put(0, 32);
    EXPECT_EQ(InflateError(b5.bytes), "too many length or distance codes");

    // A repeat of the previous length with no previous length.
    Bits b6;
    b6.Put(1, 1).Put(2, 2).Put(0, 5).Put(0, 5).Put(0, 4);
    // Code-length code: only 16 and 17 present, 1 bit each.
    b6.Put(1, 3).Put(1, 3).Put(0, 3).Put(0, 3);
    b6.Code(0, 1).Put(0, 2).Put(0, 32);
    EXPECT_EQ(InflateError(b6.bytes), "repeat of no code length");
}

TEST(Inflate, RefusesBadZlibWrappers) {
    std::vector<uint8_t> data = RandomBytes(500, 3);
    std::vector<uint8_t> stream = ZlibDeflate(data, 6, Z_DEFAULT_STRATEGY), out;
    std::string error;
    std::vector<uint8_t> bad = stream;
    bad[0] = 0x79;  // not DEFLATE
    EXPECT_FALSE(ZlibUncompress(bad.data(), bad.size(), &out, kNoLimit, &error));
    EXPECT_EQ(error, "bad zlib header");
    bad = stream;
    bad[1] ^= 1;  // header check fails
    EXPECT_FALSE(ZlibUncompress(bad.data(), bad.size(), &out, kNoLimit, &error));
    bad = stream;
    bad.back() ^= 0x40;
    EXPECT_FALSE(ZlibUncompress(bad.data(), bad.size(), &out, kNoLimit, &error));
    EXPECT_EQ(error, "data checksum mismatch");
    EXPECT_TRUE(out.empty());
    bad.assign(stream.begin(), stream.end() - 2);
    EXPECT_FALSE(ZlibUncompress(bad.data(), bad.size(), &out, kNoLimit, &error));
    EXPECT_FALSE(ZlibUncompress(stream.data(), 1, &out, kNoLimit, &error));
    EXPECT_FALSE(ZlibUncompress(nullptr, 0, &out, kNoLimit, &error));
}

}  // namespace
