// Shader assembly (vs.1.0, vs.1.1, ps.1.4) read into instruction records:
// registers, swizzles, write masks, source and result modifiers, relative
// constant addressing, def and phase. The executor runs the records on the
// CPU; the effect runtime translates the same records to GLSL.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum AsmFile : uint8_t {
    kAsmNone,
    kAsmTemp,     // r#
    kAsmInput,    // v#: vertex inputs, or the pixel's two colours
    kAsmConst,    // c#
    kAsmAddress,  // a0
    kAsmTexture,  // t#: pixel texture coordinates
    kAsmOPos,
    kAsmOFog,
    kAsmOPts,
    kAsmOColor,    // oD#
    kAsmOTexture,  // oT#
};

enum AsmOp : uint8_t {
    kAsmNop,
    kAsmMov,
    kAsmAdd,
    kAsmSub,
    kAsmMul,
    kAsmMad,
    kAsmDp3,
    kAsmDp4,
    kAsmRcp,
    kAsmRsq,
    kAsmSge,
    kAsmSlt,
    kAsmMin,
    kAsmMax,
    kAsmExp,
    kAsmLog,
    kAsmExpp,
    kAsmLogp,
    kAsmLit,
    kAsmDst,
    kAsmFrc,
    kAsmM4x4,
    kAsmM4x3,
    kAsmM3x4,
    kAsmM3x3,
    kAsmM3x2,
    kAsmLrp,
    kAsmCnd,
    kAsmCmp,
    kAsmTexld,
    kAsmTexcrd,
    kAsmPhase,
    kAsmOpCount
};

// Source modifiers of pixel code (negation is separate).
enum AsmSrcMod : uint8_t {
    kAsmModNone,
    kAsmModBias,  // x - 0.5
    kAsmModBx2,   // 2x - 1
    kAsmModX2,    // 2x
    kAsmModComp,  // 1 - x
    kAsmModDz,    // texture coordinate divided by z
    kAsmModDw,    // texture coordinate divided by w
};

struct AsmSource {
    uint8_t file = kAsmNone;
    int index = 0;  // register; for a relative constant, the offset added to a0.x
    uint8_t swizzle[4] = {0, 1, 2, 3};
    bool negate = false;
    uint8_t mod = kAsmModNone;
    bool relative = false;  // c[a0.x + index]
};

struct AsmDest {
    uint8_t file = kAsmNone;
    int index = 0;
    uint8_t mask = 0xF;  // bit 0 = x
};

struct AsmInstr {
    uint8_t op = kAsmNop;
    AsmDest dest;
    AsmSource src[3];
    int sources = 0;
    int8_t shift = 0;  // result scale 2^shift: _x2 = 1, _d2 = -1, ...
    bool saturate = false;
    bool coissue = false;  // written with a leading '+'
    int line = 0;          // line of the text, from 1
};

struct AsmDef {
    int reg = 0;
    float value[4] = {0, 0, 0, 0};
};

struct AsmProgram {
    bool pixel = false;
    int major = 0, minor = 0;
    std::vector<AsmInstr> code;
    std::vector<AsmDef> defs;
    int phaseAt = -1;  // index in code of the phase marker, -1 when none
};

enum { kAsmMaxInstructions = 1024 };

// Reads an assembly block: a version line ("vs.1.1", "ps.1.4") then one
// instruction per line; "//" and ";" start comments. Returns 1, or 0 with a
// message naming the line.
int AsmParse(const char *text, size_t length, AsmProgram &out, std::string &error);
int AsmParse(const std::string &text, AsmProgram &out, std::string &error);
// Number of source operands of an operation, and its name ("m4x4").
int AsmSourceCount(uint8_t op);
const char *AsmOpName(uint8_t op);
// Writes a record back in assembly syntax (for messages and tests).
std::string AsmFormat(const AsmInstr &in, bool pixel);
