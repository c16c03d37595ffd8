// The screenshot compressor, checked against zlib's inflater.
#include "image/Deflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "PngOracle.h"
#include "image/Checksum.h"

namespace {

// Bytes whose 3-byte keys repeat only 256 positions apart, out of reach of
// the compressor's window: every byte becomes a literal token.
std::vector<uint8_t> NoMatches(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; i++) v[i] = uint8_t(i);
    return v;
}

// Number of DEFLATE blocks in a zlib stream, counted by zlib itself.
int CountBlocks(const std::vector<uint8_t> &stream, size_t rawSize) {
    z_stream zs{};
    inflateInit(&zs);
    std::vector<uint8_t> out(rawSize + 1);
    zs.next_in = const_cast<Bytef *>(stream.data());
    zs.avail_in = uInt(stream.size());
    zs.next_out = out.data();
    zs.avail_out = uInt(out.size());
    int blocks = 0, rc;
    do {
        rc = inflate(&zs, Z_BLOCK);
        // zlib stops before every block (bit 128 of data_type), the first
        // included, and ends the stream after the last one.
        if ((zs.data_type & 128) && !(zs.data_type & 64) && rc == Z_OK) blocks++;
    } while (rc == Z_OK);
    inflateEnd(&zs);
    return rc == Z_STREAM_END ? blocks : -1;
}

void ExpectZlibRoundTrip(const std::vector<uint8_t> &data, const char *what) {
    std::vector<uint8_t> stream, back;
    ASSERT_TRUE(ZlibCompress(data.data(), data.size(), &stream)) << what;
    ASSERT_GE(stream.size(), 6u) << what;
    EXPECT_EQ(stream[0], 0x78) << what;
    EXPECT_EQ(stream[1], 0x9C) << what;
    ASSERT_TRUE(ZlibInflate(stream, &back)) << what;
    EXPECT_EQ(back, data) << what;
    // The checksum is the stream's last four bytes: nothing follows it.
    uint32_t adler = uint32_t(adler32(1, data.data(), uInt(data.size())));
    size_t n = stream.size();
    EXPECT_EQ(
        uint32_t(stream[n - 4]) << 24 | stream[n - 3] << 16 | stream[n - 2] << 8 | stream[n - 1],
        adler)
        << what;
}

TEST(Deflate, ZlibInflatesEveryKindOfInput) {
    ExpectZlibRoundTrip({}, "empty");
    ExpectZlibRoundTrip({42}, "one byte");
    ExpectZlibRoundTrip(RandomBytes(100000, 1), "random");
    std::vector<uint8_t> runs(70000, 'a');
    ExpectZlibRoundTrip(runs, "one long run");
    std::vector<uint8_t> text;
    for (int i = 0; i < 5000; i++)
        for (const char *c = "the quick brown fox "; *c; c++) text.push_back(uint8_t(*c));
    ExpectZlibRoundTrip(text, "repeated phrase");
    Image photo = PhotoLikeImage(200, 150, 3);
    ExpectZlibRoundTrip(photo.pixels, "image-like");
    Image flat = FlatImage(300, 100);
    ExpectZlibRoundTrip(flat.pixels, "flat colours");
    // Short inputs around the first position that may match.
    for (size_t n = 2; n < 12; n++) ExpectZlibRoundTrip(std::vector<uint8_t>(n, 7), "short run");
}

TEST(Deflate, BlocksHoldAThousandAndTwentyFourTokens) {
    struct Case {
        size_t size;
        int blocks;
    } cases[] = {{0, 1}, {1, 1}, {1023, 1}, {1024, 1}, {1025, 2}, {2048, 2}, {2049, 3}};
    for (const Case &c : cases) {
        std::vector<uint8_t> data = NoMatches(c.size);
        ASSERT_EQ(DeflateTokens(data.data(), data.size()).size(), c.size);
        std::vector<uint8_t> stream;
        DeflateStats stats;
        ASSERT_TRUE(ZlibCompress(data.data(), data.size(), &stream, DeflateOptions(), &stats));
        EXPECT_EQ(CountBlocks(stream, data.size()), c.blocks) << c.size << " bytes";
        EXPECT_EQ(int(stats.blocks), c.blocks);
        ExpectZlibRoundTrip(data, "block boundary");
    }
}

TEST(Deflate, ByteAlignedEndAddsNoStrayByte) {
    // Literals 0..143 take 8 bits, 144..255 take 9; the block header and the
    // end code add 10. With six 9-bit literals the stream ends on a byte.
    for (size_t n = 1; n < 40; n++) {
        std::vector<uint8_t> data(n);
        size_t bits = 3 + 7;
        for (size_t i = 0; i < n; i++) {
            data[i] = uint8_t(i < 6 ? 144 + i : i);
            bits += data[i] < 144 ? 8 : 9;
        }
        std::vector<uint8_t> raw;
        ASSERT_TRUE(Deflate(data.data(), data.size(), &raw));
        EXPECT_EQ(raw.size(), (bits + 7) / 8) << n;
        std::vector<uint8_t> back;
        ASSERT_TRUE(ZlibInflate(raw, &back, true));
        EXPECT_EQ(back, data);
    }
}

TEST(Deflate, TokensTakeTheNearestMatchWithinTheWindow) {
    auto bytes = [](const char *s) { return std::vector<uint8_t>(s, s + strlen(s)); };
    // At 15, "abcd" at 1 would be longer, but "abcX" at 11 is nearer.
    std::vector<uint8_t> d = bytes("-abcdefghi-abcXabcd");
    std::vector<uint32_t> t = DeflateTokens(d.data(), d.size());
    ASSERT_EQ(t.size(), 15u);
    EXPECT_EQ(t[11], (3u << 16) | 10u);
    EXPECT_EQ(t[12], uint32_t('X'));
    EXPECT_EQ(t[13], (3u << 16) | 4u);
    EXPECT_EQ(t[14], uint32_t('d'));

    // No match before the sixth byte, even in a run.
    std::vector<uint8_t> run(5, 'z');
    EXPECT_EQ(DeflateTokens(run.data(), run.size()).size(), 5u);
    run.assign(300, 'z');
    t = DeflateTokens(run.data(), run.size());
    ASSERT_EQ(t.size(), 7u);  // 5 literals, 258 at distance 1, 37 at distance 1
    EXPECT_EQ(t[5], (258u << 16) | 1u);
    EXPECT_EQ(t[6], (37u << 16) | 1u);

    // A repeat 255 bytes back is found, 256 back is not, and position 0 is
    // never a candidate.
    std::vector<uint8_t> far = NoMatches(600);
    far[300] = far[45], far[301] = far[46], far[302] = far[47];
    t = DeflateTokens(far.data(), far.size());
    bool found = false;
    for (uint32_t tok : t) found |= tok == ((3u << 16) | 255u);
    EXPECT_TRUE(found);
    std::vector<uint8_t> zero = {'x', 'y', 'z', 1, 2, 3, 4, 5, 'x', 'y', 'z'};
    EXPECT_EQ(DeflateTokens(zero.data(), zero.size()).size(), zero.size());
}

// The tokenising rule written as plainly as possible: at each position from
// the sixth byte on, the nearest j in (max(0, i - 256), i) with the same
// three bytes, extended up to 258; keys of every passed position count.
std::vector<uint32_t> ReferenceTokens(const std::vector<uint8_t> &d) {
    std::vector<uint32_t> tokens;
    std::vector<bool> seen(1 << 24);
    size_t n = d.size(), i = 0;
    auto key = [&](size_t p) { return d[p] << 16 | d[p + 1] << 8 | d[p + 2]; };
    while (i < n) {
        size_t len = 0, best = 0;
        if (i >= 5 && i + 3 <= n && seen[key(i)]) {
            size_t low = i > 256 ? i - 256 : 0;
            for (size_t j = i - 1; j > low; j--) {
                if (key(j) == key(i)) {
                    best = j;
                    len = 3;
                    while (len < 258 && i + len < n && d[j + len] == d[i + len]) len++;
                    break;
                }
            }
        }
        size_t step = len ? len : 1;
        tokens.push_back(len ? uint32_t(len << 16 | (i - best)) : d[i]);
        for (size_t p = i; p < i + step; p++)
            if (p + 3 <= n) seen[key(p)] = true;
        i += step;
    }
    return tokens;
}

TEST(Deflate, TokensFollowTheRuleOnVariedData) {
    for (uint32_t seed = 1; seed <= 12; seed++) {
        std::vector<uint8_t> d = RandomBytes(3000 + seed * 97, seed);
        // Small alphabets give many near candidates, long runs and repeats
        // at every distance around the window's edge.
        int alphabet = seed % 4 == 0 ? 256 : seed % 4 == 1 ? 2 : seed % 4 == 2 ? 5 : 17;
        for (auto &b : d) b = uint8_t(b % alphabet);
        for (size_t k = 600; k + 300 < d.size(); k += 700)
            for (size_t m = 0; m < 40; m++) d[k + m] = d[k + m - 240 - seed * 2];
        EXPECT_EQ(DeflateTokens(d.data(), d.size()), ReferenceTokens(d)) << "seed " << seed;
    }
    Image photo = PhotoLikeImage(120, 40, 6);
    EXPECT_EQ(DeflateTokens(photo.pixels.data(), photo.pixels.size()),
              ReferenceTokens(photo.pixels));
}

TEST(Deflate, TokenBufferDoublesAndStartsOver) {
    std::vector<uint8_t> data = RandomBytes(5000, 9);
    for (size_t i = 2000; i < 3000; i++) data[i] = data[i - 100];
    std::vector<uint8_t> normal, small;
    DeflateStats normalStats, smallStats;
    ASSERT_TRUE(ZlibCompress(data.data(), data.size(), &normal, DeflateOptions(), &normalStats));
    DeflateOptions tiny;
    tiny.initialTokenCapacity = 3;
    ASSERT_TRUE(ZlibCompress(data.data(), data.size(), &small, tiny, &smallStats));
    EXPECT_EQ(normalStats.restarts, 0);
    EXPECT_GT(smallStats.restarts, 8);  // 3 -> 6 -> ... -> past 4000 tokens
    EXPECT_EQ(small, normal);
    std::vector<uint8_t> back;
    ASSERT_TRUE(ZlibInflate(small, &back));
    EXPECT_EQ(back, data);
}

TEST(Checksum, MatchesZlib) {
    std::vector<uint8_t> data = RandomBytes(100003, 5);
    for (size_t n :
         {size_t(0), size_t(1), size_t(7), size_t(8), size_t(5552), size_t(5553), size_t(100003)}) {
        EXPECT_EQ(Crc32(0, data.data(), n), uint32_t(crc32(0, data.data(), uInt(n)))) << n;
        EXPECT_EQ(Adler32(1, data.data(), n), uint32_t(adler32(1, data.data(), uInt(n)))) << n;
    }
    // Chaining over two pieces gives the checksum of the whole.
    EXPECT_EQ(Crc32(Crc32(0, data.data(), 1000), data.data() + 1000, 2000),
              Crc32(0, data.data(), 3000));
    EXPECT_EQ(Adler32(Adler32(1, data.data(), 1000), data.data() + 1000, 9000),
              Adler32(1, data.data(), 10000));
    const uint8_t iend[] = {'I', 'E', 'N', 'D'};
    EXPECT_EQ(Crc32(0, iend, 4), 0xAE426082u);
}

}  // namespace
