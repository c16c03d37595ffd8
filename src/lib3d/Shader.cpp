#include "lib3d/Shader.h"

#include <cstring>

#include "lib3d/Engine.h"
#include "lib3d/Matrix.h"

namespace lib3d {

Shader::~Shader() {
    if (effect && engine_) engine_->UnregisterEffect(effect.get());
}

const char *Shader::Load(const char *scriptText) {
    if (Loaded()) return nullptr;
    if (!engine_ || !engine_->GetDevice() || !scriptText) return "ERROR effect=NULL";
    int compileFlags = kShaderTargetEffect;
    if (engine_->canMultitexture) compileFlags |= kShaderCapMultitexture;
    if (engine_->canDot3) compileFlags |= kShaderCapDot3;
    if (engine_->canPixelShader14) compileFlags |= kShaderCapPixelShader14;
    if (engine_->logEnabled) engine_->Log("READ SHADER");
    // A render-state error still gives effect text (that pass without its
    // states); only a script that gives no text at all stops here.
    compiler.Compile(scriptText, compileFlags);
    if (engine_->logEnabled) engine_->Log("READ SHADER OK");
    const std::string &text = compiler.Text();
    const char *failure = nullptr;
    std::string error;
    if (text.empty()) {
        failure = "ERROR effect=NULL";
    } else {
        std::unique_ptr<fx::Effect> created =
            fx::Effect::Create(engine_->GetDevice(), text, &error);
        if (!created) {
            failure = "ERROR Create Effect";
        } else {
            const int technique = created->FindNextValidTechnique(-1);
            if (technique < 0 || !created->SetTechnique(technique)) {
                failure = "ERROR find technique";
            } else {
                effect = std::move(created);
                techniqueName = effect->TechniqueName(technique);
                passCount = effect->PassCount();
                engine_->RegisterEffect(effect.get());
                flags |= kLoadedFlag;
                return nullptr;
            }
        }
    }
    if (engine_->logEnabled) {
        engine_->Log(failure);
        if (!error.empty()) engine_->Log(error.c_str());
        engine_->Log(text.c_str());
    }
    return failure;
}

void Shader::SetWorld(const char *name) {
    if (!effect) return;
    float m[16];
    engine_->GetDevice()->GetTransform(device::TransformWorld, m);
    effect->SetMatrix(name, m);
}

void Shader::SetViewProj(const char *name) {
    if (!effect) return;
    float v[16], p[16], m[16];
    engine_->GetDevice()->GetTransform(device::TransformView, v);
    engine_->GetDevice()->GetTransform(device::TransformProjection, p);
    Matrix::Multiply(v, p, m);
    effect->SetMatrix(name, m);
}

void Shader::SetVector(const char *name, float x, float y, float z) {
    if (!effect) return;
    const float v[4] = {x, y, z, 0.0f};
    effect->SetVector(name, v);
}

void Shader::SetScalar(const char *name, float value) {
    if (!effect) return;
    const float v[4] = {value, value, value, 0.0f};
    effect->SetVector(name, v);
}

void Shader::SetTexture(const char *name, int slot) {
    if (!effect) return;
    device::Device *d = engine_->GetDevice();
    device::Texture *before = d->GetTexture(0);
    const uint32_t u = d->GetTextureStageState(0, device::TssAddressU);
    const uint32_t v = d->GetTextureStageState(0, device::TssAddressV);
    engine_->BindTexture(slot);
    d->SetTextureStageState(0, device::TssAddressU, device::AddressClamp);
    d->SetTextureStageState(0, device::TssAddressV, device::AddressClamp);
    effect->SetTexture(name, d->GetTexture(0));
    // Stage 0 goes back to what was bound before.
    d->SetTexture(0, before);
    d->SetTextureStageState(0, device::TssAddressU, u);
    d->SetTextureStageState(0, device::TssAddressV, v);
}

bool Shader::Draw(const device::VertexBuffer &vertices, const device::IndexBuffer &indices,
                  int firstIndex, int triangleCount) {
    if (!effect) return false;
    const int passes = effect->Begin();
    if (passes <= 0) return false;
    for (int i = 0; i < passes; i++) {
        effect->Pass(i);
        engine_->DrawIndexed(vertices, indices, firstIndex, triangleCount);
    }
    effect->End();
    return true;
}

}  // namespace lib3d
