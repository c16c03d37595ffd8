#pragma once

#include <cstddef>
#include <cstdint>

// CRC-32 of PNG chunks and zip files (polynomial 0xEDB88320, initial value
// all ones, final complement). Start with crc = 0; the result of one call can
// be passed back in to continue over more data.
uint32_t Crc32(uint32_t crc, const uint8_t *data, size_t size);

// Adler-32 of zlib streams. Start with adler = 1; chainable like Crc32.
uint32_t Adler32(uint32_t adler, const uint8_t *data, size_t size);
