// Transforms, lights, projection and the drawing calls of the engine.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "lib3d/Engine.h"
#include "lib3d/Matrix.h"

namespace lib3d {
namespace {

uint32_t ColourByte(float value) {
    const float scaled = value * 255.0f;
    if (!(scaled > 0.0f)) return 0;
    return scaled >= 255.0f ? 255u : static_cast<uint32_t>(scaled);
}

}  // namespace

void Engine::SetWorld(const float m[16]) {
    std::memmove(world, m, sizeof(world));
    if (device_) device_->SetTransform(device::TransformWorld, world);
}

void Engine::SetView(const float m[16]) {
    std::memmove(view, m, sizeof(view));
    // Views from Matrix::LookAt put the world's up at +y and its right at +x
    // only after a half turn about the viewing axis: on their own they show
    // the table upside down, with the hand in the top right corner. The device
    // gets the view with its first column negated, which is that half turn
    // applied to the view whose second column is negated; a half turn keeps
    // every triangle's winding, so culling is unchanged. Unproject reads the
    // device's view, so picking follows the same picture.
    float flipped[16];
    std::memcpy(flipped, view, sizeof(flipped));
    for (int row = 0; row < 4; row++) flipped[row * 4] = -flipped[row * 4];
    if (device_) device_->SetTransform(device::TransformView, flipped);
}

void Engine::SetAmbient(float r, float g, float b) {
    ambient = 0xFF000000u | (ColourByte(r) << 16) | (ColourByte(g) << 8) | ColourByte(b);
    if (device_) device_->SetRenderState(device::RsAmbient, ambient);
}

void Engine::SetPointLight(int slot, float x, float y, float z, float r, float g, float b,
                           float linearAttenuation, float range) {
    if (slot < 0 || slot >= kLightSlots) return;
    device::Light light;
    light.type = device::LightPoint;
    light.diffuse = device::Colour{r, g, b, 1.0f};
    light.specular = device::Colour{1, 1, 1, 1};
    light.ambient = device::Colour{0, 0, 0, 0};
    light.position[0] = x;
    light.position[1] = y;
    light.position[2] = z;
    light.attenuation0 = 1.0f;
    light.attenuation1 = linearAttenuation;
    light.attenuation2 = 0.0f;
    light.range = range;
    lights[slot].set = true;
    lights[slot].light = light;
    if (device_) device_->SetLight(slot, light);
}

void Engine::SetDirectionalLight(int slot, float dx, float dy, float dz, float r, float g,
                                 float b) {
    if (slot < 0 || slot >= kLightSlots) return;
    const float length = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (length > 0.0f) {
        dx /= length;
        dy /= length;
        dz /= length;
    }
    device::Light light;
    light.type = device::LightDirectional;
    light.diffuse = device::Colour{r, g, b, 1.0f};
    light.specular = device::Colour{1, 1, 1, 1};
    light.direction[0] = dx;
    light.direction[1] = dy;
    light.direction[2] = dz;
    lights[slot].set = true;
    lights[slot].light = light;
    if (device_) device_->SetLight(slot, light);
}

void Engine::EnableLight(int slot) {
    if (slot < 0 || slot >= kLightSlots) return;
    lights[slot].enabled = true;
    if (device_) device_->LightEnable(slot, true);
}

void Engine::DisableLight(int slot) {
    if (slot < 0 || slot >= kLightSlots) return;
    lights[slot].enabled = false;
    if (device_) device_->LightEnable(slot, false);
}

void Engine::SetProjection() {
    Matrix::Identity(world);
    Matrix::Identity(view);
    if (device_) {
        device_->SetTransform(device::TransformWorld, world);
        device_->SetTransform(device::TransformView, view);
    }
    const float fov = 2.0f * std::atan(height / (2.0f * focal));
    const float aspect = (currentTarget == 13 || flagTargetAspect)
                             ? width * pixelAspect / static_cast<float>(height)
                             : 1.0f;
    const float ys = 1.0f / std::tan(fov / 2.0f);
    const float xs = ys / aspect;
    const float depth = farPlane / (farPlane - nearPlane);
    const float p[16] = {
        xs,   0.0f, 0.0f,
        0.0f,  //
        0.0f, ys,   0.0f,
        0.0f,  //
        0.0f, 0.0f, depth,
        1.0f,  //
        0.0f, 0.0f, -nearPlane * depth,
        0.0f,
    };
    if (device_) device_->SetTransform(device::TransformProjection, p);
    Matrix::Transpose(p, projectionTransposed);
}

void Engine::Unproject(float x, float y, float out[3]) {
    float v[16], p[16], m[16];
    Matrix::Identity(v);
    Matrix::Identity(p);
    if (device_) {
        device_->GetTransform(device::TransformView, v);
        device_->GetTransform(device::TransformProjection, p);
    }
    const float px = (2.0f * x / width - 1.0f) / p[0];
    const float py = -(2.0f * y / height - 1.0f) / p[5];
    if (!Matrix::Inverse(v, m)) Matrix::Identity(m);
    for (int i = 0; i < 3; i++) out[i] = m[12 + i] + px * m[i] + py * m[4 + i] + m[8 + i];
}

bool Engine::ScreenBounds(const float world[16], const float lo[3], const float hi[3],
                          device::Rect *out) const {
    if (!device_ || !out) return false;
    float view[16], projection[16], worldView[16], all[16];
    device_->GetTransform(device::TransformView, view);
    device_->GetTransform(device::TransformProjection, projection);
    Matrix::Multiply(world, view, worldView);
    Matrix::Multiply(worldView, projection, all);
    const device::Viewport vp = device_->GetViewport();
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    for (int corner = 0; corner < 8; corner++) {
        const float p[3] = {corner & 1 ? hi[0] : lo[0], corner & 2 ? hi[1] : lo[1],
                            corner & 4 ? hi[2] : lo[2]};
        float clip[4];
        Matrix::TransformHomogeneous(all, p, clip);
        if (!(clip[3] > 1e-6f)) return false;
        // Normalised coordinates to window pixels, y running down.
        const float x = vp.x + (clip[0] / clip[3] + 1.0f) * 0.5f * vp.width;
        const float y = vp.y + (1.0f - clip[1] / clip[3]) * 0.5f * vp.height;
        if (corner == 0 || x < x0) x0 = x;
        if (corner == 0 || x > x1) x1 = x;
        if (corner == 0 || y < y0) y0 = y;
        if (corner == 0 || y > y1) y1 = y;
    }
    auto clamp = [](float v, int low, int high) {
        return v < low ? low : (v > high ? high : static_cast<int>(v));
    };
    out->left = clamp(std::floor(x0) - 1.0f, vp.x, vp.x + vp.width);
    out->top = clamp(std::floor(y0) - 1.0f, vp.y, vp.y + vp.height);
    out->right = clamp(std::ceil(x1) + 1.0f, vp.x, vp.x + vp.width);
    out->bottom = clamp(std::ceil(y1) + 1.0f, vp.y, vp.y + vp.height);
    return true;
}

void Engine::SetClipRect(const device::Rect *rect) {
    if (device_) device_->SetScissorRect(rect);
}

std::unique_ptr<device::VertexBuffer> Engine::CreateVertexBuffer(int count, uint32_t format,
                                                                 bool dynamic) {
    return std::unique_ptr<device::VertexBuffer>(new device::VertexBuffer(count, format, dynamic));
}

std::unique_ptr<device::IndexBuffer> Engine::CreateIndexBuffer(int count, bool dynamic) {
    return std::unique_ptr<device::IndexBuffer>(new device::IndexBuffer(count, dynamic));
}

void Engine::DrawIndexed(const device::VertexBuffer &vertices, const device::IndexBuffer &indices,
                         int firstIndex, int triangleCount) {
    if (!device_) return;
    device_->SetStreamSource(&vertices);
    device_->SetIndices(&indices);
    device_->DrawIndexedPrimitive(device::PrimTriangleList, firstIndex, triangleCount);
    device_->SetStreamSource(nullptr);
    device_->SetIndices(nullptr);
}

void Engine::DrawTriangles(uint32_t format, const void *vertices, int triangleCount) {
    if (!device_) return;
    device_->SetVertexFormat(format);
    device_->DrawPrimitiveUP(device::PrimTriangleList, triangleCount, vertices,
                             device::LayoutOf(format).stride);
}

void Engine::DrawQuad2D(float x, float y, float w, float h, float u0, float v0, float u1, float v1,
                        float r, float g, float b) {
    if (!device_) return;
    struct QuadVertex {
        float x, y, z, rhw;
        uint32_t colour;
        float u, v;
    };
    static_assert(sizeof(QuadVertex) == 28, "window-pixel vertex layout");
    const float rhw = 2.0f / (nearPlane + farPlane);
    const uint32_t colour =
        0xFF000000u | (ColourByte(r) << 16) | (ColourByte(g) << 8) | ColourByte(b);
    const QuadVertex quad[4] = {
        {x, y, 0.5f, rhw, colour, u0, v0},
        {x + w, y, 0.5f, rhw, colour, u1, v0},
        {x + w, y + h, 0.5f, rhw, colour, u1, v1},
        {x, y + h, 0.5f, rhw, colour, u0, v1},
    };
    device_->SetVertexFormat(device::FvfXyzRhw | device::FvfDiffuse | device::FvfTex1);
    device_->DrawPrimitiveUP(device::PrimTriangleFan, 2, quad, sizeof(QuadVertex));
}

void Engine::DrawPointer(int x, int y) {
    if (!device_ || pointerTexture < 0 || pointerTexture >= kTextureSlots ||
        !slots[pointerTexture].inUse) {
        return;
    }
    SetState(Culling::None);
    SetState(Depth::Off);
    SetState(Lighting::Off);
    SetState(Stage0::TextureTimesColour);
    BindTexture(pointerTexture);
    SetState(Blending::Alpha);
    DrawQuad2D(static_cast<float>(x), static_cast<float>(y), 16, 16, 0, 0, 1, 1, 1, 1, 1);
    SetState(Blending::Off);
    SetState(Depth::On);
}

}  // namespace lib3d
