// Caption pages under any sequence of placements, reservations and
// re-renderings: every write stays inside its page, every slot starts inside
// one, and the pieces drawn never reach past a page's edge.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "gui/GuiTextAtlas.h"

namespace {

struct Reader {
    const uint8_t *data;
    size_t size, at = 0;
    int Byte() { return at < size ? data[at++] : 0; }
    int Size(int most) { return (Byte() | (Byte() << 8)) % (most + 1); }
};

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Reader in{data, size};
    gui::GuiTextAtlas atlas;
    std::vector<int32_t> handles;
    for (int step = 0; step < 64 && in.at < size; ++step) {
        int op = in.Byte() % 3;
        gui::GuiCoverage c;
        c.width = in.Size(1200);
        c.height = in.Size(300);
        c.alpha.assign(static_cast<size_t>(c.width) * c.height, 0xA5);
        int32_t h = -1;
        if (op == 0) {
            h = atlas.Add(c);
        } else if (op == 1) {
            h = atlas.Reserve(c.width, c.height);
        } else if (!handles.empty()) {
            atlas.Replace(handles[in.Byte() % handles.size()], c);
        }
        if (h >= 0) handles.push_back(h);
        if (atlas.pages.size() > 64) break;
    }
    for (const auto &page : atlas.pages) {
        Check(page->pixels.size() == gui::kPageSide * gui::kPageSide * 4);
        for (const gui::GuiTextSlot &slot : page->slots) {
            Check(slot.x >= 0 && slot.x < gui::kPageSide);
            Check(slot.y >= 0 && slot.y < gui::kPageSide);
            for (const gui::GuiSlotPiece &p : gui::GuiTextAtlas::Pieces(slot)) {
                Check(p.pageX >= 0 && p.pageX + p.width <= gui::kPageSide);
                Check(p.pageY >= 0 && p.pageY < gui::kPageSide);
            }
        }
    }
    return 0;
}
