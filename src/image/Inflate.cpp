#include "image/Inflate.h"

#include <cstring>

#include "image/Checksum.h"
#include "image/DeflateTables.h"

using namespace deflate_tables;

namespace {

// A decoding table entry packs what one code means, so that the hot loop
// needs a single lookup per symbol:
//   bits 0-4   bits the code takes (beyond the root bits, in a sub-table)
//   bits 5-7   kind
//   bits 8-12  extra bits of a length or distance (sub-table index bits for
//              a link)
//   bits 16-31 literal byte, length or distance base, or sub-table offset
enum Kind : uint32_t { kLiteral = 0, kBase = 1, kEndOfBlock = 2, kLink = 3, kInvalid = 4 };

constexpr uint32_t MakeEntry(uint32_t kind, uint32_t length, uint32_t extra, uint32_t value) {
    return value << 16 | extra << 8 | kind << 5 | length;
}
inline uint32_t EntryLength(uint32_t e) {
    return e & 31;
}
inline uint32_t EntryKind(uint32_t e) {
    return (e >> 5) & 7;
}
inline uint32_t EntryExtra(uint32_t e) {
    return (e >> 8) & 31;
}
inline uint32_t EntryValue(uint32_t e) {
    return e >> 16;
}

const int kMaxCodeLength = 15;
const int kLiteralRootBits = 10;
const int kDistanceRootBits = 8;
const int kCodeLengthRootBits = 7;
// Room for the root table and every sub-table a complete code can need. A
// sub-table of 2^k entries takes at least k + 1 codes, at most 32 entries
// for 6 codes under a 10-bit root: 286 symbols need under 1024 + 1526
// entries; 30 distance codes under an 8-bit root need under 256 + 480.
const int kTableCapacity = 4096;

// Bytes the output buffer keeps past its end so that matches can be copied
// eight bytes at a time.
const size_t kSlack = 16;

struct HuffmanTable {
    uint32_t entry[kTableCapacity];
    int rootBits = 0;
};

enum class CodeKind { kLiterals, kDistances, kCodeLengths };

// What symbol s of a code means, length field left 0.
uint32_t SymbolEntry(CodeKind kind, int s) {
    switch (kind) {
        case CodeKind::kLiterals:
            if (s < 256) return MakeEntry(kLiteral, 0, 0, s);
            if (s == 256) return MakeEntry(kEndOfBlock, 0, 0, 0);
            if (s <= 285) return MakeEntry(kBase, 0, kLengthExtra[s - 257], kLengthBase[s - 257]);
            return MakeEntry(kInvalid, 0, 0, 0);
        case CodeKind::kDistances:
            if (s < 30) return MakeEntry(kBase, 0, kDistanceExtra[s], kDistanceBase[s]);
            return MakeEntry(kInvalid, 0, 0, 0);
        case CodeKind::kCodeLengths:
            return MakeEntry(kLiteral, 0, 0, s);
    }
    return MakeEntry(kInvalid, 0, 0, 0);
}

uint32_t ReverseBits(uint32_t code, int length) {
    uint32_t r = 0;
    for (int k = 0; k < length; k++) r |= ((code >> k) & 1) << (length - 1 - k);
    return r;
}

// Builds the decoding table of a canonical Huffman code from its code
// lengths. Over-subscribed codes are refused, and so are incomplete ones,
// except a code with a single one-bit code (as a lone distance code is
// written) and a distance code with no codes at all. Unused table slots
// decode as invalid.
const char *BuildTable(HuffmanTable *t, const uint8_t *lengths, int n, CodeKind kind,
                       int rootBits) {
    int count[kMaxCodeLength + 1] = {0};
    for (int s = 0; s < n; s++) count[lengths[s]]++;
    count[0] = 0;
    int total = 0, left = 1, maxLength = 0;
    for (int len = 1; len <= kMaxCodeLength; len++) {
        left <<= 1;
        left -= count[len];
        if (left < 0) return "over-subscribed Huffman code";
        total += count[len];
        if (count[len]) maxLength = len;
    }
    t->rootBits = rootBits;
    const uint32_t invalid = MakeEntry(kInvalid, 0, 0, 0);
    for (int k = 0; k < (1 << rootBits); k++) t->entry[k] = invalid;
    if (total == 0) {
        return kind == CodeKind::kDistances ? nullptr : "empty Huffman code";
    }
    if (left > 0 && (kind == CodeKind::kCodeLengths || maxLength != 1))
        return "incomplete Huffman code";

    // First code of each length, as RFC 1951 assigns them.
    int next[kMaxCodeLength + 1] = {0};
    for (int len = 1, code = 0; len <= kMaxCodeLength; len++) {
        code = (code + count[len - 1]) << 1;
        next[len] = code;
    }

    const int rootSize = 1 << rootBits;
    uint8_t subBits[1 << kLiteralRootBits] = {0};
    uint32_t codes[320];
    for (int s = 0; s < n; s++) {
        int len = lengths[s];
        if (!len) continue;
        codes[s] = ReverseBits(next[len]++, len);
        if (len > rootBits) {
            uint32_t prefix = codes[s] & (rootSize - 1);
            int bits = len - rootBits;
            if (bits > subBits[prefix]) subBits[prefix] = uint8_t(bits);
        }
    }
    // Lay the sub-tables out after the root table.
    int cursor = rootSize;
    uint32_t offset[1 << kLiteralRootBits] = {0};
    for (int p = 0; p < rootSize; p++) {
        if (!subBits[p]) continue;
        if (cursor + (1 << subBits[p]) > kTableCapacity) return "Huffman table too large";
        offset[p] = cursor;
        t->entry[p] = MakeEntry(kLink, rootBits, subBits[p], cursor);
        for (int k = 0; k < (1 << subBits[p]); k++) t->entry[cursor + k] = invalid;
        cursor += 1 << subBits[p];
    }
    for (int s = 0; s < n; s++) {
        int len = lengths[s];
        if (!len) continue;
        uint32_t base = SymbolEntry(kind, s);
        if (len <= rootBits) {
            uint32_t e = base | len;
            for (uint32_t k = codes[s]; k < uint32_t(rootSize); k += 1u << len) t->entry[k] = e;
        } else {
            uint32_t prefix = codes[s] & (rootSize - 1);
            int own = len - rootBits;
            uint32_t e = base | own;
            uint32_t size = 1u << subBits[prefix];
            for (uint32_t k = codes[s] >> rootBits; k < size; k += 1u << own)
                t->entry[offset[prefix] + k] = e;
        }
    }
    return nullptr;
}

class Inflater {
public:
    Inflater(const uint8_t *in, size_t size, std::vector<uint8_t> *out, size_t maxOut,
             size_t firstSize)
        : start_(in), in_(in), end_(in + size), vec_(out), limit_(maxOut), first_(firstSize) {}

    const char *Run();
    // Input bytes up to the end of the last block.
    size_t Consumed() const {
        size_t realBits = size_t(in_ - start_) * 8 - (count_ - pad_ * 8);
        return (realBits + 7) / 8;
    }

private:
    // Fills the bit buffer to at least 56 bits. Returns false once the
    // stream has been read past its end.
    bool Refill() {
        if (end_ - in_ >= 8) {
            uint64_t w = 0;
            memcpy(&w, in_, 8);
            w = ToLittleEndian(w);
            bits_ |= w << count_;
            in_ += (63 - count_) >> 3;
            count_ |= 56;
            return true;
        }
        RefillSlow();
        return !Truncated();
    }
    // Near the end the input is padded with zero bytes; consuming any of
    // them means the stream was cut short, which Truncated() tells.
    void RefillSlow() {
        while (count_ <= 56) {
            uint64_t b = 0;
            if (in_ < end_)
                b = *in_++;
            else
                pad_++;
            bits_ |= b << count_;
            count_ += 8;
        }
    }
    bool Truncated() const { return pad_ * 8 > count_; }
    static uint64_t ToLittleEndian(uint64_t w) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        return __builtin_bswap64(w);
#else
        return w;
#endif
    }
    uint32_t Take(int n) {
        uint32_t v = uint32_t(bits_ & ((uint64_t(1) << n) - 1));
        bits_ >>= n;
        count_ -= n;
        return v;
    }
    uint32_t Need(int n) {
        if (int(count_) < n) Refill();
        return Take(n);
    }
    // Looks up the next code of `t`; the caller has refilled.
    uint32_t Decode(const HuffmanTable &t) {
        uint32_t e = t.entry[bits_ & ((1u << t.rootBits) - 1)];
        if (EntryKind(e) == kLink) {
            bits_ >>= t.rootBits;
            count_ -= t.rootBits;
            e = t.entry[EntryValue(e) + (bits_ & ((1u << EntryExtra(e)) - 1))];
        }
        bits_ >>= EntryLength(e);
        count_ -= EntryLength(e);
        return e;
    }
    bool Reserve(size_t more);
    const char *Stored();
    const char *ReadDynamicTables();
    void BuildFixedTables();
    const char *Codes();

    const uint8_t *start_, *in_, *end_;
    uint64_t bits_ = 0;
    uint32_t count_ = 0;
    uint32_t pad_ = 0;
    std::vector<uint8_t> *vec_;
    uint8_t *out_ = nullptr;
    size_t pos_ = 0;
    size_t room_ = 0;  // usable bytes of the buffer, slack excluded
    size_t limit_;
    size_t first_;  // first buffer size
    HuffmanTable lit_, dist_;
};

// Makes room for `more` bytes past pos_ (the caller has checked the limit).
bool Inflater::Reserve(size_t more) {
    if (pos_ + more <= room_ && out_) return true;
    size_t want = room_ ? room_ * 2 : first_;
    if (want < pos_ + more) want = pos_ + more;
    if (want > limit_) want = limit_;
    vec_->resize(want + kSlack);
    out_ = vec_->data();
    room_ = want;
    return true;
}

const char *Inflater::Stored() {
    // Back to a byte boundary; whole bytes still in the bit buffer are
    // handed back to the input.
    Take(count_ & 7);
    if (pad_ * 8 > count_) return "truncated stream";
    in_ -= count_ / 8 - pad_;
    bits_ = 0;
    count_ = 0;
    pad_ = 0;
    if (end_ - in_ < 4) return "truncated stream";
    uint32_t len = in_[0] | in_[1] << 8, nlen = in_[2] | in_[3] << 8;
    in_ += 4;
    if ((len ^ 0xFFFF) != nlen) return "bad stored block length";
    if (size_t(end_ - in_) < len) return "truncated stream";
    if (len > limit_ - pos_) return "output too large";
    Reserve(len);
    if (len) memcpy(out_ + pos_, in_, len);
    pos_ += len;
    in_ += len;
    return nullptr;
}

void Inflater::BuildFixedTables() {
    uint8_t lengths[288];
    for (int s = 0; s < 288; s++) lengths[s] = uint8_t(FixedLiteralLength(s));
    BuildTable(&lit_, lengths, 288, CodeKind::kLiterals, kLiteralRootBits);
    for (int s = 0; s < 32; s++) lengths[s] = 5;
    BuildTable(&dist_, lengths, 32, CodeKind::kDistances, kDistanceRootBits);
}

const char *Inflater::ReadDynamicTables() {
    static const uint8_t kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                       11, 4,  12, 3, 13, 2, 14, 1, 15};
    Refill();
    int nlit = int(Take(5)) + 257, ndist = int(Take(5)) + 1, nclen = int(Take(4)) + 4;
    if (nlit > 286 || ndist > 30) return "too many length or distance codes";
    uint8_t clen[19] = {0};
    for (int k = 0; k < nclen; k++) clen[kOrder[k]] = uint8_t(Need(3));
    HuffmanTable cl;
    if (const char *err = BuildTable(&cl, clen, 19, CodeKind::kCodeLengths, kCodeLengthRootBits))
        return err;
    uint8_t lengths[286 + 30];
    int n = 0;
    while (n < nlit + ndist) {
        if (!Refill()) return "truncated stream";
        uint32_t e = Decode(cl);
        if (EntryKind(e) != kLiteral) return "bad code length code";
        uint32_t sym = EntryValue(e);
        int repeat = 0;
        uint8_t value = 0;
        if (sym < 16) {
            lengths[n++] = uint8_t(sym);
            continue;
        } else if (sym == 16) {
            if (n == 0) return "repeat of no code length";
            value = lengths[n - 1];
            repeat = 3 + int(Take(2));
        } else if (sym == 17) {
            repeat = 3 + int(Take(3));
        } else {
            repeat = 11 + int(Take(7));
        }
        if (n + repeat > nlit + ndist) return "code lengths run past the end";
        memset(lengths + n, value, repeat);
        n += repeat;
    }
    if (lengths[256] == 0) return "no end-of-block code";
    if (const char *err = BuildTable(&lit_, lengths, nlit, CodeKind::kLiterals, kLiteralRootBits))
        return err;
    return BuildTable(&dist_, lengths + nlit, ndist, CodeKind::kDistances, kDistanceRootBits);
}

// Decodes one Huffman-coded block with the current tables. The decoder's
// state lives in locals here: stores into the output bytes could otherwise
// alias the members and force them back to memory on every symbol.
const char *Inflater::Codes() {
    uint64_t bits = bits_;
    uint32_t count = count_;
    const uint8_t *in = in_;
    const uint8_t *const end = end_;
    uint8_t *out = out_;
    size_t pos = pos_, room = room_;
    const uint32_t *lit = lit_.entry, *dist = dist_.entry;
    const int litRoot = lit_.rootBits, distRoot = dist_.rootBits;
    const uint64_t litMask = (1u << litRoot) - 1, distMask = (1u << distRoot) - 1;
    auto save = [&] {
        bits_ = bits;
        count_ = count;
        in_ = in;
        pos_ = pos;
    };
    auto load = [&] {
        bits = bits_;
        count = count_;
        in = in_;
        out = out_;
        room = room_;
    };
    auto consume = [&](uint32_t n) {
        bits >>= n;
        count -= n;
    };
    auto take = [&](uint32_t n) {
        uint32_t v = uint32_t(bits & ((uint64_t(1) << n) - 1));
        consume(n);
        return v;
    };
    const char *err = nullptr;
    for (;;) {
        if (end - in >= 8) {
            uint64_t w;
            memcpy(&w, in, 8);
            bits |= ToLittleEndian(w) << count;
            in += (63 - count) >> 3;
            count |= 56;
        } else {
            save();
            RefillSlow();
            load();
            if (Truncated()) {
                err = "truncated stream";
                break;
            }
        }
        uint32_t e = lit[bits & litMask];
        if (EntryKind(e) == kLiteral && room - pos >= 3) {
            // Root-table literals take at most 10 of the 56 bits: up to three
            // per refill. Anything else goes round again to refill first.
            consume(EntryLength(e));
            out[pos++] = uint8_t(EntryValue(e));
            e = lit[bits & litMask];
            if (EntryKind(e) != kLiteral) continue;
            consume(EntryLength(e));
            out[pos++] = uint8_t(EntryValue(e));
            e = lit[bits & litMask];
            if (EntryKind(e) != kLiteral) continue;
            consume(EntryLength(e));
            out[pos++] = uint8_t(EntryValue(e));
            continue;
        }
        if (EntryKind(e) == kLink) {
            consume(litRoot);
            e = lit[EntryValue(e) + (bits & ((1u << EntryExtra(e)) - 1))];
        }
        consume(EntryLength(e));
        uint32_t kind = EntryKind(e);
        if (kind == kLiteral) {
            if (pos >= room) {
                if (pos >= limit_) {
                    err = "output too large";
                    break;
                }
                save();
                Reserve(1);
                load();
            }
            out[pos++] = uint8_t(EntryValue(e));
            continue;
        }
        if (kind == kEndOfBlock) break;
        if (kind != kBase) {
            err = "invalid literal/length code";
            break;
        }
        size_t length = EntryValue(e) + take(EntryExtra(e));
        e = dist[bits & distMask];
        if (EntryKind(e) == kLink) {
            consume(distRoot);
            e = dist[EntryValue(e) + (bits & ((1u << EntryExtra(e)) - 1))];
        }
        consume(EntryLength(e));
        if (EntryKind(e) != kBase) {
            err = "invalid distance code";
            break;
        }
        size_t distance = EntryValue(e) + take(EntryExtra(e));
        if (distance > pos) {
            err = "distance too far back";
            break;
        }
        if (length > limit_ - pos) {
            err = "output too large";
            break;
        }
        if (length > room - pos) {
            save();
            Reserve(length);
            load();
        }
        uint8_t *dst = out + pos;
        const uint8_t *src = dst - distance;
        pos += length;
        if (distance >= 8) {
            // Eight bytes at a time; may run up to 7 bytes into the slack.
            uint8_t *stop = dst + length;
            do {
                memcpy(dst, src, 8);
                dst += 8;
                src += 8;
            } while (dst < stop);
        } else if (distance == 1) {
            memset(dst, *src, length);
        } else {
            for (size_t k = 0; k < length; k++) dst[k] = src[k];
        }
    }
    save();
    if (!err && Truncated()) err = "truncated stream";
    return err;
}

const char *Inflater::Run() {
    Reserve(0);
    bool final = false;
    bool fixedBuilt = false;
    while (!final) {
        if (!Refill()) return "truncated stream";
        final = Take(1);
        uint32_t type = Take(2);
        const char *err = nullptr;
        if (type == 0) {
            err = Stored();
        } else if (type == 1) {
            if (!fixedBuilt) BuildFixedTables();
            fixedBuilt = true;
            err = Codes();
        } else if (type == 2) {
            fixedBuilt = false;
            err = ReadDynamicTables();
            if (!err) err = Codes();
        } else {
            err = "invalid block type";
        }
        if (err) return err;
    }
    if (Truncated()) return "truncated stream";
    vec_->resize(pos_);
    return nullptr;
}

}  // namespace

int Inflate(const uint8_t *in, size_t size, std::vector<uint8_t> *out, size_t maxOut,
            size_t *consumed, std::string *error, size_t expectedSize) {
    out->clear();
    // No DEFLATE stream expands more than 1032 times (a 258-byte match in
    // two bits), so no buffer ever needs to be larger than this.
    size_t bound = size > (SIZE_MAX - 1024) / 1032 ? SIZE_MAX : size * 1032 + 1024;
    size_t limit = maxOut < bound ? maxOut : bound;
    size_t first = expectedSize ? expectedSize : size < 1024 ? 4096 : 4 * size;
    Inflater inflater(in, size, out, limit, first < limit ? first : limit);
    const char *err = inflater.Run();
    if (err) {
        out->clear();
        if (error) *error = err;
        return 0;
    }
    if (consumed) *consumed = inflater.Consumed();
    return 1;
}

int ZlibUncompress(const uint8_t *in, size_t size, std::vector<uint8_t> *out, size_t maxOut,
                   std::string *error, size_t expectedSize) {
    out->clear();
    auto fail = [&](const char *why) {
        out->clear();
        if (error) *error = why;
        return 0;
    };
    if (size < 2) return fail("truncated stream");
    if ((in[0] & 0x0F) != 8 || (in[0] >> 4) > 7 || ((in[0] << 8) | in[1]) % 31 != 0)
        return fail("bad zlib header");
    if (in[1] & 0x20) return fail("zlib preset dictionary not supported");
    size_t used = 0;
    std::string why;
    if (!Inflate(in + 2, size - 2, out, maxOut, &used, &why, expectedSize)) {
        if (error) *error = why;
        return 0;
    }
    const uint8_t *tail = in + 2 + used;
    if (size_t(in + size - tail) < 4) return fail("truncated stream (no checksum)");
    uint32_t want = uint32_t(tail[0]) << 24 | tail[1] << 16 | tail[2] << 8 | tail[3];
    if (Adler32(1, out->data(), out->size()) != want) return fail("data checksum mismatch");
    return 1;
}
