#include "gui/GuiFont.h"

#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>

#include <cstdio>

namespace gui {

namespace {

// Whether this module started SDL_ttf (and so must stop it).
bool g_ttfStarted = false;

// Keeps only the coverage of a blended rendering: the colour is always
// white in the page, so alpha is all that matters.
bool CoverageFromSurface(SDL_Surface *surface, GuiCoverage *out) {
    out->width = surface->w;
    out->height = surface->h;
    out->alpha.assign(static_cast<size_t>(surface->w) * surface->h, 0);
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return false;
    const SDL_PixelFormat *format = surface->format;
    for (int y = 0; y < surface->h; ++y) {
        const uint8_t *row = static_cast<const uint8_t *>(surface->pixels) + y * surface->pitch;
        for (int x = 0; x < surface->w; ++x) {
            Uint32 pixel;
            if (format->BytesPerPixel == 4) {
                pixel = reinterpret_cast<const Uint32 *>(row)[x];
            } else {
                pixel = 0;  // blended rendering is always 32-bit; anything else is blank
            }
            Uint8 r, g, b, a;
            SDL_GetRGBA(pixel, const_cast<SDL_PixelFormat *>(format), &r, &g, &b, &a);
            out->alpha[y * surface->w + x] = a;
        }
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    return true;
}

// Renders into the atlas: a new slot for handle -1, else in place.
int32_t Store(GuiTextAtlas *atlas, SDL_Surface *surface, int32_t handle) {
    GuiCoverage coverage;
    if (surface) {
        bool ok = CoverageFromSurface(surface, &coverage);
        SDL_FreeSurface(surface);
        if (!ok) coverage = GuiCoverage();
    }
    if (handle == -1) return atlas->Add(coverage);
    atlas->Replace(handle, coverage);
    return handle;
}

}  // namespace

bool GuiStartTtf() {
    if (g_ttfStarted) return true;
    if (TTF_Init() != 0) {
        fprintf(stderr, "Couldn't initialize TTF: %s\n", SDL_GetError());
        return false;
    }
    g_ttfStarted = true;
    return true;
}

void GuiStopTtf() {
    if (!g_ttfStarted) return;
    TTF_Quit();
    g_ttfStarted = false;
}

GuiFont::GuiFont() {}

GuiFont::~GuiFont() {
    releasePage(-1);
    if (ttf && TTF_WasInit()) TTF_CloseFont(ttf);
    ttf = nullptr;
}

void GuiFont::attach(GuiRenderer *renderer) {
    engine = renderer;
    GuiStartTtf();
}

bool GuiFont::open(const char *file, int size) {
    if (ttf && TTF_WasInit()) TTF_CloseFont(ttf);
    ttf = nullptr;
    if (!GuiStartTtf() || !file || size <= 0) return false;
    ttf = TTF_OpenFont(file, size);
    if (!ttf) return false;
    pointSize = size;
    style = 0;
    TTF_SetFontStyle(ttf, style);
    return true;
}

int32_t GuiFont::renderCaption(const uint16_t *text, int32_t handle) {
    if (!ttf || !text) return handle == -1 ? -1 : handle;
    if (handle != -1 && atlas.PageOf(handle) < 0) return handle;
    SDL_Color white = {255, 255, 255, 0};
    SDL_Surface *surface = text[0] ? TTF_RenderUNICODE_Blended(ttf, text, white) : nullptr;
    return Store(&atlas, surface, handle);
}

int32_t GuiFont::renderCaption(const char *utf8, int32_t handle) {
    if (!ttf || !utf8) return handle == -1 ? -1 : handle;
    if (handle != -1 && atlas.PageOf(handle) < 0) return handle;
    SDL_Color white = {255, 255, 255, 0};
    SDL_Surface *surface = utf8[0] ? TTF_RenderUTF8_Blended(ttf, utf8, white) : nullptr;
    return Store(&atlas, surface, handle);
}

int32_t GuiFont::placeCoverage(const GuiCoverage &coverage, int32_t handle) {
    if (handle == -1) return atlas.Add(coverage);
    atlas.Replace(handle, coverage);
    return handle;
}

int32_t GuiFont::reserveCaption(int maxChars) {
    int lineHeight = static_cast<int>(pointSize * 1.1);
    int columns = static_cast<int>(maxChars * 1.5);
    return atlas.Reserve(lineHeight * columns, lineHeight + 1);
}

void GuiFont::dropTexture(GuiTextPage *page) {
    if (page->texture >= 0 && engine) engine->ReleaseTexture(page->texture);
    page->texture = -1;
}

void GuiFont::uploadPage(GuiTextPage *page) {
    dropTexture(page);
    if (!engine) return;
    // Captions are cut out of the page by their texture coordinates, so the
    // page must clamp rather than wrap at its edges.
    engine->SetState(7, 8);
    page->texture = engine->CreateTexture(kPageSide, page->pixels.data(), kPageSide, true);
    engine->SetState(7, 9);
}

void GuiFont::uploadPages(int32_t handle) {
    if (handle == -1) {
        for (auto &page : atlas.pages) uploadPage(page.get());
        return;
    }
    int index = atlas.PageOf(handle);
    if (index >= 0) uploadPage(atlas.pages[index].get());
}

void GuiFont::releasePage(int32_t handle) {
    if (handle == -1) {
        for (auto &page : atlas.pages) dropTexture(page.get());
        return;
    }
    int index = atlas.PageOf(handle);
    if (index >= 0) dropTexture(atlas.pages[index].get());
}

int32_t GuiFont::captionWidth(int32_t handle) const {
    const GuiTextSlot *slot = atlas.Slot(handle);
    return slot ? slot->width : 0;
}

int32_t GuiFont::captionHeight(int32_t handle) const {
    const GuiTextSlot *slot = atlas.Slot(handle);
    return slot ? slot->height : 0;
}

void GuiFont::drawPieces(const GuiTextSlot &slot, int x, int y, const float colour[3]) {
    const float texel = 1.0f / (kPageSide - 1);
    for (const GuiSlotPiece &piece : GuiTextAtlas::Pieces(slot)) {
        engine->DrawQuad2D(static_cast<float>(x + piece.offsetX), static_cast<float>(y),
                           static_cast<float>(piece.width), static_cast<float>(piece.height),
                           piece.pageX * texel, piece.pageY * texel,
                           (piece.pageX + piece.width) * texel,
                           (piece.pageY + piece.height) * texel, colour[0], colour[1], colour[2]);
    }
}

void GuiFont::drawCaption2D(int32_t handle, int x, int y, int width, int height, int centreX,
                            int centreY) {
    int index = atlas.PageOf(handle);
    if (index < 0 || !engine) return;
    GuiTextPage *page = atlas.pages[index].get();
    if (page->texture < 0) uploadPage(page);
    if (page->texture < 0) return;  // no texture slot left: nothing to draw with
    const GuiTextSlot &slot = *page->Find(handle);
    if (centreX) x += (width - slot.width) / 2;
    if (centreY) y += (height - slot.height) / 2;

    engine->SetState(4, 0);
    engine->SetState(5, 1);
    engine->SetState(1, 0);
    engine->SetState(10, 0);
    engine->SetState(5, 6);
    engine->BindTexture(page->texture);
    engine->SetState(6, 1);
    if (shadowOffset[0] != 0 && shadowOffset[1] != 0)
        drawPieces(slot, x + shadowOffset[0], y + shadowOffset[1], shadowColour);
    drawPieces(slot, x, y, screenColour);
    engine->SetState(4, 1);
    engine->SetState(1, 1);
    engine->SetState(10, 1);
    engine->SetState(6, 0);
}

}  // namespace gui
