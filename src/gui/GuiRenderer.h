#pragma once
// What the GUI needs from the 3D engine: texture slots, the numeric render
// states and screen quads for captions, and for the menu scenes the
// projection and view, lights, meshes and quads in the 3D scene. The engine
// offers these operations; a thin adapter hands them over, and tests record
// the calls instead. The scene operations do nothing by default, so a
// renderer made only for captions need not know them.

#include <cstdint>

#include "lib3d/RenderStates.h"

namespace gui {

class GuiMesh;

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

    // ---- the 3D scene (matrices: 16 floats, row vectors, translation in the fourth row)
    // The drawing surface in pixels, for picking.
    virtual void ScreenSize(int *w, int *h) {
        *w = 800;
        *h = 600;
    }
    // The projection and view exactly as the device should use them.
    virtual void SetProjectionMatrix(const float[16]) {}
    virtual void SetViewMatrix(const float[16]) {}
    virtual void SetLighting(bool) {}
    virtual void SetAmbient(float, float, float) {}
    // A point light at a world position with constant attenuation 1, the
    // given linear attenuation, no quadratic attenuation, and a range; enabled.
    virtual void SetPointLight(int, const float[3], const float[3], float, float) {}
    virtual void DisableLight(int) {}
    // A mesh with a world transform, a colour (r, g, b, a) and a texture (-1: none).
    virtual void DrawMesh(const GuiMesh &, const float[16], const float[4], int) {}
    // A textured quad in a local plane: corners (x, y, z) and texture
    // coordinates in the order top-left, top-right, bottom-right,
    // bottom-left, drawn with the world transform and a colour (r, g, b, a).
    virtual void DrawQuad3D(const float[16], const float[4][3], const float[4][2], const float[4],
                            int) {}
};

}  // namespace gui
