#pragma once
// A small menu of every widget kind, built in code the way the menu script
// builds the real ones: a camera, a light, a grouping node sliding in at the
// start, buttons, a switch, an option, a text field and graphics, with
// generated pictures for every state and bindings that store what happens.

#include "gui/GuiManager.h"

namespace demo {

// Builds the menu into `gui` (whose renderer is set). False when the font
// cannot be opened or a texture cannot be made.
bool BuildMenu(gui::GuiManager *gui, const char *fontPath);

// The window pixel a world point shows at, through the picking camera.
void ScreenOf(gui::GuiManager *gui, const float world[3], int *x, int *y);

}  // namespace demo
