#include <cerrno>
#include <cstdio>
#include <cstring>

#include "image/Checksum.h"
#include "image/Deflate.h"
#include "image/Png.h"
#include "platform/SafeFile.h"

namespace {

const uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

void PutBe32(std::vector<uint8_t> *out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out->push_back(uint8_t(v >> shift));
}

// Length, type, data and the CRC-32 of type and data.
void PutChunk(std::vector<uint8_t> *out, const char *type, const uint8_t *data, size_t size) {
    PutBe32(out, uint32_t(size));
    size_t typeAt = out->size();
    out->insert(out->end(), type, type + 4);
    if (size) out->insert(out->end(), data, data + size);
    PutBe32(out, Crc32(0, out->data() + typeAt, 4 + size));
}

// Applies one of the filters 0..3 to a row of quantised RGB bytes. A
// neighbour outside the picture counts as 0; differences wrap modulo 256.
void FilterRow(int filter, const uint8_t *row, const uint8_t *above, size_t n, uint8_t *out) {
    const size_t bpp = 3;
    for (size_t k = 0; k < n; k++) {
        int left = k >= bpp ? row[k - bpp] : 0;
        int up = above ? above[k] : 0;
        int predictor = filter == PngFilterSub       ? left
                        : filter == PngFilterUp      ? up
                        : filter == PngFilterAverage ? (left + up) / 2
                                                     : 0;
        out[k] = uint8_t(row[k] - predictor);
    }
}

// Filter byte then three 5-6-5 quantised colour bytes per pixel, per row.
void BuildRawData(const Image &image, int filter, std::vector<uint8_t> *raw) {
    size_t rowBytes = size_t(image.width) * 3;
    raw->resize((rowBytes + 1) * size_t(image.height));
    std::vector<uint8_t> rows[2] = {std::vector<uint8_t>(rowBytes), std::vector<uint8_t>(rowBytes)};
    uint8_t *dst = raw->data();
    for (int y = 0; y < image.height; y++) {
        uint8_t *row = rows[y & 1].data();
        const uint8_t *above = y > 0 ? rows[(y - 1) & 1].data() : nullptr;
        const uint8_t *src = image.pixels.data() + size_t(y) * image.width * 4;
        for (int x = 0; x < image.width; x++) {
            row[3 * x] = src[4 * x] & 0xF8;
            row[3 * x + 1] = src[4 * x + 1] & 0xFC;
            row[3 * x + 2] = src[4 * x + 2] & 0xF8;
        }
        *dst++ = uint8_t(filter);
        FilterRow(filter, row, above, rowBytes, dst);
        dst += rowBytes;
    }
}

}  // namespace

int EncodePng(const Image &image, int filter, std::vector<uint8_t> *out) {
    out->clear();
    if (filter < 0 || filter > 3) {
        fprintf(stderr, "PNG writer: unknown filter %d\n", filter);
        return 0;
    }
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != size_t(image.width) * size_t(image.height) * 4) {
        fprintf(stderr, "PNG writer: bad image (%d x %d, %zu bytes)\n", image.width, image.height,
                image.pixels.size());
        return 0;
    }
    std::vector<uint8_t> raw, zlib;
    BuildRawData(image, filter, &raw);
    if (!ZlibCompress(raw.data(), raw.size(), &zlib)) {
        fprintf(stderr, "PNG writer: out of memory\n");
        return 0;
    }
    uint8_t header[13] = {0};
    for (int k = 0; k < 4; k++) {
        header[k] = uint8_t(uint32_t(image.width) >> (24 - 8 * k));
        header[4 + k] = uint8_t(uint32_t(image.height) >> (24 - 8 * k));
    }
    header[8] = 8;  // bits per sample
    header[9] = 2;  // RGB; compression, filter method and interlace stay 0
    out->reserve(zlib.size() + 64);
    out->insert(out->end(), kSignature, kSignature + 8);
    PutChunk(out, "IHDR", header, sizeof header);
    PutChunk(out, "IDAT", zlib.data(), zlib.size());
    PutChunk(out, "IEND", nullptr, 0);
    return 1;
}

int WritePng(const char *path, const Image &image, int filter) {
    std::vector<uint8_t> bytes;
    if (!EncodePng(image, filter, &bytes)) return 0;
    // Written beside the name and renamed over it: a half-written picture
    // never appears, and a failure leaves no partial file.
    if (!platform::ReplaceFileAtomically(path, bytes.data(), bytes.size())) {
        fprintf(stderr, "Cannot write %s: %s\n", path, strerror(errno));
        return 0;
    }
    return 1;
}

int WriteNewPng(const char *path, const Image &image, int filter, bool *taken) {
    bool exists = false;
    if (taken) *taken = false;
    std::vector<uint8_t> bytes;
    if (!EncodePng(image, filter, &bytes)) return 0;
    if (platform::CreateFileAtomically(path, bytes.data(), bytes.size(), &exists)) return 1;
    if (exists) {
        if (taken) *taken = true;
        return 0;
    }
    fprintf(stderr, "Cannot write %s: %s\n", path, strerror(errno));
    return 0;
}
