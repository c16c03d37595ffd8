// The numeric render-state interface: categories and values as game and GUI
// code send them, turned into device states. Values a category does not know
// are ignored.

#include "lib3d/Engine.h"

namespace lib3d {
namespace {

using namespace device;

// Comparison functions named by values 256..263 in several categories.
bool CompareOf(int value, Compare *cmp) {
    switch (value) {
        case 256:
            *cmp = CmpLess;
            return true;
        case 257:
            *cmp = CmpGreater;
            return true;
        case 258:
            *cmp = CmpAlways;
            return true;
        case 259:
            *cmp = CmpLessEqual;
            return true;
        case 260:
            *cmp = CmpGreaterEqual;
            return true;
        case 261:
            *cmp = CmpEqual;
            return true;
        case 262:
            *cmp = CmpNotEqual;
            return true;
        case 263:
            *cmp = CmpNever;
            return true;
        default:
            return false;
    }
}

void ApplyDepth(Device *d, int value) {
    Compare cmp;
    switch (value) {
        case 0:
        case 265:
            d->SetRenderState(RsZEnable, 0);
            d->SetRenderState(RsZWriteEnable, 0);
            break;
        case 1:
        case 264:
            d->SetRenderState(RsZEnable, 1);
            d->SetRenderState(RsZWriteEnable, 1);
            break;
        case 17:
            d->SetRenderState(RsZWriteEnable, 0);
            break;
        case 266:
            d->SetRenderState(RsZFunc, CmpLessEqual);
            break;
        default:
            if (value != 258 && value != 263 && CompareOf(value, &cmp)) {
                d->SetRenderState(RsZFunc, cmp);
            }
            break;
    }
}

void ApplyStageZero(Device *d, int value) {
    switch (value) {
        case 0:
            d->SetTexture(0, nullptr);
            d->SetTexture(1, nullptr);
            d->SetTextureStageState(0, TssColourOp, TopModulate);
            break;
        case 1:
            d->SetTextureStageState(0, TssColourOp, TopModulate);
            d->SetTextureStageState(0, TssColourArg1, TaTexture);
            d->SetTextureStageState(0, TssColourArg2, TaDiffuse);
            d->SetTextureStageState(0, TssAlphaOp, TopModulate);
            d->SetTextureStageState(0, TssAlphaArg1, TaTexture);
            d->SetTextureStageState(0, TssAlphaArg2, TaDiffuse);
            break;
        case 6:
        case 46:
            d->SetTextureStageState(0, TssColourOp, value == 6 ? TopModulate : TopAdd);
            d->SetTextureStageState(0, TssColourArg1, TaTexture);
            d->SetTextureStageState(0, TssColourArg2, TaDiffuse);
            break;
        case 47:
        case 48:
            // Cylindrical wrapping of coordinate sets 0 and 1 (U and V).
            d->SetRenderState(RsWrap0, value == 47 ? 3 : 0);
            d->SetRenderState(RsWrap1, value == 47 ? 3 : 0);
            break;
        default:
            break;
    }
}

void ApplyStageOne(Device *d, int value) {
    switch (value) {
        case 0:
            d->SetTexture(1, nullptr);
            d->SetTextureStageState(1, TssColourOp, TopDisable);
            d->SetTextureStageState(1, TssAlphaOp, TopDisable);
            break;
        case 1:
            d->SetTextureStageState(1, TssColourArg1, TaTexture);
            d->SetTextureStageState(1, TssColourArg2, TaCurrent);
            break;
        case 6:
            d->SetTextureStageState(1, TssColourOp, TopModulate);
            break;
        case 46:
            d->SetTextureStageState(1, TssColourOp, TopAdd);
            break;
        default:
            break;
    }
}

void ApplyBlending(Device *d, int value) {
    Blend src, dest;
    switch (value) {
        case 0:
            d->SetRenderState(RsAlphaBlendEnable, 0);
            return;
        case 1:
            src = BlendSrcAlpha;
            dest = BlendInvSrcAlpha;
            break;
        case 18:
            src = BlendSrcAlpha;
            dest = BlendOne;
            break;
        case 49:
            src = BlendDestColour;
            dest = BlendZero;
            break;
        case 58:
            src = BlendInvSrcAlpha;
            dest = BlendSrcAlpha;
            break;
        default:
            return;
    }
    d->SetRenderState(RsAlphaBlendEnable, 1);
    d->SetRenderState(RsSrcBlend, src);
    d->SetRenderState(RsDestBlend, dest);
}

// Which buffers a pass writes; meaningful only with a stencil buffer.
void ApplyWriteMode(Device *d, int value) {
    uint32_t colour = 0xF, zwrite = 1, stencil = 0, zfail = StencilKeep;
    switch (value) {
        case 19:
            colour = 0;
            zwrite = 0;
            stencil = 1;
            break;
        case 34:
            colour = 0;
            zwrite = 0;
            stencil = 1;
            zfail = StencilReplace;
            break;
        case 20:
            break;
        case 21:
            zwrite = 0;
            stencil = 1;
            break;
        case 57:
            stencil = 1;
            break;
        case 35:
            colour = 0;
            break;
        default:
            return;
    }
    d->SetRenderState(RsColourWriteEnable, colour);
    d->SetRenderState(RsZWriteEnable, zwrite);
    d->SetRenderState(RsStencilEnable, stencil);
    d->SetRenderState(RsStencilZFail, zfail);
}

void ApplyStencilTest(Device *d, int value) {
    Compare func = CmpAlways;
    StencilOp pass = StencilReplace;
    uint32_t ref = 1;
    switch (value) {
        case 22:
            pass = StencilIncr;
            break;
        case 23:
            pass = StencilDecr;
            break;
        case 24:
            pass = StencilReplace;
            break;
        case 32:
            pass = StencilIncrSat;
            break;
        case 33:
            pass = StencilDecrSat;
            break;
        case 25:
            func = CmpEqual;
            ref = 0;
            break;
        case 26:
            func = CmpEqual;
            break;
        case 28:
            func = CmpNotEqual;
            break;
        case 29:
            func = CmpNotEqual;
            ref = 0;
            break;
        case 30:
            func = CmpLessEqual;
            break;
        case 31:
            func = CmpGreaterEqual;
            break;
        case 258:
            break;
        default:
            return;
    }
    d->SetRenderState(RsStencilFunc, func);
    d->SetRenderState(RsStencilRef, ref);
    d->SetRenderState(RsStencilMask, 0xFFFFFFFFu);
    d->SetRenderState(RsStencilWriteMask, 0xFFFFFFFFu);
    d->SetRenderState(RsStencilFail, StencilKeep);
    d->SetRenderState(RsStencilPass, pass);
}

void ApplyAlphaTest(Device *d, int value) {
    Compare cmp;
    if (value < 256 && value >= 0) {
        d->SetRenderState(RsAlphaRef, static_cast<uint32_t>(value));
    } else if (value == 264 || value == 265) {
        d->SetRenderState(RsAlphaTestEnable, value == 264 ? 1 : 0);
    } else if (CompareOf(value, &cmp)) {
        d->SetRenderState(RsAlphaFunc, cmp);
    }
}

// ---- categories that keep engine flags or need the engine itself

// Category 7: flags copied into textures when they are created. Each value
// sets one flag on or off; value 10 toggles a flag nothing reads.
void TextureCreationFlags(Engine &e, Device *, int value) {
    struct Entry {
        int value;
        bool Engine::*flag;
        bool on;
    };
    static const Entry kEntries[] = {
        {8, &Engine::flagClamp, true},   {9, &Engine::flagClamp, false},
        {11, &Engine::flagDither, true}, {12, &Engine::flagDither, false},
        {15, &Engine::flagMipmap, true}, {16, &Engine::flagMipmap, false},
    };
    if (value == 10) {
        e.spareOptions.toggle = !e.spareOptions.toggle;
        return;
    }
    for (const Entry &entry : kEntries) {
        if (entry.value == value) e.*entry.flag = entry.on;
    }
}

void RenderTargetSetup(Engine &e, Device *, int value) {
    if (value == 0) {
        e.renderTargetsEnabled = false;
    } else if (value == 1) {
        e.renderTargetsEnabled = true;
        e.renderTargetCount = 1;
    } else if (value >= 38 && value <= 45) {
        e.renderTargetsEnabled = true;
        e.renderTargetCount = value - 37;
    } else if (value == 36 || value == 37) {
        e.flagTargetAspect = value == 36;
        return;
    } else {
        return;
    }
    if (e.renderTargetsFailed) e.renderTargetsEnabled = false;
    if (e.renderTargetsEnabled) {
        e.CreateRenderTargets();
    } else {
        e.SelectTarget(13);
        e.ReleaseRenderTargets();
    }
}

void TargetAndWriteMode(Engine &e, Device *d, int value) {
    if (value == 13) {
        e.SelectTarget(13);
    } else if (value == 14 || (value >= 38 && value <= 45)) {
        const int target = value == 14 ? 0 : value - 38;
        if (e.renderTargetsEnabled && target < e.renderTargetCount) e.SelectTarget(target);
    } else if (d && e.depthHasStencil) {
        ApplyWriteMode(d, value);
    }
}

void LightingSwitch(Engine &e, Device *d, int value) {
    e.lightingOn = value == 1;
    if (!d) return;
    if (e.lightingOn) {
        device::Material white;
        white.diffuse = white.ambient = white.specular = Colour{1, 1, 1, 1};
        white.power = 20.0f;
        d->SetMaterial(white);
        d->SetRenderState(RsLighting, 1);
        d->SetRenderState(RsSpecularEnable, e.specularOn ? 1 : 0);
    } else {
        d->SetRenderState(RsLighting, 0);
        d->SetRenderState(RsSpecularEnable, 0);
    }
}

void SpecularSwitch(Engine &e, Device *d, int value) {
    e.specularOn = value == 1;
    if (d) d->SetRenderState(RsSpecularEnable, e.specularOn && e.lightingOn ? 1 : 0);
}

void CullingState(Engine &e, Device *d, int value) {
    if (value != 0 && value != 4 && value != 5) return;
    if (value != 0) e.winding = value == 5 ? 1 : 0;
    if (d) d->SetRenderState(RsCullMode, value == 0 ? CullNone : (value == 4 ? CullCW : CullCCW));
}

void TransparencyPassChoice(Engine &e, Device *, int value) {
    if (value >= 52 && value <= 54) e.transparencyPasses = value;
}

void VertexShaderSwitch(Engine &e, Device *, int value) {
    if (value == 0 || value == 1) e.vertexShaderOption = value;
}

// Categories 16, 17, 19, 20 and 23 are kept for scripts written against the
// numeric table; nothing in the engine reads them.
void SpareSwitch(Engine &e, Device *, int value) {
    if (value == 50 || value == 51) e.spareOptions.switch16 = value == 51;
}
void SpareSwitch2(Engine &e, Device *, int value) {
    if (value == 52 || value == 53) e.spareOptions.switch17 = value == 52;
}
void SpareSwitch3(Engine &e, Device *, int value) {
    e.spareOptions.switch19 = value == 55;
}
void SpareNumber(Engine &e, Device *, int value) {
    e.spareOptions.number20 = value;
}
void SpareSwitchPair(Engine &e, Device *, int value) {
    if (value == 59 || value == 62) e.spareOptions.pairFirst = value == 59;
    if (value == 60 || value == 61) e.spareOptions.pairSecond = value == 60;
}

// ---- categories that only set device states, when there is a device

void DepthState(Engine &, Device *d, int value) {
    if (d) ApplyDepth(d, value);
}
void StageZeroState(Engine &, Device *d, int value) {
    if (d) ApplyStageZero(d, value);
}
void BlendingState(Engine &, Device *d, int value) {
    if (d) ApplyBlending(d, value);
}
void DepthBiasState(Engine &, Device *d, int value) {
    if (d) d->SetRenderState(RsZBias, static_cast<uint32_t>(value));
}
// Without a stencil buffer there is nothing to test against.
void StencilTestState(Engine &e, Device *d, int value) {
    if (d && e.depthHasStencil) ApplyStencilTest(d, value);
}
void DitherState(Engine &, Device *d, int value) {
    if (d) d->SetRenderState(RsDitherEnable, value == 1 ? 1 : 0);
}
void StageOneState(Engine &, Device *d, int value) {
    if (d) ApplyStageOne(d, value);
}
void AlphaTestState(Engine &, Device *d, int value) {
    if (d) ApplyAlphaTest(d, value);
}

using StateHandler = void (*)(Engine &, Device *, int);

// Indexed by category; categories 0, 2 and 3 do nothing.
const StateHandler kCategoryHandlers[] = {
    nullptr,                 // 0
    DepthState,              // 1 depth
    nullptr,                 // 2
    nullptr,                 // 3
    CullingState,            // 4 culling
    StageZeroState,          // 5 texture stage 0
    BlendingState,           // 6 blending
    TextureCreationFlags,    // 7 texture creation flags
    RenderTargetSetup,       // 8 render targets
    TargetAndWriteMode,      // 9 target and stencil write mode
    LightingSwitch,          // 10 lighting
    DepthBiasState,          // 11 depth bias
    StencilTestState,        // 12 stencil test
    DitherState,             // 13 dithering
    StageOneState,           // 14 texture stage 1
    SpecularSwitch,          // 15 specular
    SpareSwitch,             // 16
    SpareSwitch2,            // 17
    TransparencyPassChoice,  // 18 transparency passes
    SpareSwitch3,            // 19
    SpareNumber,             // 20
    AlphaTestState,          // 21 alpha test
    VertexShaderSwitch,      // 22 vertex-shader option
    SpareSwitchPair,         // 23
};

}  // namespace

void Engine::SetState(int category, int value) {
    const int count = static_cast<int>(sizeof(kCategoryHandlers) / sizeof(kCategoryHandlers[0]));
    if (category < 0 || category >= count || !kCategoryHandlers[category]) return;
    kCategoryHandlers[category](*this, device_.get(), value);
}

}  // namespace lib3d
