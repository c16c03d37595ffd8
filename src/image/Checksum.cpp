#include "image/Checksum.h"

#include <cstring>

namespace {

// Eight tables of 256 entries let the CRC consume eight bytes per step; the
// first is the classic byte-at-a-time table. Built on first use.
struct CrcTables {
    uint32_t t[8][256];
    CrcTables() {
        for (uint32_t n = 0; n < 256; n++) {
            uint32_t c = n;
            for (int k = 0; k < 8; k++) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[0][n] = c;
        }
        for (uint32_t n = 0; n < 256; n++) {
            for (int k = 1; k < 8; k++) t[k][n] = (t[k - 1][n] >> 8) ^ t[0][t[k - 1][n] & 0xFF];
        }
    }
};

const CrcTables &Tables() {
    static const CrcTables tables;
    return tables;
}

}  // namespace

uint32_t Crc32(uint32_t crc, const uint8_t *data, size_t size) {
    const CrcTables &tb = Tables();
    uint32_t c = ~crc;
    while (size >= 8) {
        uint32_t lo = (uint32_t)data[0] | (uint32_t)data[1] << 8 | (uint32_t)data[2] << 16 |
                      (uint32_t)data[3] << 24;
        lo ^= c;
        c = tb.t[7][lo & 0xFF] ^ tb.t[6][(lo >> 8) & 0xFF] ^ tb.t[5][(lo >> 16) & 0xFF] ^
            tb.t[4][lo >> 24] ^ tb.t[3][data[4]] ^ tb.t[2][data[5]] ^ tb.t[1][data[6]] ^
            tb.t[0][data[7]];
        data += 8;
        size -= 8;
    }
    while (size--) c = tb.t[0][(c ^ *data++) & 0xFF] ^ (c >> 8);
    return ~c;
}

uint32_t Adler32(uint32_t adler, const uint8_t *data, size_t size) {
    // 5552 is the longest run whose sums cannot overflow 32 bits before the
    // modulo has to be taken.
    const uint32_t kBase = 65521;
    uint32_t a = adler & 0xFFFF, b = adler >> 16;
    while (size > 0) {
        size_t run = size < 5552 ? size : 5552;
        size -= run;
        // Sixteen bytes at once: b gains 16 a plus each byte weighted by how
        // many of the sixteen sums it enters, which vectorises well.
        for (; run >= 16; run -= 16, data += 16) {
            uint32_t sum = 0, weighted = 0;
            for (int k = 0; k < 16; k++) {
                sum += data[k];
                weighted += uint32_t(16 - k) * data[k];
            }
            b += 16 * a + weighted;
            a += sum;
        }
        while (run--) {
            a += *data++;
            b += a;
        }
        a %= kBase;
        b %= kBase;
    }
    return (b << 16) | a;
}
