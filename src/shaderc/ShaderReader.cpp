// Reading a shader script: sections, vertex format, declarations, technique
// requirements, code statements, macros and render states.
#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "shaderc/ShaderCompiler.h"
#include "shaderc/ShaderText.h"

ShaderPass::ShaderPass() {
    for (int i = 0; i < kRsSlotCount; i++) states[i] = i >= kRsSlotTexture0 ? -1 : kRsUndefined;
}

void ShaderCompiler::SetError(const char *fmt, ...) {
    char buf[kShaderMaxLine];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    error = buf;
}

int ShaderCompiler::AddLine(const std::string &line) {
    if (line.size() >= kShaderMaxLine) {
        SetError("Error: output line too long: '%.60s...'", line.c_str());
        return 0;
    }
    lines.push_back(line);
    return 1;
}

const ShaderSymbol *ShaderCompiler::FindSymbol(const std::string &name) const {
    for (const ShaderSymbol &s : symbols)
        if (s.name == name) return &s;
    return nullptr;
}

int ShaderCompiler::PassCount() const {
    if (chosen < 0 || chosen >= (int)techniques.size()) return 0;
    return (int)techniques[chosen].passes.size();
}

int ShaderCompiler::AddSymbol(const std::string &name, int kind, int arraySize,
                              const float *value) {
    if (!ShaderIsName(name)) {
        SetError("Error: bad name '%.80s' in [DEFINES]", name.c_str());
        return 0;
    }
    if (ShaderIsReservedName(name)) {
        SetError("Error: '%s' is a predefined name", name.c_str());
        return 0;
    }
    if (FindSymbol(name)) {
        SetError("Error: '%s' is declared twice", name.c_str());
        return 0;
    }
    ShaderSymbol s;
    s.name = name;
    s.kind = kind;
    s.arraySize = arraySize;
    int n = arraySize > 0 ? arraySize : 1;
    if (value)
        for (int i = 0; i < 4; i++) s.value[i] = value[i];
    if (kind == kSymMatrix || kind == kSymVector || kind == kSymConst) {
        s.count = kind == kSymMatrix ? 4 * n : n;
        if (registersUsed + s.count > kShaderMaxRegisters) {
            SetError("Error: more than %d constant registers (at '%s')", kShaderMaxRegisters,
                     name.c_str());
            return 0;
        }
        s.first = registersUsed;
        registersUsed += s.count;
    } else if (kind == kSymPsConst) {
        if (psConstsUsed >= kShaderMaxPsConsts) {
            SetError("Error: more than %d pixel constants (at '%s')", kShaderMaxPsConsts,
                     name.c_str());
            return 0;
        }
        s.first = psConstsUsed++;
        s.count = 1;
    } else if (kind == kSymTexture) {
        if ((int)textures.size() >= kRsMaxTextures) {
            SetError("Error: more than %d textures (at '%s')", kRsMaxTextures, name.c_str());
            return 0;
        }
        s.first = (int)textures.size();
        textures.push_back(name);
    }
    symbols.push_back(s);
    return 1;
}

namespace {

const char *const kSectionNames[kSectionCount] = {
    "[POSITION]", "[DIFFUSE]",  "[SPECULAR]", "[MAPPING0]", "[MAPPING1]",
    "[MAPPING2]", "[MAPPING3]", "[MAPPING4]", "[SHADER]",
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A cursor over the script text.
struct Cursor {
    const char *s;
    size_t n;
    size_t pos = 0;

    void SkipBlanks() {
        while (pos < n && IsBlank(s[pos])) pos++;
    }
    bool AtEnd() {
        SkipBlanks();
        return pos >= n;
    }
    bool AtSection() {
        SkipBlanks();
        return pos < n && s[pos] == '[';
    }
    // The next token, upper-cased; empty at the end of the text.
    std::string Token(bool upper = true) {
        SkipBlanks();
        std::string t;
        while (pos < n && !IsBlank(s[pos]) && s[pos] != 0) {
            char c = s[pos++];
            t += upper && c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c;
        }
        if (pos < n && s[pos] == 0) pos = n;  // text ends at a NUL byte
        return t;
    }
};

// Reads one statement: up to a ';' outside braces, or up to the brace that
// closes a block when no "else" follows it. Blanks are dropped. Returns 1 with
// a statement, 0 when the section ends, -1 on error (message in err).
int ReadStatement(Cursor &c, std::string &out, std::string *raw, std::string &err) {
    out.clear();
    if (raw) raw->clear();
    if (c.AtEnd() || c.AtSection()) return 0;
    int braces = 0, nesting = 0;
    while (c.pos < c.n && c.s[c.pos] != 0) {
        char ch = c.s[c.pos];
        if (IsBlank(ch)) {
            // A run of blanks is skipped at once, noting whether it held a
            // line break.
            bool newline = false;
            while (c.pos < c.n && IsBlank(c.s[c.pos])) newline |= c.s[c.pos++] == '\n';
            // "phase" stands on its own, with or without a ';'.
            if (out == "phase" && braces == 0) {
                if (c.pos < c.n && c.s[c.pos] == ';') c.pos++;
                return 1;
            }
            // A section header on a new line means the ';' was forgotten.
            if (newline && braces == 0 && nesting == 0 && c.pos < c.n && c.s[c.pos] == '[') {
                err = "Error: missing ';' after '" + out.substr(0, 60) + "'";
                return -1;
            }
            if (raw && !raw->empty()) *raw += ' ';
            continue;
        }
        c.pos++;
        if (raw) *raw += ch;
        if (ch == ';' && braces == 0) return 1;
        out += ch;
        if (out.size() > kShaderMaxStatement) {
            err = "Error: statement too long: '" + out.substr(0, 60) + "...'";
            return -1;
        }
        if (ch == '(' || ch == '[') nesting++;
        if ((ch == ')' || ch == ']') && nesting > 0) nesting--;
        if (ch == '{') braces++;
        if (ch == '}') {
            if (--braces < 0) {
                err = "Error: unbalanced '}' in '" + out.substr(0, 60) + "'";
                return -1;
            }
            if (braces == 0) {
                c.SkipBlanks();
                if (c.n - c.pos >= 4 && strncmp(c.s + c.pos, "else", 4) == 0) continue;
                if (c.pos < c.n && c.s[c.pos] == ';') c.pos++;
                return 1;
            }
        }
    }
    err = "Error: missing ';' after '" + out.substr(0, 60) + "'";
    return -1;
}

// Reads the components of a CONST or PSCONST value ("=x,y,z,w", "=" or "").
int ReadValue(const std::string &text, float value[4], std::string &err) {
    for (int i = 0; i < 4; i++) value[i] = 0;
    if (text.empty()) return 1;
    if (text[0] != '=') {
        err = "Error: expected '=' in '" + text.substr(0, 60) + "'";
        return 0;
    }
    size_t p = 1;
    for (int i = 0; p < text.size(); i++) {
        size_t comma = text.find(',', p);
        std::string part =
            text.substr(p, comma == std::string::npos ? std::string::npos : comma - p);
        if (i >= 4) {
            err = "Error: more than four components in '" + text.substr(0, 60) + "'";
            return 0;
        }
        char *end = nullptr;
        float f = strtof(part.c_str(), &end);
        if (part.empty() || *end != 0 || !std::isfinite(f)) {
            err = "Error: bad number '" + part.substr(0, 40) + "'";
            return 0;
        }
        value[i] = f;
        if (comma == std::string::npos) break;
        p = comma + 1;
        if (p >= text.size()) {
            err = "Error: missing number after ',' in '" + text.substr(0, 60) + "'";
            return 0;
        }
    }
    return 1;
}

}  // namespace

namespace {

struct Reader {
    ShaderCompiler &sc;
    Cursor c;
    ShaderTechnique *technique = nullptr;
    ShaderPass *pass = nullptr;

    int Fail(const std::string &msg) {
        sc.error = msg.substr(0, kShaderMaxLine - 1);
        return 0;
    }

    void SkipWords() {
        while (!c.AtEnd() && !c.AtSection()) c.Token();
    }

    int VertexFormat() {
        static const struct {
            const char *word;
            int bit;
        } kWords[] = {{"XYZ", kFormatXyz},           {"BLEND", kFormatBlend},
                      {"NORMAL", kFormatNormal},     {"DIFFUSE", kFormatDiffuse},
                      {"SPECULAR", kFormatSpecular}, {"TEX0", kFormatTex0},
                      {"TEX1", kFormatTex1},         {"TEX2", kFormatTex2}};
        while (!c.AtEnd() && !c.AtSection()) {
            std::string t = c.Token();
            for (const auto &w : kWords)
                if (t == w.word) sc.vertexFormat |= w.bit;
        }
        return 1;
    }

    int Define(const std::string &raw) {
        // The keyword is the first word; the rest loses its blanks.
        size_t sp = raw.find(' ');
        std::string key = raw.substr(0, sp), rest;
        for (char &ch : key) ch = (char)toupper((unsigned char)ch);
        if (sp != std::string::npos)
            for (size_t i = sp; i < raw.size(); i++)
                if (raw[i] != ' ' && raw[i] != ';') rest += raw[i];
        if (!rest.empty() && rest.back() == ';') rest.pop_back();
        static const struct {
            const char *word;
            int kind;
        } kKeys[] = {{"MATRIX", kSymMatrix}, {"VECTOR", kSymVector},   {"DWORD", kSymDword},
                     {"CONST", kSymConst},   {"PSCONST", kSymPsConst}, {"TEXTURE", kSymTexture}};
        int kind = -1;
        for (const auto &k : kKeys)
            if (key == k.word) kind = k.kind;
        if (kind < 0) return Fail("Error: unknown declaration '" + raw.substr(0, 60) + "'");
        float value[4] = {0, 0, 0, 0};
        int arraySize = 0;
        std::string name = rest;
        if (kind == kSymConst || kind == kSymPsConst) {
            size_t eq = rest.find('=');
            name = rest.substr(0, eq);
            std::string err;
            if (eq != std::string::npos && !ReadValue(rest.substr(eq), value, err))
                return Fail(err);
        } else if (kind == kSymMatrix || kind == kSymVector) {
            size_t br = rest.find('[');
            if (br != std::string::npos) {
                name = rest.substr(0, br);
                char *end = nullptr;
                long n = strtol(rest.c_str() + br + 1, &end, 10);
                if (end == rest.c_str() + br + 1 || strcmp(end, "]") != 0 || n < 1 ||
                    n > kShaderMaxRegisters)
                    return Fail("Error: bad array size in '" + raw.substr(0, 60) + "'");
                arraySize = (int)n;
            }
        }
        return sc.AddSymbol(name, kind, arraySize, value);
    }

    int Defines() {
        for (;;) {
            std::string stmt, raw, err;
            int r = ReadStatement(c, stmt, &raw, err);
            if (r < 0) return Fail(err);
            if (r == 0) return 1;
            if (!Define(raw)) return 0;
        }
    }

    int Technique() {
        if ((int)sc.techniques.size() >= kShaderMaxTechniques)
            return Fail("Error: more than 4 techniques");
        sc.techniques.emplace_back();
        technique = &sc.techniques.back();
        pass = nullptr;
        // Requirement words may follow on the header's line; other words are
        // the technique's description.
        while (!c.AtEnd() && !c.AtSection()) {
            std::string t = c.Token();
            if (t == "MULTITEXTURE") technique->needs |= kNeedMultitexture;
            if (t == "DOT3") technique->needs |= kNeedDot3;
            if (t == "SHADERS") technique->needs |= kNeedShaders;
        }
        return 1;
    }

    int Pass(int index, const std::string &tok) {
        if (!technique) return Fail("Error: " + tok + " before [TECHNIQUE]");
        if (index != (int)technique->passes.size())
            return Fail("Error: " + tok + " out of order (passes are numbered from 0)");
        technique->passes.emplace_back();
        pass = &technique->passes.back();
        SkipWords();
        return 1;
    }

    int Code(int section, const std::string &tok) {
        if (!pass) return Fail("Error: " + tok + " outside a pass");
        for (;;) {
            std::string stmt, err;
            int r = ReadStatement(c, stmt, nullptr, err);
            if (r < 0) return Fail(err);
            if (r == 0) return 1;
            pass->code[section].push_back(stmt);
        }
    }

    int Macro(const std::string &stmt) {
        size_t open = stmt.find('(');
        size_t close = stmt.find(')');
        if (open == std::string::npos || close == std::string::npos || close < open ||
            close + 1 >= stmt.size() || stmt[close + 1] != '{' || stmt.back() != '}')
            return Fail("Error: bad macro definition '" + stmt.substr(0, 60) + "'");
        ShaderMacro m;
        m.name = stmt.substr(0, open);
        if (!ShaderIsName(m.name))
            return Fail("Error: bad macro name in '" + stmt.substr(0, 60) + "'");
        for (const ShaderMacro &other : sc.macros)
            if (other.name == m.name) return Fail("Error: macro '" + m.name + "' defined twice");
        std::string params = stmt.substr(open + 1, close - open - 1);
        size_t p = 0;
        while (!params.empty() && p <= params.size()) {
            size_t comma = params.find(',', p);
            std::string name =
                params.substr(p, comma == std::string::npos ? std::string::npos : comma - p);
            if (!ShaderIsName(name))
                return Fail("Error: bad macro parameter in '" + stmt.substr(0, 60) + "'");
            m.params.push_back(name);
            if (comma == std::string::npos) break;
            p = comma + 1;
        }
        std::string body = stmt.substr(close + 2, stmt.size() - close - 3);
        std::string err;
        if (!ShaderSplitBlock(body, m.body, err)) return Fail(err);
        sc.macros.push_back(m);
        return 1;
    }

    int Macros() {
        for (;;) {
            std::string stmt, err;
            int r = ReadStatement(c, stmt, nullptr, err);
            if (r < 0) return Fail(err);
            if (r == 0) return 1;
            if (!Macro(stmt)) return 0;
        }
    }

    // Sets one state; returns 0 when the value is unknown for that state.
    int SetState(const std::string &name, const std::string &rawValue) {
        std::string value = rawValue;
        for (char &ch : value) ch = (char)toupper((unsigned char)ch);
        if (name.compare(0, 8, "TEXTURE[") == 0) {
            for (int i = 0; i < kRsMaxTextures; i++) {
                char key[32];
                snprintf(key, sizeof key, "TEXTURE[%d]", i);
                if (name != key) continue;
                for (size_t t = 0; t < sc.textures.size(); t++)
                    if (sc.textures[t] == rawValue)
                        return pass->states[kRsSlotTexture0 + i] = (int)t, 1;
                for (size_t t = 0; t < sc.textures.size(); t++)
                    if (strcasecmp(sc.textures[t].c_str(), rawValue.c_str()) == 0)
                        return pass->states[kRsSlotTexture0 + i] = (int)t, 1;
                return 0;
            }
            sc.warnings += "Warning: unknown render state '" + name + "'\n";
            return 1;
        }
        int id = RsFindValue(value.c_str());
        if (name == "STENCIL" || name == "RENDERTARGET") {
            std::vector<std::string> probe;
            int slot = name == "STENCIL" ? kRsSlotStencil : kRsSlotRenderTarget;
            int ok =
                slot == kRsSlotStencil ? RsStencilLines(id, probe) : RsRenderTargetLines(id, probe);
            if (!ok) return 0;
            pass->states[slot] = id;
            return 1;
        }
        int slot = RsFindState(name.c_str());
        if (slot < 0) {
            sc.warnings += "Warning: unknown render state '" + name + "'\n";
            return 1;
        }
        if (id < 0 || !RsEffectValue(id)) return 0;
        pass->states[slot] = id;
        return 1;
    }

    int RenderStates(const std::string &tok) {
        if (!pass) return Fail("Error: " + tok + " outside a pass");
        int failed = 0;
        while (!c.AtEnd() && !c.AtSection()) {
            std::string name = c.Token();
            std::string value;
            if (!c.AtEnd() && !c.AtSection()) value = c.Token(false);
            if (!SetState(name, value)) {
                sc.SetError("Error: RS:'%.200s'", value.c_str());
                failed = 1;
            }
        }
        if (failed) {
            // A pass whose states cannot all be read keeps none of them.
            ShaderPass clean;
            for (int i = 0; i < kRsSlotCount; i++) pass->states[i] = clean.states[i];
            pass->stateError = 1;
        }
        return 1;
    }

    int Run() {
        while (!c.AtEnd()) {
            if (!c.AtSection()) {
                c.Token();  // words before the first section describe the script
                continue;
            }
            std::string tok = c.Token();
            int r = 1;
            if (tok == "[VERTEXFORMAT]") {
                r = VertexFormat();
            } else if (tok == "[DEFINES]") {
                r = Defines();
            } else if (tok == "[TECHNIQUE]") {
                r = Technique();
            } else if (tok.size() == 7 && tok.compare(0, 5, "[PASS") == 0 && tok[5] >= '0' &&
                       tok[5] <= '3' && tok[6] == ']') {
                r = Pass(tok[5] - '0', tok);
            } else if (tok == "[MACROS]") {
                r = Macros();
            } else if (tok == "[RENDER_STATE]") {
                r = RenderStates(tok);
            } else if (tok == "[END]") {
                return 1;
            } else {
                int section = -1;
                for (int i = 0; i < kSectionCount; i++)
                    if (tok == kSectionNames[i]) section = i;
                if (section < 0) return Fail("Error: unknown section '" + tok.substr(0, 60) + "'");
                r = Code(section, tok);
            }
            if (!r) return 0;
        }
        return 1;
    }
};

}  // namespace

int ShaderCompiler::Read(const char *script, size_t length) {
    // The text ends at its length or at a NUL byte, whichever comes first.
    if (const void *nul = memchr(script, 0, length)) length = (size_t)((const char *)nul - script);
    Reader reader{*this, Cursor{script, length}};
    if (!reader.Run()) return 0;
    // The constants every generated program may use follow the script's own.
    static const float kPi = 3.14159265358979f;
    static const float kBuiltins[7][4] = {
        {kPi, 1.0f / (2 * kPi), 2 * kPi, 3 * kPi / 2},
        {0, kPi / 2, 1, kPi},
        {1.0f / 6, 1.0f / 120, 1.0f / 5040, 0},
        {1.0f / 3, 2.0f / 15, 17.0f / 315, 0},
        {-1.0f / 3, 1.0f / 5, -1.0f / 7, 0},
        {2, 3, 4, 5},
        {6, 7, 8, 9},
    };
    static const char *const kNames[7] = {"trigo_mod",  "trigo_cst",    "trigo_cst2",  "trigo_cst3",
                                          "trigo_cst4", "multipliers1", "multipliers2"};
    for (int i = 0; i < 7; i++) {
        ShaderSymbol s;
        if (FindSymbol(kNames[i])) {
            SetError("Error: '%s' is a predefined name", kNames[i]);
            return 0;
        }
        if (!AddSymbol(kNames[i], kSymConst, 0, kBuiltins[i])) return 0;
    }
    return 1;
}
