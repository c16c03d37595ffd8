#include "fx/ShaderExec.h"

#include <cfloat>
#include <cmath>

namespace {

typedef float Vec[4];

const float *Register(const AsmMachine &m, uint8_t file, int index, bool relative) {
    static const float kZero[4] = {0, 0, 0, 0};
    switch (file) {
        case kAsmTemp:
            return index >= 0 && index < 12 ? m.r[index] : kZero;
        case kAsmInput:
            return index >= 0 && index < 16 ? m.v[index] : kZero;
        case kAsmTexture:
            return index >= 0 && index < 8 ? m.t[index] : kZero;
        case kAsmConst: {
            int i = index + (relative ? m.a0 : 0);
            // A relative read past the register file gives zero.
            return i >= 0 && i < 96 ? m.c[i] : kZero;
        }
        default:
            return kZero;
    }
}

void Read(const AsmMachine &m, const AsmSource &s, Vec out, int row = 0) {
    const float *reg = Register(m, s.file, s.index + row, s.relative);
    for (int k = 0; k < 4; k++) {
        float x = reg[s.swizzle[k] & 3];
        switch (s.mod) {
            case kAsmModBias:
                x -= 0.5f;
                break;
            case kAsmModBx2:
                x = 2 * x - 1;
                break;
            case kAsmModX2:
                x *= 2;
                break;
            case kAsmModComp:
                x = 1 - x;
                break;
            default:
                break;
        }
        out[k] = s.negate ? -x : x;
    }
}

float *Target(AsmMachine &m, const AsmDest &d) {
    switch (d.file) {
        case kAsmTemp:
            return d.index >= 0 && d.index < 12 ? m.r[d.index] : nullptr;
        case kAsmOPos:
            return m.oPos;
        case kAsmOFog:
            return m.oFog;
        case kAsmOPts:
            return m.oPts;
        case kAsmOColor:
            return d.index >= 0 && d.index < 2 ? m.oD[d.index] : nullptr;
        case kAsmOTexture:
            return d.index >= 0 && d.index < 8 ? m.oT[d.index] : nullptr;
        default:
            return nullptr;
    }
}

void Write(AsmMachine &m, const AsmInstr &in, const Vec value, uint8_t mask) {
    if (in.dest.file == kAsmAddress) {
        m.a0 = (int)std::floor(value[0]);
        return;
    }
    float *reg = Target(m, in.dest);
    if (!reg) return;
    float scale = std::ldexp(1.0f, in.shift);
    for (int k = 0; k < 4; k++) {
        if (!(in.dest.mask & mask & (1 << k))) continue;
        float x = value[k] * scale;
        if (in.saturate) x = x < 0 ? 0 : x > 1 ? 1 : x;
        reg[k] = x;
    }
}

float Dot(const Vec a, const Vec b, int n) {
    float s = 0;
    for (int k = 0; k < n; k++) s += a[k] * b[k];
    return s;
}

void Texture(AsmMachine &m, const AsmInstr &in, Vec out) {
    Vec coord;
    AsmSource s = in.src[0];
    uint8_t mod = s.mod;
    if (mod == kAsmModDz || mod == kAsmModDw) s.mod = kAsmModNone;
    Read(m, s, coord);
    if (mod == kAsmModDz || mod == kAsmModDw) {
        float q = coord[mod == kAsmModDz ? 2 : 3];
        coord[0] /= q;
        coord[1] /= q;
    }
    if (in.op == kAsmTexcrd) {
        for (int k = 0; k < 4; k++) out[k] = coord[k];
        return;
    }
    out[0] = out[1] = out[2] = out[3] = 0;
    // texld samples the stage numbered by its destination register.
    if (m.sampler) m.sampler(m.samplerUser, in.dest.index, coord, out);
}

int Step(AsmMachine &m, const AsmInstr &in) {
    Vec a = {}, b = {}, c = {}, r = {0, 0, 0, 0};
    uint8_t mask = 0xF;
    switch (in.op) {
        case kAsmNop:
        case kAsmPhase:
            return 1;
        case kAsmM4x4:
        case kAsmM4x3:
        case kAsmM3x4:
        case kAsmM3x3:
        case kAsmM3x2: {
            int width = in.op == kAsmM4x4 || in.op == kAsmM4x3 ? 4 : 3;
            int rows = in.op == kAsmM4x4 || in.op == kAsmM3x4 ? 4 : in.op == kAsmM3x2 ? 2 : 3;
            Read(m, in.src[0], a);
            for (int i = 0; i < rows; i++) {
                Read(m, in.src[1], b, i);
                r[i] = Dot(a, b, width);
            }
            mask = (uint8_t)((1 << rows) - 1);
            Write(m, in, r, mask);
            return 1;
        }
        case kAsmTexld:
        case kAsmTexcrd:
            Texture(m, in, r);
            Write(m, in, r, mask);
            return 1;
        default:
            break;
    }
    if (in.sources > 0) Read(m, in.src[0], a);
    if (in.sources > 1) Read(m, in.src[1], b);
    if (in.sources > 2) Read(m, in.src[2], c);
    for (int k = 0; k < 4; k++) {
        switch (in.op) {
            case kAsmMov:
                r[k] = a[k];
                break;
            case kAsmAdd:
                r[k] = a[k] + b[k];
                break;
            case kAsmSub:
                r[k] = a[k] - b[k];
                break;
            case kAsmMul:
                r[k] = a[k] * b[k];
                break;
            case kAsmMad:
                r[k] = a[k] * b[k] + c[k];
                break;
            case kAsmDp3:
                r[k] = Dot(a, b, 3);
                break;
            case kAsmDp4:
                r[k] = Dot(a, b, 4);
                break;
            case kAsmSge:
                r[k] = a[k] >= b[k] ? 1.0f : 0.0f;
                break;
            case kAsmSlt:
                r[k] = a[k] < b[k] ? 1.0f : 0.0f;
                break;
            case kAsmMin:
                r[k] = a[k] < b[k] ? a[k] : b[k];
                break;
            case kAsmMax:
                r[k] = a[k] >= b[k] ? a[k] : b[k];
                break;
            case kAsmFrc:
                r[k] = a[k] - std::floor(a[k]);
                break;
            case kAsmLrp:
                r[k] = a[k] * b[k] + (1 - a[k]) * c[k];
                break;
            case kAsmCnd:
                r[k] = a[k] > 0.5f ? b[k] : c[k];
                break;
            case kAsmCmp:
                r[k] = a[k] >= 0 ? b[k] : c[k];
                break;
            default:
                break;
        }
    }
    float w = a[3];  // scalar instructions read the component their swizzle puts in .w
    switch (in.op) {
        case kAsmRcp:
            r[0] = r[1] = r[2] = r[3] = w == 1.0f ? 1.0f : 1.0f / w;
            break;
        case kAsmRsq:
            r[0] = r[1] = r[2] = r[3] = 1.0f / std::sqrt(std::fabs(w));
            break;
        case kAsmExp:
            r[0] = r[1] = r[2] = r[3] = std::exp2(w);
            break;
        case kAsmLog:
            r[0] = r[1] = r[2] = r[3] = w == 0 ? -FLT_MAX : std::log2(std::fabs(w));
            break;
        case kAsmExpp: {
            float f = std::floor(w);
            r[0] = std::exp2(f);
            r[1] = w - f;
            r[2] = std::exp2(w);
            r[3] = 1;
            break;
        }
        case kAsmLogp: {
            float x = std::fabs(w);
            if (x == 0) {
                r[0] = r[2] = -FLT_MAX;
                r[1] = 1;
            } else {
                int e;
                float mant = std::frexp(x, &e);  // x = mant * 2^e, mant in [0.5, 1)
                r[0] = (float)(e - 1);
                r[1] = mant * 2;
                r[2] = std::log2(x);
            }
            r[3] = 1;
            break;
        }
        case kAsmLit: {
            float p = a[3] < -128 ? -128 : a[3] > 128 ? 128 : a[3];
            r[0] = 1;
            r[1] = a[0] > 0 ? a[0] : 0;
            r[2] = a[0] > 0 && a[1] > 0 ? std::pow(a[1], p) : 0;
            r[3] = 1;
            break;
        }
        case kAsmDst:
            r[0] = 1;
            r[1] = a[1] * b[1];
            r[2] = a[2];
            r[3] = b[3];
            break;
        default:
            break;
    }
    if (in.op >= kAsmOpCount) return 0;
    Write(m, in, r, mask);
    return 1;
}

}  // namespace

int AsmExecute(const AsmProgram &program, AsmMachine &m) {
    for (const AsmDef &d : program.defs)
        if (d.reg >= 0 && d.reg < 96)
            for (int k = 0; k < 4; k++) m.c[d.reg][k] = d.value[k];
    for (const AsmInstr &in : program.code)
        if (!Step(m, in)) return 0;
    return 1;
}

void AsmLoadMatrix(AsmMachine &m, int first, const float *matrix) {
    for (int row = 0; row < 4; row++) {
        if (first + row < 0 || first + row >= 96) continue;
        for (int col = 0; col < 4; col++) m.c[first + row][col] = matrix[col * 4 + row];
    }
}
