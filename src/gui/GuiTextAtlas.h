#pragma once
// Caption pages: every caption of a font is rasterised once into shared
// 256 x 256 RGBA pages and later drawn as textured quads. This file is the
// CPU side of it (placement, band wrapping, reservations, re-rendering in
// place); it knows nothing of fonts or of the display, so it can be checked
// without either.
//
// A caption is copied column by column at the page's cursor. When the cursor
// passes the right edge the caption goes on at x = 0 on a new band below the
// lowest pixel used so far, so a caption wider than the space left is split
// over several bands. Captions are addressed by handles from one counter
// shared by every font; handles are never reused.

#include <cstdint>
#include <memory>
#include <vector>

#include "image/TrueType.h"

namespace gui {

constexpr int kPageSide = 256;
// Empty columns left after each caption.
constexpr int kCaptionGap = 8;
// Columns left after a text-field reservation.
constexpr int kReserveGap = 5;

struct GuiTextSlot {
    int32_t handle = -1;
    int x = 0, y = 0;  // start of the caption in the page
    int width = 0, height = 0;
    // Distance from one band of this caption to the next one in the page.
    int bandStep = 0;
};

// Coverage of a rendered caption: one alpha byte per pixel, rows top to bottom.
using GuiCoverage = image::Coverage;

// One band piece of a slot: a rectangle of the page and where it goes,
// relative to the caption's left edge.
struct GuiSlotPiece {
    int pageX, pageY, width, height;
    int offsetX;
};

struct GuiTextPage {
    GuiTextPage();
    // RGBA bytes, row after row; white where covered, alpha = coverage.
    std::vector<uint8_t> pixels;
    int texture = -1;  // engine texture slot, -1 when none
    int cursorX = 0, bandTop = 0, lowestY = 0;
    std::vector<GuiTextSlot> slots;

    GuiTextSlot *Find(int32_t handle);
    const GuiTextSlot *Find(int32_t handle) const;
    // Whether a w x h caption can be placed at the cursor.
    bool Fits(int w, int h) const;
    // Copies the caption at the cursor and moves the cursor past it and the
    // gap. The caller has checked Fits. Returns the slot's band step.
    int Place(const GuiCoverage &caption);
    // Copies a caption over an existing slot's space, clipped to the page.
    void Overwrite(GuiTextSlot *slot, const GuiCoverage &caption);
};

class GuiTextAtlas {
public:
    // Places a new caption; returns its handle, or -1 when it cannot fit
    // even in an empty page (nothing is changed then).
    int32_t Add(const GuiCoverage &caption);
    // Re-renders into the slot of `handle`; false when no page holds it.
    bool Replace(int32_t handle, const GuiCoverage &caption);
    // Reserves width x height for a caption edited later; -1 when no page
    // can hold it. No pixels are written.
    int32_t Reserve(int width, int height);

    // The page index holding `handle`, -1 when none.
    int PageOf(int32_t handle) const;
    const GuiTextSlot *Slot(int32_t handle) const;
    // The band pieces drawn for a slot, in order, left to right on screen.
    static std::vector<GuiSlotPiece> Pieces(const GuiTextSlot &slot);

    std::vector<std::unique_ptr<GuiTextPage>> pages;
};

// The next handle the shared counter will give.
int32_t GuiPeekNextHandle();

}  // namespace gui
