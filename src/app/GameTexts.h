#pragma once
// The game's own screen texts, rendered once at start-up with the game font:
// the two player names and the digits (first font), and lines 2 to 31 of the
// text table (second font). The play, opening and result screens draw them
// where their layouts say.

#include <cstdint>
#include <memory>

#include "game/ScreenTexts.h"
#include "gui/GuiFont.h"

class GameTexts : public game::TextMeasure {
public:
    static constexpr int kFirstLine = 2;
    static constexpr int kLastLine = 31;
    static const char *const kFontFile;
    // The game font's point size for a screen width, and the narrowest
    // screen whose size is at least one point.
    static constexpr int FontSize(int screenWidth) { return screenWidth * 24 / 800; }
    static constexpr int kMinScreenWidth = 34;

    // Opens both fonts at the size that suits the screen width and renders
    // every image; false (with a message) when the font cannot be opened or
    // the screen is too narrow for a font size of one point.
    bool Load(gui::GuiRenderer *renderer, int screenWidth, const uint16_t *name0,
              const uint16_t *name1);
    // Drops the fonts, their pages and their textures.
    void Release();

    int Width(const game::TextItem &item) const override;
    int Height(const game::TextItem &item) const;
    void Draw(const game::TextItem &item);
    // A number in decimal, digit images left to right from (x, y).
    void DrawDigits(int number, int x, int y);
    int DigitsWidth(int number) const;

    std::unique_ptr<gui::GuiFont> first, second;
    int32_t names[2] = {-1, -1};
    int32_t digits[10] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    int32_t lines[kLastLine + 1] = {};

    ~GameTexts() { Release(); }

private:
    bool OpenFont(std::unique_ptr<gui::GuiFont> *font, gui::GuiRenderer *renderer, int size);
};

static_assert(GameTexts::FontSize(GameTexts::kMinScreenWidth) == 1 &&
                  GameTexts::FontSize(GameTexts::kMinScreenWidth - 1) == 0,
              "the narrowest screen gets a one-point font");
