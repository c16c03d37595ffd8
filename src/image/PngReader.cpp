#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "image/Checksum.h"
#include "image/Inflate.h"
#include "image/Png.h"
#include "platform/SafeFile.h"

namespace {

const uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

uint32_t Be32(const uint8_t *p) {
    return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

struct Header {
    int width = 0, height = 0;
    int depth = 0;      // bits per sample: 1, 2, 4, 8 or 16
    int colorType = 0;  // 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
    int interlace = 0;  // 0 none, 1 Adam7
    int channels = 0;
    int PixelBits() const { return depth * channels; }
    size_t RowBytes(int w) const { return (size_t(w) * PixelBits() + 7) / 8; }
    // Bytes between a byte and the one it is filtered against.
    int FilterStep() const { return PixelBits() >= 8 ? PixelBits() / 8 : 1; }
};

// Palette with the tRNS alphas folded in, and the colour key of grey and
// RGB pictures.
struct Colours {
    Colours() {
        for (auto &entry : palette) entry[0] = entry[1] = entry[2] = 0, entry[3] = 255;
    }
    uint8_t palette[256][4];
    int paletteSize = 0;
    bool hasKey = false;
    uint16_t key[3] = {0, 0, 0};  // grey or red, green, blue at the file's depth
    bool hasTransparency = false;
};

// One pass of an interlaced picture, or the whole picture.
struct Pass {
    int x0, y0, dx, dy;
    int width, height;
};

int PassesOf(const Header &h, Pass passes[7]) {
    static const int kAdam7[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                     {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    if (!h.interlace) {
        passes[0] = Pass{0, 0, 1, 1, h.width, h.height};
        return 1;
    }
    for (int p = 0; p < 7; p++) {
        const int *a = kAdam7[p];
        int w = h.width > a[0] ? (h.width - a[0] + a[2] - 1) / a[2] : 0;
        int ht = h.height > a[1] ? (h.height - a[1] + a[3] - 1) / a[3] : 0;
        passes[p] = Pass{a[0], a[1], a[2], a[3], w, ht};
    }
    return 7;
}

size_t RawSize(const Header &h) {
    Pass passes[7];
    int n = PassesOf(h, passes);
    size_t total = 0;
    for (int p = 0; p < n; p++) {
        if (passes[p].width && passes[p].height)
            total += size_t(passes[p].height) * (1 + h.RowBytes(passes[p].width));
    }
    return total;
}

class Decoder {
public:
    explicit Decoder(std::string *error) : error_(error) {}
    bool Decode(const uint8_t *data, size_t size, Image *image, int alphaMode, const PngTint &tint);

private:
    bool Fail(const char *format, ...) __attribute__((format(printf, 2, 3)));
    bool ReadChunks(const uint8_t *data, size_t size);
    bool ReadHeader(const uint8_t *d, uint32_t len);
    void ReadPalette(const uint8_t *d, uint32_t len);
    void ReadTransparency(const uint8_t *d, uint32_t len);
    bool Unfilter(uint8_t *rows, int width, int height);
    void ExpandRow(const uint8_t *row, const Pass &pass, int y, int alpha, Image *image) const;

    std::string *error_;
    Header h_;
    Colours c_;
    std::vector<uint8_t> idat_;
};

bool Decoder::Fail(const char *format, ...) {
    char text[160];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    *error_ = text;
    return false;
}

bool Decoder::ReadHeader(const uint8_t *d, uint32_t len) {
    if (len != 13) return Fail("bad IHDR length %u", len);
    uint32_t w = Be32(d), ht = Be32(d + 4);
    h_.depth = d[8];
    h_.colorType = d[9];
    h_.interlace = d[12];
    if (w == 0 || ht == 0) return Fail("empty picture (%u x %u)", w, ht);
    if (w > uint32_t(kPngMaxSide) || ht > uint32_t(kPngMaxSide))
        return Fail("picture too large (%u x %u, at most %d on a side)", w, ht, kPngMaxSide);
    h_.width = int(w);
    h_.height = int(ht);
    static const int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
    h_.channels = h_.colorType <= 6 ? kChannels[h_.colorType] : 0;
    int dep = h_.depth;
    bool depthOk = false;
    switch (h_.colorType) {
        case 0:
            depthOk = dep == 1 || dep == 2 || dep == 4 || dep == 8 || dep == 16;
            break;
        case 3:
            depthOk = dep == 1 || dep == 2 || dep == 4 || dep == 8;
            break;
        case 2:
        case 4:
        case 6:
            depthOk = dep == 8 || dep == 16;
            break;
        default:
            return Fail("unknown colour type %d", h_.colorType);
    }
    if (!depthOk) return Fail("bad bit depth %d for colour type %d", dep, h_.colorType);
    if (d[10] != 0) return Fail("unknown compression method %d", d[10]);
    if (d[11] != 0) return Fail("unknown filter method %d", d[11]);
    if (h_.interlace > 1) return Fail("unknown interlace method %d", h_.interlace);
    return true;
}

void Decoder::ReadPalette(const uint8_t *d, uint32_t len) {
    c_.paletteSize = int(len / 3);
    for (int k = 0; k < c_.paletteSize; k++) {
        c_.palette[k][0] = d[3 * k];
        c_.palette[k][1] = d[3 * k + 1];
        c_.palette[k][2] = d[3 * k + 2];
    }
}

// A tRNS chunk that does not fit the picture is ignored, as other readers do.
void Decoder::ReadTransparency(const uint8_t *d, uint32_t len) {
    if (h_.colorType == 3) {
        if (len == 0 || int(len) > c_.paletteSize) return;
        for (uint32_t k = 0; k < len; k++) c_.palette[k][3] = d[k];
        c_.hasTransparency = true;
    } else if (h_.colorType == 0 && len == 2) {
        c_.key[0] = uint16_t(d[0] << 8 | d[1]);
        c_.hasKey = c_.hasTransparency = true;
    } else if (h_.colorType == 2 && len == 6) {
        for (int k = 0; k < 3; k++) c_.key[k] = uint16_t(d[2 * k] << 8 | d[2 * k + 1]);
        c_.hasKey = c_.hasTransparency = true;
    }
}

bool Decoder::ReadChunks(const uint8_t *data, size_t size) {
    if (size < 8 || memcmp(data, kSignature, 8) != 0) return Fail("not a PNG file");
    size_t pos = 8;
    bool seenHeader = false, seenPalette = false, seenTransparency = false;
    // 0 before the image data, 1 inside it, 2 after it.
    int dataState = 0;
    for (;;) {
        if (size - pos < 12) return Fail("truncated file (no IEND chunk)");
        uint32_t len = Be32(data + pos);
        const uint8_t *type = data + pos + 4;
        char name[5] = {0};
        for (int k = 0; k < 4; k++) {
            bool letter = (type[k] >= 'A' && type[k] <= 'Z') || (type[k] >= 'a' && type[k] <= 'z');
            if (!letter) return Fail("bad chunk type at byte %zu", pos + 4);
            name[k] = char(type[k]);
        }
        if (len > 0x7FFFFFFFu || len > size - pos - 12) return Fail("truncated %s chunk", name);
        const uint8_t *body = type + 4;
        if (Crc32(0, type, len + 4) != Be32(body + len)) return Fail("bad CRC in %s chunk", name);
        pos += 12 + size_t(len);

        bool isData = memcmp(name, "IDAT", 4) == 0;
        if (!seenHeader && memcmp(name, "IHDR", 4) != 0) return Fail("first chunk is not IHDR");
        if (dataState == 1 && !isData) dataState = 2;
        if (memcmp(name, "IHDR", 4) == 0) {
            if (seenHeader) return Fail("second IHDR chunk");
            if (!ReadHeader(body, len)) return false;
            seenHeader = true;
        } else if (isData) {
            if (dataState == 2) return Fail("IDAT chunks are not consecutive");
            if (h_.colorType == 3 && !seenPalette) return Fail("palette picture without PLTE");
            dataState = 1;
            idat_.insert(idat_.end(), body, body + len);
        } else if (memcmp(name, "IEND", 4) == 0) {
            if (dataState == 0) return Fail("no IDAT chunk");
            return true;
        } else if (memcmp(name, "PLTE", 4) == 0) {
            if (seenPalette) return Fail("second PLTE chunk");
            if (dataState) return Fail("PLTE after IDAT");
            if (len == 0 || len % 3 || len / 3 > 256) return Fail("bad PLTE length %u", len);
            seenPalette = true;
            // Grey pictures ignore it; colour pictures only suggest it.
            // Entries past what the bit depth can index are never used.
            if (h_.colorType == 3) {
                uint32_t usable = uint32_t(3) << h_.depth;
                ReadPalette(body, len < usable ? len : usable);
            }
        } else if (memcmp(name, "tRNS", 4) == 0) {
            if (dataState) return Fail("tRNS after IDAT");
            if (h_.colorType == 3 && !seenPalette) return Fail("tRNS before PLTE");
            if (!seenTransparency) ReadTransparency(body, len);
            seenTransparency = true;
        } else if (!(name[0] & 0x20)) {
            // Upper-case first letter: a chunk needed to read the picture.
            return Fail("unknown critical chunk %s", name);
        }
    }
}

inline uint8_t Paeth(int a, int b, int c) {
    int pa = b - c, pb = a - c, pc = pa + pb;
    pa = pa < 0 ? -pa : pa;
    pb = pb < 0 ? -pb : pb;
    pc = pc < 0 ? -pc : pc;
    return uint8_t(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// Undoes one row's filter in place; `prior` is the row above (already
// unfiltered) or null for the first row of a pass.
template <int kStep>
void UnfilterRow(int type, uint8_t *row, const uint8_t *prior, size_t n) {
    switch (type) {
        case 1:
            for (size_t i = kStep; i < n; i++) row[i] = uint8_t(row[i] + row[i - kStep]);
            break;
        case 2:
            if (prior)
                for (size_t i = 0; i < n; i++) row[i] = uint8_t(row[i] + prior[i]);
            break;
        case 3:
            if (prior) {
                for (size_t i = 0; i < kStep && i < n; i++)
                    row[i] = uint8_t(row[i] + (prior[i] >> 1));
                for (size_t i = kStep; i < n; i++)
                    row[i] = uint8_t(row[i] + ((row[i - kStep] + prior[i]) >> 1));
            } else {
                for (size_t i = kStep; i < n; i++) row[i] = uint8_t(row[i] + (row[i - kStep] >> 1));
            }
            break;
        case 4:
            if (prior) {
                for (size_t i = 0; i < kStep && i < n; i++) row[i] = uint8_t(row[i] + prior[i]);
                for (size_t i = kStep; i < n; i++)
                    row[i] = uint8_t(row[i] + Paeth(row[i - kStep], prior[i], prior[i - kStep]));
            } else {
                // With no row above, Paeth always picks the left byte.
                for (size_t i = kStep; i < n; i++) row[i] = uint8_t(row[i] + row[i - kStep]);
            }
            break;
        default:
            break;
    }
}

bool Decoder::Unfilter(uint8_t *rows, int width, int height) {
    size_t n = h_.RowBytes(width);
    const uint8_t *prior = nullptr;
    for (int y = 0; y < height; y++) {
        uint8_t *line = rows + size_t(y) * (n + 1);
        int type = line[0];
        if (type > 4) return Fail("bad filter type %d in row %d", type, y);
        uint8_t *row = line + 1;
        switch (h_.FilterStep()) {
            case 1:
                UnfilterRow<1>(type, row, prior, n);
                break;
            case 2:
                UnfilterRow<2>(type, row, prior, n);
                break;
            case 3:
                UnfilterRow<3>(type, row, prior, n);
                break;
            case 4:
                UnfilterRow<4>(type, row, prior, n);
                break;
            case 6:
                UnfilterRow<6>(type, row, prior, n);
                break;
            default:
                UnfilterRow<8>(type, row, prior, n);
                break;
        }
        prior = row;
    }
    return true;
}

// Sample x of a row packed at 1, 2, 4, 8 or 16 bits (16-bit samples whole).
inline uint32_t Sample(const uint8_t *row, size_t x, int depth) {
    switch (depth) {
        case 8:
            return row[x];
        case 16:
            return uint32_t(row[2 * x]) << 8 | row[2 * x + 1];
        default: {
            size_t bit = x * depth;
            return (row[bit >> 3] >> (8 - depth - (bit & 7))) & ((1u << depth) - 1);
        }
    }
}

// Writes one unfiltered row of `pass` into the picture as RGBA. Pictures
// without transparency get `alpha`.
void Decoder::ExpandRow(const uint8_t *row, const Pass &pass, int y, int alpha,
                        Image *image) const {
    const int depth = h_.depth;
    const size_t step = size_t(pass.dx) * 4;
    uint8_t *out =
        image->pixels.data() + (size_t(pass.y0 + y * pass.dy) * image->width + pass.x0) * 4;
    const int count = pass.width;
    const uint8_t a = uint8_t(alpha);
    if (depth == 8 && pass.dx == 1 && !c_.hasKey) {
        // The common cases, without per-sample dispatch.
        if (h_.colorType == 2) {
            for (int x = 0; x < count; x++, out += 4, row += 3) {
                out[0] = row[0], out[1] = row[1], out[2] = row[2], out[3] = a;
            }
            return;
        }
        if (h_.colorType == 6) {
            memcpy(out, row, size_t(count) * 4);
            return;
        }
    }
    const int shift = depth == 16 ? 8 : 0;  // 16-bit samples keep their high byte
    for (int x = 0; x < count; x++, out += step) {
        switch (h_.colorType) {
            case 0: {
                uint32_t v = Sample(row, x, depth);
                uint8_t g =
                    depth < 8 ? uint8_t(v * (255 / ((1u << depth) - 1))) : uint8_t(v >> shift);
                out[0] = out[1] = out[2] = g;
                out[3] = c_.hasKey ? (v == c_.key[0] ? 0 : 255) : a;
                break;
            }
            case 2: {
                uint32_t r = Sample(row, 3 * size_t(x), depth),
                         g = Sample(row, 3 * size_t(x) + 1, depth),
                         b = Sample(row, 3 * size_t(x) + 2, depth);
                out[0] = uint8_t(r >> shift), out[1] = uint8_t(g >> shift),
                out[2] = uint8_t(b >> shift);
                bool keyed = c_.hasKey && r == c_.key[0] && g == c_.key[1] && b == c_.key[2];
                out[3] = c_.hasKey ? (keyed ? 0 : 255) : a;
                break;
            }
            case 3: {
                uint32_t index = Sample(row, x, depth);
                // Indices past the palette read as opaque black.
                if (int(index) < c_.paletteSize) {
                    memcpy(out, c_.palette[index], 4);
                    if (!c_.hasTransparency) out[3] = a;
                } else {
                    out[0] = out[1] = out[2] = 0;
                    out[3] = c_.hasTransparency ? 255 : a;
                }
                break;
            }
            case 4: {
                out[0] = out[1] = out[2] = uint8_t(Sample(row, 2 * size_t(x), depth) >> shift);
                out[3] = uint8_t(Sample(row, 2 * size_t(x) + 1, depth) >> shift);
                break;
            }
            default: {
                for (int k = 0; k < 4; k++)
                    out[k] = uint8_t(Sample(row, 4 * size_t(x) + k, depth) >> shift);
                break;
            }
        }
    }
}

// Alpha for pictures that carry none, by mode; see ReadPng.
int ConstantAlpha(int mode) {
    switch (mode) {
        case 3:
            return 128;
        case 4:
            return 70;
        case 5:
            return 150;
        default:
            return 255;
    }
}

void ApplyAlphaMode(Image *image, int mode, const PngTint &tint) {
    uint8_t *p = image->pixels.data();
    size_t n = size_t(image->width) * image->height;
    for (size_t i = 0; i < n; i++, p += 4) {
        int r = p[0], g = p[1], b = p[2];
        if (mode == 1) {
            p[3] = r + g + b <= 9 ? 0 : 255;
        } else if (mode == 2) {
            int s = 2 * r + 7 * g + b;  // 10 x luminance, 0..2550
            p[3] = uint8_t(s < 510 ? 0 : s > 1785 ? 255 : ((s - 510) * 255 + 637) / 1275);
            if (tint.enabled) p[0] = tint.red, p[1] = tint.green, p[2] = tint.blue;
        } else if (mode == 7) {
            bool key = r >= 253 && b >= 253 && g <= 2;
            if (key) p[0] = p[1] = p[2] = 0;
            p[3] = key ? 0 : 255;
        }
    }
}

bool Decoder::Decode(const uint8_t *data, size_t size, Image *image, int alphaMode,
                     const PngTint &tint) {
    if (alphaMode < 0 || alphaMode > 7) return Fail("unknown alpha mode %d", alphaMode);
    if (!ReadChunks(data, size)) return false;
    size_t expected = RawSize(h_);
    std::vector<uint8_t> raw;
    std::string why;
    if (!ZlibUncompress(idat_.data(), idat_.size(), &raw, expected, &why, expected))
        return Fail("corrupt image data (%s)", why.c_str());
    if (raw.size() != expected) return Fail("image data too short");
    std::vector<uint8_t>().swap(idat_);

    bool ownAlpha = (h_.colorType & 4) || c_.hasTransparency;
    int alpha = ownAlpha ? 255 : ConstantAlpha(alphaMode);
    image->width = h_.width;
    image->height = h_.height;
    image->pixels.resize(size_t(h_.width) * h_.height * 4);
    Pass passes[7];
    int count = PassesOf(h_, passes);
    uint8_t *rows = raw.data();
    for (int p = 0; p < count; p++) {
        const Pass &pass = passes[p];
        if (!pass.width || !pass.height) continue;
        if (!Unfilter(rows, pass.width, pass.height)) return false;
        size_t stride = h_.RowBytes(pass.width) + 1;
        for (int y = 0; y < pass.height; y++)
            ExpandRow(rows + y * stride + 1, pass, y, alpha, image);
        rows += stride * pass.height;
    }
    if (!ownAlpha && (alphaMode == 1 || alphaMode == 2 || alphaMode == 7))
        ApplyAlphaMode(image, alphaMode, tint);
    return true;
}

}  // namespace

int DecodePng(const uint8_t *data, size_t size, Image *image, int alphaMode, const PngTint &tint,
              std::string *error) {
    std::string why;
    Decoder decoder(&why);
    *image = Image();
    if (decoder.Decode(data, size, image, alphaMode, tint)) return 1;
    *image = Image();
    if (error)
        *error = why;
    else
        fprintf(stderr, "PNG: %s\n", why.c_str());
    return 0;
}

int ReadPng(const char *path, Image *image, int alphaMode, const PngTint &tint) {
    *image = Image();
    std::vector<uint8_t> bytes;
    platform::FileStatus status = platform::ReadRegularFile(path, kPictureMaxFileSize, &bytes);
    if (status != platform::FileOk) {
        fprintf(stderr, "Cannot read %s: %s\n", path ? path : "", platform::FileStatusText(status));
        return 0;
    }
    std::string why;
    if (DecodePng(bytes.data(), bytes.size(), image, alphaMode, tint, &why)) return 1;
    fprintf(stderr, "Cannot read %s: %s\n", path, why.c_str());
    return 0;
}
