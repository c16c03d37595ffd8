// Compiles a shader script (vertex format, declarations, techniques of up to
// four passes, vertex and pixel code, render states) into the text of an
// effect (vs.1.1 / ps.1.4 with fixed-function states), into ARB program text,
// or into instruction records for the software evaluator.
//
// What the code of a script means:
// - An expression splits at its leftmost + or - whose sides both have
//   balanced brackets, else at its leftmost / * | ^ *4M *3M: a-b+c is
//   a-(b+c), a*b|c is a*(b|c). A sign right after an operator or at the start
//   belongs to its operand.
// - name[i] counts registers (for MATRIX m[N], m[4] is the second matrix);
//   name[Address+i] reads register first+i+a0.x; Address=x loads floor(x.x).
// - a/b divides every component of a by b.w (or what b's swizzle puts in w);
//   rsq, log2 and exp2 also read that component.
// - sin, cos, tan, asin, acos, atan read the first component their argument
//   selects and write the result into every component of the destination;
//   floor works per component; tgt(a, n, b) = b - dot3(a, n) n.
// - if(a>b){...}else{...} compares a >= b and merges the assignments of both
//   blocks; it is vertex code only and does not nest.
// - Pixel code: sample(TexN) reads texture stage N through register rN (the
//   stage of a ps.1.4 texld is its destination register), coord(TexN) reads
//   the coordinates; Out is r0 and may be read back.
// - Temporaries: vertex code has r0..r11, pixel code r1..r5 beside Out. A name
//   first written in a pass keeps its register for the rest of the pass;
//   intermediate results take the lowest free register and give it back as
//   soon as the instruction that reads them is written.
#pragma once

#include <string>
#include <vector>

#include "shaderc/RenderStates.h"
#include "shaderc/SoftShader.h"

// Compile flags: the target (the last one given wins) and the device's
// capabilities, which choose the technique.
enum {
    kShaderTargetArb = 0x1,
    kShaderTargetEffect = 0x2,
    kShaderTargetSoftware = 0x4000,
    kShaderCapMultitexture = 0x800,
    kShaderCapDot3 = 0x1000,
    kShaderCapPixelShader14 = 0x2000,
};

// Technique requirement bits.
enum { kNeedDot3 = 1, kNeedMultitexture = 2, kNeedShaders = 4 };

// Vertex format bits and the input register of each component.
enum {
    kFormatXyz = 0x4,
    kFormatNormal = 0x8,
    kFormatDiffuse = 0x10,
    kFormatSpecular = 0x20,
    kFormatTex0 = 0x40,
    kFormatTex1 = 0x80,
    kFormatTex2 = 0x100,
    kFormatBlend = 0x8000,
};

enum ShaderSymbolKind { kSymMatrix, kSymVector, kSymConst, kSymDword, kSymTexture, kSymPsConst };

enum {
    kShaderMaxTechniques = 4,
    kShaderMaxPasses = 4,
    kShaderMaxRegisters = 96,
    kShaderMaxPsConsts = 8,
    kShaderMaxInstructions = 128,
    kShaderMaxLine = 512,        // output lines are shorter than this
    kShaderMaxStatement = 1024,  // characters of a statement without blanks
    kShaderMaxName = 63,
};

// Code sections of a pass, in the order their vertex code is written.
enum {
    kSectionPosition,
    kSectionDiffuse,
    kSectionSpecular,
    kSectionMapping0,  // .. kSectionMapping0 + 4
    kSectionShader = kSectionMapping0 + 5,
    kSectionCount
};

struct ShaderSymbol {
    std::string name;
    int kind = kSymVector;
    int first = -1;                 // first vertex constant register (pixel constant for PSCONST)
    int count = 0;                  // registers taken
    int arraySize = 0;              // 0 when not an array
    float value[4] = {0, 0, 0, 0};  // literal constants
};

struct ShaderPass {
    std::vector<std::string> code[kSectionCount];  // statements without blanks
    int states[kRsSlotCount];  // value identities; texture slots hold -1 or a texture index
    int stateError = 0;
    ShaderPass();
};

struct ShaderTechnique {
    int needs = 0;  // kNeed* bits
    std::vector<ShaderPass> passes;
};

struct ShaderMacro {
    std::string name;
    std::vector<std::string> params;
    std::vector<std::string> body;  // statements
};

class ShaderCompiler {
public:
    // Reads the script and writes the output of the target chosen by flags.
    // Returns 1 on success, 0 on failure with Error() set. A render-state
    // error still produces the effect text (that pass without its states).
    int Compile(const char *script, int flags);
    int Compile(const char *script, size_t length, int flags);

    const std::string &Text() const { return text; }  // targets 0 and 1
    const char *Error() const { return error.c_str(); }
    const ShaderSymbol *FindSymbol(const std::string &name) const;
    // Index in the script of the technique that was compiled, -1 when none.
    int ChosenTechnique() const { return chosen; }
    int PassCount() const;

    // Everything below is public for tests and tools; it is reset by Compile.
    int target = 0;                     // 0 effect text, 1 ARB text, 2 software records
    int caps = 0;                       // kShaderCap* bits
    int vertexFormat = 0;               // kFormat* bits
    std::vector<ShaderSymbol> symbols;  // declaration order, built-ins last
    int registersUsed = 0;
    int psConstsUsed = 0;
    std::vector<std::string> textures;
    std::vector<ShaderTechnique> techniques;
    std::vector<ShaderMacro> macros;
    int chosen = -1;
    std::vector<std::string> lines;   // the output, joined into text
    std::vector<SwProgram> programs;  // target 2: one vertex program per pass
    std::string text;
    std::string error;
    std::string warnings;  // unknown render-state names, one per line

    // Used by the reader and the code generator.
    void SetError(const char *fmt, ...) __attribute__((format(printf, 2, 3)));
    int AddLine(const std::string &line);
    int AddSymbol(const std::string &name, int kind, int arraySize, const float *value);

private:
    int Read(const char *script, size_t length);
    int WriteEffect();
    int WriteArb();
    int WriteSoftware();
    void Reset();
};
