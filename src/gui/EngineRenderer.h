#pragma once
// Captions drawn through the 3D engine: the engine's own texture, state and
// screen-quad operations behind the GUI's renderer interface.

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

private:
    lib3d::Engine *engine_;
};

}  // namespace gui
