#include "app/WavCheck.h"

#include <cstdio>
#include <cstring>

namespace {

uint32_t Le32(const uint8_t *p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t Le16(const uint8_t *p) {
    return uint16_t(p[0] | p[1] << 8);
}

bool Is(const uint8_t *p, const char *tag) {
    return memcmp(p, tag, 4) == 0;
}

bool Fail(std::string *why, const char *text, long value = -1) {
    if (why) {
        char line[96];
        if (value >= 0)
            snprintf(line, sizeof line, "%s (%ld)", text, value);
        else
            snprintf(line, sizeof line, "%s", text);
        *why = line;
    }
    return false;
}

}  // namespace

bool CheckWav(const uint8_t *data, size_t size, WavFormat *format, std::string *why) {
    if (!data || size < 12 || !Is(data, "RIFF") || !Is(data + 8, "WAVE"))
        return Fail(why, "not a WAV file");
    // SDL takes "WAVE" in the size field for a file without a size and reads
    // its chunks from there on: such a file would not be read as walked here.
    if (Is(data + 4, "WAVE")) return Fail(why, "no RIFF size");
    WavFormat f;
    bool haveFormat = false;
    size_t at = 12;
    // Chunks are walked as SDL walks them: back to back, without the pad
    // byte RIFF puts after an odd length. Such lengths are refused, so that
    // no reader could find a chunk at another place than this walk does.
    while (at + 8 <= size) {
        const uint8_t *chunk = data + at;
        const size_t length = Le32(chunk + 4);
        const size_t body = at + 8;
        if (length > size - body) return Fail(why, "chunk longer than the file", long(length));
        // SDL reads every chunk up to the samples whole and takes an empty
        // read for an error.
        if (length == 0) return Fail(why, "empty chunk");
        if (Is(chunk, "fmt ")) {
            if (haveFormat) return Fail(why, "two format chunks");
            if (length < 16) return Fail(why, "format chunk too short", long(length));
            const uint8_t *p = data + body;
            const int encoding = Le16(p);
            f.channels = Le16(p + 2);
            const uint32_t rate = Le32(p + 4);
            f.bits = Le16(p + 14);
            if (encoding != 1) return Fail(why, "not uncompressed PCM, format", encoding);
            if (f.channels < 1 || f.channels > 2) return Fail(why, "channels", f.channels);
            if (rate < uint32_t(kWavMinRate) || rate > uint32_t(kWavMaxRate))
                return Fail(why, "sample rate", long(rate));
            f.rate = int(rate);
            if (f.bits != 8 && f.bits != 16) return Fail(why, "bits per sample", f.bits);
            haveFormat = true;
        } else if (Is(chunk, "data")) {
            if (!haveFormat) return Fail(why, "samples before the format chunk");
            const size_t frame = size_t(f.channels) * size_t(f.bits / 8);
            if (length % frame) return Fail(why, "samples cut short", long(length));
            f.dataOffset = body;
            f.dataLength = length;
            if (format) *format = f;
            return true;
        } else if (!haveFormat && !Is(chunk, "fact") && !Is(chunk, "LIST")) {
            return Fail(why, "format chunk not first");
        }
        if (length & 1) return Fail(why, "odd chunk length", long(length));
        at = body + length;
    }
    return Fail(why, haveFormat ? "no samples" : "no format chunk");
}
