#pragma once
// The keyboard and mouse as every update step reads them: a state snapshot
// once per frame, then the pending events. The program reads SDL through
// SdlInput; tests drive the same steps with ScriptedInput, because pushing SDL
// events does not change what SDL reports as the mouse and keyboard state.
// Nothing here includes SDL, so game logic can use it without a display.

#include <cstdint>
#include <deque>
#include <vector>

namespace platform {

// Key symbols, numbered as SDL 1.2 numbers them.
enum Key {
    KeyBackspace = 8,
    KeyTab = 9,
    KeyReturn = 13,
    KeyEscape = 27,
    KeySpace = 32,
    KeyDelete = 127,
    KeyUp = 273,
    KeyDown = 274,
    KeyRight = 275,
    KeyLeft = 276,
    KeyInsert = 277,
    KeyHome = 278,
    KeyEnd = 279,
    KeyPageUp = 280,
    KeyPageDown = 281,
    KeyF1 = 282,
    KeyF2,
    KeyF3,
    KeyF4,
    KeyF5,
    KeyF6,
    KeyF7,
    KeyF8,
    KeyF9,
    KeyF10,
    KeyF11,
    KeyF12,
    KeyRShift = 303,
    KeyLShift = 304,
    KeyRCtrl = 305,
    KeyLCtrl = 306,
    KeyRAlt = 307,
    KeyLAlt = 308,
    KeyCount = 323
};

// Mouse buttons in SDL numbering.
enum MouseButton {
    ButtonLeft = 1,
    ButtonMiddle = 2,
    ButtonRight = 3,
    ButtonWheelUp = 4,
    ButtonWheelDown = 5
};

enum InputEventType {
    EventNone,
    EventKeyDown,
    EventKeyUp,
    EventMouseMotion,
    EventButtonDown,
    EventButtonUp,
    EventQuit
};

struct InputEvent {
    InputEventType type = EventNone;
    int key = 0;           // key events: a Key value (letters and digits are their ASCII codes)
    uint16_t unicode = 0;  // key down: the UTF-16 character typed, 0 when none
    int button = 0;        // button events: a MouseButton value
    int x = 0, y = 0;      // mouse events: the pointer position in window pixels
};

class Input {
public:
    virtual ~Input() {}
    // Brings the state snapshot up to date; call once per frame before reading it.
    virtual void Pump() = 0;
    // Pointer position; returns the pressed buttons, bit (button - 1) per button.
    virtual int MouseState(int *x, int *y) = 0;
    // Pointer motion since the previous call.
    virtual int RelativeMouseState(int *dx, int *dy) = 0;
    virtual bool KeyDown(int key) = 0;
    // Takes the next pending event; false when there is none.
    virtual bool PollEvent(InputEvent *event) = 0;
};

// Input played from a script. Queued events update the state when they are
// polled, as a real event queue would; state can also be set directly.
class ScriptedInput : public Input {
public:
    void Pump() override {}
    int MouseState(int *x, int *y) override;
    int RelativeMouseState(int *dx, int *dy) override;
    bool KeyDown(int key) override;
    bool PollEvent(InputEvent *event) override;

    void Push(const InputEvent &event) { queue_.push_back(event); }
    void PushKey(int key, uint16_t unicode = 0);            // a press and a release
    void PushClick(int x, int y, int button = ButtonLeft);  // motion, press, release
    void PushMotion(int x, int y);
    void PushQuit();
    void SetMouse(int x, int y);
    void SetKey(int key, bool down);
    void SetButtons(int mask) { buttons_ = mask; }
    bool Empty() const { return queue_.empty(); }

private:
    std::deque<InputEvent> queue_;
    std::vector<bool> keys_ = std::vector<bool>(KeyCount, false);
    int x_ = 0, y_ = 0;
    int relX_ = 0, relY_ = 0;
    int buttons_ = 0;
};

}  // namespace platform
