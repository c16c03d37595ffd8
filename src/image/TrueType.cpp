#include "image/TrueType.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdio>

#include "platform/SafeFile.h"

namespace image {

namespace {

// Whether this module started SDL_ttf (and so must stop it).
bool g_ttfStarted = false;

// Keeps only the alpha of a blended rendering: its colour is white anyway.
bool CoverageFromSurface(SDL_Surface *surface, Coverage *out) {
    out->width = surface->w;
    out->height = surface->h;
    out->alpha.assign(static_cast<size_t>(surface->w) * surface->h, 0);
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return false;
    const SDL_PixelFormat *format = surface->format;
    for (int y = 0; y < surface->h; ++y) {
        const uint8_t *row = static_cast<const uint8_t *>(surface->pixels) + y * surface->pitch;
        for (int x = 0; x < surface->w; ++x) {
            // Blended rendering is always 32-bit; anything else stays blank.
            Uint32 pixel =
                format->BytesPerPixel == 4 ? reinterpret_cast<const Uint32 *>(row)[x] : 0;
            Uint8 r, g, b, a;
            SDL_GetRGBA(pixel, const_cast<SDL_PixelFormat *>(format), &r, &g, &b, &a);
            out->alpha[static_cast<size_t>(y) * surface->w + x] = a;
        }
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    return true;
}

bool Finish(SDL_Surface *surface, Coverage *out) {
    *out = Coverage();
    if (!surface) return false;
    const bool ok = CoverageFromSurface(surface, out);
    SDL_FreeSurface(surface);
    if (!ok) *out = Coverage();
    return ok;
}

const SDL_Color kWhite = {255, 255, 255, 0};

}  // namespace

bool StartTrueType() {
    if (g_ttfStarted) return true;
    if (TTF_Init() != 0) {
        fprintf(stderr, "Couldn't initialize TTF: %s\n", SDL_GetError());
        return false;
    }
    g_ttfStarted = true;
    return true;
}

void StopTrueType() {
    if (!g_ttfStarted) return;
    TTF_Quit();
    g_ttfStarted = false;
}

bool TrueTypeFont::Open(const char *file, int pointSize) {
    Close();
    if (!file || pointSize <= 0 || !StartTrueType()) return false;
    if (platform::ReadRegularFile(file, kFontMaxFileSize, &file_) != platform::FileOk ||
        file_.empty())
        return false;
    SDL_RWops *rw = SDL_RWFromConstMem(file_.data(), int(file_.size()));
    font_ = rw ? TTF_OpenFontRW(rw, 1, pointSize) : nullptr;
    if (!font_) {
        std::vector<uint8_t>().swap(file_);
        return false;
    }
    pointSize_ = pointSize;
    SetStyle(StyleNormal);
    return true;
}

void TrueTypeFont::Close() {
    // A font outlives SDL_ttf only when someone stopped it early; closing it
    // then would touch freed library state.
    if (font_ && TTF_WasInit()) TTF_CloseFont(font_);
    font_ = nullptr;
    std::vector<uint8_t>().swap(file_);
    pointSize_ = 0;
    style_ = 0;
}

void TrueTypeFont::SetStyle(int styleBits) {
    style_ = styleBits & (StyleBold | StyleItalic | StyleUnderline);
    if (font_) TTF_SetFontStyle(font_, style_);
}

int TrueTypeFont::Height() const {
    return font_ ? TTF_FontHeight(font_) : 0;
}

bool TrueTypeFont::Render(const uint16_t *text, Coverage *out) const {
    if (!font_ || !text || !text[0]) return Finish(nullptr, out);
    return Finish(TTF_RenderUNICODE_Blended(font_, text, kWhite), out);
}

bool TrueTypeFont::RenderUtf8(const char *text, Coverage *out) const {
    if (!font_ || !text || !text[0]) return Finish(nullptr, out);
    return Finish(TTF_RenderUTF8_Blended(font_, text, kWhite), out);
}

bool TrueTypeFont::Measure(const uint16_t *text, int *width, int *height) const {
    *width = *height = 0;
    if (!font_ || !text || !text[0]) return false;
    return TTF_SizeUNICODE(font_, text, width, height) == 0;
}

}  // namespace image
