#pragma once
// A TrueType font and the captions rendered with it. Captions are rasterised
// once with SDL_ttf into the font's 256 x 256 pages (see GuiTextAtlas.h),
// uploaded as engine textures and drawn as textured quads; a caption is
// addressed by its handle. The menus' fonts and the game's own screen texts
// use the same operations.

#include <cstdint>

#include "gui/GuiRenderer.h"
#include "gui/GuiTextAtlas.h"
#include "image/TrueType.h"

namespace gui {

class GuiFont {
public:
    GuiFont();
    ~GuiFont();
    GuiFont(const GuiFont &) = delete;
    GuiFont &operator=(const GuiFont &) = delete;

    // Remembers the renderer used for textures and drawing and starts SDL_ttf if needed.
    void attach(GuiRenderer *renderer);
    // Opens the font file at a point size with the normal style. A font that
    // cannot be opened keeps no SDL_ttf font and renders nothing.
    bool open(const char *file, int pointSize);
    bool isOpen() const { return face.IsOpen(); }

    // Renders a UTF-16 text (terminated). Handle -1 places it in a new slot
    // and returns the new handle (-1 when it cannot be placed); any other
    // handle re-renders that slot in place and is returned unchanged.
    int32_t renderCaption(const uint16_t *text, int32_t handle);
    // The same for a UTF-8 text.
    int32_t renderCaption(const char *utf8, int32_t handle);
    // The same for coverage already rasterised.
    int32_t placeCoverage(const GuiCoverage &coverage, int32_t handle);
    // Reserves room for a text field of at most maxChars characters.
    int32_t reserveCaption(int maxChars);

    // Re-creates the engine texture of the page holding `handle`, or of every page for -1.
    void uploadPages(int32_t handle);
    // Drops the engine texture of the page holding `handle`, or of every page for -1.
    void releasePage(int32_t handle);
    // The slot's size; 0 when the handle is in no page.
    int32_t captionWidth(int32_t handle) const;
    int32_t captionHeight(int32_t handle) const;

    // Draws a caption in window pixels at (x, y), centred in `width` when
    // centreX is non-zero and in `height` when centreY is, shadow first.
    void drawCaption2D(int32_t handle, int x, int y, int width, int height, int centreX,
                       int centreY);

    // Draws a caption on a widget: centred on the widget's local origin in
    // the plane at depth z, one local unit per texel, with the widget's world
    // transform; shadow first, in the scene colours, alpha times sceneAlpha.
    void drawCaptionOnWidget(int32_t handle, float alpha, const float world[16], float z);

    GuiRenderer *engine = nullptr;
    image::TrueTypeFont face;
    int pointSize = 0;
    int style = 0;  // image::FontStyle bits: 1 bold, 2 italic, 4 underline
    float screenColour[3] = {1, 1, 1};
    float sceneColour[3] = {1, 1, 1};
    float sceneAlpha = 1.0f;
    float shadowColour[3] = {0, 0, 0};
    int shadowOffset[2] = {0, 0};
    GuiTextAtlas atlas;

private:
    void uploadPage(GuiTextPage *page);
    void dropTexture(GuiTextPage *page);
    void drawPieces(const GuiTextSlot &slot, int x, int y, const float colour[3]);
    void drawPiecesOnWidget(const GuiTextSlot &slot, int x, int y, const float colour[3],
                            float alpha, const float world[16], float z);
};

}  // namespace gui
