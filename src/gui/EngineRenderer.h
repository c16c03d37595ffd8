#pragma once
// Captions drawn through the 3D engine: the engine's own texture, state and
// screen-quad operations behind the GUI's renderer interface.

#include <vector>

#include "gui/GuiRenderer.h"

namespace lib3d {
class Engine;
}

namespace gui {

class EngineRenderer : public GuiRenderer {
public:
    explicit EngineRenderer(lib3d::Engine *engine) : engine_(engine) {}
    int CreateTexture(int size, const uint8_t *pixels, int sourceWidth, bool hasAlpha) override;
    void ReleaseTexture(int slot) override;
    void SetState(int category, int value) override;
    void BindTexture(int slot) override;
    void DrawQuad2D(float x, float y, float w, float h, float u0, float v0, float u1, float v1,
                    float r, float g, float b) override;

    void ScreenSize(int *w, int *h) override;
    void SetProjectionMatrix(const float m[16]) override;
    void SetViewMatrix(const float m[16]) override;
    void SetLighting(bool on) override;
    void SetAmbient(float r, float g, float b) override;
    void SetPointLight(int slot, const float position[3], const float colour[3],
                       float linearAttenuation, float range) override;
    void DisableLight(int slot) override;
    void DrawMesh(const GuiMesh &mesh, const float world[16], const float colour[4],
                  int texture) override;
    void DrawQuad3D(const float world[16], const float corners[4][3], const float uv[4][2],
                    const float colour[4], int texture) override;

    // A lit, textured, coloured vertex as DrawMesh hands it to the device.
    struct MeshVertex {
        float position[3];
        float normal[3];
        uint32_t colour;
        float uv[2];
    };

private:
    lib3d::Engine *engine_;
    std::vector<MeshVertex> scratch_;  // reused from draw to draw
};

}  // namespace gui
