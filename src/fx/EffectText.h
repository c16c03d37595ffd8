// Effect text read into plain records: parameter declarations, techniques,
// their passes with state assignments, vertex constant bindings and the
// vertex and pixel shader programs. Nothing here touches a device; the
// runtime (Effect) applies the records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fx/ShaderAsm.h"

namespace fx {

enum ParamKind { kParamTexture, kParamMatrix, kParamVector, kParamDword };

struct ParamDecl {
    std::string name;
    int kind = kParamVector;
    float initial[4] = {0, 0, 0, 0};  // DWORD and VECTOR may be given a value
};

// States a pass can assign. Values use the classic device numbering (blend
// Zero = 1, compare Never = 1, texture op Disable = 1, ...), which the device
// layer shares, so they pass through unchanged.
enum FxState {
    // render states
    kFxZEnable,
    kFxZWriteEnable,
    kFxZFunc,
    kFxCullMode,
    kFxAlphaBlendEnable,
    kFxSrcBlend,
    kFxDestBlend,
    kFxLighting,
    kFxAmbient,
    kFxSpecularEnable,
    kFxZBias,
    kFxDitherEnable,
    kFxAlphaTestEnable,
    kFxAlphaRef,
    kFxAlphaFunc,
    kFxShadeMode,
    kFxColorWriteEnable,
    kFxStencilEnable,
    kFxStencilFunc,
    kFxStencilRef,
    kFxStencilMask,
    kFxStencilWriteMask,
    kFxStencilFail,
    kFxStencilZFail,
    kFxStencilPass,
    kFxRenderStateCount,
    // texture stage states, indexed by stage
    kFxColorOp = kFxRenderStateCount,
    kFxColorArg1,
    kFxColorArg2,
    kFxAlphaOp,
    kFxAlphaArg1,
    kFxAlphaArg2,
    kFxTexCoordIndex,
    kFxAddressU,
    kFxAddressV,
    kFxMagFilter,
    kFxMinFilter,
    kFxMipFilter,
    // Texture[n] = <param>
    kFxTexture,
    kFxStateCount
};

enum { kFxMaxStages = 8, kFxVertexConstants = 96, kFxPixelConstants = 8 };

// Texture operation numbers that validation looks at.
enum { kFxTopDisable = 1, kFxTopDotProduct3 = 24 };

// Resolved parameter references: an index into the declared parameters, or
// one of these.
enum { kLiteral = -1, kUndeclaredParam = -2 };

struct StateAssign {
    int state = 0;              // FxState
    int stage = 0;              // for stage states and textures
    uint32_t value = 0;         // when param is empty
    std::string param;          // <name>: the value of a DWORD or TEXTURE parameter
    int paramIndex = kLiteral;  // `param` resolved once, when the effect is made
};

// VertexShaderConstantN[first] = <param> or { x, y, z, w } (and the same for
// pixel constants).
struct ConstBinding {
    int first = 0;
    int count = 1;
    std::string param;  // empty for a literal
    float value[4] = {0, 0, 0, 0};
    int paramIndex = kLiteral;  // `param` resolved once, when the effect is made
};

// One input register of the vertex declaration.
enum { kDeclFloat, kDeclUbyte, kDeclColour };
struct DeclInput {
    int reg = 0;  // v#
    int type = kDeclFloat;
    int count = 0;  // components
};

struct PassText {
    std::string name;
    std::vector<StateAssign> states;
    std::vector<ConstBinding> vertexConsts;
    std::vector<ConstBinding> pixelConsts;
    bool hasVertexShader = false;
    std::vector<DeclInput> decl;
    AsmProgram vertexShader;
    bool hasPixelShader = false;
    AsmProgram pixelShader;
};

struct TechniqueText {
    std::string name;
    std::vector<PassText> passes;
};

struct EffectText {
    std::vector<ParamDecl> params;
    std::vector<TechniqueText> techniques;

    int FindParam(const std::string &name) const;  // index, -1 when not declared
};

// Reads effect text. Returns 1, or 0 with a message naming the line.
// Every state value and every <name> is checked here, so a pass that parsed
// can be applied without further checks.
int ParseEffect(const char *text, size_t length, EffectText &out, std::string &error);
int ParseEffect(const std::string &text, EffectText &out, std::string &error);

// The name a state is written with ("ColorOp"), for messages and tests.
const char *FxStateName(int state);
bool FxIsStageState(int state);

// What a device offers, for technique validation.
struct FxCaps {
    int maxSimultaneousTextures = 1;
    bool dot3 = false;
    int pixelShaderMajor = 0, pixelShaderMinor = 0;
};

// Whether every pass of a technique can run: stages beyond the texture count
// may not be in use, DotProduct3 needs the dot3 operation, and a pixel shader
// needs at least its version.
bool TechniqueValid(const TechniqueText &technique, const FxCaps &caps);

}  // namespace fx
