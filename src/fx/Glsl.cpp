#include "fx/Glsl.h"

#include <cfloat>
#include <cmath>
#include <cstdio>

namespace fx {
namespace {

// Helpers shared by both kinds of program; each mirrors one rule of the
// executor where GLSL's built-in would differ (rcp of exactly 1, log of 0,
// the partial-precision pair expp/logp, lit's clamped power).
const char kVertexHelpers[] =
    "float fx_rcp(float w) { return w == 1.0 ? 1.0 : 1.0 / w; }\n"
    "float fx_log(float w) { return w == 0.0 ? -3.402823466e38 : log2(abs(w)); }\n"
    "vec4 fx_expp(float w) { float f = floor(w); return vec4(exp2(f), w - f, exp2(w), 1.0); }\n"
    "vec4 fx_logp(float w) {\n"
    "  float x = abs(w);\n"
    "  if (x == 0.0) return vec4(-3.402823466e38, 1.0, -3.402823466e38, 1.0);\n"
    "  float e = floor(log2(x));\n"
    "  float m = x / exp2(e);\n"
    "  if (m >= 2.0) { e += 1.0; m *= 0.5; }\n"
    "  if (m < 1.0) { e -= 1.0; m *= 2.0; }\n"
    "  return vec4(e, m, log2(x), 1.0);\n"
    "}\n"
    "vec4 fx_lit(vec4 a) {\n"
    "  float p = clamp(a.w, -128.0, 128.0);\n"
    "  return vec4(1.0, max(a.x, 0.0), (a.x > 0.0 && a.y > 0.0) ? pow(a.y, p) : 0.0, 1.0);\n"
    "}\n"
    "vec4 fx_rel(int i) { return (i >= 0 && i < 96) ? c[i] : vec4(0.0); }\n";

const char kPixelHelpers[] =
    "vec4 fx_cnd(vec4 a, vec4 b, vec4 c) {\n"
    "  return vec4(a.x > 0.5 ? b.x : c.x, a.y > 0.5 ? b.y : c.y,\n"
    "              a.z > 0.5 ? b.z : c.z, a.w > 0.5 ? b.w : c.w);\n"
    "}\n"
    "vec4 fx_cmp(vec4 a, vec4 b, vec4 c) {\n"
    "  return vec4(a.x >= 0.0 ? b.x : c.x, a.y >= 0.0 ? b.y : c.y,\n"
    "              a.z >= 0.0 ? b.z : c.z, a.w >= 0.0 ? b.w : c.w);\n"
    "}\n";

// A float as GLSL reads it: always with a point or an exponent, finite.
std::string Float(float v) {
    if (std::isnan(v)) v = 0;
    if (v > FLT_MAX) v = FLT_MAX;
    if (v < -FLT_MAX) v = -FLT_MAX;
    char buf[48];
    snprintf(buf, sizeof buf, "%.9g", (double)v);
    std::string s = buf;
    if (s.find_first_of(".e") == std::string::npos) s += ".0";
    return s;
}

class Writer {
public:
    explicit Writer(const AsmProgram &p, bool fixedStages = false)
        : p_(p), fixedStages_(fixedStages) {}

    std::string Vertex() {
        std::string s = "#version 120\n";
        s += "uniform vec4 c[96];\nuniform float fx_flipY;\n";
        const unsigned inputs = GlslInputsRead(p_);
        for (int i = 0; i < 16; i++)
            if (inputs & (1u << i)) s += "attribute vec4 v" + std::to_string(i) + ";\n";
        s += kVertexHelpers;
        s += "void main() {\n";
        for (int i = 0; i < 12; i++) s += "  vec4 r" + std::to_string(i) + " = vec4(0.0);\n";
        s += "  int a0 = 0;\n";
        s += "  vec4 oPos = vec4(0.0);\n  vec4 oFog = vec4(0.0);\n  vec4 oPts = vec4(0.0);\n";
        // An unwritten diffuse colour is white, so that a texture modulated by
        // it shows as it is.
        s += "  vec4 oD0 = vec4(1.0);\n  vec4 oD1 = vec4(0.0);\n";
        for (int i = 0; i < 8; i++) s += "  vec4 oT" + std::to_string(i) + " = vec4(0.0);\n";
        Body(s);
        s += "  gl_Position = vec4(oPos.x, oPos.y * fx_flipY, 2.0 * oPos.z - oPos.w, oPos.w);\n";
        s += "  gl_FrontColor = oD0;\n  gl_BackColor = oD0;\n";
        s += "  gl_FrontSecondaryColor = oD1;\n  gl_BackSecondaryColor = oD1;\n";
        for (int i = 0; i < 8; i++) {
            const std::string t = "oT" + std::to_string(i);
            s += "  gl_TexCoord[" + std::to_string(i) +
                 "] = " + (fixedStages_ ? "vec4(" + t + ".xyz, 1.0)" : t) + ";\n";
        }
        s += "}\n";
        return s;
    }

    std::string Pixel() {
        std::string s = "#version 120\n";
        s += "uniform vec4 pc[8];\n";
        const unsigned stages = GlslStagesSampled(p_);
        for (int i = 0; i < 8; i++)
            if (stages & (1u << i)) s += "uniform sampler2D s" + std::to_string(i) + ";\n";
        s += kPixelHelpers;
        s += "void main() {\n";
        for (int i = 0; i < 6; i++) s += "  vec4 r" + std::to_string(i) + " = vec4(0.0);\n";
        s += "  vec4 v0 = gl_Color;\n  vec4 v1 = gl_SecondaryColor;\n";
        for (int i = 0; i < 6; i++)
            s += "  vec4 t" + std::to_string(i) + " = gl_TexCoord[" + std::to_string(i) + "];\n";
        Body(s);
        s += "  gl_FragColor = r0;\n}\n";
        return s;
    }

private:
    void Body(std::string &s) {
        for (const AsmInstr &in : p_.code) {
            std::string line = Instruction(in);
            if (!line.empty()) s += "  " + line + "\n";
        }
    }

    // The register a source or a matrix row names, before swizzle and modifiers.
    std::string Register(const AsmSource &src, int row) const {
        const int index = src.index + row;
        switch (src.file) {
            case kAsmTemp:
                return index >= 0 && index < (p_.pixel ? 6 : 12) ? "r" + std::to_string(index)
                                                                 : "vec4(0.0)";
            case kAsmInput:
                return index >= 0 && index < (p_.pixel ? 2 : 16) ? "v" + std::to_string(index)
                                                                 : "vec4(0.0)";
            case kAsmTexture:
                return p_.pixel && index >= 0 && index < 6 ? "t" + std::to_string(index)
                                                           : "vec4(0.0)";
            case kAsmConst:
                if (p_.pixel) {
                    if (index < 0 || index >= 8) return "vec4(0.0)";
                    // A def constant is fixed: write its value into the text.
                    for (int k = (int)p_.defs.size() - 1; k >= 0; k--) {
                        const AsmDef &d = p_.defs[k];
                        if (d.reg == index)
                            return "vec4(" + Float(d.value[0]) + ", " + Float(d.value[1]) + ", " +
                                   Float(d.value[2]) + ", " + Float(d.value[3]) + ")";
                    }
                    return "pc[" + std::to_string(index) + "]";
                }
                if (src.relative) return "fx_rel(a0 + " + std::to_string(index) + ")";
                return index >= 0 && index < 96 ? "c[" + std::to_string(index) + "]" : "vec4(0.0)";
            default:
                return "vec4(0.0)";
        }
    }

    static std::string Swizzle(const uint8_t sw[4]) {
        if (sw[0] == 0 && sw[1] == 1 && sw[2] == 2 && sw[3] == 3) return "";
        std::string s = ".";
        for (int k = 0; k < 4; k++) s += "xyzw"[sw[k] & 3];
        return s;
    }

    // A source as a vec4 expression: register, swizzle, modifier, negation.
    std::string Source(const AsmSource &src, int row = 0, bool withMod = true) const {
        std::string x = Register(src, row) + Swizzle(src.swizzle);
        if (withMod) {
            switch (src.mod) {
                case kAsmModBias:
                    x = "(" + x + " - 0.5)";
                    break;
                case kAsmModBx2:
                    x = "(2.0 * " + x + " - 1.0)";
                    break;
                case kAsmModX2:
                    x = "(2.0 * " + x + ")";
                    break;
                case kAsmModComp:
                    x = "(1.0 - " + x + ")";
                    break;
                default:
                    break;
            }
        }
        if (src.negate) x = "(-" + x + ")";
        return x;
    }

    // Texture coordinates of texld/texcrd, with the projective divide.
    std::string Coordinates(const AsmSource &src) const {
        const bool divide = src.mod == kAsmModDz || src.mod == kAsmModDw;
        std::string x = Source(src, 0, !divide);
        if (!divide) return x;
        const char *q = src.mod == kAsmModDz ? "z" : "w";
        return "vec4((" + x + ").xy / (" + x + ")." + q + ", (" + x + ").zw)";
    }

    std::string Matrix(const AsmInstr &in, int width, int rows) const {
        const std::string a = Source(in.src[0]);
        std::string parts[4] = {"0.0", "0.0", "0.0", "0.0"};
        for (int i = 0; i < rows; i++) {
            std::string b = Source(in.src[1], i);
            parts[i] =
                width == 4 ? "dot(" + a + ", " + b + ")" : "dot((" + a + ").xyz, (" + b + ").xyz)";
        }
        return "vec4(" + parts[0] + ", " + parts[1] + ", " + parts[2] + ", " + parts[3] + ")";
    }

    // The instruction's result as a vec4 expression; mask narrows what is
    // written (the matrix forms fill only their rows).
    std::string Result(const AsmInstr &in, unsigned &mask) const {
        const std::string a = in.sources > 0 ? Source(in.src[0]) : "";
        const std::string b = in.sources > 1 ? Source(in.src[1]) : "";
        const std::string c = in.sources > 2 ? Source(in.src[2]) : "";
        const std::string w = "(" + a + ").w";
        switch (in.op) {
            case kAsmMov:
                return a;
            case kAsmAdd:
                return "(" + a + " + " + b + ")";
            case kAsmSub:
                return "(" + a + " - " + b + ")";
            case kAsmMul:
                return "(" + a + " * " + b + ")";
            case kAsmMad:
                return "(" + a + " * " + b + " + " + c + ")";
            case kAsmDp3:
                return "vec4(dot((" + a + ").xyz, (" + b + ").xyz))";
            case kAsmDp4:
                return "vec4(dot(" + a + ", " + b + "))";
            case kAsmRcp:
                return "vec4(fx_rcp(" + w + "))";
            case kAsmRsq:
                return "vec4(inversesqrt(abs(" + w + ")))";
            case kAsmSge:
                return "vec4(greaterThanEqual(" + a + ", " + b + "))";
            case kAsmSlt:
                return "vec4(lessThan(" + a + ", " + b + "))";
            case kAsmMin:
                return "min(" + a + ", " + b + ")";
            case kAsmMax:
                return "max(" + a + ", " + b + ")";
            case kAsmExp:
                return "vec4(exp2(" + w + "))";
            case kAsmLog:
                return "vec4(fx_log(" + w + "))";
            case kAsmExpp:
                return "fx_expp(" + w + ")";
            case kAsmLogp:
                return "fx_logp(" + w + ")";
            case kAsmLit:
                return "fx_lit(" + a + ")";
            case kAsmDst:
                return "vec4(1.0, (" + a + ").y * (" + b + ").y, (" + a + ").z, (" + b + ").w)";
            case kAsmFrc:
                return "(" + a + " - floor(" + a + "))";
            case kAsmM4x4:
                mask &= 0xF;
                return Matrix(in, 4, 4);
            case kAsmM4x3:
                mask &= 0x7;
                return Matrix(in, 4, 3);
            case kAsmM3x4:
                mask &= 0xF;
                return Matrix(in, 3, 4);
            case kAsmM3x3:
                mask &= 0x7;
                return Matrix(in, 3, 3);
            case kAsmM3x2:
                mask &= 0x3;
                return Matrix(in, 3, 2);
            case kAsmLrp:
                return "(" + a + " * " + b + " + (1.0 - " + a + ") * " + c + ")";
            case kAsmCnd:
                return "fx_cnd(" + a + ", " + b + ", " + c + ")";
            case kAsmCmp:
                return "fx_cmp(" + a + ", " + b + ", " + c + ")";
            case kAsmTexcrd:
                return Coordinates(in.src[0]);
            case kAsmTexld: {
                const int stage = in.dest.index;
                if (stage < 0 || stage >= 8) return "vec4(0.0)";
                return "texture2D(s" + std::to_string(stage) + ", (" + Coordinates(in.src[0]) +
                       ").xy)";
            }
            default:
                return "";
        }
    }

    std::string Destination(const AsmDest &d) const {
        switch (d.file) {
            case kAsmTemp:
                return d.index >= 0 && d.index < (p_.pixel ? 6 : 12) ? "r" + std::to_string(d.index)
                                                                     : "";
            case kAsmOPos:
                return p_.pixel ? "" : "oPos";
            case kAsmOFog:
                return p_.pixel ? "" : "oFog";
            case kAsmOPts:
                return p_.pixel ? "" : "oPts";
            case kAsmOColor:
                return !p_.pixel && d.index >= 0 && d.index < 2 ? "oD" + std::to_string(d.index)
                                                                : "";
            case kAsmOTexture:
                return !p_.pixel && d.index >= 0 && d.index < 8 ? "oT" + std::to_string(d.index)
                                                                : "";
            default:
                return "";
        }
    }

    std::string Instruction(const AsmInstr &in) const {
        if (in.op == kAsmNop || in.op == kAsmPhase) return "";
        unsigned mask = in.dest.mask & 0xF;
        std::string value = Result(in, mask);
        if (value.empty()) return "";
        if (in.dest.file == kAsmAddress) {
            if (p_.pixel) return "";
            return "a0 = int(floor((" + value + ").x));";
        }
        const std::string dest = Destination(in.dest);
        if (dest.empty() || mask == 0) return "";
        if (in.shift != 0) value = "(" + value + " * " + Float(std::ldexp(1.0f, in.shift)) + ")";
        if (in.saturate) value = "clamp(" + value + ", 0.0, 1.0)";
        if (mask == 0xF) return dest + " = " + value + ";";
        std::string m;
        for (int k = 0; k < 4; k++)
            if (mask & (1u << k)) m += "xyzw"[k];
        return dest + "." + m + " = (" + value + ")." + m + ";";
    }

    const AsmProgram &p_;
    bool fixedStages_;
};

}  // namespace

std::string GlslVertexShader(const AsmProgram &program, bool fixedFunctionStages) {
    return Writer(program, fixedFunctionStages).Vertex();
}

std::string GlslPixelShader(const AsmProgram &program) {
    return Writer(program).Pixel();
}

unsigned GlslInputsRead(const AsmProgram &program) {
    unsigned mask = 0;
    if (program.pixel) return 0;
    for (const AsmInstr &in : program.code)
        for (int i = 0; i < in.sources && i < 3; i++)
            if (in.src[i].file == kAsmInput && in.src[i].index >= 0 && in.src[i].index < 16)
                mask |= 1u << in.src[i].index;
    return mask;
}

unsigned GlslStagesSampled(const AsmProgram &program) {
    unsigned mask = 0;
    if (!program.pixel) return 0;
    for (const AsmInstr &in : program.code)
        if (in.op == kAsmTexld && in.dest.index >= 0 && in.dest.index < 8)
            mask |= 1u << in.dest.index;
    return mask;
}

}  // namespace fx
