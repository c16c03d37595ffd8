#include "lib3d/Material.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "image/PictureFile.h"
#include "lib3d/Engine.h"

namespace lib3d {

namespace {

// The picture as side x side RGBA pixels (side = its width). A picture that
// is not square is stretched or squeezed vertically to fill the square, so
// its texture coordinates keep addressing the whole picture.
std::vector<uint8_t> SquarePixels(const Image &picture) {
    const int side = picture.width;
    std::vector<uint8_t> out(static_cast<size_t>(side) * side * 4);
    for (int y = 0; y < side; y++) {
        const int sy = static_cast<int>(static_cast<int64_t>(y) * picture.height / side);
        std::memcpy(&out[static_cast<size_t>(y) * side * 4],
                    &picture.pixels[static_cast<size_t>(sy) * side * 4],
                    static_cast<size_t>(side) * 4);
    }
    return out;
}

}  // namespace

int LoadMaterialTexture(Engine &engine, const char *path) {
    Image picture;
    bool hasAlpha = false;
    if (!ReadPicture(path, &picture, &hasAlpha)) {
        fprintf(stderr, "Texture not found : %s\n", path);
        return -1;
    }
    const std::vector<uint8_t> pixels = SquarePixels(picture);
    engine.SetState(TextureCreation::Wrap);  // models tile their material textures
    return engine.CreateTexture(picture.width, pixels.data(), picture.width, hasAlpha);
}

}  // namespace lib3d
