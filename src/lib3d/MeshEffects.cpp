#include "lib3d/MeshEffects.h"

#include "lib3d/BuiltinEffects.h"
#include "lib3d/Engine.h"
#include "lib3d/Matrix.h"

namespace lib3d {
namespace {

void WorldAndViewProj(Engine &engine, fx::Effect *effect) {
    device::Device *d = engine.GetDevice();
    float w[16], v[16], p[16], vp[16];
    d->GetTransform(device::TransformWorld, w);
    d->GetTransform(device::TransformView, v);
    d->GetTransform(device::TransformProjection, p);
    Matrix::Multiply(v, p, vp);
    effect->SetMatrix("matWorld", w);
    effect->SetMatrix("matViewProj", vp);
}

void Vector(fx::Effect *effect, const char *name, const float xyz[3], float w) {
    const float v[4] = {xyz[0], xyz[1], xyz[2], w};
    effect->SetVector(name, v);
}

void Run(Engine &engine, fx::Effect *effect, const DrawRange &range) {
    const int passes = effect->Begin();
    for (int i = 0; i < passes; i++) {
        effect->Pass(i);
        engine.DrawIndexed(*range.vertices, *range.indices, range.firstIndex, range.triangles);
    }
    effect->End();
}

bool Usable(Engine &engine, const DrawRange &range) {
    return engine.GetDevice() && range.vertices && range.indices && range.triangles > 0;
}

}  // namespace

bool GroupWanted(const Engine &engine, int blendKind, bool opaquePhase) {
    const bool blended = blendKind == 1 || blendKind == 2;
    if (blended == opaquePhase) return false;
    switch (engine.transparencyPasses) {
        case 53:
            return !blended;
        case 54:
            return blended;
        default:
            return true;
    }
}

SavedBlend SetGroupBlend(Engine &engine, int blendKind) {
    SavedBlend saved;
    if (device::Device *d = engine.GetDevice()) {
        saved.enable = d->GetRenderState(device::RsAlphaBlendEnable);
        saved.src = d->GetRenderState(device::RsSrcBlend);
        saved.dest = d->GetRenderState(device::RsDestBlend);
    }
    // Category 6: 1 SrcAlpha/InvSrcAlpha, 18 SrcAlpha/One.
    engine.SetState(blendKind == 2 ? Blending::Additive : Blending::Alpha);
    return saved;
}

void RestoreBlend(Engine &engine, const SavedBlend &saved) {
    device::Device *d = engine.GetDevice();
    if (!d) return;
    d->SetRenderState(device::RsSrcBlend, saved.src);
    d->SetRenderState(device::RsDestBlend, saved.dest);
    d->SetRenderState(device::RsAlphaBlendEnable, saved.enable);
}

device::Texture *SlotTexture(Engine &engine, int slot) {
    if (slot < 0) {
        device::RenderTarget *target = engine.RenderTargetAt(-1 - slot);
        return target ? target->GetTexture() : nullptr;
    }
    const TextureSlot *s = engine.Slot(slot);
    return s && s->inUse ? s->texture.get() : nullptr;
}

bool DrawShadowVolume(Engine &engine, const DrawRange &range, const float light[3], float length) {
    if (!Usable(engine, range)) return false;
    // Without stencil there is nothing to count into: no shadow, no error.
    if (!engine.depthHasStencil) return true;
    fx::Effect *effect = engine.BuiltinEffect(kEffectShadowVolume);
    if (!effect) return false;
    WorldAndViewProj(engine, effect);
    Vector(effect, "Light", light, 1.0f);
    const float len[3] = {length, length, length};
    Vector(effect, "Len", len, 0.0f);
    Run(engine, effect, range);
    return true;
}

bool DrawTwoTextureBlend(Engine &engine, const DrawRange &range, int op0, int op1, int slot0,
                         int slot1, int coord0, int coord1) {
    if (!Usable(engine, range)) return false;
    const int which = kEffectBlendModulateModulate + (op0 ? 2 : 0) + (op1 ? 1 : 0);
    fx::Effect *effect = engine.BuiltinEffect(which);
    if (!effect) return false;
    effect->SetTexture("tex1", SlotTexture(engine, slot0));
    effect->SetTexture("tex2", SlotTexture(engine, slot1));
    effect->SetDword("coord0", static_cast<uint32_t>(coord0));
    effect->SetDword("coord1", static_cast<uint32_t>(coord1));
    Run(engine, effect, range);
    return true;
}

bool DrawEnvironmentMap(Engine &engine, const DrawRange &range, bool twoLights,
                        const EnvironmentSetup &setup) {
    if (!Usable(engine, range)) return false;
    fx::Effect *effect =
        engine.BuiltinEffect(twoLights ? kEffectEnvironmentTwoLights : kEffectEnvironmentOneLight);
    if (!effect) return false;
    WorldAndViewProj(engine, effect);
    effect->SetMatrix("matLight", setup.orientation);
    effect->SetTexture("texMap", SlotTexture(engine, setup.textureSlot));
    effect->SetTexture("texEnvMap", SlotTexture(engine, setup.environmentSlot));
    Vector(effect, "vecLight", setup.light, 0.0f);
    Vector(effect, "posCamera", setup.camera, 1.0f);
    if (twoLights) {
        Vector(effect, "vecLight2", setup.light2, 0.0f);
        Vector(effect, "ambient", setup.ambient, 1.0f);
    }
    Run(engine, effect, range);
    return true;
}

bool DrawLightMap(Engine &engine, const DrawRange &range, const LightMapSetup &setup) {
    if (!Usable(engine, range)) return false;
    const bool three = setup.threeLights && engine.canPixelShader14;
    fx::Effect *effect = engine.BuiltinEffect(three ? kEffectThreeLights : kEffectLightMap);
    if (!effect) return false;
    WorldAndViewProj(engine, effect);
    effect->SetTexture("tex", SlotTexture(engine, setup.textureSlot));
    effect->SetTexture("lightmap", SlotTexture(engine, setup.lightMapSlot));
    if (three) {
        static const char *const kLights[3] = {"vecLight1", "vecLight2", "vecLight3"};
        static const char *const kVars[3] = {"vecVar1", "vecVar2", "vecVar3"};
        for (int i = 0; i < 3; i++) {
            Vector(effect, kLights[i], setup.lights[i], 1.0f);
            effect->SetVector(kVars[i], setup.colours[i]);
        }
    } else {
        effect->SetDword("transparent", setup.transparent ? 1 : 0);
    }
    Run(engine, effect, range);
    return true;
}

}  // namespace lib3d
