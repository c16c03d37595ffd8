#include "gui/GuiTextAtlas.h"

#include <algorithm>

namespace gui {

namespace {

// One counter for every font and page of the process, so a handle names a
// caption unambiguously for the life of the GUI.
int32_t g_nextHandle = 0;

// Writes one column of coverage at (x, top), clipped to the page.
void WriteColumn(GuiTextPage *page, const GuiCoverage &caption, int column, int x, int top) {
    if (x < 0 || x >= kPageSide) return;
    for (int row = 0; row < caption.height; ++row) {
        int y = top + row;
        if (y < 0) continue;
        if (y >= kPageSide) break;
        uint8_t a = caption.alpha[row * caption.width + column];
        uint8_t *p = &page->pixels[(y * kPageSide + x) * 4];
        uint8_t c = a > 0 ? 255 : 0;
        p[0] = p[1] = p[2] = c;
        p[3] = a;
    }
}

}  // namespace

int32_t GuiPeekNextHandle() {
    return g_nextHandle;
}

GuiTextPage::GuiTextPage() : pixels(kPageSide * kPageSide * 4, 0) {}

GuiTextSlot *GuiTextPage::Find(int32_t handle) {
    for (GuiTextSlot &slot : slots)
        if (slot.handle == handle) return &slot;
    return nullptr;
}

const GuiTextSlot *GuiTextPage::Find(int32_t handle) const {
    return const_cast<GuiTextPage *>(this)->Find(handle);
}

bool GuiTextPage::Fits(int w, int h) const {
    if (w <= 0 || h <= 0) return false;
    if (bandTop + h >= kPageSide) return false;
    int end = cursorX + w;
    if (end <= kPageSide - 1) return true;
    // The caption wraps k more times. The first wrap starts below the lowest
    // pixel used so far in the band, which a taller earlier caption may have
    // pushed further down than this caption's own height.
    int k = (end - kPageSide + kPageSide - 1) / kPageSide;
    int nextTop = std::max(lowestY, bandTop + h);
    return nextTop + h * k <= kPageSide - 1;
}

int GuiTextPage::Place(const GuiCoverage &caption) {
    int step = 0;
    for (int column = 0; column < caption.width; ++column) {
        WriteColumn(this, caption, column, cursorX, bandTop);
        lowestY = std::max(lowestY, bandTop + caption.height);
        if (++cursorX > kPageSide - 1) {
            cursorX = 0;
            if (step == 0) step = lowestY - bandTop;
            bandTop = lowestY;
        }
    }
    cursorX += kCaptionGap;
    if (cursorX > kPageSide - 1) {
        cursorX = 0;
        bandTop = lowestY;
    }
    return step > 0 ? step : caption.height;
}

void GuiTextPage::Overwrite(GuiTextSlot *slot, const GuiCoverage &caption) {
    int x = slot->x, top = slot->y;
    int step = slot->bandStep > 0 ? slot->bandStep : caption.height;
    for (int column = 0; column < caption.width; ++column) {
        WriteColumn(this, caption, column, x, top);
        if (++x > kPageSide - 1) {
            x = 0;
            top += step;
        }
    }
    // The slot keeps one column less than the surface: the last column of a
    // blended rendering is the glyph's trailing edge and stays blank.
    slot->width = std::max(0, caption.width - 1);
    slot->height = caption.height;
}

int32_t GuiTextAtlas::Add(const GuiCoverage &caption) {
    if (caption.width <= 0 || caption.height <= 0) return -1;
    if (!GuiTextPage().Fits(caption.width, caption.height)) return -1;
    if (pages.empty() || !pages.back()->Fits(caption.width, caption.height))
        pages.push_back(std::make_unique<GuiTextPage>());
    GuiTextPage &page = *pages.back();
    GuiTextSlot slot;
    slot.handle = g_nextHandle;
    slot.x = page.cursorX;
    slot.y = page.bandTop;
    slot.width = caption.width;
    slot.height = caption.height;
    slot.bandStep = page.Place(caption);
    page.slots.push_back(slot);
    ++g_nextHandle;
    return slot.handle;
}

bool GuiTextAtlas::Replace(int32_t handle, const GuiCoverage &caption) {
    int index = PageOf(handle);
    if (index < 0) return false;
    GuiTextPage &page = *pages[index];
    page.Overwrite(page.Find(handle), caption);
    return true;
}

namespace {

// Where a reservation of w x h at the page's cursor would end: the band top
// of its last band and the column after it; false when it leaves the page.
bool ReserveEnd(const GuiTextPage &page, int w, int h, int *lastTop, int *end) {
    *end = page.cursorX + w;
    *lastTop = page.bandTop;
    if (*end > kPageSide - 1) {
        *lastTop += h * (*end / kPageSide);
        *end %= kPageSide;
    }
    return *lastTop + h <= kPageSide;
}

}  // namespace

int32_t GuiTextAtlas::Reserve(int width, int height) {
    if (width <= 0 || height <= 0) return -1;
    int lastTop, end;
    if (!ReserveEnd(GuiTextPage(), width, height, &lastTop, &end)) return -1;
    if (pages.empty() || !ReserveEnd(*pages.back(), width, height, &lastTop, &end)) {
        pages.push_back(std::make_unique<GuiTextPage>());
        ReserveEnd(*pages.back(), width, height, &lastTop, &end);
    }
    GuiTextPage &page = *pages.back();
    GuiTextSlot slot;
    slot.handle = g_nextHandle++;
    slot.x = page.cursorX;
    slot.y = page.bandTop;
    slot.width = width;
    slot.height = height;
    slot.bandStep = height;
    page.slots.push_back(slot);
    // The cursor moves to the reservation's last band and everything it
    // covers counts as used, so later captions never land inside it.
    page.bandTop = lastTop;
    page.lowestY = std::max(page.lowestY, lastTop + height);
    page.cursorX = end + kReserveGap;
    if (page.cursorX > kPageSide - 1) {
        page.cursorX = 0;
        page.bandTop = page.lowestY;
    }
    return slot.handle;
}

int GuiTextAtlas::PageOf(int32_t handle) const {
    if (handle < 0) return -1;
    for (size_t i = 0; i < pages.size(); ++i)
        if (pages[i]->Find(handle)) return static_cast<int>(i);
    return -1;
}

const GuiTextSlot *GuiTextAtlas::Slot(int32_t handle) const {
    int index = PageOf(handle);
    return index < 0 ? nullptr : pages[index]->Find(handle);
}

std::vector<GuiSlotPiece> GuiTextAtlas::Pieces(const GuiTextSlot &slot) {
    std::vector<GuiSlotPiece> pieces;
    int remaining = slot.width;
    int pageX = slot.x, pageY = slot.y, offset = 0;
    int step = slot.bandStep > 0 ? slot.bandStep : slot.height;
    // The first piece runs to the band's end, each further one up to a
    // whole band; texture coordinates are taken over 255 so a full band
    // spans the texture's whole width.
    int width = std::min(kPageSide - 1 - pageX, remaining);
    while (remaining > 0 && pageY < kPageSide) {
        if (width > 0) {
            pieces.push_back({pageX, pageY, width, slot.height, offset});
            remaining -= width;
            offset += width;
        }
        pageX = 0;
        pageY += step;
        width = std::min(kPageSide - 1, remaining);
    }
    return pieces;
}

}  // namespace gui
