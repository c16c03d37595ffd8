#pragma once
// The front-end's own overlays as numbers: where the slot list, the help
// page and the credits put their lines, which slot the pointer picks, and
// what each slot's label says. Nothing here draws, so all of it is checked
// without a display.

#include <cstdint>
#include <vector>

#include "game/SaveGame.h"
#include "persist/WideString.h"

namespace frontend {

// ---- saved-game slots
const int kSlotCount = 5;
const int kSlotTop = 160;
const int kSlotRow = 48;

enum SlotListMode { SlotListClosed = 0, SlotListLoad = 1, SlotListSave = 2 };

// The slot a button release at height y picks: 0..4, or -1 outside the
// rows (y must be above 160 and below 400).
int PickSlot(int y);
// The row drawn highlighted under the pointer, or -1 (y above 160 and
// below 448; rows past the fifth are never drawn).
int HighlightRow(int y);
// A slot's label: the empty-slot text for kind -1, else
// "day\month\year - hours : minutes - N word", N 1 for a game against the
// computer (kind 4) and 2 for any other kind.
persist::WideString SlotLabel(const game::SlotHeader &header, const persist::WideString &emptyText,
                              const persist::WideString &playerWord);

// ---- help
const int kHelpFirstLine = 33;
const int kHelpLines = 9;
const int kHelpX = 64;
// Top of help line k (0..8): double-spaced, the block centred vertically.
int HelpLineY(int k, int screenHeight, int lineHeight);

// ---- credits
enum CreditKind { CreditBlank = -1, CreditNormal = 0, CreditTitle = 1 };

struct CreditLine {
    int32_t kind = CreditNormal;
    persist::WideString text;  // without the title's "*"
    int32_t handle = -1;       // caption handle once rendered; -1 for a blank line
};

// A line of the credits file as the list holds it.
CreditLine ParseCreditLine(const persist::WideString &line);

struct CreditDraw {
    int index;  // into the lines
    int y;
};

// One frame of the scrolling credits: the lines drawn and where, then the
// scroll moves up by half the frame step; once the last line has passed the
// top, the text starts again from below the screen.
void CreditsFrame(const std::vector<CreditLine> &lines, int screenHeight, int normalHeight,
                  int titleHeight, float step, float *scroll, std::vector<CreditDraw> *draws);
// The scroll position the credits open at.
float CreditsStart(int screenHeight);

// ---- switches
// BUTTONOPTION_RES state for a width (640, 800, 1024), -1 for any other.
int ResolutionState(int width);
// The size a state of the switch selects; false for another state.
bool ResolutionOfState(int state, int *width, int *height);

}  // namespace frontend
