#pragma once

// DEFLATE decompression (stored, fixed and dynamic Huffman blocks) for the
// PNG reader. Every input is treated as hostile: lengths, codes and
// distances are checked, and the output never grows past a given limit.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Replaces `*out` with the data of the raw DEFLATE stream `in`. Output
// beyond `maxOut` bytes is an error. On success `*consumed` (when given)
// receives the number of input bytes up to the end of the last block. On
// failure returns 0 and puts a short reason in `*error` (when given).
// `expectedSize`, when known, sizes the output buffer in one go.
int Inflate(const uint8_t *in, size_t size, std::vector<uint8_t> *out, size_t maxOut,
            size_t *consumed = nullptr, std::string *error = nullptr, size_t expectedSize = 0);

// The same for a zlib stream: checks the 2-byte header (DEFLATE, no preset
// dictionary) and the Adler-32 of the data that follows the last block.
int ZlibUncompress(const uint8_t *in, size_t size, std::vector<uint8_t> *out, size_t maxOut,
                   std::string *error = nullptr, size_t expectedSize = 0);
