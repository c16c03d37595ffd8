#pragma once
// The effects demonstration: a lit, textured ball casting a stencil shadow
// volume onto a floor that also mirrors it, a render-to-texture pass shown on
// a panel, and a ball drawn with an effect compiled from a shader script.

#include "lib3d/Engine.h"

namespace demo {

bool PrepareEffects(lib3d::Engine *engine);
// Draws frame number `frame` and presents it; false when the device gave no
// frame.
bool DrawEffectsFrame(lib3d::Engine *engine, int frame);
void ReleaseEffects(lib3d::Engine *engine);

}  // namespace demo
