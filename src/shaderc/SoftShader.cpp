#include "shaderc/SoftShader.h"

#include <cmath>

namespace {

typedef float Vec[4];

void Read(const SwMachine &m, const SwOperand &o, Vec out) {
    static const float kZero[4] = {0, 0, 0, 0};
    const float *reg = kZero;
    switch (o.file) {
        case kSwTemp:
            if (o.index < kSwTemps) reg = m.r[o.index];
            break;
        case kSwInput:
            if (o.index < kSwInputs) reg = m.v[o.index];
            break;
        case kSwOutput:
            if (o.index < kSwOutputs) reg = m.o[o.index];
            break;
        case kSwConst: {
            int i = o.index + (o.relative ? m.a0 : 0);
            // Out-of-range constant reads give zero, as on the hardware.
            if (i >= 0 && i < kSwConsts) reg = m.c[i];
            break;
        }
        default:
            break;
    }
    for (int k = 0; k < 4; k++) {
        int sel = o.broadcast < 4 ? o.broadcast : o.swizzle[k] & 3;
        out[k] = o.negate ? -reg[sel] : reg[sel];
    }
}

void Write(SwMachine &m, const SwInstr &in, const Vec value) {
    const SwOperand &d = in.dest;
    float *reg = nullptr;
    switch (d.file) {
        case kSwTemp:
            if (d.index < kSwTemps) reg = m.r[d.index];
            break;
        case kSwOutput:
            if (d.index < kSwOutputs) reg = m.o[d.index];
            break;
        case kSwAddress:
            m.a0 = (int)std::floor(value[0]);
            return;
        default:
            break;
    }
    if (!reg) return;
    for (int k = 0; k < 4; k++)
        if (in.mask & (1 << k)) reg[k] = value[k];
}

// Componentwise operations on the read sources.
template <typename F>
void Componentwise(SwMachine &m, const SwInstr &in, F f) {
    Vec a = {}, b = {}, r;
    Read(m, in.src[0], a);
    if (in.sources > 1) Read(m, in.src[1], b);
    for (int k = 0; k < 4; k++) r[k] = f(a[k], b[k]);
    Write(m, in, r);
}

void EvalMov(SwMachine &m, const SwInstr &in) {
    Componentwise(m, in, [](float a, float) { return a; });
}
void EvalAdd(SwMachine &m, const SwInstr &in) {
    Componentwise(m, in, [](float a, float b) { return a + b; });
}
void EvalSub(SwMachine &m, const SwInstr &in) {
    Componentwise(m, in, [](float a, float b) { return a - b; });
}
void EvalMul(SwMachine &m, const SwInstr &in) {
    Componentwise(m, in, [](float a, float b) { return a * b; });
}
void EvalRcp(SwMachine &m, const SwInstr &in) {
    Componentwise(m, in, [](float a, float) { return 1.0f / a; });
}
void EvalRsq(SwMachine &m, const SwInstr &in) {
    Componentwise(m, in, [](float a, float) { return 1.0f / std::sqrt(std::fabs(a)); });
}
void EvalSge(SwMachine &m, const SwInstr &in) {
    Componentwise(m, in, [](float a, float b) { return a >= b ? 1.0f : 0.0f; });
}
void EvalSlt(SwMachine &m, const SwInstr &in) {
    Componentwise(m, in, [](float a, float b) { return a < b ? 1.0f : 0.0f; });
}
void EvalMax(SwMachine &m, const SwInstr &in) {
    Componentwise(m, in, [](float a, float b) { return a >= b ? a : b; });
}
void EvalMin(SwMachine &m, const SwInstr &in) {
    Componentwise(m, in, [](float a, float b) { return a < b ? a : b; });
}
void EvalSin(SwMachine &m, const SwInstr &in) {
    Componentwise(m, in, [](float a, float) { return std::sin(a); });
}
void EvalCos(SwMachine &m, const SwInstr &in) {
    Componentwise(m, in, [](float a, float) { return std::cos(a); });
}
void EvalTan(SwMachine &m, const SwInstr &in) {
    Componentwise(m, in, [](float a, float) { return std::tan(a); });
}
void EvalAsin(SwMachine &m, const SwInstr &in) {
    Componentwise(m, in, [](float a, float) { return std::asin(a); });
}
void EvalAcos(SwMachine &m, const SwInstr &in) {
    Componentwise(m, in, [](float a, float) { return std::acos(a); });
}
void EvalAtan(SwMachine &m, const SwInstr &in) {
    Componentwise(m, in, [](float a, float) { return std::atan(a); });
}
void EvalExp(SwMachine &m, const SwInstr &in) {
    Componentwise(m, in, [](float a, float) { return std::exp2(a); });
}
void EvalLog(SwMachine &m, const SwInstr &in) {
    Componentwise(m, in, [](float a, float) { return std::log2(std::fabs(a)); });
}
void EvalFloor(SwMachine &m, const SwInstr &in) {
    Componentwise(m, in, [](float a, float) { return std::floor(a); });
}

float Dot3(const Vec a, const Vec b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

void EvalDp3(SwMachine &m, const SwInstr &in) {
    Vec a, b;
    Read(m, in.src[0], a);
    Read(m, in.src[1], b);
    float d = Dot3(a, b);
    Vec r = {d, d, d, d};
    Write(m, in, r);
}

void EvalCross(SwMachine &m, const SwInstr &in) {
    Vec a, b;
    Read(m, in.src[0], a);
    Read(m, in.src[1], b);
    Vec r = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0], 0};
    Write(m, in, r);
}

// tgt(a, n, b) = b - dot3(a, n) * n: with a = b and a unit n, the part of a
// that is perpendicular to n.
void EvalTgt(SwMachine &m, const SwInstr &in) {
    Vec a, n, b, r;
    Read(m, in.src[0], a);
    Read(m, in.src[1], n);
    Read(m, in.src[2], b);
    float d = Dot3(a, n);
    for (int k = 0; k < 4; k++) r[k] = b[k] - d * n[k];
    Write(m, in, r);
}

void Matrix(SwMachine &m, const SwInstr &in, int rows) {
    Vec v, row, r = {0, 0, 0, 0};
    Read(m, in.src[0], v);
    SwOperand base = in.src[1];
    SwInstr masked = in;
    if (rows == 3) masked.mask &= 0x7;
    for (int i = 0; i < rows; i++) {
        SwOperand o = base;
        o.index = (uint8_t)(base.index + i);  // past the last register reads zero
        Read(m, o, row);
        r[i] = rows == 4 ? Dot3(v, row) + v[3] * row[3] : Dot3(v, row);
    }
    Write(m, masked, r);
}

void EvalM4x4(SwMachine &m, const SwInstr &in) {
    Matrix(m, in, 4);
}
void EvalM3x3(SwMachine &m, const SwInstr &in) {
    Matrix(m, in, 3);
}

const SwEval kEval[kSwOpCount] = {
    EvalMov,  EvalAdd,  EvalSub,   EvalMul,  EvalRcp, EvalRsq, EvalSge, EvalSlt,
    EvalM4x4, EvalM3x3, EvalCross, EvalMax,  EvalMin, EvalDp3, EvalSin, EvalCos,
    EvalTan,  EvalAsin, EvalAcos,  EvalAtan, EvalExp, EvalLog, EvalTgt, EvalFloor,
};

const char *const kNames[kSwOpCount] = {
    "MOV", "ADD", "SUB", "MUL", "RCP", "RSQ",  "SGE",  "SLT",  "M4X4", "M3X3", "CROSS", "MAX",
    "MIN", "DP3", "SIN", "COS", "TAN", "ASIN", "ACOS", "ATAN", "EXP",  "LOG",  "TGT",   "FLOOR",
};

}  // namespace

void SwBind(SwProgram &program) {
    for (SwInstr &in : program.code) in.eval = in.op < kSwOpCount ? kEval[in.op] : nullptr;
}

int SwRun(const SwProgram &program, SwMachine &m) {
    for (const SwInstr &in : program.code) {
        if (!in.eval) return 0;
        in.eval(m, in);
    }
    return 1;
}

void SwLoadMatrix(SwMachine &m, int first, const float *matrix) {
    for (int row = 0; row < 4; row++) {
        if (first + row < 0 || first + row >= kSwConsts) continue;
        for (int col = 0; col < 4; col++) m.c[first + row][col] = matrix[col * 4 + row];
    }
}

const char *SwOpName(SwOp op) {
    return op < kSwOpCount ? kNames[op] : "?";
}
