#pragma once
// What the front-end needs of the menu scene: the widgets the menu script
// made, found by name, events fed in, stored actions taken out. The GUI
// manager satisfies it through a thin adapter; tests use a fake that
// records what the front-end did.

#include <cstddef>
#include <cstdint>

namespace frontend {

// Longest text a text widget holds, in UTF-16 units.
const int kMenuTextUnits = 63;

class MenuGui {
public:
    virtual ~MenuGui() {}

    // The next action a button stored, into name (cut to size - 1 bytes);
    // false, with an empty name, when none is left.
    virtual bool PopStoredAction(char *name, size_t size) = 0;

    virtual bool Exists(const char *object) = 0;
    // Shows or hides a widget or a menu group; an unknown name does nothing.
    virtual void SetVisible(const char *object, bool visible) = 0;
    // A switch's state; false when there is no such widget.
    virtual bool GetState(const char *object, int *state) = 0;
    virtual void SetState(const char *object, int state) = 0;
    // A text widget's text, terminated, cut to units - 1; false when unknown.
    virtual bool GetText(const char *object, uint16_t *text, size_t units) = 0;
    virtual void SetText(const char *object, const uint16_t *text) = 0;
    virtual bool HasFocus(const char *object) = 0;

    // Input, in window pixels. Buttons: 0 left, 1 middle, 3 any other.
    virtual void KeyDown(int key, uint16_t unicode) = 0;
    virtual void KeyUp(int key, uint16_t unicode) = 0;
    virtual void MouseMove(int x, int y) = 0;
    virtual void ButtonDown(int x, int y, int button) = 0;
    virtual void ButtonUp(int x, int y, int button) = 0;

    // Advances animations and runs the actions of raised events.
    virtual void Update(float dt) = 0;
    virtual void Render() = 0;
};

}  // namespace frontend
