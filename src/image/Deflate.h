#pragma once

// The screenshot writer's compressor. It favours a short, predictable
// search over ratio: each position takes the nearest earlier match within
// 255 bytes, and every block uses the fixed Huffman codes.

#include <cstddef>
#include <cstdint>
#include <vector>

struct DeflateOptions {
    // Token buffer entries to start with; 0 means four per input byte. When
    // the buffer fills it is doubled and tokenising starts over.
    size_t initialTokenCapacity = 0;
};

// What one compression did, for tests and benchmarks.
struct DeflateStats {
    size_t tokens = 0;
    size_t blocks = 0;
    int restarts = 0;
};

// Tokens per fixed-Huffman block (the last block holds the rest).
const size_t kDeflateBlockTokens = 1024;

// The tokens the compressor would emit for `data`: a literal byte (< 256)
// or a match, length << 16 | distance. Exposed for tests.
std::vector<uint32_t> DeflateTokens(const uint8_t *data, size_t size);

// Appends raw DEFLATE data for `data` to `*out`. Returns 0 only when memory
// runs out.
int Deflate(const uint8_t *data, size_t size, std::vector<uint8_t> *out,
            const DeflateOptions &options = DeflateOptions(), DeflateStats *stats = nullptr);

// Replaces `*out` with a zlib stream: header 78 9C, the DEFLATE data, and
// the Adler-32 of `data`, most significant byte first.
int ZlibCompress(const uint8_t *data, size_t size, std::vector<uint8_t> *out,
                 const DeflateOptions &options = DeflateOptions(), DeflateStats *stats = nullptr);
