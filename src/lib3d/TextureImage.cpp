#include "lib3d/TextureImage.h"

#include <algorithm>

namespace lib3d {
namespace {

// Which pixels of a 2x2 block get the extra step, by dropped bits (rows) and
// position (y & 1) + 2 (x & 1) (columns).
const uint8_t kDitherPattern[5][4] = {
    {0, 0, 0, 0}, {1, 0, 0, 0}, {1, 0, 0, 1}, {1, 1, 0, 1}, {1, 1, 1, 1},
};

uint8_t Raise(uint8_t value, int step) {
    return static_cast<uint8_t>(std::min(255, value + step));
}

}  // namespace

void ResampleSquare(const uint8_t *source, int sourceWidth, int size, std::vector<uint8_t> *out) {
    out->assign(static_cast<size_t>(size) * size * 4, 0);
    if (!source || sourceWidth <= 0 || size <= 0) return;
    // 32-bit arithmetic throughout: sourceWidth x 256 does not fit the 16 bits
    // an 8.8 step usually lives in once the source is 256 pixels or wider.
    const int64_t step = static_cast<int64_t>(sourceWidth) * 256 / size;
    for (int y = 0; y < size; y++) {
        const int64_t row = static_cast<int64_t>(y) * sourceWidth / size;
        const uint8_t *src = source + static_cast<size_t>(row) * sourceWidth * 4;
        uint8_t *dst = out->data() + static_cast<size_t>(y) * size * 4;
        int64_t fixed = 0;
        for (int x = 0; x < size; x++, fixed += step) {
            const int64_t column = std::min<int64_t>(fixed >> 8, sourceWidth - 1);
            std::copy(src + column * 4, src + column * 4 + 4, dst + x * 4);
        }
    }
}

void DitherPixel(uint8_t rgba[4], int x, int y) {
    const int p = (y & 1) + 2 * (x & 1);
    const int redLow = std::min(rgba[0] & 7, 4);
    const int greenLow = rgba[1] & 3;
    const int blueLow = std::min(rgba[2] & 7, 4);
    if (kDitherPattern[redLow][p]) rgba[0] = Raise(rgba[0], 8);
    if (kDitherPattern[greenLow][p]) rgba[1] = Raise(rgba[1], 4);
    if (kDitherPattern[blueLow][p]) rgba[2] = Raise(rgba[2], 8);
}

uint16_t PackPixel(const uint8_t rgba[4], device::Format format) {
    const unsigned r = rgba[0], g = rgba[1], b = rgba[2], a = rgba[3];
    switch (format) {
        case device::FormatX1R5G5B5:
            return static_cast<uint16_t>(((r & 0xF8) << 7) | ((g & 0xF8) << 2) | (b >> 3));
        case device::FormatA4R4G4B4:
            return static_cast<uint16_t>(((a & 0xF0) << 8) | ((r & 0xF0) << 4) | (g & 0xF0) |
                                         (b >> 4));
        default:
            return static_cast<uint16_t>(((r & 0xF8) << 8) | ((g & 0xFC) << 3) | (b >> 3));
    }
}

void PackImage(const std::vector<uint8_t> &image, int side, device::Format format, bool dither,
               uint16_t *out, int pitchWords) {
    for (int y = 0; y < side; y++) {
        for (int x = 0; x < side; x++) {
            uint8_t p[4];
            std::copy_n(image.data() + (static_cast<size_t>(y) * side + x) * 4, 4, p);
            if (dither) DitherPixel(p, x, y);
            out[static_cast<size_t>(y) * pitchWords + x] = PackPixel(p, format);
        }
    }
}

void HalveImage(const std::vector<uint8_t> &image, int side, std::vector<uint8_t> *out) {
    const int half = std::max(1, side / 2);
    out->assign(static_cast<size_t>(half) * half * 4, 0);
    auto at = [&](int x, int y, int c) -> int {
        return image[(static_cast<size_t>(y) * side + x) * 4 + c];
    };
    for (int y = 0; y < half; y++) {
        for (int x = 0; x < half; x++) {
            const int sx = std::min(2 * x, side - 1), sy = std::min(2 * y, side - 1);
            for (int c = 0; c < 4; c++) {
                const int centre = at(sx, sy, c);
                const int left = sx > 0 ? at(sx - 1, sy, c) : centre;
                const int right = sx + 1 < side ? at(sx + 1, sy, c) : centre;
                const int up = sy > 0 ? at(sx, sy - 1, c) : centre;
                const int down = sy + 1 < side ? at(sx, sy + 1, c) : centre;
                (*out)[(static_cast<size_t>(y) * half + x) * 4 + c] =
                    static_cast<uint8_t>((4 * centre + left + right + up + down) / 8);
            }
        }
    }
}

int MipLevelCount(int size) {
    int levels = 1;
    while (size > 1) {
        size /= 2;
        levels++;
    }
    return levels;
}

}  // namespace lib3d
