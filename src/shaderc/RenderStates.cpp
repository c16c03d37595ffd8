#include "shaderc/RenderStates.h"

#include <cstdio>
#include <cstring>

namespace {

struct ValueName {
    const char *script;
    const char *effect;
};

// Indexed by identity - 500.
const ValueName kValues[kRsValueEnd - kRsUndefined] = {
    {"UNDEFINED", nullptr},
    {"MODULATE", "Modulate"},
    {"ADD", "Add"},
    {"DOT3", "DotProduct3"},
    {"DISABLE", "Disable"},
    {"ADDSIGNED", "AddSigned"},
    {"MODULATE2X", "Modulate2x"},
    {"SUBTRACT", "Subtract"},
    {"TRUE", "True"},
    {"FALSE", "False"},
    {"TEXTURE", "Texture"},
    {"DIFFUSE", "Diffuse"},
    {"SPECULAR", "Specular"},
    {"CURRENT", "Current"},
    {"NONE", "None"},
    {"CW", "Cw"},
    {"CCW", "Ccw"},
    {"ZERO", "Zero"},
    {"ONE", "One"},
    {"SRCALPHA", "SrcAlpha"},
    {"INVSRCALPHA", "InvSrcAlpha"},
    {"SRCCOLOR", "SrcColor"},
    {"INVSRCCOLOR", "InvSrcColor"},
    {"DSTALPHA", "DestAlpha"},
    {"INVDSTALPHA", "InvDestAlpha"},
    {"DSTCOLOR", "DestColor"},
    {"INVDSTCOLOR", "invDestColor"},
    {"TEXCOO0", "0"},
    {"TEXCOO1", "1"},
    {"TEXCOO2", "2"},
    {"STENCIL", nullptr},
    {"RENDER", nullptr},
    {"BOTH", nullptr},
    {"STENCIL_NOZTEST", nullptr},
    {"ZBUFFER", nullptr},
    {"INCREMENT", nullptr},
    {"DECREMENT", nullptr},
    {"SET_ONE", nullptr},
    {"EQUAL_ZERO", nullptr},
    {"EQUAL_ONE", nullptr},
    {"ALWAYS", "Always"},
    {"NOT_ONE", nullptr},
    {"NOT_ZERO", nullptr},
    {"LEQUAL_ONE", nullptr},
    {"GEQUAL_ONE", nullptr},
    {"", nullptr},
    {"", nullptr},
    {"SMOOTH", "Gouraud"},
    {"FLAT", "Flat"},
    {"OFFSET_0", "0"},
    {"OFFSET_1", "1"},
    {"OFFSET_2", "2"},
    {"OFFSET_3", "3"},
    {"OFFSET_4", "4"},
    {"OFFSET_5", "5"},
    {"OFFSET_6", "6"},
    {"OFFSET_7", "7"},
    {"NEVER", "Never"},
    {"LESS", "Less"},
    {"EQUAL", "Equal"},
    {"LEQUAL", "LessEqual"},
    {"GREATER", "Greater"},
    {"NOTEQUAL", "NotEqual"},
    {"GEQUAL", "GreaterEqual"},
    {"SELECTARG1", "SelectArg1"},
    {"SELECTARG2", "SelectArg2"},
};

struct StateName {
    const char *script;  // without the stage index
    const char *effect;
    int staged;  // 1: four slots, one per stage
};

// In slot order.
const StateName kStates[] = {
    {"ALPHAOP", "AlphaOp", 1},
    {"ALPHAARG1", "AlphaArg1", 1},
    {"ALPHAARG2", "AlphaArg2", 1},
    {"COLOROP", "ColorOp", 1},
    {"COLORARG1", "ColorArg1", 1},
    {"COLORARG2", "ColorArg2", 1},
    {"TEXTURECOORDINATE", "TexCoordIndex", 1},
    {"BLEND", "AlphaBlendEnable", 0},
    {"SRCBLEND", "SrcBlend", 0},
    {"DSTBLEND", "DestBlend", 0},
    {"ZBUFFER", "ZEnable", 0},
    {"ZBUFFERWRITE", "ZWriteEnable", 0},
    {"ZBIAS", "Zbias", 0},
    {"SHADEMODE", "ShadeMode", 0},
    {"ZFUNC", "ZFunc", 0},
    {"ALPHATEST", "AlphaTestEnable", 0},
    {"ALPHAREF", "AlphaRef", 0},
    {"ALPHAFUNC", "AlphaFunc", 0},
    {"DITHER", "DitherEnable", 0},
    {"CULL", "CullMode", 0},
};

// Effect names of the 41 fixed slots, built once from kStates.
struct SlotNames {
    char names[kRsFixedSlots][32];
    SlotNames() {
        int slot = 0;
        for (const StateName &s : kStates) {
            if (s.staged) {
                for (int i = 0; i < 4; i++)
                    snprintf(names[slot++], sizeof names[0], "%s[%d]", s.effect, i);
            } else {
                snprintf(names[slot++], sizeof names[0], "%s", s.effect);
            }
        }
    }
};

}  // namespace

int RsFindValue(const char *upper) {
    for (int i = 1; i < kRsValueEnd - kRsUndefined; i++)
        if (kValues[i].script[0] && strcmp(kValues[i].script, upper) == 0) return kRsUndefined + i;
    return -1;
}

const char *RsValueName(int value) {
    if (value < kRsUndefined || value >= kRsValueEnd) return "";
    return kValues[value - kRsUndefined].script;
}

const char *RsEffectValue(int value) {
    if (value < kRsUndefined || value >= kRsValueEnd) return nullptr;
    return kValues[value - kRsUndefined].effect;
}

int RsFindState(const char *upper) {
    int slot = 0;
    for (const StateName &s : kStates) {
        size_t n = strlen(s.script);
        if (strncmp(upper, s.script, n) == 0) {
            const char *rest = upper + n;
            if (!s.staged && rest[0] == 0) return slot;
            if (s.staged && rest[0] == '[' && rest[1] >= '0' && rest[1] <= '3' && rest[2] == ']' &&
                rest[3] == 0)
                return slot + (rest[1] - '0');
        }
        slot += s.staged ? 4 : 1;
    }
    return -1;
}

const char *RsEffectState(int slot) {
    static const SlotNames names;
    if (slot < 0 || slot >= kRsFixedSlots) return "";
    return names.names[slot];
}

int RsStencilLines(int value, std::vector<std::string> &lines) {
    const char *ref = "0x1", *func = nullptr, *pass = "Replace";
    switch (value) {
        case kRsIncrement:
            pass = "Incr";
            break;
        case kRsDecrement:
            pass = "Decr";
            break;
        case kRsSetOne:
            break;
        case kRsEqualZero:
            ref = "0x0", func = "Equal";
            break;
        case kRsEqualOne:
            func = "Equal";
            break;
        case kRsAlways:
            func = "Always";
            break;
        case kRsNotOne:
            func = "NotEqual";
            break;
        case kRsNotZero:
            ref = "0x0", func = "NotEqual";
            break;
        case kRsLEqualOne:
            func = "LessEqual";
            break;
        case kRsGEqualOne:
            func = "GreaterEqual";
            break;
        default:
            return 0;
    }
    lines.push_back(std::string("StencilRef = ") + ref + ";");
    if (func) {
        lines.push_back(std::string("StencilFunc = ") + func + ";");
    } else {
        // The counting values write through every bit of the stencil.
        lines.push_back("StencilMask = 0xffffffff;");
        lines.push_back("StencilWriteMask = 0xffffffff;");
    }
    lines.push_back(std::string("StencilPass = ") + pass + ";");
    return 1;
}

int RsRenderTargetLines(int value, std::vector<std::string> &lines) {
    static const char *const kStencil[] = {
        "AlphaBlendEnable = True;", "SrcBlend = Zero;",      "DestBlend = One;",
        "StencilFunc = Always;",    "StencilZFail = Keep;",  "StencilFail = Keep;",
        "ZWriteEnable = False;",    "StencilEnable = True;", "ShadeMode = Flat;"};
    switch (value) {
        case kRsStencil:
        case kRsStencilNoZTest:
            for (const char *l : kStencil) {
                if (value == kRsStencilNoZTest && strcmp(l, "StencilZFail = Keep;") == 0)
                    l = "StencilZFail = Replace;";
                lines.push_back(l);
            }
            return 1;
        case kRsRender:
            lines.push_back("ZWriteEnable = True;");
            lines.push_back("StencilEnable = False;");
            lines.push_back("ShadeMode = Gouraud;");
            return 1;
        case kRsBoth:
            lines.push_back("ZWriteEnable = False;");
            lines.push_back("StencilEnable = True;");
            lines.push_back("StencilZFail = Keep;");
            lines.push_back("StencilFail = Keep;");
            lines.push_back("ShadeMode = Gouraud;");
            return 1;
        case kRsZBuffer:
            lines.push_back("AlphaBlendEnable = True;");
            lines.push_back("SrcBlend = Zero;");
            lines.push_back("DestBlend = One;");
            lines.push_back("ZWriteEnable = True;");
            return 1;
        default:
            return 0;
    }
}
