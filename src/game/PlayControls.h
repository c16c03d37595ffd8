#pragma once
// Turns the input events of a play frame into the human's rule actions:
// selecting a hand tile, laying it, turning it, passing, drawing, leaving for
// the menu. The camera keys and picking are the presentation's; it supplies
// the pointer's board point and whether the pointer is over the table.

#include "game/LayHelp.h"
#include "game/Rules.h"
#include "platform/Input.h"

namespace game {

// The pointer as this frame sees it.
struct PlayPointer {
    int x = 0;  // window pixels, read once per frame
    int y = 0;
    int overBoard = 0;    // over the table rather than the hand or the buttons
    float boardX = 0.0f;  // the picked board point (under the pointer)
    float boardZ = 0.0f;
    int ctrlHeld = 0;  // Left Ctrl held: button releases belong to the camera
};

class PlayControls {
public:
    explicit PlayControls(Rules &rules) : rules_(rules) {}

    // Snapping the held tile to a nearby legal drop; the play screen turns
    // it on from the settings.
    LayHelp help;

    // The tile following the pointer over the board, before the events.
    void Preview(const PlayPointer &pointer);

    // One event; returns 1 when it was one of the human's controls.
    int HandleEvent(const platform::InputEvent &event, const PlayPointer &pointer, int width,
                    int height);
    // Every pending event of the input, with Left Ctrl read from its state.
    void HandleEvents(platform::Input &input, PlayPointer pointer, int width, int height);

    // Hand slot under a pointer x (the row of tiles at the bottom left).
    static int HandSlotAt(int x, int width);

private:
    int LeftRelease(const PlayPointer &pointer, int width, int height);

    Rules &rules_;
};

}  // namespace game
