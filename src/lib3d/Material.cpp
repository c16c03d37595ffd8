#include "lib3d/Material.h"

#include <SDL/SDL.h>
#include <SDL/SDL_image.h>

#include <cstdio>
#include <vector>

#include "lib3d/Engine.h"

namespace lib3d {

namespace {

// Copies a 24- or 32-bit surface into side x side RGBA pixels (side = its
// width). Rows are read `pitch` bytes apart, and a picture that is not square
// is stretched or squeezed vertically to fill the square, so its texture
// coordinates keep addressing the whole picture.
std::vector<uint8_t> SquarePixels(SDL_Surface *s) {
    const int side = s->w, bytes = s->format->BytesPerPixel;
    std::vector<uint8_t> out((size_t)side * side * 4);
    const uint8_t *base = static_cast<const uint8_t *>(s->pixels);
    for (int y = 0; y < side; y++) {
        const int sy = (int)((int64_t)y * s->h / side);
        const uint8_t *row = base + (size_t)sy * s->pitch;
        for (int x = 0; x < side; x++) {
            const uint8_t *p = row + (size_t)x * bytes;
            Uint32 value = 0;
            for (int i = 0; i < bytes; i++) value |= (Uint32)p[i] << (8 * i);
            if (SDL_BYTEORDER == SDL_BIG_ENDIAN) value >>= 8 * (4 - bytes);
            uint8_t *o = &out[((size_t)y * side + x) * 4];
            SDL_GetRGBA(value, s->format, &o[0], &o[1], &o[2], &o[3]);
            if (bytes == 3) o[3] = 255;  // no alpha in the picture
        }
    }
    return out;
}

}  // namespace

int LoadMaterialTexture(Engine &engine, const char *path) {
    SDL_Surface *surface = IMG_Load(path);
    if (!surface || surface->w <= 0 || surface->h <= 0) {
        if (surface) SDL_FreeSurface(surface);
        fprintf(stderr, "Texture not found : %s\n", path);
        return -1;
    }
    int bits = surface->format->BitsPerPixel;
    if (bits != 24 && bits != 32) {
        // Palette and 16-bit pictures are valid files too: take them as RGBA.
        SDL_PixelFormat rgba = {};
        rgba.BitsPerPixel = 32;
        rgba.BytesPerPixel = 4;
        rgba.Rmask = SDL_BYTEORDER == SDL_BIG_ENDIAN ? 0xFF000000 : 0x000000FF;
        rgba.Gmask = SDL_BYTEORDER == SDL_BIG_ENDIAN ? 0x00FF0000 : 0x0000FF00;
        rgba.Bmask = SDL_BYTEORDER == SDL_BIG_ENDIAN ? 0x0000FF00 : 0x00FF0000;
        rgba.Amask = SDL_BYTEORDER == SDL_BIG_ENDIAN ? 0x000000FF : 0xFF000000;
        rgba.Rshift = SDL_BYTEORDER == SDL_BIG_ENDIAN ? 24 : 0;
        rgba.Gshift = SDL_BYTEORDER == SDL_BIG_ENDIAN ? 16 : 8;
        rgba.Bshift = SDL_BYTEORDER == SDL_BIG_ENDIAN ? 8 : 16;
        rgba.Ashift = SDL_BYTEORDER == SDL_BIG_ENDIAN ? 0 : 24;
        rgba.alpha = 255;
        SDL_Surface *converted = SDL_ConvertSurface(surface, &rgba, SDL_SWSURFACE);
        SDL_FreeSurface(surface);
        if (!converted) {
            fprintf(stderr, "Texture not found : %s\n", path);
            return -1;
        }
        surface = converted;
        bits = 32;
    }
    SDL_LockSurface(surface);
    std::vector<uint8_t> pixels = SquarePixels(surface);
    SDL_UnlockSurface(surface);
    const int side = surface->w;
    SDL_FreeSurface(surface);
    engine.SetState(7, 9);  // material textures wrap: models tile them
    return engine.CreateTexture(side, pixels.data(), side, bits == 32);
}

}  // namespace lib3d
