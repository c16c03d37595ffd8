#include "gui/GuiFont.h"

#include <cstdio>

namespace gui {

namespace {

// Renders into the atlas: a new slot for handle -1, else in place.
int32_t Store(GuiTextAtlas *atlas, const GuiCoverage &coverage, int32_t handle) {
    if (handle == -1) return atlas->Add(coverage);
    atlas->Replace(handle, coverage);
    return handle;
}

}  // namespace

GuiFont::GuiFont() {}

GuiFont::~GuiFont() {
    releasePage(-1);
}

void GuiFont::attach(GuiRenderer *renderer) {
    engine = renderer;
    image::StartTrueType();
}

bool GuiFont::open(const char *file, int size) {
    if (!face.Open(file, size)) return false;
    pointSize = size;
    style = face.Style();
    return true;
}

int32_t GuiFont::renderCaption(const uint16_t *text, int32_t handle) {
    if (!face.IsOpen() || !text) return handle == -1 ? -1 : handle;
    if (handle != -1 && atlas.PageOf(handle) < 0) return handle;
    GuiCoverage coverage;
    face.Render(text, &coverage);
    return Store(&atlas, coverage, handle);
}

int32_t GuiFont::renderCaption(const char *utf8, int32_t handle) {
    if (!face.IsOpen() || !utf8) return handle == -1 ? -1 : handle;
    if (handle != -1 && atlas.PageOf(handle) < 0) return handle;
    GuiCoverage coverage;
    face.RenderUtf8(utf8, &coverage);
    return Store(&atlas, coverage, handle);
}

int32_t GuiFont::placeCoverage(const GuiCoverage &coverage, int32_t handle) {
    return Store(&atlas, coverage, handle);
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
    engine->SetState(lib3d::TextureCreation::Clamp);
    page->texture = engine->CreateTexture(kPageSide, page->pixels.data(), kPageSide, true);
    engine->SetState(lib3d::TextureCreation::Wrap);
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

    engine->SetState(lib3d::Culling::None);
    engine->SetState(lib3d::Stage0::TextureTimesColour);
    engine->SetState(lib3d::Depth::Off);
    engine->SetState(lib3d::Lighting::Off);
    engine->SetState(lib3d::Stage0::ColourModulate);
    engine->BindTexture(page->texture);
    engine->SetState(lib3d::Blending::Alpha);
    if (shadowOffset[0] != 0 && shadowOffset[1] != 0)
        drawPieces(slot, x + shadowOffset[0], y + shadowOffset[1], shadowColour);
    drawPieces(slot, x, y, screenColour);
    // Culling value 1 is one the engine ignores: the caption leaves culling
    // off, as it always has, and the call stays for renderers that record it.
    engine->SetState(lib3d::CategoryCulling, 1);
    engine->SetState(lib3d::Depth::On);
    engine->SetState(lib3d::Lighting::On);
    engine->SetState(lib3d::Blending::Off);
}

}  // namespace gui

namespace gui {

void GuiFont::drawPiecesOnWidget(const GuiTextSlot &slot, int x, int y, const float colour[3],
                                 float alpha, const float world[16], float z) {
    const float texel = 1.0f / (kPageSide - 1);
    const int texture = atlas.pages[atlas.PageOf(slot.handle)]->texture;
    const float rgba[4] = {colour[0], colour[1], colour[2], alpha};
    for (const GuiSlotPiece &piece : GuiTextAtlas::Pieces(slot)) {
        // Screen layout runs down the page; the widget's plane has y up.
        const float left = static_cast<float>(x + piece.offsetX);
        const float right = left + piece.width;
        const float top = -static_cast<float>(y);
        const float bottom = top - piece.height;
        const float corners[4][3] = {
            {left, top, z}, {right, top, z}, {right, bottom, z}, {left, bottom, z}};
        const float u0 = piece.pageX * texel, v0 = piece.pageY * texel;
        const float u1 = (piece.pageX + piece.width) * texel;
        const float v1 = (piece.pageY + piece.height) * texel;
        const float uv[4][2] = {{u0, v0}, {u1, v0}, {u1, v1}, {u0, v1}};
        engine->DrawQuad3D(world, corners, uv, rgba, texture);
    }
}

void GuiFont::drawCaptionOnWidget(int32_t handle, float alpha, const float world[16], float z) {
    int index = atlas.PageOf(handle);
    if (index < 0 || !engine) return;
    GuiTextPage *page = atlas.pages[index].get();
    if (page->texture < 0) uploadPage(page);
    if (page->texture < 0) return;
    const GuiTextSlot &slot = *page->Find(handle);
    // Centred in a 4000 x 4000 box around the origin.
    const int x = -2000 + (4000 - slot.width) / 2;
    const int y = -2000 + (4000 - slot.height) / 2;
    engine->SetState(lib3d::Culling::None);
    engine->SetState(lib3d::Depth::Off);
    engine->SetState(lib3d::Lighting::Off);
    engine->SetState(lib3d::Stage0::TextureTimesColour);
    engine->SetState(lib3d::Blending::Alpha);
    const float a = alpha * sceneAlpha;
    if (shadowOffset[0] != 0 && shadowOffset[1] != 0)
        drawPiecesOnWidget(slot, x + shadowOffset[0], y + shadowOffset[1], shadowColour, a, world,
                           z);
    drawPiecesOnWidget(slot, x, y, sceneColour, a, world, z);
    engine->SetState(lib3d::Depth::On);
}

}  // namespace gui
