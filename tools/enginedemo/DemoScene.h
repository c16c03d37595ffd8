#pragma once
// The engine demonstration: lit, textured, rotating geometry drawn with a
// range of render states, then screen quads on top.

#include "lib3d/Engine.h"

namespace demo {

// Creates the demo's textures and buffers; false when the engine cannot.
bool Prepare(lib3d::Engine *engine);
// Draws frame number `frame` (the rotation follows it) and presents it.
// False when the device gave no frame.
bool DrawFrame(lib3d::Engine *engine, int frame);
void Release(lib3d::Engine *engine);

}  // namespace demo
