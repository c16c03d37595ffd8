#include "gui/EngineRenderer.h"

#include "lib3d/Engine.h"

namespace gui {

int EngineRenderer::CreateTexture(int size, const uint8_t *pixels, int sourceWidth, bool hasAlpha) {
    return engine_->CreateTexture(size, pixels, sourceWidth, hasAlpha);
}

void EngineRenderer::ReleaseTexture(int slot) {
    // Negative numbers are render targets, never a caption page.
    if (slot >= 0) engine_->ReleaseTexture(slot);
}

void EngineRenderer::SetState(int category, int value) {
    engine_->SetState(category, value);
}

void EngineRenderer::BindTexture(int slot) {
    if (slot >= 0) engine_->BindTexture(slot);
}

void EngineRenderer::DrawQuad2D(float x, float y, float w, float h, float u0, float v0, float u1,
                                float v1, float r, float g, float b) {
    engine_->DrawQuad2D(x, y, w, h, u0, v0, u1, v1, r, g, b);
}

}  // namespace gui
