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

#include <cstring>

#include "device/Device.h"
#include "gui/GuiMesh.h"

namespace gui {

namespace {

uint32_t Byte(float v) {
    if (!(v > 0)) return 0;
    if (v >= 1) return 255;
    return (uint32_t)(v * 255.0f + 0.5f);
}

uint32_t Pack(const float c[4]) {
    return (Byte(c[3]) << 24) | (Byte(c[0]) << 16) | (Byte(c[1]) << 8) | Byte(c[2]);
}

}  // namespace

void EngineRenderer::ScreenSize(int *w, int *h) {
    *w = engine_->width;
    *h = engine_->height;
}

void EngineRenderer::SetProjectionMatrix(const float m[16]) {
    if (device::Device *d = engine_->GetDevice()) d->SetTransform(device::TransformProjection, m);
}

void EngineRenderer::SetViewMatrix(const float m[16]) {
    // The engine turns the views it is given half a turn (its first column
    // negated) for its own look-at; the GUI's views are already the picture
    // it wants, so that turn is undone here.
    float v[16];
    std::memcpy(v, m, sizeof(v));
    for (int row = 0; row < 4; row++) v[row * 4] = -v[row * 4];
    engine_->SetView(v);
}

void EngineRenderer::SetLighting(bool on) {
    engine_->SetState(on ? lib3d::Lighting::On : lib3d::Lighting::Off);
}

void EngineRenderer::SetAmbient(float r, float g, float b) {
    engine_->SetAmbient(r, g, b);
}

void EngineRenderer::SetPointLight(int slot, const float position[3], const float colour[3],
                                   float linearAttenuation, float range) {
    engine_->SetPointLight(slot, position[0], position[1], position[2], colour[0], colour[1],
                           colour[2], linearAttenuation, range);
    engine_->EnableLight(slot);
}

void EngineRenderer::DisableLight(int slot) {
    engine_->DisableLight(slot);
}

void EngineRenderer::DrawMesh(const GuiMesh &mesh, const float world[16], const float colour[4],
                              int texture) {
    const size_t count = mesh.indices.size() / 3 * 3;
    if (count == 0) return;
    const uint32_t packed = Pack(colour);
    scratch_.resize(count);
    for (size_t i = 0; i < count; i++) {
        const uint16_t index = mesh.indices[i];
        MeshVertex &v = scratch_[i];
        if (index >= mesh.vertices.size()) {
            std::memset(&v, 0, sizeof(v));
            continue;
        }
        const GuiVertex &g = mesh.vertices[index];
        std::memcpy(v.position, g.position, sizeof(v.position));
        std::memcpy(v.normal, g.normal, sizeof(v.normal));
        v.colour = packed;
        v.uv[0] = g.uv[0];
        v.uv[1] = g.uv[1];
    }
    lib3d::SlotMaterial material;
    for (int i = 0; i < 4; i++) material.diffuse[i] = material.ambient[i] = colour[i];
    for (int i = 0; i < 4; i++) material.specular[i] = 0;
    engine_->ApplyMaterial(material);
    engine_->SetWorld(world);
    engine_->SetState(lib3d::Culling::None);
    engine_->SetState(lib3d::Depth::On);
    engine_->SetState(lib3d::Blending::Alpha);
    if (texture >= 0) {
        engine_->BindTexture(texture);
        engine_->SetState(lib3d::Stage0::TextureTimesColour);
    } else {
        engine_->SetState(lib3d::Stage0::NoTexture);
    }
    engine_->DrawTriangles(
        device::FvfXyz | device::FvfNormal | device::FvfDiffuse | device::FvfTex1, scratch_.data(),
        (int)(count / 3));
}

void EngineRenderer::DrawQuad3D(const float world[16], const float corners[4][3],
                                const float uv[4][2], const float colour[4], int texture) {
    struct QuadVertex {
        float position[3];
        uint32_t colour;
        float uv[2];
    };
    const uint32_t packed = Pack(colour);
    static const int kOrder[6] = {0, 1, 2, 0, 2, 3};
    QuadVertex quad[6];
    for (int i = 0; i < 6; i++) {
        const int k = kOrder[i];
        std::memcpy(quad[i].position, corners[k], sizeof(quad[i].position));
        quad[i].colour = packed;
        quad[i].uv[0] = uv[k][0];
        quad[i].uv[1] = uv[k][1];
    }
    engine_->SetWorld(world);
    if (texture >= 0) engine_->BindTexture(texture);
    engine_->DrawTriangles(device::FvfXyz | device::FvfDiffuse | device::FvfTex1, quad, 2);
}

}  // namespace gui
