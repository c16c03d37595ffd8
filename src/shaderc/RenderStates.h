// Render-state vocabulary of shader scripts: the state names a [RENDER_STATE]
// section may set, the values it may give them, and the effect-text lines
// each one becomes.
#pragma once

#include <string>
#include <vector>

// Value identities. 500 means "not given"; the rest follow the script
// vocabulary in a fixed order that stored state blocks rely on.
enum RsValue {
    kRsUndefined = 500,
    kRsModulate,
    kRsAdd,
    kRsDot3,
    kRsDisable,
    kRsAddSigned,
    kRsModulate2x,
    kRsSubtract,
    kRsTrue,
    kRsFalse,
    kRsTexture,  // 510
    kRsDiffuse,
    kRsSpecular,
    kRsCurrent,
    kRsNone,
    kRsCw,
    kRsCcw,
    kRsZero,
    kRsOne,
    kRsSrcAlpha,
    kRsInvSrcAlpha,  // 520
    kRsSrcColor,
    kRsInvSrcColor,
    kRsDstAlpha,
    kRsInvDstAlpha,
    kRsDstColor,
    kRsInvDstColor,
    kRsTexCoo0,
    kRsTexCoo1,
    kRsTexCoo2,
    kRsStencil,  // 530
    kRsRender,
    kRsBoth,
    kRsStencilNoZTest,
    kRsZBuffer,
    kRsIncrement,
    kRsDecrement,
    kRsSetOne,
    kRsEqualZero,
    kRsEqualOne,
    kRsAlways,  // 540
    kRsNotOne,
    kRsNotZero,
    kRsLEqualOne,
    kRsGEqualOne,
    kRsUnnamed1,
    kRsUnnamed2,
    kRsSmooth,
    kRsFlat,
    kRsOffset0,  // 549 .. 556
    kRsNever = kRsOffset0 + 8,
    kRsLess,
    kRsEqual,
    kRsLEqual,
    kRsGreater,
    kRsNotEqual,
    kRsGEqual,
    kRsSelectArg1,
    kRsSelectArg2,  // 565
    kRsValueEnd
};

// Slots of a pass's state block: 41 fixed-function states, the two bundles
// and 16 texture bindings (those hold a texture index, -1 when unset).
enum {
    kRsFixedSlots = 41,
    kRsSlotRenderTarget = 41,
    kRsSlotStencil = 42,
    kRsSlotTexture0 = 43,
    kRsMaxTextures = 16,
    kRsSlotCount = 59,
};

// Identity of an upper-cased script value, or -1.
int RsFindValue(const char *upper);
// Script spelling of an identity ("MODULATE"), or "" for the unnamed ones.
const char *RsValueName(int value);
// Effect-text spelling of an identity ("Modulate"), or nullptr when the value
// only has a meaning inside the STENCIL or RENDERTARGET bundles.
const char *RsEffectValue(int value);
// Slot of an upper-cased script state name ("COLOROP[1]"), or -1. Texture
// names are not handled here.
int RsFindState(const char *upper);
// Effect state written for a fixed-function slot ("ColorOp[1]").
const char *RsEffectState(int slot);
// Appends the lines of a STENCIL or RENDERTARGET bundle; returns 0 when the
// value is not one of that bundle's values.
int RsStencilLines(int value, std::vector<std::string> &lines);
int RsRenderTargetLines(int value, std::vector<std::string> &lines);
