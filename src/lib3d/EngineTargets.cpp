// Render-target textures, the viewport matrix, and the effects the engine
// keeps for its life.
#include <algorithm>
#include <string>

#include "lib3d/BuiltinEffects.h"
#include "lib3d/Engine.h"

namespace lib3d {

void Engine::CreateRenderTargets() {
    if (!device_ || renderTargetsFailed) return;
    const int count = std::max(1, std::min(8, renderTargetCount));
    if (static_cast<int>(renderTargets.size()) == count) return;
    SelectTarget(13);
    renderTargets.clear();
    for (int i = 0; i < count; i++) {
        // Target 0 is half the screen on both sides, for cheap reflections.
        const int w = i == 0 ? std::max(1, width / 2) : width;
        const int h = i == 0 ? std::max(1, height / 2) : height;
        std::unique_ptr<device::RenderTarget> target = device_->CreateRenderTarget(w, h);
        if (!target) {
            Log("ERROR render target");
            renderTargets.clear();
            renderTargetsFailed = true;
            renderTargetsEnabled = false;
            return;
        }
        renderTargets.push_back(std::move(target));
    }
}

void Engine::ReleaseRenderTargets() {
    if (device_ && device_->GetRenderTarget()) device_->SetRenderTarget(nullptr);
    if (currentTarget != 13) currentTarget = 13;
    renderTargets.clear();
}

device::RenderTarget *Engine::RenderTargetAt(int index) {
    if (index < 0 || index >= static_cast<int>(renderTargets.size())) return nullptr;
    return renderTargets[index].get();
}

void Engine::SelectTarget(int target) {
    if (!device_) return;
    device::RenderTarget *texture = target == 13 ? nullptr : RenderTargetAt(target);
    if (target != 13 && !texture) return;
    currentTarget = texture ? target : 13;
    // The device switches to the whole surface of the new target.
    device_->SetRenderTarget(texture);
    UpdateViewportMatrix();
}

fx::Effect *Engine::BuiltinEffect(int effect) {
    if (!device_ || effect < 0 || effect >= kBuiltinEffectCount) return nullptr;
    if (builtinEffects[effect]) return builtinEffects[effect].get();
    if (builtinFailed[effect]) return nullptr;
    std::string error;
    std::unique_ptr<fx::Effect> created =
        fx::Effect::Create(device_.get(), BuiltinEffectText(effect), &error);
    const int technique = created ? created->FindNextValidTechnique(-1) : -1;
    if (!created || technique < 0 || !created->SetTechnique(technique)) {
        // Not retried: the same text on the same device fails the same way.
        builtinFailed[effect] = true;
        const std::string line = std::string("ERROR built-in effect ") + BuiltinEffectName(effect) +
                                 ": " + (created ? "no technique for this device" : error);
        Log(line.c_str());
        return nullptr;
    }
    builtinEffects[effect] = std::move(created);
    return builtinEffects[effect].get();
}

void Engine::RegisterEffect(fx::Effect *effect) {
    if (effect &&
        std::find(scriptEffects.begin(), scriptEffects.end(), effect) == scriptEffects.end())
        scriptEffects.push_back(effect);
}

void Engine::UnregisterEffect(fx::Effect *effect) {
    scriptEffects.erase(std::remove(scriptEffects.begin(), scriptEffects.end(), effect),
                        scriptEffects.end());
}

}  // namespace lib3d
