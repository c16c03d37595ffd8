#include "image/Deflate.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "image/Checksum.h"
#include "image/DeflateTables.h"

using namespace deflate_tables;

namespace {

const int kMinMatch = 3;
const int kMaxMatch = 258;
// A candidate lies at most this far back, and never at position 0 itself.
const size_t kWindow = 256;
// Matches are looked for from this position on; the first bytes are literals.
const size_t kFirstMatchPosition = 5;

// A token is a literal byte (< 256) or a match: length << 16 | distance.
inline uint32_t MatchToken(int length, int distance) {
    return (uint32_t)length << 16 | distance;
}

// One bit per possible 3-byte key: set once a position with that key has
// been passed. It only filters; candidates are always compared byte by byte.
class KeyBitmap {
public:
    bool Allocate() {
        bits_.reset(static_cast<uint64_t *>(calloc(kWords, sizeof(uint64_t))));
        return bits_ != nullptr;
    }
    void Clear() { memset(bits_.get(), 0, kWords * sizeof(uint64_t)); }
    void Set(uint32_t key) { bits_[key >> 6] |= uint64_t(1) << (key & 63); }
    bool Has(uint32_t key) const { return (bits_[key >> 6] >> (key & 63)) & 1; }

private:
    static const size_t kWords = (size_t(1) << 24) / 64;
    struct FreeDeleter {
        void operator()(uint64_t *p) const { free(p); }
    };
    std::unique_ptr<uint64_t[], FreeDeleter> bits_;
};

inline uint32_t KeyAt(const uint8_t *p) {
    return (uint32_t)p[0] << 16 | (uint32_t)p[1] << 8 | p[2];
}

// The nearest earlier position j in (max(0, i - 256), i) whose three bytes
// equal those at i, or 0 when there is none (0 is never a candidate). The
// caller guarantees i + 2 < size.
size_t NearestCandidate(const uint8_t *data, size_t i) {
    const size_t first = (i > kWindow ? i - kWindow : 0) + 1;  // lowest candidate
    size_t end = i;                                            // search [first, end)
#if defined(__SSE2__)
    // Sixteen candidates per step, nearest block first. A block [s, s + 16)
    // reads up to data[s + 17] = data[end + 1], within bounds since end <= i.
    const __m128i k0 = _mm_set1_epi8(char(data[i]));
    const __m128i k1 = _mm_set1_epi8(char(data[i + 1]));
    const __m128i k2 = _mm_set1_epi8(char(data[i + 2]));
    while (end > first && end >= 16) {
        size_t s = end - 16;
        const __m128i *p = reinterpret_cast<const __m128i *>(data + s);
        __m128i eq = _mm_and_si128(
            _mm_cmpeq_epi8(_mm_loadu_si128(p), k0),
            _mm_and_si128(
                _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(data + s + 1)),
                               k1),
                _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(data + s + 2)),
                               k2)));
        uint32_t mask = uint32_t(_mm_movemask_epi8(eq));
        if (s < first) mask &= ~((1u << (first - s)) - 1);
        if (mask) return s + (31 - __builtin_clz(mask));
        end = s;
    }
#endif
    for (size_t j = end; j-- > first;) {
        if (data[j] == data[i] && data[j + 1] == data[i + 1] && data[j + 2] == data[i + 2])
            return j;
    }
    return 0;
}

// Fills `tokens`; returns the number written, or `capacity` + 1 when the
// buffer is too small.
size_t Tokenise(const uint8_t *data, size_t size, uint32_t *tokens, size_t capacity,
                KeyBitmap &keys) {
    size_t count = 0;
    size_t i = 0;
    while (i < size) {
        if (count == capacity) return capacity + 1;
        int length = 0;
        size_t j = 0;
        if (i >= kFirstMatchPosition && i + kMinMatch <= size && keys.Has(KeyAt(data + i))) {
            j = NearestCandidate(data, i);
            if (j != 0) {
                size_t limit = size - i < size_t(kMaxMatch) ? size - i : size_t(kMaxMatch);
                length = kMinMatch;
                while (size_t(length) < limit && data[j + length] == data[i + length]) length++;
            }
        }
        size_t advance = length ? size_t(length) : 1;
        tokens[count++] = length ? MatchToken(length, int(i - j)) : data[i];
        // Every position passed so far, the match's own included, is recorded.
        size_t stop = i + advance;
        size_t keyed = size >= size_t(kMinMatch) ? size - kMinMatch + 1 : 0;
        for (size_t p = i; p < stop && p < keyed; p++) keys.Set(KeyAt(data + p));
        i = stop;
    }
    return count;
}

// Little-endian bit packer over a buffer sized in advance for the worst case.
class BitWriter {
public:
    explicit BitWriter(uint8_t *out) : out_(out) {}
    void Put(uint32_t bits, int count) {
        acc_ |= uint64_t(bits) << used_;
        used_ += count;
        if (used_ >= 32) {
            for (int k = 0; k < 4; k++) *out_++ = uint8_t(acc_ >> (8 * k));
            acc_ >>= 32;
            used_ -= 32;
        }
    }
    // Writes the partly filled last byte, if any; returns the end of the data.
    uint8_t *Finish() {
        while (used_ > 0) {
            *out_++ = uint8_t(acc_);
            acc_ >>= 8;
            used_ -= 8;
        }
        used_ = 0;
        return out_;
    }

private:
    uint8_t *out_;
    uint64_t acc_ = 0;
    int used_ = 0;
};

uint32_t Reverse(uint32_t code, int length) {
    uint32_t r = 0;
    for (int k = 0; k < length; k++) r |= ((code >> k) & 1) << (length - 1 - k);
    return r;
}

// The fixed Huffman code, bit-reversed for the little-endian packer, with
// the symbol's length and the extra bits folded in for lengths 3..258.
struct FixedCode {
    uint16_t literal[288];
    uint8_t literalBits[288];
    uint16_t lengthSymbol[kMaxMatch + 1];
    uint16_t distanceSymbol[kWindow];
    FixedCode() {
        // First codes of the four runs of the canonical fixed code.
        for (int s = 0; s < 288; s++) {
            int len = FixedLiteralLength(s);
            uint32_t code = s < 144   ? 0x30 + s
                            : s < 256 ? 0x190 + (s - 144)
                            : s < 280 ? s - 256
                                      : 0xC0 + (s - 280);
            literal[s] = uint16_t(Reverse(code, len));
            literalBits[s] = uint8_t(len);
        }
        for (int len = kMinMatch, c = 0; len <= kMaxMatch; len++) {
            while (c < 28 && kLengthBase[c + 1] <= len) c++;
            lengthSymbol[len] = uint16_t(c);
        }
        for (size_t d = 1, c = 0; d < kWindow; d++) {
            while (c < 29 && kDistanceBase[c + 1] <= d) c++;
            distanceSymbol[d] = uint16_t(c);
        }
    }
};

void PutToken(BitWriter &bw, const FixedCode &fc, uint32_t token) {
    if (token < 256) {
        bw.Put(fc.literal[token], fc.literalBits[token]);
        return;
    }
    int length = int(token >> 16), distance = int(token & 0xFFFF);
    int lc = fc.lengthSymbol[length];
    bw.Put(fc.literal[257 + lc], fc.literalBits[257 + lc]);
    if (kLengthExtra[lc]) bw.Put(length - kLengthBase[lc], kLengthExtra[lc]);
    int dc = fc.distanceSymbol[distance];
    bw.Put(Reverse(dc, 5), 5);
    if (kDistanceExtra[dc]) bw.Put(distance - kDistanceBase[dc], kDistanceExtra[dc]);
}

}  // namespace

std::vector<uint32_t> DeflateTokens(const uint8_t *data, size_t size) {
    KeyBitmap keys;
    std::vector<uint32_t> tokens(size);
    if (!keys.Allocate()) return {};
    tokens.resize(Tokenise(data, size, tokens.data(), size, keys));
    return tokens;
}

int Deflate(const uint8_t *data, size_t size, std::vector<uint8_t> *out,
            const DeflateOptions &options, DeflateStats *stats) {
    KeyBitmap keys;
    if (!keys.Allocate()) return 0;
    // Never starts from zero entries, so doubling always makes progress.
    size_t capacity = options.initialTokenCapacity ? options.initialTokenCapacity : 4 * size;
    if (capacity == 0) capacity = 1;
    int restarts = 0;
    std::unique_ptr<uint32_t[]> tokens;
    size_t count;
    for (;;) {
        tokens.reset(new (std::nothrow) uint32_t[capacity]);
        if (!tokens) return 0;
        count = Tokenise(data, size, tokens.get(), capacity, keys);
        if (count <= capacity) break;
        capacity *= 2;
        restarts++;
        keys.Clear();
    }

    static_assert(kDeflateBlockTokens > 0, "blocks hold tokens");
    // Even empty input gets one (final, empty) block.
    size_t blocks = count ? (count + kDeflateBlockTokens - 1) / kDeflateBlockTokens : 1;
    // At most 31 bits per token, 10 per block header and end code.
    size_t bound = (count * 31 + blocks * 10) / 8 + 8;
    size_t start = out->size();
    out->resize(start + bound);
    FixedCode fc;
    BitWriter bw(out->data() + start);
    for (size_t b = 0; b < blocks; b++) {
        size_t first = b * kDeflateBlockTokens;
        size_t last = first + kDeflateBlockTokens < count ? first + kDeflateBlockTokens : count;
        bool final = b + 1 == blocks;
        bw.Put(final ? 1 : 0, 1);
        bw.Put(1, 2);  // fixed Huffman codes
        for (size_t t = first; t < last; t++) PutToken(bw, fc, tokens[t]);
        bw.Put(fc.literal[256], fc.literalBits[256]);
    }
    // The last byte is written only if bits were put in it: a whole number of
    // bytes must not grow a stray byte before the checksum that follows.
    uint8_t *end = bw.Finish();
    out->resize(end - out->data());
    if (stats) {
        stats->tokens = count;
        stats->blocks = blocks;
        stats->restarts = restarts;
    }
    return 1;
}

int ZlibCompress(const uint8_t *data, size_t size, std::vector<uint8_t> *out,
                 const DeflateOptions &options, DeflateStats *stats) {
    out->clear();
    out->push_back(0x78);
    out->push_back(0x9C);
    if (!Deflate(data, size, out, options, stats)) return 0;
    uint32_t adler = Adler32(1, data, size);
    for (int shift = 24; shift >= 0; shift -= 8) out->push_back(uint8_t(adler >> shift));
    return 1;
}
