// Feeds arbitrary bytes to the PNG reader. Every input must either fail
// cleanly, leaving an empty image, or give a picture whose buffer matches
// its size.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "lib3d/Png.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Image image;
    std::string error;
    // The alpha mode comes from the input's length so that every mode runs.
    int mode = int(size % 8);
    PngTint tint;
    tint.enabled = size % 3 == 0;
    if (DecodePng(data, size, &image, mode, tint, &error)) {
        if (image.width <= 0 || image.height <= 0 || image.width > kPngMaxSide ||
            image.height > kPngMaxSide ||
            image.pixels.size() != size_t(image.width) * size_t(image.height) * 4)
            abort();
    } else if (error.empty() || !image.pixels.empty() || image.width || image.height) {
        abort();
    }
    return 0;
}
