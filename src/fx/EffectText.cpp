#include "fx/EffectText.h"

#include <strings.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace fx {
namespace {

// Value vocabularies. Each state reads its value from one of them; numbers
// and <param> references are accepted everywhere.
enum ValueKind {
    kValNumber,
    kValBool,
    kValCompare,
    kValBlend,
    kValCull,
    kValShade,
    kValStencilOp,
    kValTextureOp,
    kValTextureArg,
    kValAddress,
    kValFilter,
    kValTexture,
};

struct Word {
    const char *name;
    uint32_t value;
};

const Word kBool[] = {{"True", 1}, {"False", 0}, {nullptr, 0}};
const Word kCompare[] = {{"Never", 1},        {"Less", 2},    {"Equal", 3},
                         {"LessEqual", 4},    {"Greater", 5}, {"NotEqual", 6},
                         {"GreaterEqual", 7}, {"Always", 8},  {nullptr, 0}};
const Word kBlend[] = {{"Zero", 1},          {"One", 2},          {"SrcColor", 3},
                       {"InvSrcColor", 4},   {"SrcAlpha", 5},     {"InvSrcAlpha", 6},
                       {"DestAlpha", 7},     {"InvDestAlpha", 8}, {"DestColor", 9},
                       {"InvDestColor", 10}, {nullptr, 0}};
const Word kCull[] = {{"None", 1}, {"Cw", 2}, {"Ccw", 3}, {nullptr, 0}};
const Word kShade[] = {{"Flat", 1}, {"Gouraud", 2}, {nullptr, 0}};
const Word kStencilOp[] = {{"Keep", 1},    {"Zero", 2},    {"Replace", 3},
                           {"IncrSat", 4}, {"DecrSat", 5}, {"Invert", 6},
                           {"Incr", 7},    {"Decr", 8},    {nullptr, 0}};
const Word kTextureOp[] = {{"Disable", 1},   {"SelectArg1", 2}, {"SelectArg2", 3},
                           {"Modulate", 4},  {"Modulate2x", 5}, {"Modulate4x", 6},
                           {"Add", 7},       {"AddSigned", 8},  {"AddSigned2x", 9},
                           {"Subtract", 10}, {"AddSmooth", 11}, {"DotProduct3", 24},
                           {nullptr, 0}};
const Word kTextureArg[] = {{"Diffuse", 0}, {"Current", 1},  {"Texture", 2},
                            {"TFactor", 3}, {"Specular", 4}, {nullptr, 0}};
const Word kAddress[] = {{"Wrap", 1}, {"Mirror", 2}, {"Clamp", 3}, {nullptr, 0}};
const Word kFilter[] = {{"None", 0}, {"Point", 1}, {"Linear", 2}, {nullptr, 0}};

const Word *Vocabulary(int kind) {
    switch (kind) {
        case kValBool:
            return kBool;
        case kValCompare:
            return kCompare;
        case kValBlend:
            return kBlend;
        case kValCull:
            return kCull;
        case kValShade:
            return kShade;
        case kValStencilOp:
            return kStencilOp;
        case kValTextureOp:
            return kTextureOp;
        case kValTextureArg:
            return kTextureArg;
        case kValAddress:
            return kAddress;
        case kValFilter:
            return kFilter;
        default:
            return nullptr;
    }
}

struct StateInfo {
    const char *name;
    int state;
    int kind;
};

const StateInfo kStates[] = {
    {"ZEnable", kFxZEnable, kValBool},
    {"ZWriteEnable", kFxZWriteEnable, kValBool},
    {"ZFunc", kFxZFunc, kValCompare},
    {"CullMode", kFxCullMode, kValCull},
    {"AlphaBlendEnable", kFxAlphaBlendEnable, kValBool},
    {"SrcBlend", kFxSrcBlend, kValBlend},
    {"DestBlend", kFxDestBlend, kValBlend},
    {"Lighting", kFxLighting, kValBool},
    {"Ambient", kFxAmbient, kValNumber},
    {"SpecularEnable", kFxSpecularEnable, kValBool},
    {"ZBias", kFxZBias, kValNumber},
    {"DitherEnable", kFxDitherEnable, kValBool},
    {"AlphaTestEnable", kFxAlphaTestEnable, kValBool},
    {"AlphaRef", kFxAlphaRef, kValNumber},
    {"AlphaFunc", kFxAlphaFunc, kValCompare},
    {"ShadeMode", kFxShadeMode, kValShade},
    {"ColorWriteEnable", kFxColorWriteEnable, kValNumber},
    {"StencilEnable", kFxStencilEnable, kValBool},
    {"StencilFunc", kFxStencilFunc, kValCompare},
    {"StencilRef", kFxStencilRef, kValNumber},
    {"StencilMask", kFxStencilMask, kValNumber},
    {"StencilWriteMask", kFxStencilWriteMask, kValNumber},
    {"StencilFail", kFxStencilFail, kValStencilOp},
    {"StencilZFail", kFxStencilZFail, kValStencilOp},
    {"StencilPass", kFxStencilPass, kValStencilOp},
    {"ColorOp", kFxColorOp, kValTextureOp},
    {"ColorArg1", kFxColorArg1, kValTextureArg},
    {"ColorArg2", kFxColorArg2, kValTextureArg},
    {"AlphaOp", kFxAlphaOp, kValTextureOp},
    {"AlphaArg1", kFxAlphaArg1, kValTextureArg},
    {"AlphaArg2", kFxAlphaArg2, kValTextureArg},
    {"TexCoordIndex", kFxTexCoordIndex, kValNumber},
    {"AddressU", kFxAddressU, kValAddress},
    {"AddressV", kFxAddressV, kValAddress},
    {"MagFilter", kFxMagFilter, kValFilter},
    {"MinFilter", kFxMinFilter, kValFilter},
    {"MipFilter", kFxMipFilter, kValFilter},
    {"Texture", kFxTexture, kValTexture},
};

bool SameWord(const std::string &a, const char *b) {
    size_t n = strlen(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; i++)
        if (tolower((unsigned char)a[i]) != tolower((unsigned char)b[i])) return false;
    return true;
}

const StateInfo *FindState(const std::string &name) {
    for (const StateInfo &s : kStates)
        if (SameWord(name, s.name)) return &s;
    return nullptr;
}

// Reads the text token by token. Identifiers may hold dots and digits
// ("vs.1.1" never reaches it: assembly is taken as raw text).
class Reader {
public:
    Reader(const char *text, size_t length) : p_(text), end_(text + length) {}

    int Line() const { return line_; }
    bool AtEnd() {
        SkipBlanks();
        return p_ >= end_;
    }

    void SkipBlanks() {
        while (p_ < end_) {
            if (*p_ == '\n') {
                line_++;
                p_++;
            } else if (isspace((unsigned char)*p_)) {
                p_++;
            } else if (*p_ == '/' && p_ + 1 < end_ && p_[1] == '/') {
                while (p_ < end_ && *p_ != '\n') p_++;
            } else {
                break;
            }
        }
    }

    // A word (letters, digits, '_', '.', '-', '+'), or one punctuation
    // character. Empty at the end of the text.
    std::string Token() {
        SkipBlanks();
        if (p_ >= end_) return std::string();
        const char *start = p_;
        if (IsWordChar(*p_)) {
            while (p_ < end_ && IsWordChar(*p_)) p_++;
        } else {
            p_++;
        }
        return std::string(start, p_);
    }

    std::string Peek() {
        const char *save = p_;
        int line = line_;
        std::string t = Token();
        p_ = save;
        line_ = line;
        return t;
    }

    bool Expect(const char *what) { return Token() == what; }

    // Everything up to the next '}' (not included; the brace is consumed).
    bool RawBlock(std::string &out) {
        const char *start = p_;
        while (p_ < end_ && *p_ != '}') {
            if (*p_ == '\n') line_++;
            p_++;
        }
        if (p_ >= end_) return false;
        out.assign(start, p_);
        p_++;
        return true;
    }

private:
    static bool IsWordChar(char c) {
        return isalnum((unsigned char)c) || c == '_' || c == '.' || c == '-' || c == '+';
    }

    const char *p_;
    const char *end_;
    int line_ = 1;
};

bool ParseNumber(const std::string &s, uint32_t &out) {
    if (s.empty()) return false;
    char *end = nullptr;
    errno = 0;
    long long v = strtoll(s.c_str(), &end, 0);
    if (*end != 0 || v < -2147483648LL || v > 0xFFFFFFFFLL) return false;
    out = (uint32_t)v;
    return true;
}

bool ParseFloat(const std::string &s, float &out) {
    if (s.empty()) return false;
    std::string t = s;
    if (t.back() == 'f' || t.back() == 'F') t.pop_back();
    char *end = nullptr;
    double v = strtod(t.c_str(), &end);
    if (t.empty() || *end != 0 || !std::isfinite(v) || std::fabs(v) > 3.0e38) return false;
    out = (float)v;
    return true;
}

class Parser {
public:
    Parser(const char *text, size_t length, EffectText &out) : r_(text, length), out_(out) {}

    int Run(std::string &error) {
        if (!Top()) {
            char where[32];
            snprintf(where, sizeof where, "line %d: ", line_ ? line_ : r_.Line());
            error = where + error_;
            return 0;
        }
        return 1;
    }

private:
    bool Fail(const std::string &message) {
        if (error_.empty()) {
            error_ = message.size() > 200 ? message.substr(0, 200) : message;
            line_ = r_.Line();
        }
        return false;
    }

    bool Top() {
        while (!r_.AtEnd()) {
            std::string t = r_.Token();
            if (SameWord(t, "TECHNIQUE")) {
                if (!Technique()) return false;
            } else if (SameWord(t, "TEXTURE")) {
                if (!Declaration(kParamTexture)) return false;
            } else if (SameWord(t, "MATRIX")) {
                if (!Declaration(kParamMatrix)) return false;
            } else if (SameWord(t, "VECTOR")) {
                if (!Declaration(kParamVector)) return false;
            } else if (SameWord(t, "DWORD")) {
                if (!Declaration(kParamDword)) return false;
            } else {
                return Fail("unexpected '" + t + "'");
            }
        }
        if (out_.techniques.empty()) return Fail("no technique");
        return true;
    }

    static bool ValidName(const std::string &n) {
        if (n.empty() || n.size() > 63 || !(isalpha((unsigned char)n[0]) || n[0] == '_'))
            return false;
        for (char c : n)
            if (!isalnum((unsigned char)c) && c != '_') return false;
        return true;
    }

    bool Declaration(int kind) {
        ParamDecl p;
        p.kind = kind;
        p.name = r_.Token();
        if (!ValidName(p.name)) return Fail("bad parameter name '" + p.name + "'");
        if (out_.FindParam(p.name) >= 0) return Fail("parameter '" + p.name + "' declared twice");
        std::string t = r_.Token();
        if (t == "=") {
            if (kind == kParamDword) {
                uint32_t v;
                std::string n = r_.Token();
                if (!ParseNumber(n, v)) return Fail("bad number '" + n + "'");
                p.initial[0] = (float)v;
            } else if (kind == kParamVector) {
                if (!Floats(p.initial)) return false;
            } else {
                return Fail("'" + p.name + "' cannot have a value");
            }
            t = r_.Token();
        }
        if (t != ";") return Fail("expected ';' after '" + p.name + "'");
        out_.params.push_back(p);
        return true;
    }

    // { a, b, c, d } with up to four numbers; missing ones are 0.
    bool Floats(float v[4]) {
        if (!r_.Expect("{")) return Fail("expected '{'");
        int n = 0;
        for (;;) {
            std::string t = r_.Token();
            if (t == "}" && n == 0) return true;
            if (n >= 4) return Fail("more than four numbers");
            if (!ParseFloat(t, v[n])) return Fail("bad number '" + t + "'");
            n++;
            t = r_.Token();
            if (t == "}") return true;
            if (t != ",") return Fail("expected ',' or '}'");
        }
    }

    bool Technique() {
        TechniqueText tech;
        tech.name = r_.Token();
        if (!ValidName(tech.name)) return Fail("bad technique name '" + tech.name + "'");
        if (!r_.Expect("{")) return Fail("expected '{' after TECHNIQUE " + tech.name);
        for (;;) {
            std::string t = r_.Token();
            if (t == "}") break;
            if (!SameWord(t, "PASS")) return Fail("expected PASS, not '" + t + "'");
            PassText pass;
            if (!Pass(pass)) return false;
            tech.passes.push_back(std::move(pass));
        }
        if (tech.passes.empty()) return Fail("technique " + tech.name + " has no pass");
        out_.techniques.push_back(std::move(tech));
        return true;
    }

    bool Pass(PassText &pass) {
        pass.name = r_.Token();
        if (!ValidName(pass.name)) return Fail("bad pass name '" + pass.name + "'");
        if (!r_.Expect("{")) return Fail("expected '{' after PASS " + pass.name);
        for (;;) {
            std::string name = r_.Token();
            if (name == "}") return true;
            if (name.empty()) return Fail("pass " + pass.name + " is not closed");
            if (!Assignment(pass, name)) return false;
        }
    }

    // "[n]" after a state name, with n in 0..limit-1.
    bool Index(int limit, int &index) {
        if (r_.Peek() != "[") return Fail("expected '['");
        r_.Token();
        uint32_t v;
        std::string n = r_.Token();
        if (!ParseNumber(n, v) || v >= (uint32_t)limit) return Fail("bad index '" + n + "'");
        if (!r_.Expect("]")) return Fail("expected ']'");
        index = (int)v;
        return true;
    }

    bool Assignment(PassText &pass, const std::string &name) {
        if (SameWord(name, "VertexShader")) {
            if (!r_.Expect("=")) return Fail("expected '=' after VertexShader");
            return VertexShader(pass);
        }
        if (SameWord(name, "PixelShader")) {
            if (!r_.Expect("=")) return Fail("expected '=' after PixelShader");
            return PixelShader(pass);
        }
        const bool vsConst = strncasecmp(name.c_str(), "VertexShaderConstant", 20) == 0;
        const bool psConst = strncasecmp(name.c_str(), "PixelShaderConstant", 19) == 0;
        if (vsConst || psConst) return Constant(pass, name, vsConst);

        const StateInfo *info = FindState(name);
        if (!info) return Fail("unknown state '" + name + "'");
        StateAssign a;
        a.state = info->state;
        const bool indexed = info->state >= kFxRenderStateCount;
        if (indexed && !Index(kFxMaxStages, a.stage)) return false;
        if (!r_.Expect("=")) return Fail("expected '=' after " + name);
        if (!Value(*info, a)) return false;
        if (!r_.Expect(";")) return Fail("expected ';' after the value of " + name);
        pass.states.push_back(a);
        return true;
    }

    bool Reference(std::string &name) {
        name = r_.Token();
        if (!ValidName(name)) return Fail("bad parameter reference '" + name + "'");
        if (!r_.Expect(">")) return Fail("expected '>'");
        return true;
    }

    bool Value(const StateInfo &info, StateAssign &a) {
        std::string t = r_.Token();
        if (t == "<") {
            if (!Reference(a.param)) return false;
            int p = out_.FindParam(a.param);
            if (p < 0) return Fail("undeclared parameter '" + a.param + "'");
            int kind = out_.params[p].kind;
            if (info.kind == kValTexture ? kind != kParamTexture : kind != kParamDword)
                return Fail("parameter '" + a.param + "' does not suit " + info.name);
            return true;
        }
        if (info.kind == kValTexture) return Fail("a texture is given as <name>");
        if (ParseNumber(t, a.value)) return true;
        if (const Word *w = Vocabulary(info.kind)) {
            for (; w->name; w++) {
                if (SameWord(t, w->name)) {
                    a.value = w->value;
                    return true;
                }
            }
        }
        return Fail(std::string("bad value '") + t + "' for " + info.name);
    }

    // VertexShaderConstant4[8] = <WORLD>;  VertexShaderConstant1[9] = { ... };
    bool Constant(PassText &pass, const std::string &name, bool vertex) {
        ConstBinding b;
        std::string count = name.substr(vertex ? 20 : 19);
        uint32_t n = 1;
        if (!count.empty() && (!ParseNumber(count, n) || n < 1 || n > 4))
            return Fail("bad constant count in '" + name + "'");
        b.count = (int)n;
        const int limit = vertex ? kFxVertexConstants : kFxPixelConstants;
        if (!Index(limit, b.first)) return false;
        if (b.first + b.count > limit) return Fail("constants past the last register");
        if (!r_.Expect("=")) return Fail("expected '='");
        std::string t = r_.Peek();
        if (t == "<") {
            r_.Token();
            if (!Reference(b.param)) return false;
            int p = out_.FindParam(b.param);
            if (p < 0) return Fail("undeclared parameter '" + b.param + "'");
            int kind = out_.params[p].kind;
            if (kind == kParamTexture || kind == kParamDword)
                return Fail("parameter '" + b.param + "' is not a matrix or vector");
            if (kind == kParamVector && b.count != 1)
                return Fail("vector '" + b.param + "' takes one register");
        } else {
            if (b.count != 1) return Fail("a literal fills one register");
            if (!Floats(b.value)) return false;
        }
        if (!r_.Expect(";")) return Fail("expected ';'");
        (vertex ? pass.vertexConsts : pass.pixelConsts).push_back(b);
        return true;
    }

    bool Decl(PassText &pass) {
        if (!r_.Expect("{")) return Fail("expected '{' after decl");
        for (;;) {
            std::string t = r_.Token();
            if (t == "}") return true;
            if (SameWord(t, "stream")) {  // one stream only; its number is not needed
                r_.Token();
                if (!r_.Expect(";")) return Fail("expected ';'");
                continue;
            }
            DeclInput in;
            if (SameWord(t, "float"))
                in.type = kDeclFloat;
            else if (SameWord(t, "ubyte"))
                in.type = kDeclUbyte;
            else if (SameWord(t, "d3dcolor"))
                in.type = kDeclColour;
            else
                return Fail("unknown input type '" + t + "'");
            std::string reg = r_.Token();
            uint32_t index;
            if (reg.size() < 2 || reg[0] != 'v' || !ParseNumber(reg.substr(1), index) ||
                index >= 16)
                return Fail("bad input register '" + reg + "'");
            in.reg = (int)index;
            if (!r_.Expect("[")) return Fail("expected '['");
            uint32_t count;
            std::string n = r_.Token();
            if (!ParseNumber(n, count) || count < 1 || count > 4)
                return Fail("bad component count '" + n + "'");
            in.count = (int)count;
            if (!r_.Expect("]") || !r_.Expect(";")) return Fail("expected '];'");
            for (const DeclInput &d : pass.decl)
                if (d.reg == in.reg) return Fail("input " + reg + " declared twice");
            pass.decl.push_back(in);
        }
    }

    bool Assembly(AsmProgram &program, bool pixel) {
        std::string t = r_.Token();
        if (!SameWord(t, "asm")) return Fail("expected asm, not '" + t + "'");
        if (!r_.Expect("{")) return Fail("expected '{' after asm");
        const int first = r_.Line();
        std::string code, why;
        if (!r_.RawBlock(code)) return Fail("assembly block is not closed");
        if (!AsmParse(code, program, why)) {
            line_ = first;
            return Fail(why);
        }
        if (program.pixel != pixel)
            return Fail(pixel ? "a pixel shader needs ps.1.4" : "a vertex shader needs vs.1.1");
        if (!r_.Expect(";")) return Fail("expected ';' after the assembly block");
        return true;
    }

    bool VertexShader(PassText &pass) {
        if (pass.hasVertexShader) return Fail("two vertex shaders in one pass");
        std::string t = r_.Token();
        if (!SameWord(t, "decl")) return Fail("expected decl, not '" + t + "'");
        if (!Decl(pass)) return false;
        if (!Assembly(pass.vertexShader, false)) return false;
        pass.hasVertexShader = true;
        return true;
    }

    bool PixelShader(PassText &pass) {
        if (pass.hasPixelShader) return Fail("two pixel shaders in one pass");
        if (!Assembly(pass.pixelShader, true)) return false;
        pass.hasPixelShader = true;
        return true;
    }

    Reader r_;
    EffectText &out_;
    std::string error_;
    int line_ = 0;
};

}  // namespace

int EffectText::FindParam(const std::string &name) const {
    for (size_t i = 0; i < params.size(); i++)
        if (params[i].name == name) return (int)i;
    return -1;
}

int ParseEffect(const char *text, size_t length, EffectText &out, std::string &error) {
    out = EffectText();
    error.clear();
    if (!text) {
        error = "no effect text";
        return 0;
    }
    Parser parser(text, length, out);
    if (!parser.Run(error)) {
        out = EffectText();
        return 0;
    }
    return 1;
}

int ParseEffect(const std::string &text, EffectText &out, std::string &error) {
    return ParseEffect(text.data(), text.size(), out, error);
}

const char *FxStateName(int state) {
    for (const StateInfo &s : kStates)
        if (s.state == state) return s.name;
    return "?";
}

bool FxIsStageState(int state) {
    return state >= kFxRenderStateCount && state < kFxStateCount;
}

bool TechniqueValid(const TechniqueText &technique, const FxCaps &caps) {
    for (const PassText &pass : technique.passes) {
        if (pass.hasPixelShader) {
            const AsmProgram &ps = pass.pixelShader;
            if (caps.pixelShaderMajor * 100 + caps.pixelShaderMinor < ps.major * 100 + ps.minor)
                return false;
        }
        for (const StateAssign &a : pass.states) {
            if ((a.state == kFxColorOp || a.state == kFxAlphaOp) && a.param.empty()) {
                if (a.value == kFxTopDotProduct3 && !caps.dot3) return false;
                if (a.value != kFxTopDisable && a.stage >= caps.maxSimultaneousTextures)
                    return false;
            }
        }
    }
    return true;
}

}  // namespace fx
