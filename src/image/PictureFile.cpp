#include "image/PictureFile.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstring>
#include <string>
#include <vector>

#include "image/Png.h"
#include "platform/SafeFile.h"

namespace {

// The RGBA byte order of `Image` as an SDL pixel format.
SDL_PixelFormat RgbaFormat() {
    const bool big = SDL_BYTEORDER == SDL_BIG_ENDIAN;
    SDL_PixelFormat rgba = {};
    rgba.BitsPerPixel = 32;
    rgba.BytesPerPixel = 4;
    rgba.Rmask = big ? 0xFF000000 : 0x000000FF;
    rgba.Gmask = big ? 0x00FF0000 : 0x0000FF00;
    rgba.Bmask = big ? 0x0000FF00 : 0x00FF0000;
    rgba.Amask = big ? 0x000000FF : 0xFF000000;
    rgba.Rshift = big ? 24 : 0;
    rgba.Gshift = big ? 16 : 8;
    rgba.Bshift = big ? 8 : 16;
    rgba.Ashift = big ? 0 : 24;
    rgba.alpha = 255;
    return rgba;
}

// Reads every pixel through the surface's own format, so 24- and 32-bit
// surfaces with any channel order come out alike.
void CopyPixels(SDL_Surface *s, bool keepAlpha, Image *image) {
    const int bytes = s->format->BytesPerPixel;
    image->width = s->w;
    image->height = s->h;
    image->pixels.assign(static_cast<size_t>(s->w) * s->h * 4, 0);
    const uint8_t *base = static_cast<const uint8_t *>(s->pixels);
    for (int y = 0; y < s->h; y++) {
        const uint8_t *row = base + static_cast<size_t>(y) * s->pitch;
        uint8_t *out = &image->pixels[static_cast<size_t>(y) * s->w * 4];
        for (int x = 0; x < s->w; x++, out += 4) {
            const uint8_t *p = row + static_cast<size_t>(x) * bytes;
            Uint32 value = 0;
            for (int i = 0; i < bytes; i++) value |= static_cast<Uint32>(p[i]) << (8 * i);
            if (SDL_BYTEORDER == SDL_BIG_ENDIAN) value >>= 8 * (4 - bytes);
            SDL_GetRGBA(value, s->format, &out[0], &out[1], &out[2], &out[3]);
            if (!keepAlpha) out[3] = 255;
        }
    }
}

// Whether a PNG file carries alpha: a colour type with an alpha channel, or
// a transparency chunk ahead of the image data. `bytes` has already been
// decoded, so its chunk layout is sound.
bool PngHasAlpha(const std::vector<uint8_t> &bytes) {
    size_t at = 8;
    bool alpha = false;
    while (at + 8 <= bytes.size()) {
        const uint8_t *p = &bytes[at];
        const uint32_t length = uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
        if (!memcmp(p + 4, "IHDR", 4) && length >= 13 && at + 8 + 13 <= bytes.size())
            alpha = alpha || (p[8 + 9] & 4) != 0;
        if (!memcmp(p + 4, "tRNS", 4)) alpha = true;
        if (!memcmp(p + 4, "IDAT", 4) || !memcmp(p + 4, "IEND", 4)) break;
        if (length > bytes.size() - at - 8) break;
        at += 12 + size_t(length);
    }
    return alpha;
}

bool IsPng(const std::vector<uint8_t> &bytes) {
    static const uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
    return bytes.size() >= 8 && !memcmp(bytes.data(), kSignature, 8);
}

// Other formats through SDL_image, from the bytes already read.
int ReadWithSdl(const std::vector<uint8_t> &bytes, Image *image, bool *hasAlpha) {
    SDL_RWops *rw = SDL_RWFromConstMem(bytes.data(), int(bytes.size()));
    SDL_Surface *surface = rw ? IMG_Load_RW(rw, 1) : nullptr;
    if (!surface) return 0;
    if (surface->w <= 0 || surface->h <= 0) {
        SDL_FreeSurface(surface);
        return 0;
    }
    const int bits = surface->format->BitsPerPixel;
    bool alpha = bits == 32;
    if (bits != 24 && bits != 32) {
        // Palette, grey and 16-bit pictures are valid files too: SDL turns
        // them into RGBA, colour key included.
        SDL_PixelFormat rgba = RgbaFormat();
        SDL_Surface *converted = SDL_ConvertSurface(surface, &rgba, SDL_SWSURFACE);
        SDL_FreeSurface(surface);
        if (!converted) return 0;
        surface = converted;
        alpha = true;
    }
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) {
        SDL_FreeSurface(surface);
        return 0;
    }
    CopyPixels(surface, alpha, image);
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    SDL_FreeSurface(surface);
    if (hasAlpha) *hasAlpha = alpha;
    return 1;
}

}  // namespace

int ReadPicture(const char *path, Image *image, bool *hasAlpha) {
    *image = Image();
    std::vector<uint8_t> bytes;
    if (platform::ReadRegularFile(path, kPictureMaxFileSize, &bytes) != platform::FileOk) return 0;
    if (IsPng(bytes)) {
        // The engine's own reader, so that every PNG it accepts (any colour
        // type and depth) loads alike wherever a picture is loaded.
        std::string why;  // the callers write their own message
        if (!DecodePng(bytes.data(), bytes.size(), image, 0, PngTint(), &why)) return 0;
        if (hasAlpha) *hasAlpha = PngHasAlpha(bytes);
        return 1;
    }
    return ReadWithSdl(bytes, image, hasAlpha);
}
