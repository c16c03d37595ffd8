#pragma once
// What the GUI needs from the 3D engine to put captions on screen: texture
// slots, the numeric render states and screen quads. The engine offers these
// operations under the same names; a thin adapter hands them over, and tests
// record the calls instead.

#include <cstdint>

#include "lib3d/RenderStates.h"

namespace gui {

class GuiRenderer {
public:
    virtual ~GuiRenderer() {}
    // A texture slot made from sourceWidth x sourceWidth RGBA pixels; -1 when none is free.
    virtual int CreateTexture(int size, const uint8_t *pixels, int sourceWidth, bool hasAlpha) = 0;
    virtual void ReleaseTexture(int slot) = 0;
    virtual void SetState(int category, int value) = 0;
    // The same by name (lib3d/RenderStates.h).
    template <typename Named>
    void SetState(Named value) {
        SetState(lib3d::CategoryOf(value), static_cast<int>(value));
    }
    virtual void BindTexture(int slot) = 0;
    // A screen rectangle in window pixels with texture coordinates and a colour.
    virtual void DrawQuad2D(float x, float y, float w, float h, float u0, float v0, float u1,
                            float v1, float r, float g, float b) = 0;
};

}  // namespace gui
