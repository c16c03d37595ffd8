#include "app/GameTexts.h"

#include <cstdio>
#include <string>

#include "persist/TextTable.h"

const char *const GameTexts::kFontFile = "data/gfx/font/vagron.ttf";

bool GameTexts::OpenFont(std::unique_ptr<gui::GuiFont> *font, gui::GuiRenderer *renderer,
                         int size) {
    font->reset(new gui::GuiFont());
    (*font)->attach(renderer);
    if (!(*font)->open(kFontFile, size)) {
        fprintf(stderr, "Impossible de lire %s\n", kFontFile);
        return false;
    }
    // A soft drop shadow keeps the texts readable over the bright table.
    (*font)->shadowOffset[0] = 2;
    (*font)->shadowOffset[1] = 2;
    return true;
}

bool GameTexts::Load(gui::GuiRenderer *renderer, int screenWidth, const uint16_t *name0,
                     const uint16_t *name1) {
    Release();
    const int size = FontSize(screenWidth);
    if (size < 1) {
        // Said as it is: the font file is fine, the size is not.
        fprintf(stderr,
                "Screen width %d too small: the game font would be %d points (width %d at least)\n",
                screenWidth, size, kMinScreenWidth);
        return false;
    }
    if (!OpenFont(&first, renderer, size)) return false;
    names[0] = first->renderCaption(name0, -1);
    names[1] = first->renderCaption(name1, -1);
    for (int d = 0; d < 10; ++d) {
        char text[16];
        snprintf(text, sizeof text, "%d", d);
        digits[d] = first->renderCaption(text, -1);
    }
    first->uploadPages(-1);

    if (!OpenFont(&second, renderer, size)) return false;
    for (int &line : lines) line = -1;
    for (int n = kFirstLine; n <= kLastLine; ++n)
        lines[n] = second->renderCaption(persist::TextLine(n).CStr(), -1);
    second->uploadPages(-1);
    return true;
}

void GameTexts::Release() {
    first.reset();
    second.reset();
}

int GameTexts::Width(const game::TextItem &item) const {
    switch (item.kind) {
        case game::TextName:
            return first && (item.id == 0 || item.id == 1) ? first->captionWidth(names[item.id])
                                                           : 0;
        case game::TextDigits:
            return DigitsWidth(item.id);
        default:
            return second && item.id >= 0 && item.id <= kLastLine
                       ? second->captionWidth(lines[item.id])
                       : 0;
    }
}

int GameTexts::Height(const game::TextItem &item) const {
    if (item.kind == game::TextLine)
        return second && item.id >= 0 && item.id <= kLastLine
                   ? second->captionHeight(lines[item.id])
                   : 0;
    return first
               ? first->captionHeight(item.kind == game::TextName && (item.id == 0 || item.id == 1)
                                          ? names[item.id]
                                          : digits[0])
               : 0;
}

void GameTexts::Draw(const game::TextItem &item) {
    switch (item.kind) {
        case game::TextName:
            if (first && (item.id == 0 || item.id == 1))
                first->drawCaption2D(names[item.id], item.x, item.y, item.width, 0, item.centred,
                                     0);
            break;
        case game::TextDigits:
            DrawDigits(item.id, item.x, item.y);
            break;
        default:
            if (second && item.id >= 0 && item.id <= kLastLine)
                second->drawCaption2D(lines[item.id], item.x, item.y, item.width, 0, item.centred,
                                      0);
            break;
    }
}

void GameTexts::DrawDigits(int number, int x, int y) {
    if (!first) return;
    std::string text = std::to_string(number < 0 ? 0 : number);
    for (char c : text) {
        int32_t handle = digits[c - '0'];
        first->drawCaption2D(handle, x, y, 0, 0, 0, 0);
        x += first->captionWidth(handle);
    }
}

int GameTexts::DigitsWidth(int number) const {
    if (!first) return 0;
    int w = 0;
    for (char c : std::to_string(number < 0 ? 0 : number))
        w += first->captionWidth(digits[c - '0']);
    return w;
}
