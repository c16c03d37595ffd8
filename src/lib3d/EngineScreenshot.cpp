// Saving the back buffer as a PNG file.

#include <cstdint>
#include <cstring>

#include "image/Image.h"
#include "image/Png.h"
#include "lib3d/Engine.h"

namespace lib3d {

// Converts back-buffer pixels (rows top to bottom, `pitch` bytes apart) to
// RGBA, keeping what each format can hold.
void BackBufferToImage(const std::vector<uint8_t> &pixels, int pitch, int w, int h,
                       device::Format format, Image *image) {
    image->width = w;
    image->height = h;
    image->pixels.assign(static_cast<size_t>(w) * h * 4, 255);
    for (int y = 0; y < h; y++) {
        const uint8_t *row = pixels.data() + static_cast<size_t>(y) * pitch;
        uint8_t *out = image->pixels.data() + static_cast<size_t>(y) * w * 4;
        for (int x = 0; x < w; x++, out += 4) {
            if (format == device::FormatX8R8G8B8) {
                out[0] = row[x * 4 + 2];
                out[1] = row[x * 4 + 1];
                out[2] = row[x * 4 + 0];
                continue;
            }
            uint16_t v;
            std::memcpy(&v, row + x * 2, 2);
            if (format == device::FormatX1R5G5B5) {
                out[0] = static_cast<uint8_t>((v >> 7) & 0xF8);
                out[1] = static_cast<uint8_t>((v >> 2) & 0xF8);
            } else {
                out[0] = static_cast<uint8_t>((v >> 8) & 0xF8);
                out[1] = static_cast<uint8_t>((v >> 3) & 0xFC);
            }
            out[2] = static_cast<uint8_t>((v & 0x1F) << 3);
        }
    }
}

int Engine::Screenshot(const char *prefix) {
    if (!device_ || !prefix) return 0;
    std::vector<uint8_t> pixels;
    int pitch = 0;
    if (!device_->ReadBackBuffer(&pixels, &pitch)) return 0;
    Image image;
    const device::PresentParameters &p = device_->Parameters();
    BackBufferToImage(pixels, pitch, p.width, p.height, p.backBufferFormat, &image);
    return WriteScreenshot(prefix, image);
}

}  // namespace lib3d
