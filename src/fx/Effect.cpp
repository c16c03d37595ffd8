#include "fx/Effect.h"

#include <algorithm>
#include <cstring>

#include "device/Device.h"
#include "device/ShaderProgram.h"
#include "fx/Glsl.h"

namespace fx {
namespace {

// The device state each effect state drives; -1 for those that are not
// plain render or stage states.
int RenderStateOf(int state) {
    static const int kMap[kFxRenderStateCount] = {
        device::RsZEnable,
        device::RsZWriteEnable,
        device::RsZFunc,
        device::RsCullMode,
        device::RsAlphaBlendEnable,
        device::RsSrcBlend,
        device::RsDestBlend,
        device::RsLighting,
        device::RsAmbient,
        device::RsSpecularEnable,
        device::RsZBias,
        device::RsDitherEnable,
        device::RsAlphaTestEnable,
        device::RsAlphaRef,
        device::RsAlphaFunc,
        device::RsShadeMode,
        device::RsColourWriteEnable,
        device::RsStencilEnable,
        device::RsStencilFunc,
        device::RsStencilRef,
        device::RsStencilMask,
        device::RsStencilWriteMask,
        device::RsStencilFail,
        device::RsStencilZFail,
        device::RsStencilPass,
    };
    return state >= 0 && state < kFxRenderStateCount ? kMap[state] : -1;
}

int StageStateOf(int state) {
    switch (state) {
        case kFxColorOp:
            return device::TssColourOp;
        case kFxColorArg1:
            return device::TssColourArg1;
        case kFxColorArg2:
            return device::TssColourArg2;
        case kFxAlphaOp:
            return device::TssAlphaOp;
        case kFxAlphaArg1:
            return device::TssAlphaArg1;
        case kFxAlphaArg2:
            return device::TssAlphaArg2;
        case kFxTexCoordIndex:
            return device::TssTexCoordIndex;
        case kFxAddressU:
            return device::TssAddressU;
        case kFxAddressV:
            return device::TssAddressV;
        case kFxMagFilter:
            return device::TssMagFilter;
        case kFxMinFilter:
            return device::TssMinFilter;
        case kFxMipFilter:
            return device::TssMipFilter;
        default:
            return -1;
    }
}

}  // namespace

FxCaps Effect::CapsOf(const device::Caps &caps) {
    FxCaps c;
    c.maxSimultaneousTextures = caps.maxSimultaneousTextures;
    c.dot3 = caps.dot3;
    c.pixelShaderMajor = caps.pixelShaderMajor;
    c.pixelShaderMinor = caps.pixelShaderMinor;
    return c;
}

Effect::Effect(device::Device *device, EffectText &&text)
    : device_(device), text_(std::move(text)), values_(text_.params.size()) {
    for (size_t i = 0; i < text_.params.size(); i++)
        std::memcpy(values_[i].value, text_.params[i].initial, sizeof(text_.params[i].initial));
    ResolveParams();
}

// Passes name their parameters; the names are looked up here once rather
// than on every pass of every frame.
void Effect::ResolveParams() {
    auto resolve = [this](const std::string &name) {
        if (name.empty()) return static_cast<int>(kLiteral);
        const int p = text_.FindParam(name);
        return p >= 0 ? p : static_cast<int>(kUndeclaredParam);
    };
    for (TechniqueText &technique : text_.techniques) {
        for (PassText &pass : technique.passes) {
            for (StateAssign &a : pass.states) a.paramIndex = resolve(a.param);
            for (ConstBinding &b : pass.vertexConsts) b.paramIndex = resolve(b.param);
            for (ConstBinding &b : pass.pixelConsts) b.paramIndex = resolve(b.param);
        }
    }
}

Effect::~Effect() {
    if (begun_) End();
}

std::unique_ptr<Effect> Effect::Create(device::Device *device, const char *text, size_t length,
                                       std::string *error) {
    EffectText parsed;
    std::string why;
    if (!device) {
        if (error) *error = "no device";
        return nullptr;
    }
    if (!ParseEffect(text, length, parsed, why)) {
        if (error) *error = why;
        return nullptr;
    }
    std::unique_ptr<Effect> effect(new Effect(device, std::move(parsed)));
    if (!effect->BuildPrograms(error)) return nullptr;
    return effect;
}

std::unique_ptr<Effect> Effect::Create(device::Device *device, const std::string &text,
                                       std::string *error) {
    return Create(device, text.data(), text.size(), error);
}

bool Effect::BuildPrograms(std::string *error) {
    programs_.resize(text_.techniques.size());
    for (size_t t = 0; t < text_.techniques.size(); t++) {
        for (const PassText &pass : text_.techniques[t].passes) {
            std::unique_ptr<device::ShaderProgram> program;
            if (pass.hasVertexShader) {
                std::string log;
                program = device::ShaderProgram::Create(
                    GlslVertexShader(pass.vertexShader, !pass.hasPixelShader),
                    pass.hasPixelShader ? GlslPixelShader(pass.pixelShader) : std::string(), &log);
                if (!program) {
                    if (error)
                        *error = "technique " + text_.techniques[t].name + " pass " + pass.name +
                                 ": " + log;
                    return false;
                }
            }
            // A pixel shader needs a vertex shader to feed it here; the
            // compiler always writes both.
            programs_[t].push_back(std::move(program));
        }
    }
    return true;
}

const char *Effect::TechniqueName(int index) const {
    if (index < 0 || index >= TechniqueCount()) return "";
    return text_.techniques[index].name.c_str();
}

int Effect::FindNextValidTechnique(int after) const {
    const FxCaps caps = CapsOf(device_->GetDeviceCaps());
    for (int t = std::max(0, after + 1); t < TechniqueCount(); t++) {
        const TechniqueText &tech = text_.techniques[t];
        if (!TechniqueValid(tech, caps)) continue;
        // A pixel shader without a vertex shader cannot run here.
        bool runnable = true;
        for (const PassText &p : tech.passes)
            if (p.hasPixelShader && !p.hasVertexShader) runnable = false;
        if (runnable) return t;
    }
    return -1;
}

bool Effect::SetTechnique(int index) {
    if (index < 0 || index >= TechniqueCount() || begun_) return false;
    technique_ = index;
    return true;
}

int Effect::PassCount() const {
    return static_cast<int>(text_.techniques[technique_].passes.size());
}

bool Effect::HasParameter(const char *name) const {
    return name && text_.FindParam(name) >= 0;
}

bool Effect::SetMatrix(const char *name, const float matrix[16]) {
    const int p = name ? text_.FindParam(name) : -1;
    if (p < 0 || text_.params[p].kind != kParamMatrix) return false;
    std::memcpy(values_[p].value, matrix, 16 * sizeof(float));
    return true;
}

bool Effect::SetVector(const char *name, const float vector[4]) {
    const int p = name ? text_.FindParam(name) : -1;
    if (p < 0 || text_.params[p].kind != kParamVector) return false;
    std::memcpy(values_[p].value, vector, 4 * sizeof(float));
    return true;
}

bool Effect::SetTexture(const char *name, device::Texture *texture) {
    const int p = name ? text_.FindParam(name) : -1;
    if (p < 0 || text_.params[p].kind != kParamTexture) return false;
    values_[p].texture = texture;
    return true;
}

bool Effect::SetDword(const char *name, uint32_t value) {
    const int p = name ? text_.FindParam(name) : -1;
    if (p < 0 || text_.params[p].kind != kParamDword) return false;
    values_[p].value[0] = static_cast<float>(value);
    return true;
}

void Effect::SaveState(const StateAssign &a) {
    for (const Saved &s : saved_)
        if (s.state == a.state && s.stage == a.stage) return;
    Saved s{a.state, a.stage, 0, nullptr};
    if (a.state == kFxTexture) {
        s.texture = device_->GetTexture(a.stage);
    } else if (FxIsStageState(a.state)) {
        s.value = device_->GetTextureStageState(
            a.stage, static_cast<device::StageState>(StageStateOf(a.state)));
    } else {
        s.value = device_->GetRenderState(static_cast<device::RenderState>(RenderStateOf(a.state)));
    }
    saved_.push_back(s);
}

int Effect::Begin() {
    if (lost_ || begun_) return 0;
    saved_.clear();
    for (const PassText &pass : text_.techniques[technique_].passes)
        for (const StateAssign &a : pass.states) SaveState(a);
    begun_ = true;
    return PassCount();
}

void Effect::ApplyState(const StateAssign &a) {
    uint32_t value = a.value;
    device::Texture *texture = nullptr;
    if (a.paramIndex != kLiteral) {
        const int p = a.paramIndex;
        if (p < 0) return;
        value = static_cast<uint32_t>(values_[p].value[0]);
        texture = values_[p].texture;
    }
    if (a.state == kFxTexture) {
        device_->SetTexture(a.stage, texture);
    } else if (FxIsStageState(a.state)) {
        device_->SetTextureStageState(
            a.stage, static_cast<device::StageState>(StageStateOf(a.state)), value);
    } else {
        device_->SetRenderState(static_cast<device::RenderState>(RenderStateOf(a.state)), value);
    }
}

void Effect::LoadConstants(const PassText &pass, device::ShaderProgram *program) {
    for (const ConstBinding &b : pass.vertexConsts) {
        if (b.paramIndex == kLiteral) {
            program->SetVertexConstants(b.first, b.value, 1);
            continue;
        }
        const int p = b.paramIndex;
        if (p < 0) continue;
        const float *m = values_[p].value;
        if (text_.params[p].kind == kParamVector) {
            program->SetVertexConstants(b.first, m, 1);
            continue;
        }
        // Register first + r holds column r of the matrix.
        float rows[16];
        for (int r = 0; r < 4; r++)
            for (int c = 0; c < 4; c++) rows[r * 4 + c] = m[c * 4 + r];
        program->SetVertexConstants(b.first, rows, b.count);
    }
    for (const ConstBinding &b : pass.pixelConsts) {
        const int p = b.paramIndex;
        program->SetPixelConstants(b.first, p < 0 ? b.value : values_[p].value, 1);
    }
}

bool Effect::Pass(int index) {
    if (!begun_ || index < 0 || index >= PassCount()) return false;
    const PassText &pass = text_.techniques[technique_].passes[index];
    for (const StateAssign &a : pass.states) ApplyState(a);
    device::ShaderProgram *program = programs_[technique_][index].get();
    if (program) LoadConstants(pass, program);
    device_->SetShaderProgram(program);
    return true;
}

void Effect::End() {
    if (!begun_) return;
    device_->SetShaderProgram(nullptr);
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        if (it->state == kFxTexture) {
            device_->SetTexture(it->stage, it->texture);
        } else if (FxIsStageState(it->state)) {
            device_->SetTextureStageState(
                it->stage, static_cast<device::StageState>(StageStateOf(it->state)), it->value);
        } else {
            device_->SetRenderState(static_cast<device::RenderState>(RenderStateOf(it->state)),
                                    it->value);
        }
    }
    saved_.clear();
    begun_ = false;
}

void Effect::OnLostDevice() {
    if (begun_) End();
    lost_ = true;
}

void Effect::OnResetDevice() {
    lost_ = false;
}

}  // namespace fx
