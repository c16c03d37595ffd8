#include "platform/Input.h"

namespace platform {

int ScriptedInput::MouseState(int *x, int *y) {
    if (x) *x = x_;
    if (y) *y = y_;
    return buttons_;
}

int ScriptedInput::RelativeMouseState(int *dx, int *dy) {
    if (dx) *dx = relX_;
    if (dy) *dy = relY_;
    relX_ = relY_ = 0;
    return buttons_;
}

bool ScriptedInput::KeyDown(int key) {
    return key >= 0 && key < KeyCount && keys_[key];
}

bool ScriptedInput::PollEvent(InputEvent *event) {
    if (queue_.empty()) return false;
    *event = queue_.front();
    queue_.pop_front();
    switch (event->type) {
        case EventKeyDown:
            SetKey(event->key, true);
            break;
        case EventKeyUp:
            SetKey(event->key, false);
            break;
        case EventMouseMotion:
            SetMouse(event->x, event->y);
            break;
        case EventButtonDown:
            SetMouse(event->x, event->y);
            if (event->button >= 1 && event->button <= 8) buttons_ |= 1 << (event->button - 1);
            break;
        case EventButtonUp:
            SetMouse(event->x, event->y);
            if (event->button >= 1 && event->button <= 8) buttons_ &= ~(1 << (event->button - 1));
            break;
        default:
            break;
    }
    return true;
}

void ScriptedInput::PushKey(int key, uint16_t unicode) {
    InputEvent e;
    e.type = EventKeyDown;
    e.key = key;
    e.unicode = unicode;
    Push(e);
    e.type = EventKeyUp;
    e.unicode = 0;
    Push(e);
}

void ScriptedInput::PushMotion(int x, int y) {
    InputEvent e;
    e.type = EventMouseMotion;
    e.x = x;
    e.y = y;
    Push(e);
}

void ScriptedInput::PushClick(int x, int y, int button) {
    PushMotion(x, y);
    InputEvent e;
    e.type = EventButtonDown;
    e.button = button;
    e.x = x;
    e.y = y;
    Push(e);
    e.type = EventButtonUp;
    Push(e);
}

void ScriptedInput::PushQuit() {
    InputEvent e;
    e.type = EventQuit;
    Push(e);
}

void ScriptedInput::SetMouse(int x, int y) {
    relX_ += x - x_;
    relY_ += y - y_;
    x_ = x;
    y_ = y;
}

void ScriptedInput::SetKey(int key, bool down) {
    if (key >= 0 && key < KeyCount) keys_[key] = down;
}

}  // namespace platform
