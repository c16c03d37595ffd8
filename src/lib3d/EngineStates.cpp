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

void Depth(Device *d, int value) {
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

void StageZero(Device *d, int value) {
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

void StageOne(Device *d, int value) {
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

void Blending(Device *d, int value) {
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
void WriteMode(Device *d, int value) {
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

void StencilTest(Device *d, int value) {
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

void AlphaTest(Device *d, int value) {
    Compare cmp;
    if (value < 256 && value >= 0) {
        d->SetRenderState(RsAlphaRef, static_cast<uint32_t>(value));
    } else if (value == 264 || value == 265) {
        d->SetRenderState(RsAlphaTestEnable, value == 264 ? 1 : 0);
    } else if (CompareOf(value, &cmp)) {
        d->SetRenderState(RsAlphaFunc, cmp);
    }
}

}  // namespace

void Engine::SetState(int category, int value) {
    Device *d = device_.get();
    switch (category) {
        case 1:
            if (d) Depth(d, value);
            break;
        case 4:
            if (value != 0 && value != 4 && value != 5) break;
            if (value != 0) winding = value == 5 ? 1 : 0;
            if (d)
                d->SetRenderState(RsCullMode,
                                  value == 0 ? CullNone : (value == 4 ? CullCW : CullCCW));
            break;
        case 5:
            if (d) StageZero(d, value);
            break;
        case 6:
            if (d) Blending(d, value);
            break;
        case 7:
            switch (value) {
                case 8:
                    flagClamp = true;
                    break;
                case 9:
                    flagClamp = false;
                    break;
                case 10:
                    flagB = !flagB;
                    break;
                case 11:
                    flagDither = true;
                    break;
                case 12:
                    flagDither = false;
                    break;
                case 15:
                    flagMipmap = true;
                    break;
                case 16:
                    flagMipmap = false;
                    break;
                default:
                    break;
            }
            break;
        case 8:
            if (value == 0) {
                renderTargetsEnabled = false;
            } else if (value == 1) {
                renderTargetsEnabled = true;
                renderTargetCount = 1;
            } else if (value >= 38 && value <= 45) {
                renderTargetsEnabled = true;
                renderTargetCount = value - 37;
            } else if (value == 36 || value == 37) {
                flagTargetAspect = value == 36;
                break;
            } else {
                break;
            }
            if (renderTargetsFailed) renderTargetsEnabled = false;
            if (renderTargetsEnabled) {
                CreateRenderTargets();
            } else {
                SelectTarget(13);
                ReleaseRenderTargets();
            }
            break;
        case 9:
            if (value == 13) {
                SelectTarget(13);
            } else if (value == 14 || (value >= 38 && value <= 45)) {
                const int target = value == 14 ? 0 : value - 38;
                if (renderTargetsEnabled && target < renderTargetCount) SelectTarget(target);
            } else if (d && depthHasStencil) {
                WriteMode(d, value);
            }
            break;
        case 10:
            lightingOn = value == 1;
            if (!d) break;
            if (lightingOn) {
                device::Material white;
                white.diffuse = white.ambient = white.specular = Colour{1, 1, 1, 1};
                white.power = 20.0f;
                d->SetMaterial(white);
                d->SetRenderState(RsLighting, 1);
                d->SetRenderState(RsSpecularEnable, specularOn ? 1 : 0);
            } else {
                d->SetRenderState(RsLighting, 0);
                d->SetRenderState(RsSpecularEnable, 0);
            }
            break;
        case 11:
            if (d) d->SetRenderState(RsZBias, static_cast<uint32_t>(value));
            break;
        case 12:
            // Without a stencil buffer there is nothing to test against.
            if (d && depthHasStencil) StencilTest(d, value);
            break;
        case 13:
            if (d) d->SetRenderState(RsDitherEnable, value == 1 ? 1 : 0);
            break;
        case 14:
            if (d) StageOne(d, value);
            break;
        case 15:
            specularOn = value == 1;
            if (d) d->SetRenderState(RsSpecularEnable, specularOn && lightingOn ? 1 : 0);
            break;
        case 16:
            if (value == 50 || value == 51) option16 = value == 51;
            break;
        case 17:
            if (value == 52 || value == 53) option17 = value == 52;
            break;
        case 18:
            if (value >= 52 && value <= 54) transparencyPasses = value;
            break;
        case 19:
            option19 = value == 55;
            break;
        case 20:
            option20 = value;
            break;
        case 21:
            if (d) AlphaTest(d, value);
            break;
        case 22:
            if (value == 0 || value == 1) vertexShaderOption = value;
            break;
        case 23:
            if (value == 59 || value == 62) option23a = value == 59;
            if (value == 60 || value == 61) option23b = value == 60;
            break;
        default:
            break;
    }
}

}  // namespace lib3d
