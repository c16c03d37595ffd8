// Compile entry point and the three output writers.
#include "shaderc/ShaderCompiler.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "shaderc/ShaderGen.h"

namespace {

const char kXyzw[] = "xyzw";
const char kRgba[] = "rgba";
const char *const kEffectOutputs[] = {"oPos", "oD0", "oD1", "oT0", "oT1", "oT2", "oT3", "oT4"};
const char *const kArbOutputs[] = {"oPos",      "oDiffuse",  "oSpecular", "oTexture0",
                                   "oTexture1", "oTexture2", "oTexture3", "oTexture4"};
const char *const kArbInputs[] = {"iPos",     "iWeights",  "iWIndices", "iNorm",     "",
                                  "iDiffuse", "iSpecular", "iTexture0", "iTexture1", "iTexture2"};

std::string Format(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char *fmt, ...) {
    char buf[kShaderMaxLine * 2];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    return buf;
}

// A constant component as "%2.4f" when that reads back as the same float,
// otherwise with the nine digits it takes to read back exactly: four decimals
// would turn pi into 3.1416 and 1/5040 into 0.0002, which ruins the series
// the built-in constants feed.
std::string Number(float v) {
    char buf[64];
    snprintf(buf, sizeof buf, "%2.4f", v);
    if (strtof(buf, nullptr) != v) snprintf(buf, sizeof buf, "%.9g", v);
    return buf;
}

std::string Numbers(const float *v, const char *suffix, const char *sep) {
    std::string s;
    for (int i = 0; i < 4; i++) s += (i ? sep : "") + Number(v[i]) + suffix;
    return s;
}

std::string Swizzle(const GenOperand &o, const char *letters) {
    if (!o.Swizzled()) return "";
    std::string s = ".";
    s += letters[o.swz[0]];
    if (o.Replicated()) return s;
    for (int k = 1; k < 4; k++) s += letters[o.swz[k]];
    return s;
}

std::string Mask(uint8_t mask, const char *letters) {
    if (mask == 0xF) return "";
    std::string s = ".";
    for (int k = 0; k < 4; k++)
        if (mask & (1 << k)) s += letters[k];
    return s;
}

std::string EffectRegister(int kind, int index, bool relative) {
    switch (kind) {
        case kRegTemp:
            return Format("r%d", index);
        case kRegInput:
            return Format("v%d", index);
        case kRegOutput:
            return index >= 0 && index < 8 ? kEffectOutputs[index] : "?";
        case kRegConst:
            return relative ? Format("c[%d+a0.x]", index) : Format("c%d", index);
        case kRegAddress:
            return "a0";
        case kRegColor:
            return Format("v%d", index);
        case kRegTexCoord:
            return Format("t%d", index);
        default:
            return "?";
    }
}

std::string EffectOperand(const GenOperand &o, bool pixel) {
    return (o.negate ? "-" : "") + EffectRegister(o.kind, o.index, o.relative) + o.mod +
           Swizzle(o, pixel ? kRgba : kXyzw);
}

std::string EffectDest(const GenDest &d, bool pixel) {
    if (d.kind == kRegAddress) return "a0.x";
    return EffectRegister(d.kind, d.index, false) + Mask(d.mask, pixel ? kRgba : kXyzw);
}

const char *EffectOpName(uint8_t op) {
    static const char *const kNames[] = {
        "mov",   "add", "sub", "mul",  "mad",  "dp3",  "rcp",  "rsq",   "sge",   "slt",    "max",
        "min",   "exp", "log", "expp", "lit",  "m4x4", "m3x3", "mov",   "texld", "texcrd", "lrp",
        "phase", "sin", "cos", "tan",  "asin", "acos", "atan", "floor", "cross", "tgt"};
    return op < sizeof kNames / sizeof kNames[0] ? kNames[op] : "?";
}

}  // namespace

std::string GenEffectLine(const ShaderCompiler &, const GenInstr &in, bool pixel) {
    if (in.op == kGenPhase) return "phase";
    std::string line = std::string(EffectOpName(in.op)) + in.suffix + " " + EffectDest(in.d, pixel);
    for (int i = 0; i < in.n; i++) line += "," + EffectOperand(in.s[i], pixel);
    return line;
}

namespace {

std::string ArbConst(const ShaderCompiler &sc, const GenOperand &o, int row) {
    if (o.symbol < 0 || o.symbol >= (int)sc.symbols.size()) return "?";
    const ShaderSymbol &s = sc.symbols[o.symbol];
    int offset = o.index - s.first + row;
    if (o.relative) return Format("%s[A0.x+%d]", s.name.c_str(), offset);
    if (s.count == 1) return s.name;
    return Format("%s[%d]", s.name.c_str(), offset);
}

std::string ArbOperand(const ShaderCompiler &sc, const GenOperand &o, bool scalar = false) {
    std::string reg;
    switch (o.kind) {
        case kRegTemp:
            reg = Format("r%d", o.index);
            break;
        case kRegInput:
            reg = o.index >= 0 && o.index < 10 ? kArbInputs[o.index] : "?";
            break;
        case kRegOutput:
            reg = o.index >= 0 && o.index < 8 ? kArbOutputs[o.index] : "?";
            break;
        case kRegConst:
            reg = ArbConst(sc, o, 0);
            break;
        case kRegColor:
            reg = o.index ? "fragment.color.secondary" : "fragment.color";
            break;
        case kRegTexCoord:
            reg = Format("fragment.texcoord[%d]", o.index);
            break;
        default:
            reg = "?";
    }
    GenOperand sw = o;
    // ARB scalar instructions want one component; like vs.1.1 they take the
    // one the swizzle puts in .w.
    if (scalar)
        for (int k = 0; k < 3; k++) sw.swz[k] = sw.swz[3];
    return (o.negate ? "-" : "") + reg + Swizzle(sw, kXyzw);
}

std::string ArbDest(const GenDest &d) {
    if (d.kind == kRegAddress) return "A0.x";
    std::string reg = d.kind == kRegTemp ? Format("r%d", d.index)
                      : d.kind == kRegOutput
                          ? (d.index >= 0 && d.index < 8 ? kArbOutputs[d.index] : "?")
                          : "?";
    return reg + Mask(d.mask, kXyzw);
}

}  // namespace

void GenArbLines(const ShaderCompiler &sc, const GenInstr &in, bool pixel,
                 std::vector<std::string> &out) {
    static const char *const kNames[] = {"MOV", "ADD", "SUB", "MUL", "MAD", "DP3", "RCP", "RSQ",
                                         "SGE", "SLT", "MAX", "MIN", "EX2", "LG2", "EXP", "LIT"};
    std::string d = ArbDest(in.d);
    bool sat = strcmp(in.suffix, "_sat") == 0;
    switch (in.op) {
        case kGenM4x4:
        case kGenM3x3: {
            int rows = in.op == kGenM4x4 ? 4 : 3;
            std::string base =
                in.d.kind == kRegTemp
                    ? Format("r%d", in.d.index)
                    : (in.d.index >= 0 && in.d.index < 8 ? kArbOutputs[in.d.index] : "?");
            for (int r = 0; r < rows; r++) {
                if (!(in.d.mask & (1 << r))) continue;
                out.push_back(Format("%s %s.%c,%s,%s;", rows == 4 ? "DP4" : "DP3", base.c_str(),
                                     kXyzw[r], ArbOperand(sc, in.s[0]).c_str(),
                                     ArbConst(sc, in.s[1], r).c_str()));
            }
            return;
        }
        case kGenMovA:
            out.push_back("ARL A0.x," + ArbOperand(sc, in.s[0], true) + ";");
            return;
        case kGenTexld: {
            GenOperand src = in.s[0];
            out.push_back(Format("TEX %s,%s,texture[%d],2D;", d.c_str(),
                                 ArbOperand(sc, src).c_str(), in.d.index));
            return;
        }
        case kGenTexcrd:
            out.push_back("MOV " + d + "," + ArbOperand(sc, in.s[0]) + ";");
            return;
        case kGenPhase:
            return;
        default:
            break;
    }
    std::vector<std::string> srcs;
    bool scalar = in.op == kGenRcp || in.op == kGenRsq || in.op == kGenExp || in.op == kGenLog ||
                  in.op == kGenExpp;
    for (int i = 0; i < in.n; i++) {
        const GenOperand &o = in.s[i];
        if (strcmp(o.mod, "_bx2") == 0) {
            // (x - 0.5) * 2 through a scratch register of its own.
            GenOperand plain = o;
            plain.mod = "";
            plain.negate = false;
            std::string t = Format("bx2t%d", i);
            out.push_back(
                Format("MAD %s,%s,bx2.x,bx2.y;", t.c_str(), ArbOperand(sc, plain).c_str()));
            srcs.push_back((o.negate ? "-" : "") + t);
        } else {
            srcs.push_back(ArbOperand(sc, o, scalar));
        }
    }
    std::string name = in.op == kGenLrp ? "LRP" : in.op < 16 ? kNames[in.op] : "?";
    if (sat) name += "_SAT";
    std::string line = name + " " + d;
    for (const std::string &s : srcs) line += "," + s;
    out.push_back(line + ";");
    if (strcmp(in.suffix, "_x2") == 0) {
        std::string r = in.d.kind == kRegTemp ? Format("r%d", in.d.index) : d;
        out.push_back("ADD " + d + "," + r + "," + r + ";");
    }
    (void)pixel;
}

int GenSoftware(const GenInstr &in, SwInstr &out) {
    static const struct {
        uint8_t gen;
        SwOp sw;
    } kMap[] = {
        {kGenMov, kSwMov},   {kGenMovA, kSwMov},  {kGenAdd, kSwAdd},     {kGenSub, kSwSub},
        {kGenMul, kSwMul},   {kGenRcp, kSwRcp},   {kGenRsq, kSwRsq},     {kGenSge, kSwSge},
        {kGenSlt, kSwSlt},   {kGenMax, kSwMax},   {kGenMin, kSwMin},     {kGenDp3, kSwDp3},
        {kGenExp, kSwExp},   {kGenLog, kSwLog},   {kGenM4x4, kSwM4x4},   {kGenM3x3, kSwM3x3},
        {kGenSin, kSwSin},   {kGenCos, kSwCos},   {kGenTan, kSwTan},     {kGenAsin, kSwAsin},
        {kGenAcos, kSwAcos}, {kGenAtan, kSwAtan}, {kGenFloor, kSwFloor}, {kGenCross, kSwCross},
        {kGenTgt, kSwTgt}};
    bool found = false;
    for (const auto &m : kMap)
        if (m.gen == in.op) out.op = m.sw, found = true;
    if (!found) return 0;
    auto file = [](uint8_t kind) -> uint8_t {
        switch (kind) {
            case kRegInput:
                return kSwInput;
            case kRegOutput:
                return kSwOutput;
            case kRegConst:
                return kSwConst;
            case kRegAddress:
                return kSwAddress;
            default:
                return kSwTemp;
        }
    };
    out.dest.file = file(in.d.kind);
    out.dest.index = (uint8_t)in.d.index;
    out.mask = in.d.mask;
    out.sources = in.n;
    for (int i = 0; i < in.n && i < 3; i++) {
        const GenOperand &o = in.s[i];
        SwOperand &s = out.src[i];
        s.file = file(o.kind);
        s.index = (uint8_t)o.index;
        memcpy(s.swizzle, o.swz, 4);
        s.broadcast = o.Replicated() ? o.swz[0] : (uint8_t)kSwNoBroadcast;
        s.negate = o.negate;
        s.relative = o.relative;
    }
    return 1;
}

void ShaderCompiler::Reset() {
    target = 0;
    caps = 0;
    vertexFormat = 0;
    symbols.clear();
    registersUsed = 0;
    psConstsUsed = 0;
    textures.clear();
    techniques.clear();
    macros.clear();
    chosen = -1;
    lines.clear();
    programs.clear();
    text.clear();
    error.clear();
    warnings.clear();
}

int ShaderCompiler::Compile(const char *script, int flags) {
    return Compile(script, script ? strlen(script) : 0, flags);
}

int ShaderCompiler::Compile(const char *script, size_t length, int flags) {
    Reset();
    if (flags & kShaderTargetEffect) target = 0;
    if (flags & kShaderTargetArb) target = 1;
    if (flags & kShaderTargetSoftware) target = 2;
    caps = flags & (kShaderCapMultitexture | kShaderCapDot3 | kShaderCapPixelShader14);
    if (!script) {
        SetError("Error: no script");
        return 0;
    }
    if (!Read(script, length)) return 0;
    int have = (caps & kShaderCapDot3 ? kNeedDot3 : 0) |
               (caps & kShaderCapMultitexture ? kNeedMultitexture : 0) |
               (caps & kShaderCapPixelShader14 ? kNeedShaders : 0);
    for (size_t i = 0; i < techniques.size() && chosen < 0; i++)
        if ((techniques[i].needs & ~have) == 0) chosen = (int)i;
    if (chosen < 0) {
        SetError(techniques.empty() ? "Error: the script has no [TECHNIQUE]"
                                    : "Error: no technique suits this device");
        return 0;
    }
    if (techniques[chosen].passes.empty()) {
        SetError("Error: technique %d has no pass", chosen);
        return 0;
    }
    std::string readError = error;  // a render-state error fails the compile but keeps the text
    error.clear();
    int ok = target == 0 ? WriteEffect() : target == 1 ? WriteArb() : WriteSoftware();
    if (!ok) {
        lines.clear();
        programs.clear();
        return 0;
    }
    for (size_t i = 0; i < lines.size(); i++) {
        if (i) text += '\n';
        text += lines[i];
    }
    if (!readError.empty()) {
        error = readError;
        return 0;
    }
    return 1;
}

namespace {

// Compiles the vertex sections (pixel: the [SHADER] section) of a pass.
int GenerateProgram(ShaderGen &g, const ShaderPass &pass, bool pixel) {
    if (pixel) g.Reserve(pass.code[kSectionShader]);
    int first = pixel ? kSectionShader : kSectionPosition;
    int last = pixel ? kSectionShader : kSectionMapping0 + 4;
    for (int s = first; s <= last; s++)
        for (const std::string &stmt : pass.code[s])
            if (!g.Statement(stmt)) return 0;
    return 1;
}

}  // namespace

int ShaderCompiler::WriteEffect() {
    for (const std::string &t : textures)
        if (!AddLine("TEXTURE " + t + ";")) return 0;
    for (const ShaderSymbol &s : symbols) {
        if (s.kind != kSymMatrix && s.kind != kSymVector) continue;
        const char *kw = s.kind == kSymMatrix ? "MATRIX" : "VECTOR";
        if (s.arraySize == 0 && !AddLine(Format("%s %s;", kw, s.name.c_str()))) return 0;
        for (int i = 0; i < s.arraySize; i++)
            if (!AddLine(Format("%s %s%d;", kw, s.name.c_str(), i))) return 0;
    }
    for (const ShaderSymbol &s : symbols)
        if (s.kind == kSymDword && !AddLine("DWORD " + s.name + ";")) return 0;
    AddLine("TECHNIQUE T0");
    AddLine("{");
    const ShaderTechnique &tech = techniques[chosen];
    for (size_t p = 0; p < tech.passes.size(); p++) {
        const ShaderPass &pass = tech.passes[p];
        AddLine(Format("PASS P%d", (int)p));
        AddLine("{");
        for (int i = 0; i < kRsMaxTextures; i++) {
            int t = pass.states[kRsSlotTexture0 + i];
            if (t >= 0 && t < (int)textures.size() &&
                !AddLine(Format("Texture[%d] = <%s>;", i, textures[t].c_str())))
                return 0;
        }
        for (int slot = 0; slot < kRsFixedSlots; slot++) {
            int v = pass.states[slot];
            if (v != kRsUndefined && RsEffectValue(v))
                AddLine(Format("%s = %s;", RsEffectState(slot), RsEffectValue(v)));
        }
        std::vector<std::string> bundle;
        RsStencilLines(pass.states[kRsSlotStencil], bundle);
        RsRenderTargetLines(pass.states[kRsSlotRenderTarget], bundle);
        for (const std::string &l : bundle) AddLine(l);
        for (const ShaderSymbol &s : symbols) {
            if (s.kind == kSymConst) {
                if (!AddLine(Format("VertexShaderConstant1[%d] = { %s };", s.first,
                                    Numbers(s.value, "f", ",").c_str())))
                    return 0;
            } else if (s.kind == kSymMatrix || s.kind == kSymVector) {
                int per = s.kind == kSymMatrix ? 4 : 1;
                for (int i = 0; i < (s.arraySize ? s.arraySize : 1); i++) {
                    std::string name = s.arraySize ? Format("%s%d", s.name.c_str(), i) : s.name;
                    AddLine(Format("VertexShaderConstant%d[%d] = <%s>;", per, s.first + per * i,
                                   name.c_str()));
                }
            }
        }
        ShaderGen vs(*this, 0, false);
        if (!GenerateProgram(vs, pass, false)) return 0;
        AddLine("VertexShader =");
        AddLine("decl");
        AddLine("{");
        static const struct {
            int bit;
            const char *line;
        } kDecl[] = {{kFormatXyz, "float v0[3];"},        {kFormatBlend, "float v1[4];"},
                     {kFormatBlend, "ubyte v2[4];"},      {kFormatNormal, "float v3[3];"},
                     {kFormatDiffuse, "d3dcolor v5[1];"}, {kFormatSpecular, "d3dcolor v6[1];"},
                     {kFormatTex0, "float v7[2];"},       {kFormatTex1, "float v8[2];"},
                     {kFormatTex2, "float v9[2];"}};
        for (const auto &d : kDecl)
            if (vertexFormat & d.bit) AddLine(d.line);
        AddLine("}");
        AddLine("asm");
        AddLine("{");
        AddLine("vs.1.1");
        for (const GenInstr &in : vs.code)
            if (!AddLine(GenEffectLine(*this, in, false))) return 0;
        AddLine("};");
        if (!pass.code[kSectionShader].empty()) {
            ShaderGen ps(*this, 0, true);
            if (!GenerateProgram(ps, pass, true)) return 0;
            AddLine("PixelShader =");
            AddLine("asm");
            AddLine("{");
            AddLine("ps.1.4");
            for (const ShaderSymbol &s : symbols)
                if (s.kind == kSymPsConst &&
                    !AddLine(Format("def  c%d, %s", s.first, Numbers(s.value, "", ", ").c_str())))
                    return 0;
            for (const GenInstr &in : ps.code)
                if (!AddLine(GenEffectLine(*this, in, true))) return 0;
            AddLine("};");
        }
        AddLine("}");
    }
    return AddLine("}");
}

int ShaderCompiler::WriteArb() {
    const ShaderTechnique &tech = techniques[chosen];
    for (const ShaderPass &pass : tech.passes) {
        ShaderGen vs(*this, 1, false);
        if (!GenerateProgram(vs, pass, false)) return 0;
        std::vector<std::string> body;
        for (const GenInstr &in : vs.code) GenArbLines(*this, in, false, body);
        AddLine("!!ARBvp1.0");
        static const struct {
            int bit;
            const char *line;
        } kAttribs[] = {{kFormatXyz, "ATTRIB iPos = vertex.attrib[0];"},
                        {kFormatBlend, "ATTRIB iWeights = vertex.attrib[1];"},
                        {kFormatBlend, "ATTRIB iWIndices = vertex.attrib[6];"},
                        {kFormatNormal, "ATTRIB iNorm = vertex.attrib[2];"},
                        {kFormatDiffuse, "ATTRIB iDiffuse = vertex.attrib[3];"},
                        {kFormatSpecular, "ATTRIB iSpecular = vertex.attrib[4];"},
                        {kFormatTex0, "ATTRIB iTexture0 = vertex.attrib[8];"},
                        {kFormatTex1, "ATTRIB iTexture1 = vertex.attrib[9];"},
                        {kFormatTex2, "ATTRIB iTexture2 = vertex.attrib[10];"}};
        for (const auto &a : kAttribs)
            if (vertexFormat & a.bit) AddLine(a.line);
        uint8_t out = vs.outputsWritten;
        if (out & 1) AddLine("OUTPUT oPos = result.position;");
        if (out & 2)
            AddLine(out & 4 ? "OUTPUT oDiffuse = result.color.primary;"
                            : "OUTPUT oDiffuse = result.color;");
        if (out & 4) AddLine("OUTPUT oSpecular = result.color.secondary;");
        for (int i = 0; i < 5; i++)
            if (out & (8 << i)) AddLine(Format("OUTPUT oTexture%d = result.texcoord[%d];", i, i));
        if (vs.addressSet) AddLine("ADDRESS A0;");
        for (int r = 0; r < vs.maxUsed; r++) AddLine(Format("TEMP r%d;", r));
        int programMatrix = 0;
        for (const ShaderSymbol &s : symbols) {
            if (s.kind == kSymMatrix && s.arraySize == 0) {
                AddLine(Format("PARAM %s[4] = { state.matrix.program[%d] };", s.name.c_str(),
                               programMatrix++));
            } else if ((s.kind == kSymMatrix || s.kind == kSymVector) && s.count > 1) {
                AddLine(Format("PARAM %s[%d] = { program.env[%d..%d] };", s.name.c_str(), s.count,
                               s.first, s.first + s.count - 1));
            } else if (s.kind == kSymVector) {
                AddLine(Format("PARAM %s = program.env[%d];", s.name.c_str(), s.first));
            } else if (s.kind == kSymConst) {
                AddLine(Format("PARAM %s = { %s };", s.name.c_str(),
                               Numbers(s.value, "", ",").c_str()));
            }
        }
        for (const std::string &l : body)
            if (!AddLine(l)) return 0;
        AddLine("END");
        if (pass.code[kSectionShader].empty()) continue;
        ShaderGen ps(*this, 1, true);
        if (!GenerateProgram(ps, pass, true)) return 0;
        body.clear();
        bool bx2 = false;
        for (const GenInstr &in : ps.code) {
            for (int i = 0; i < in.n; i++)
                if (strcmp(in.s[i].mod, "_bx2") == 0) bx2 = true;
            GenArbLines(*this, in, true, body);
        }
        AddLine("!!ARBfp1.0");
        for (int r = 0; r < ps.maxUsed; r++) AddLine(Format("TEMP r%d;", r));
        if (bx2) {
            AddLine("TEMP bx2t0;");
            AddLine("TEMP bx2t1;");
            AddLine("PARAM bx2 = { 2.0,-1.0,0.0,0.0 };");
        }
        for (const ShaderSymbol &s : symbols)
            if (s.kind == kSymPsConst)
                AddLine(Format("PARAM %s = { %s };", s.name.c_str(),
                               Numbers(s.value, "", ",").c_str()));
        for (const std::string &l : body)
            if (!AddLine(l)) return 0;
        // The pixel's result is built in r0 and handed over at the end.
        AddLine("MOV result.color,r0;");
        AddLine("END");
    }
    return 1;
}

int ShaderCompiler::WriteSoftware() {
    const ShaderTechnique &tech = techniques[chosen];
    for (const ShaderPass &pass : tech.passes) {
        ShaderGen vs(*this, 2, false);
        if (!GenerateProgram(vs, pass, false)) return 0;
        SwProgram program;
        for (const GenInstr &in : vs.code) {
            SwInstr sw;
            if (!GenSoftware(in, sw)) {
                SetError("Error: '%s' has no software form",
                         GenEffectLine(*this, in, false).c_str());
                return 0;
            }
            program.code.push_back(sw);
            // A readable listing of the records, in effect-text syntax.
            std::string l = GenEffectLine(*this, in, false);
            l.replace(0, l.find(' '), SwOpName(sw.op));
            if (!AddLine(l)) return 0;
        }
        SwBind(program);
        programs.push_back(program);
        AddLine("END");
    }
    return 1;
}
