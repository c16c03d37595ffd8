#include "lib3d/Mesh.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "lib3d/BuiltinEffects.h"
#include "lib3d/Engine.h"
#include "lib3d/Material.h"
#include "lib3d/Matrix.h"
#include "lib3d/MeshEffects.h"
#include "lib3d/Shader.h"

namespace lib3d {

namespace {

uint32_t Pack(const float c[4]) {
    auto byte = [](float v) -> uint32_t {
        v = v < 0 ? 0 : (v > 1 ? 1 : v);
        return (uint32_t)(v * 255.0f + 0.5f);
    };
    return byte(c[3]) << 24 | byte(c[0]) << 16 | byte(c[1]) << 8 | byte(c[2]);
}

void Put(uint8_t *vertex, int offset, const void *data, size_t bytes) {
    if (offset >= 0) memcpy(vertex + offset, data, bytes);
}

}  // namespace

Mesh::Mesh(Engine *owner) : engine(owner) {}

Mesh::~Mesh() = default;

uint32_t Mesh::FormatFor(uint32_t l) {
    using namespace device;
    const bool normal = l & kLayoutNormal, colour = l & kLayoutColour;
    const int sets = (l & kLayoutUV) ? ((l & kLayoutUV1) ? 2 : 1) : ((l & kLayoutCornerUV) ? 1 : 0);
    const uint32_t tex = sets == 2 ? (uint32_t)FvfTex2 : (sets == 1 ? (uint32_t)FvfTex1 : 0u);
    // The vertex formats the device is given, smallest first:
    //   position, diffuse                                  16 bytes
    //   position, diffuse, 1 set                           24
    //   position, normal, 1 set                            32
    //   position, blend, diffuse (+ 1 or 2 sets)           36, 44, 52
    //   position, normal, diffuse, 2 sets                  44
    if (l & kLayoutBlend) return FvfXyz | FvfBlend4 | FvfDiffuse | tex;
    if (normal) {
        if (!colour && sets <= 1) return FvfXyz | FvfNormal | FvfTex1;
        return FvfXyz | FvfNormal | FvfDiffuse | FvfTex2;
    }
    if (sets == 2) return FvfXyz | FvfNormal | FvfDiffuse | FvfTex2;
    return FvfXyz | FvfDiffuse | tex;
}

int Mesh::BuildBuffers(uint32_t l, bool dynamic) {
    DrawAllTriangles();  // chosen from the buffers that go now
    vertexBuffer.reset();
    indexBuffer.reset();
    triangleCount = 0;
    const Geometry &g = geometry;
    // Texture coordinates of triangle corners need a vertex per corner.
    const bool perCorner = (l & kLayoutCornerUV) && !(l & kLayoutUV);
    const int vertexCount = perCorner ? g.TriangleCount() * 3 : g.VertexCount();
    if (vertexCount > Geometry::kMaxVertices || g.TriangleCount() * 3 > (1 << 30)) return 0;
    if (vertexCount == 0 || g.TriangleCount() == 0) {
        layout = l;
        format = FormatFor(l);
        return 1;  // nothing to draw, nothing to hold
    }
    const uint32_t fmt = FormatFor(l);
    std::unique_ptr<device::VertexBuffer> vb =
        engine->CreateVertexBuffer(vertexCount, fmt, dynamic);
    std::unique_ptr<device::IndexBuffer> ib =
        engine->CreateIndexBuffer(g.TriangleCount() * 3, dynamic);
    if (!vb || !ib) return 0;
    const device::VertexLayout &vl = vb->Layout();
    uint8_t *out = vb->Lock();
    const bool transformed = l & kLayoutTransformed;
    static const float kWhite[4] = {1, 1, 1, 1};
    auto write = [&](int slot, const GeometryVertex &v, const float *uv) {
        uint8_t *p = out + (size_t)slot * vl.stride;
        Put(p, vl.position, transformed ? v.transformed : v.position, 12);
        if (vl.normal >= 0) {
            static const float kZero[3] = {0, 0, 0};
            const float *n =
                (l & kLayoutNormal) ? (transformed ? v.transformedNormal : v.normal) : kZero;
            Put(p, vl.normal, n, 12);
        }
        if (vl.diffuse >= 0) {
            uint32_t c = Pack((l & kLayoutColour) ? v.colour : kWhite);
            Put(p, vl.diffuse, &c, 4);
        }
        if (vl.blendWeights >= 0) Put(p, vl.blendWeights, v.weights, 16);
        if (vl.blendIndices >= 0) Put(p, vl.blendIndices, v.bones, 4);
        if (vl.tex[0] >= 0) {
            static const float kNone[2] = {0, 0};
            Put(p, vl.tex[0], uv ? uv : kNone, 8);
        }
        if (vl.tex[1] >= 0) Put(p, vl.tex[1], (l & kLayoutUV1) ? v.uv1 : v.uv0, 8);
    };
    uint16_t *indices = ib->Lock();
    if (perCorner) {
        for (int t = 0; t < g.TriangleCount(); t++)
            for (int k = 0; k < 3; k++) {
                const GeometryTriangle &tri = g.triangles[t];
                write(t * 3 + k, g.vertices[tri.v[k]], tri.uv[k]);
                indices[t * 3 + k] = (uint16_t)(t * 3 + k);
            }
    } else {
        const bool uv = l & (kLayoutUV | kLayoutCornerUV);
        for (int i = 0; i < vertexCount; i++)
            write(i, g.vertices[i], uv ? g.vertices[i].uv0 : nullptr);
        for (int t = 0; t < g.TriangleCount(); t++)
            for (int k = 0; k < 3; k++) indices[t * 3 + k] = (uint16_t)g.triangles[t].v[k];
    }
    ib->Unlock();
    vb->Unlock();
    vertexBuffer = std::move(vb);
    indexBuffer = std::move(ib);
    layout = l;
    format = fmt;
    triangleCount = g.TriangleCount();
    return 1;
}

void Mesh::Draw() {
    Material *m = material;
    if (m) {
        if (m->texture >= 0) {
            engine->SetState(Stage0::TextureTimesColour);
            engine->BindTexture(m->texture);
        } else {
            engine->SetState(Stage0::NoTexture);
        }
        engine->SetState(m->depthMode != kDepthNone ? Depth::On : Depth::Off);
        if (m->depthMode == kDepthTestOnly) engine->SetState(Depth::WriteOff);
        engine->SetState(4, m->twoSided ? 0 : m->cullMode);
        if (m->lit) {
            engine->SetState(Lighting::On);
            // The colours go through the texture slot's colour set, which
            // the device's material then follows.
            device::Material dm;
            SlotMaterial *slot = m->texture >= 0 ? engine->TextureMaterial(m->texture) : nullptr;
            SlotMaterial local;
            SlotMaterial &target = slot ? *slot : local;
            memcpy(target.ambient, m->ambient, sizeof target.ambient);
            memcpy(target.diffuse, m->diffuse, sizeof target.diffuse);
            dm.diffuse = {target.diffuse[0], target.diffuse[1], target.diffuse[2],
                          target.diffuse[3]};
            dm.ambient = {target.ambient[0], target.ambient[1], target.ambient[2],
                          target.ambient[3]};
            dm.specular = {target.specular[0], target.specular[1], target.specular[2],
                           target.specular[3]};
            dm.power = target.power;
            if (device::Device *d = engine->GetDevice()) d->SetMaterial(dm);
        } else {
            engine->SetState(Lighting::Off);
        }
    }
    Submit();
}

void Mesh::DrawDirect() {
    Submit();
}

void Mesh::DrawOnlyTriangles(const std::vector<uint16_t> &indices) {
    const int vertices = vertexBuffer ? vertexBuffer->Count() : 0;
    bool fits = indices.size() % 3 == 0 && indices.size() <= 3 * static_cast<size_t>(triangleCount);
    for (size_t i = 0; fits && i < indices.size(); i++) fits = indices[i] < vertices;
    if (!fits) {
        DrawAllTriangles();
        return;
    }
    if (!only_ || only_->Count() < 3 * triangleCount)
        only_ = engine->CreateIndexBuffer(3 * triangleCount, true);
    if (!only_) return;
    std::copy(indices.begin(), indices.end(), only_->Lock());
    only_->Unlock();
    onlyTriangles_ = static_cast<int>(indices.size() / 3);
}

void Mesh::DrawAllTriangles() {
    only_.reset();
    onlyTriangles_ = 0;
}

const char *Mesh::LoadShader(const char *scriptText) {
    if (!shader) shader.reset(new Shader(engine));
    const char *failure = shader->Load(scriptText);
    if (!failure) flags |= kMeshScriptEffect;
    return failure;
}

namespace {

// A light's direction for the environment map: a directional light's own,
// or from a point light towards the origin.
void LightDirection(const Engine &engine, int slot, float out[3]) {
    out[0] = 0;
    out[1] = 1;
    out[2] = 0;
    if (slot < 0 || slot >= Engine::kLightSlots || !engine.lights[slot].set) return;
    const device::Light &l = engine.lights[slot].light;
    if (l.type == device::LightDirectional) {
        for (int i = 0; i < 3; i++) out[i] = l.direction[i];
    } else {
        for (int i = 0; i < 3; i++) out[i] = -l.position[i];
    }
}

}  // namespace

// Drawing paths, chosen by the mesh's flags and its material: a script
// effect, a shadow volume, the two-texture blend, an environment map, a light
// map, or the fixed-function path with the states already set. A mesh has
// one material, hence one material group.
void Mesh::Submit() {
    if (!vertexBuffer || !indexBuffer || triangleCount == 0) return;
    const device::IndexBuffer &indices = only_ ? *only_ : *indexBuffer;
    const int triangles = only_ ? onlyTriangles_ : triangleCount;
    if (triangles == 0) return;
    DrawRange range;
    range.vertices = vertexBuffer.get();
    range.indices = &indices;
    range.triangles = triangles;
    const Material *m = material;
    MaterialGroup group;
    group.triangles = triangles;
    group.blendKind = m && (m->blendKind == 1 || m->blendKind == 2) ? m->blendKind : 0;

    if ((flags & kMeshScriptEffect) && shader && shader->Loaded()) {
        DrawMaterialGroups(*engine, &group, 1, [&](const MaterialGroup &g) {
            shader->Draw(*vertexBuffer, indices, g.firstIndex, g.triangles);
        });
        return;
    }
    if (flags & kMeshShadowCaster) {
        float light[3] = {0, 0, 0};
        if (shadowLight >= 0 && shadowLight < Engine::kLightSlots) {
            for (int i = 0; i < 3; i++) light[i] = engine->lights[shadowLight].light.position[i];
        }
        DrawShadowVolume(*engine, range, light, extrusion);
        return;
    }
    device::Device *d = engine->GetDevice();
    if (m && (m->blendKind == 4 || m->blendKind == 6) && d) {
        // The stage operations and textures the caller has set choose the
        // blend and what it blends.
        const int op0 = d->GetTextureStageState(0, device::TssColourOp) == device::TopAdd;
        const int op1 = d->GetTextureStageState(1, device::TssColourOp) == device::TopAdd;
        fx::Effect *effect = engine->BuiltinEffect(kEffectBlendModulateModulate + op0 * 2 + op1);
        if (!effect) return;  // abandoned for this frame
        effect->SetTexture("tex1", d->GetTexture(0));
        effect->SetTexture("tex2", d->GetTexture(1));
        effect->SetDword("coord0", d->GetTextureStageState(0, device::TssTexCoordIndex));
        effect->SetDword("coord1", d->GetTextureStageState(1, device::TssTexCoordIndex));
        const int passes = effect->Begin();
        for (int i = 0; i < passes; i++) {
            effect->Pass(i);
            engine->DrawIndexed(*vertexBuffer, indices, 0, triangles);
        }
        effect->End();
        return;
    }
    if (m && m->environment >= 0) {
        EnvironmentSetup setup;
        setup.textureSlot = m->texture;
        setup.environmentSlot = m->environment;
        LightDirection(*engine, 0, setup.light);
        LightDirection(*engine, 1, setup.light2);
        // The eye: the view's inverse carries it in its fourth row.
        float view[16], inverse[16];
        if (d) d->GetTransform(device::TransformView, view);
        if (d && Matrix::Inverse(view, inverse)) {
            for (int i = 0; i < 3; i++) setup.camera[i] = inverse[12 + i];
        }
        DrawEnvironmentMap(*engine, range, (m->flags & kMaterialTwoLights) != 0, setup);
        return;
    }
    if (m && m->lightMap >= 0) {
        LightMapSetup setup;
        setup.textureSlot = m->texture;
        setup.lightMapSlot = m->lightMap;
        setup.transparent = m->blendKind == 1;
        DrawLightMap(*engine, range, setup);
        return;
    }
    DrawMaterialGroups(*engine, &group, 1, [&](const MaterialGroup &g) {
        engine->DrawIndexed(*vertexBuffer, indices, g.firstIndex, g.triangles);
    });
}

}  // namespace lib3d
