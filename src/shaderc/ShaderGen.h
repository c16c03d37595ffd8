// Code generation for one program (the vertex code of a pass, or its pixel
// code): statements become instruction records, which the writers turn into
// vs.1.1 / ps.1.4 text, ARB text or software records.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "shaderc/SoftShader.h"

class ShaderCompiler;

enum GenRegKind : uint8_t {
    kRegNone,
    kRegTemp,
    kRegInput,   // vertex input v#
    kRegOutput,  // 0 oPos, 1 oD0, 2 oD1, 3.. oT0..
    kRegConst,   // vertex constant c#, or pixel constant in pixel code
    kRegAddress,
    kRegColor,    // pixel colour input v0, v1
    kRegTexCoord  // pixel texture coordinate t#
};

enum GenOp : uint8_t {
    kGenMov,
    kGenAdd,
    kGenSub,
    kGenMul,
    kGenMad,
    kGenDp3,
    kGenRcp,
    kGenRsq,
    kGenSge,
    kGenSlt,
    kGenMax,
    kGenMin,
    kGenExp,
    kGenLog,
    kGenExpp,
    kGenLit,
    kGenM4x4,
    kGenM3x3,
    kGenMovA,  // load the address register
    kGenTexld,
    kGenTexcrd,
    kGenLrp,
    kGenPhase,
    // Operations only the software target has natively.
    kGenSin,
    kGenCos,
    kGenTan,
    kGenAsin,
    kGenAcos,
    kGenAtan,
    kGenFloor,
    kGenCross,
    kGenTgt,
};

struct GenOperand {
    uint8_t kind = kRegNone;
    int index = 0;
    bool relative = false;  // constant index + a0.x
    uint8_t swz[4] = {0, 1, 2, 3};
    bool negate = false;
    const char *mod = "";  // pixel source modifier ("_bx2")
    int symbol = -1;       // the constant's symbol, for ARB names
    int owned = -1;        // temporary to release after the last use

    bool Swizzled() const { return swz[0] != 0 || swz[1] != 1 || swz[2] != 2 || swz[3] != 3; }
    bool Replicated() const { return swz[0] == swz[1] && swz[1] == swz[2] && swz[2] == swz[3]; }
};

struct GenDest {
    uint8_t kind = kRegNone;
    int index = 0;
    uint8_t mask = 0xF;
};

struct GenInstr {
    uint8_t op = kGenMov;
    GenDest d;
    GenOperand s[3];
    int n = 0;
    const char *suffix = "";  // pixel result modifier ("_x2", "_sat")
};

class ShaderGen {
public:
    ShaderGen(ShaderCompiler &sc, int target, bool pixel);
    // Compiles one statement of a code section (macro calls and conditionals
    // included). Returns 0 with the compiler's error set on failure.
    int Statement(const std::string &s);
    // Pixel code: keeps rN for the texture reads sample(TexN) of `stmts`, so
    // other temporaries take those registers last.
    void Reserve(const std::vector<std::string> &stmts);

    std::vector<GenInstr> code;
    std::map<std::string, int> named;  // named temporaries and their registers
    uint32_t used = 0;                 // temporaries in use
    int maxUsed = 0;                   // highest register used + 1
    uint8_t outputsWritten = 0;        // bit per output register
    bool addressSet = false;
    bool outWritten = false;  // pixel code: Out (r0) holds a value
    uint32_t reserved = 0;    // pixel code: registers sample(TexN) will need
    bool pixel;
    int target;

private:
    ShaderCompiler &sc;
    int macroDepth = 0;
    int expanded = 0;

    int Fail(const std::string &msg);
    int Expand(const std::string &s);
    int MacroCall(const std::string &s, bool &handled);
    int Conditional(const std::string &s);
    int Assign(const std::string &s);

    int Alloc(int prefer = -1);
    void Release(GenOperand &o);
    int Emit(uint8_t op, const GenDest &d, const GenOperand *s, int n, const char *suffix = "");
    int Emit(uint8_t op, const GenDest &d, GenOperand a) { return Emit(op, d, &a, 1); }
    int Emit(uint8_t op, const GenDest &d, GenOperand a, GenOperand b) {
        GenOperand s[2] = {a, b};
        return Emit(op, d, s, 2);
    }
    int Emit(uint8_t op, const GenDest &d, GenOperand a, GenOperand b, GenOperand c) {
        GenOperand s[3] = {a, b, c};
        return Emit(op, d, s, 3);
    }
    int Legalize(GenInstr &in);

    int Expr(const std::string &e, const GenDest &d);
    int Operand(const std::string &e, uint8_t need, GenOperand &o);
    int Simple(const std::string &e, GenOperand &o);
    int Matrix(const std::string &e, int rows, GenOperand &o);
    int Resolve(const std::string &name, const std::string &index, GenOperand &o);
    int Call(const std::string &fn, const std::string &args, const GenDest &d);
    int PixelCall(const std::string &fn, const std::vector<std::string> &args, const GenDest &d);
    int Sample(const std::string &arg, const GenDest &d);
    int Binary(char op, const std::string &l, const std::string &r, const GenDest &d);
    int MatrixOp(int rows, const std::string &l, const std::string &m, const GenDest &d);
    int Cross(const std::string &l, const std::string &r, const GenDest &d);
    int Floor(GenOperand x, const GenDest &d);
    int Trig(uint8_t op, GenOperand x, const GenDest &d);
    int SinCore(GenOperand x, int t, bool cosine);
    int AtanCore(GenOperand x, int t, bool arcsine);

    GenOperand Builtin(const char *name, int component, bool negate = false);
    GenOperand Temp(int reg, int component = -1);
    GenDest TempDest(int reg, uint8_t mask = 0xF);
    bool Aliases(const GenDest &d, const GenOperand &o) const;
};

// Writes one instruction in vs.1.1 / ps.1.4 syntax.
std::string GenEffectLine(const ShaderCompiler &sc, const GenInstr &in, bool pixel);
// Writes one instruction in ARB syntax (several lines for the matrix ops).
void GenArbLines(const ShaderCompiler &sc, const GenInstr &in, bool pixel,
                 std::vector<std::string> &out);
// Converts to a software record; returns 0 for operations it lacks.
int GenSoftware(const GenInstr &in, SwInstr &out);
