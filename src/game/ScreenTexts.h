#pragma once
// Where the game's screens put their texts and buttons, worked out from the
// rules' state alone: the play overlay (names, counts, messages, the pass and
// draw buttons, the camera preset label), the opening message and the result
// of a game. The presentation draws the items in order with the images it
// rendered at start-up; nothing here draws.

#include <vector>

#include "game/Rules.h"

namespace game {

enum TextKind {
    TextLine = 0,   // id: a line number of the text table
    TextName = 1,   // id: a seat
    TextDigits = 2  // id: the number, written with the digit images
};

struct TextItem {
    int kind = TextLine;
    int id = 0;
    int x = 0, y = 0;
    int width = 0;  // centred within this width when `centred`
    int centred = 0;
};

struct ButtonItem {
    int x = 0, y = 0, width = 0, height = 0;
    int hover = 0;  // the pointer is over it: drawn highlighted
    TextItem label;
};

struct PlayOverlay {
    int panelSeat = -1;  // the seat whose name has the highlight panel
    int panelX = 0, panelY = 0, panelWidth = 0, panelHeight = 0;
    std::vector<TextItem> texts;
    std::vector<ButtonItem> buttons;
};

// Widths of the pictures of texts, for the pieces set side by side.
class TextMeasure {
public:
    virtual ~TextMeasure() {}
    virtual int Width(const TextItem &item) const = 0;
};

// The play screen's overlay for a screen of width x height with the pointer
// at (mouseX, mouseY); `labelCountdown` and `preset` are the camera's.
void LayoutPlayOverlay(const Rules &rules, int width, int height, int mouseX, int mouseY,
                       float labelCountdown, int preset, PlayOverlay *out);

// The opening screen: who starts, then the prompt to begin.
void LayoutOpeningTexts(const Rules &rules, int gameKind, int width, std::vector<TextItem> *out);

// The result of a finished game (the winner in rules.current, -1 for none).
void LayoutGameOverTexts(const Rules &rules, int gameKind, int width, int height,
                         const TextMeasure &measure, std::vector<TextItem> *out);


}  // namespace game
