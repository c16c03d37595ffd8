// Feeds arbitrary bytes to the PNG reader. Every input must either fail
// cleanly, leaving an empty image, or give a picture whose buffer matches
// its size.
//
// Two kinds of input reach deep into the reader:
// - a PNG file (it starts with the signature byte 137); for inputs of even
//   length every chunk CRC is put right first, so that mutations get past
//   the checksums;
// - anything else describes a picture: a few header bytes choose the size,
//   colour type, depth and interlacing, and the rest is the raw (filtered)
//   image data, wrapped here into a valid stream, so that the row
//   filters and pixel expansion see arbitrary data.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "image/Checksum.h"
#include "image/Png.h"

namespace {

void PutBe32(std::vector<uint8_t> *out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out->push_back(uint8_t(v >> s));
}

void PutChunk(std::vector<uint8_t> *out, const char *type, const std::vector<uint8_t> &data) {
    PutBe32(out, uint32_t(data.size()));
    size_t at = out->size();
    out->insert(out->end(), type, type + 4);
    out->insert(out->end(), data.begin(), data.end());
    PutBe32(out, Crc32(0, out->data() + at, data.size() + 4));
}

// Rewrites the CRC of every whole chunk.
void FixCrcs(std::vector<uint8_t> *file) {
    size_t pos = 8;
    while (pos + 12 <= file->size()) {
        uint8_t *p = file->data() + pos;
        uint32_t len = uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
        if (len > file->size() - pos - 12) break;
        uint32_t crc = Crc32(0, p + 4, len + 4);
        for (int k = 0; k < 4; k++) p[8 + len + k] = uint8_t(crc >> (24 - 8 * k));
        pos += 12 + size_t(len);
    }
}

// A zlib stream of stored blocks: cheap to make, and always valid.
std::vector<uint8_t> StoredZlib(const uint8_t *data, size_t size) {
    std::vector<uint8_t> z = {0x78, 0x01};
    size_t pos = 0;
    do {
        size_t n = size - pos < 65535 ? size - pos : 65535;
        bool final = pos + n == size;
        z.push_back(final ? 1 : 0);
        z.insert(z.end(), {uint8_t(n), uint8_t(n >> 8), uint8_t(~n), uint8_t(~n >> 8)});
        z.insert(z.end(), data + pos, data + pos + n);
        pos += n;
    } while (pos < size);
    PutBe32(&z, Adler32(1, data, size));
    return z;
}

std::vector<uint8_t> Synthetic(const uint8_t *data, size_t size) {
    static const uint8_t kForms[15][2] = {{0, 1}, {0, 2},  {0, 4},  {0, 8}, {0, 16},
                                          {2, 8}, {2, 16}, {3, 1},  {3, 2}, {3, 4},
                                          {3, 8}, {4, 8},  {4, 16}, {6, 8}, {6, 16}};
    std::vector<uint8_t> file = {137, 80, 78, 71, 13, 10, 26, 10};
    if (size < 6) return file;
    uint32_t w = 1 + data[1] % 40, h = 1 + data[2] % 40;
    const uint8_t *form = kForms[data[3] % 15];
    uint8_t header[13] = {0};
    for (int k = 0; k < 4; k++) {
        header[k] = uint8_t(w >> (24 - 8 * k));
        header[4 + k] = uint8_t(h >> (24 - 8 * k));
    }
    header[8] = form[1];
    header[9] = form[0];
    header[12] = data[4] & 1;
    PutChunk(&file, "IHDR", std::vector<uint8_t>(header, header + 13));
    const uint8_t *rest = data + 6;
    size_t left = size - 6;
    if (form[0] == 3) {
        // A palette of up to 16 colours from the input, and a tRNS sometimes.
        size_t colours = 1 + data[5] % 16;
        std::vector<uint8_t> palette(colours * 3, 0);
        for (size_t k = 0; k < palette.size() && k < left; k++) palette[k] = rest[k];
        PutChunk(&file, "PLTE", palette);
        if (data[5] & 0x80) PutChunk(&file, "tRNS", std::vector<uint8_t>(colours / 2 + 1, 100));
    } else if ((data[5] & 0x80) && (form[0] == 0 || form[0] == 2)) {
        PutChunk(&file, "tRNS", std::vector<uint8_t>(form[0] == 0 ? 2 : 6, 0));
    }
    PutChunk(&file, "IDAT", StoredZlib(rest, left));
    PutChunk(&file, "IEND", {});
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::vector<uint8_t> file;
    if (size > 0 && data[0] == 137) {
        file.assign(data, data + size);
        if (size % 2 == 0) FixCrcs(&file);
    } else {
        file = Synthetic(data, size);
    }
    Image image;
    std::string error;
    // The alpha mode comes from the input's length so that every mode runs.
    int mode = int(size % 8);
    PngTint tint;
    tint.enabled = size % 3 == 0;
    if (DecodePng(file.data(), file.size(), &image, mode, tint, &error)) {
        if (image.width <= 0 || image.height <= 0 || image.width > kPngMaxSide ||
            image.height > kPngMaxSide ||
            image.pixels.size() != size_t(image.width) * size_t(image.height) * 4)
            abort();
    } else if (error.empty() || !image.pixels.empty() || image.width || image.height) {
        abort();
    }
    return 0;
}
