// Test helpers: compile a script, then run what the effect text's vs.1.1 /
// ps.1.4 blocks say through the assembly executor, or run the software
// target's records, so results are checked as numbers.
#pragma once

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "fx/ShaderAsm.h"
#include "fx/ShaderExec.h"
#include "shaderc/ShaderCompiler.h"

inline std::vector<std::string> Lines(const std::string &text) {
    std::vector<std::string> out;
    std::stringstream ss(text);
    std::string l;
    while (std::getline(ss, l)) out.push_back(l);
    return out;
}

// The assembly block that starts with `version` in pass `pass`, version line
// included, without the closing "};".
inline std::string AsmBlock(const std::string &effect, const char *version, int pass = 0) {
    std::vector<std::string> lines = Lines(effect);
    std::string block;
    int seen = -1;
    bool in = false;
    for (const std::string &l : lines) {
        if (l == version) {
            in = ++seen == pass;
            if (!in) continue;
        }
        if (!in) continue;
        if (l == "};") break;
        block += l + "\n";
    }
    return block;
}

// Literal constants of the effect text, read back from
// "VertexShaderConstant1[N] = { a,b,c,d };" lines.
inline void LoadEffectConstants(const std::string &effect, float c[96][4]) {
    for (const std::string &l : Lines(effect)) {
        int reg;
        if (sscanf(l.c_str(), "VertexShaderConstant1[%d] = {", &reg) != 1) continue;
        size_t open = l.find('{');
        if (open == std::string::npos || reg < 0 || reg >= 96) continue;
        const char *p = l.c_str() + open + 1;
        for (int k = 0; k < 4; k++) {
            char *end;
            c[reg][k] = strtof(p, &end);
            p = end;
            while (*p == 'f' || *p == ',' || *p == ' ') p++;
        }
    }
}

// Compiles for the effect target and prepares the vertex program of a pass.
struct VertexRun {
    ShaderCompiler sc;
    AsmProgram program;
    AsmMachine m;
    std::string error;

    bool Build(const std::string &script, int caps = 0x3800, int pass = 0) {
        if (!sc.Compile(script.c_str(), kShaderTargetEffect | caps)) {
            error = sc.Error();
            return false;
        }
        if (!AsmParse(AsmBlock(sc.Text(), "vs.1.1", pass), program, error)) return false;
        m = AsmMachine();
        LoadEffectConstants(sc.Text(), m.c);
        return true;
    }
    int Reg(const char *name) const {
        const ShaderSymbol *s = sc.FindSymbol(name);
        return s ? s->first : -1;
    }
    void Vector(const char *name, float x, float y = 0, float z = 0, float w = 0, int element = 0) {
        float *c = m.c[Reg(name) + element];
        c[0] = x, c[1] = y, c[2] = z, c[3] = w;
    }
    void Matrix(const char *name, const float *rowMajor, int element = 0) {
        AsmLoadMatrix(m, Reg(name) + 4 * element, rowMajor);
    }
    void Input(int reg, float x, float y = 0, float z = 0, float w = 1) {
        m.v[reg][0] = x, m.v[reg][1] = y, m.v[reg][2] = z, m.v[reg][3] = w;
    }
    bool Run() { return AsmExecute(program, m) == 1; }
};

// The same through the software target.
struct SoftRun {
    ShaderCompiler sc;
    SwMachine m;
    std::string error;

    bool Build(const std::string &script, int caps = 0x3800) {
        if (!sc.Compile(script.c_str(), kShaderTargetSoftware | caps) || sc.programs.empty()) {
            error = sc.Error();
            return false;
        }
        m = SwMachine();
        for (const ShaderSymbol &s : sc.symbols)
            if (s.kind == kSymConst)
                for (int k = 0; k < 4; k++) m.c[s.first][k] = s.value[k];
        return true;
    }
    int Reg(const char *name) const {
        const ShaderSymbol *s = sc.FindSymbol(name);
        return s ? s->first : -1;
    }
    void Vector(const char *name, float x, float y = 0, float z = 0, float w = 0, int element = 0) {
        float *c = m.c[Reg(name) + element];
        c[0] = x, c[1] = y, c[2] = z, c[3] = w;
    }
    void Matrix(const char *name, const float *rowMajor, int element = 0) {
        SwLoadMatrix(m, Reg(name) + 4 * element, rowMajor);
    }
    void Input(int reg, float x, float y = 0, float z = 0, float w = 1) {
        m.v[reg][0] = x, m.v[reg][1] = y, m.v[reg][2] = z, m.v[reg][3] = w;
    }
    bool Run(int pass = 0) { return SwRun(sc.programs[pass], m) == 1; }
};
