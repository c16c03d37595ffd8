#pragma once
// The keyboard and mouse of the running program, read from SDL 1.2.

#include "platform/Input.h"

namespace platform {

class SdlInput : public Input {
public:
    void Pump() override;
    int MouseState(int *x, int *y) override;
    int RelativeMouseState(int *dx, int *dy) override;
    bool KeyDown(int key) override;
    // Events that no update step reads (focus, expose, resize) are skipped.
    bool PollEvent(InputEvent *event) override;
};

}  // namespace platform
