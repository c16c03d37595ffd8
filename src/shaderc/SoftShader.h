// The software target: a vertex program as a list of instruction records,
// each bound to the function that evaluates it, run on the CPU.
#pragma once

#include <cstdint>
#include <vector>

enum SwOp : uint8_t {
    kSwMov,
    kSwAdd,
    kSwSub,
    kSwMul,
    kSwRcp,
    kSwRsq,
    kSwSge,
    kSwSlt,
    kSwM4x4,
    kSwM3x3,
    kSwCross,
    kSwMax,
    kSwMin,
    kSwDp3,
    kSwSin,
    kSwCos,
    kSwTan,
    kSwAsin,
    kSwAcos,
    kSwAtan,
    kSwExp,
    kSwLog,
    kSwTgt,
    kSwFloor,
    kSwOpCount
};

// Register files of the software machine.
enum SwFile : uint8_t { kSwTemp, kSwInput, kSwOutput, kSwConst, kSwAddress };

enum {
    kSwTemps = 12,
    kSwInputs = 16,
    kSwOutputs = 8,  // oPos, oD0, oD1, oT0..oT4
    kSwConsts = 96,
    kSwMaxInstructions = 128,
    kSwNoBroadcast = 4,
};

struct SwOperand {
    uint8_t file = kSwTemp;
    uint8_t index = 0;  // register; for a relative constant, the offset from a0
    uint8_t swizzle[4] = {0, 1, 2, 3};
    uint8_t broadcast = kSwNoBroadcast;  // component read into all four, or none
    uint8_t negate = 0;
    uint8_t relative = 0;  // constant register index + address register
};

struct SwMachine;
struct SwInstr;
typedef void (*SwEval)(SwMachine &m, const SwInstr &in);

struct SwInstr {
    SwOp op = kSwMov;
    SwOperand dest;
    uint8_t mask = 0xF;  // components of dest written, bit 0 = x
    SwOperand src[3];
    int sources = 0;
    SwEval eval = nullptr;
};

struct SwProgram {
    std::vector<SwInstr> code;
};

// One vertex's registers. Matrices are loaded transposed: M4X4 computes
// dest.x = dot(src, c[N]), dest.y = dot(src, c[N+1]) and so on.
struct SwMachine {
    float c[kSwConsts][4] = {};
    float v[kSwInputs][4] = {};
    float o[kSwOutputs][4] = {};
    float r[kSwTemps][4] = {};
    int a0 = 0;
};

// Binds each record to its evaluator (the compiler does this already).
void SwBind(SwProgram &program);
// Runs every record in order. Returns 0 if a record has no evaluator.
int SwRun(const SwProgram &program, SwMachine &m);
// Stores a row-vector 4x4 matrix (16 floats, row-major) into c[first..first+3]
// as the transposed rows the matrix instructions expect.
void SwLoadMatrix(SwMachine &m, int first, const float *matrix);
// Name of an operation ("M4X4").
const char *SwOpName(SwOp op);
