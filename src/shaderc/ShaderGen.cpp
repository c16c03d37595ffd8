#include "shaderc/ShaderGen.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "shaderc/ShaderCompiler.h"
#include "shaderc/ShaderText.h"
#include "shaderc/Swizzle.h"

namespace {

bool IsNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool IsNameChar(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9');
}

int BitCount(uint8_t m) {
    return (m & 1) + ((m >> 1) & 1) + ((m >> 2) & 1) + ((m >> 3) & 1);
}
int LowestBit(uint8_t m) {
    for (int i = 0; i < 4; i++)
        if (m & (1 << i)) return i;
    return 0;
}

GenOperand Compose(GenOperand o, int a, int b, int c, int d) {
    uint8_t s[4] = {o.swz[a], o.swz[b], o.swz[c], o.swz[d]};
    memcpy(o.swz, s, 4);
    return o;
}
GenOperand Replicate(GenOperand o, int c) {
    return Compose(o, c, c, c, c);
}

struct InputName {
    const char *name;
    int reg;
    int bit;
};
const InputName kInputs[] = {
    {"iPos", 0, kFormatXyz},         {"iWeights", 1, kFormatBlend},
    {"iWIndices", 2, kFormatBlend},  {"iNorm", 3, kFormatNormal},
    {"iDiffuse", 5, kFormatDiffuse}, {"iSpecular", 6, kFormatSpecular},
    {"iTexture0", 7, kFormatTex0},   {"iTexture1", 8, kFormatTex1},
    {"iTexture2", 9, kFormatTex2},
};
const char *const kOutputs[] = {"oPos",      "oDiffuse",  "oSpecular", "oTexture0",
                                "oTexture1", "oTexture2", "oTexture3", "oTexture4"};

// Balance of ( and [ over prefixes and suffixes, so a split point can be
// tested in constant time.
struct Balance {
    std::vector<char> prefixOk, suffixOk;
    explicit Balance(const std::string &e) : prefixOk(e.size() + 1), suffixOk(e.size() + 1) {
        int p = 0, b = 0;
        bool ok = true;
        for (size_t i = 0; i <= e.size(); i++) {
            prefixOk[i] = ok && p == 0 && b == 0;
            if (i == e.size()) break;
            char c = e[i];
            p += c == '(' ? 1 : c == ')' ? -1 : 0;
            b += c == '[' ? 1 : c == ']' ? -1 : 0;
            if (p < 0 || b < 0) ok = false;
        }
        p = b = 0;
        ok = true;
        for (size_t i = e.size() + 1; i-- > 0;) {
            suffixOk[i] = ok && p == 0 && b == 0;
            if (i == 0) break;
            char c = e[i - 1];
            p += c == ')' ? 1 : c == '(' ? -1 : 0;
            b += c == ']' ? 1 : c == '[' ? -1 : 0;
            if (p < 0 || b < 0) ok = false;
        }
    }
    bool Splits(size_t at, size_t len) const { return prefixOk[at] && suffixOk[at + len]; }
};

// Splits "a,b,c" at the commas outside brackets.
std::vector<std::string> SplitArgs(const std::string &s) {
    std::vector<std::string> out;
    if (s.empty()) return out;
    int depth = 0;
    std::string cur;
    for (char c : s) {
        if (c == '(' || c == '[') depth++;
        if (c == ')' || c == ']') depth--;
        if (c == ',' && depth == 0) {
            out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    out.push_back(cur);
    return out;
}

// A macro argument goes in as it is when it is a single operand, otherwise
// in parentheses so that it keeps its meaning inside an expression.
std::string MacroArgument(const std::string &a) {
    for (char c : a)
        if (!IsNameChar(c) && c != '.' && c != '[' && c != ']') return "(" + a + ")";
    return a;
}

}  // namespace

ShaderGen::ShaderGen(ShaderCompiler &compiler, int tgt, bool px)
    : pixel(px), target(tgt), sc(compiler) {
    if (pixel) {
        used = 1;  // r0 is the pixel's result, Out
        maxUsed = 1;
    }
}

int ShaderGen::Fail(const std::string &msg) {
    sc.error = msg.substr(0, kShaderMaxLine - 1);
    return 0;
}

int ShaderGen::Alloc(int prefer) {
    int limit = pixel ? 6 : kSwTemps;
    if (prefer >= 0 && prefer < limit && !(used & (1u << prefer))) {
        used |= 1u << prefer;
        if (prefer + 1 > maxUsed) maxUsed = prefer + 1;
        return prefer;
    }
    for (int pass = 0; pass < 2; pass++) {
        for (int r = 0; r < limit; r++) {
            if ((used & (1u << r)) || (pass == 0 && (reserved & (1u << r)))) continue;
            used |= 1u << r;
            if (r + 1 > maxUsed) maxUsed = r + 1;
            return r;
        }
    }
    Fail(pixel ? "Error: out of temporary registers (pixel code has r0..r5)"
               : "Error: out of temporary registers (vertex code has r0..r11)");
    return -1;
}

void ShaderGen::Release(GenOperand &o) {
    if (o.owned >= 0) used &= ~(1u << o.owned);
    o.owned = -1;
}

GenOperand ShaderGen::Temp(int reg, int component) {
    GenOperand o;
    o.kind = kRegTemp;
    o.index = reg;
    if (component >= 0) o = Replicate(o, component);
    return o;
}

GenDest ShaderGen::TempDest(int reg, uint8_t mask) {
    GenDest d;
    d.kind = kRegTemp;
    d.index = reg;
    d.mask = mask;
    return d;
}

GenOperand ShaderGen::Builtin(const char *name, int component, bool negate) {
    GenOperand o;
    for (size_t i = 0; i < sc.symbols.size(); i++) {
        if (sc.symbols[i].name != name) continue;
        o.kind = kRegConst;
        o.index = sc.symbols[i].first;
        o.symbol = (int)i;
    }
    o = Replicate(o, component);
    o.negate = negate;
    return o;
}

bool ShaderGen::Aliases(const GenDest &d, const GenOperand &o) const {
    return d.kind == kRegTemp && o.kind == kRegTemp && d.index == o.index;
}

// vs.1.1 reads at most one constant and one input register per instruction;
// extra ones are copied into temporaries first.
int ShaderGen::Legalize(GenInstr &in) {
    auto move = [&](GenOperand &m) {
        int t = Alloc();
        if (t < 0) return 0;
        GenInstr mov;
        mov.op = kGenMov;
        mov.d = TempDest(t);
        mov.s[0] = m;
        mov.s[0].negate = false;
        for (int k = 0; k < 4; k++) mov.s[0].swz[k] = (uint8_t)k;
        mov.n = 1;
        if (code.size() >= kShaderMaxInstructions) return Fail("Error: more than 128 instructions");
        code.push_back(mov);
        GenOperand r = Temp(t);
        memcpy(r.swz, m.swz, 4);
        r.negate = m.negate;
        r.owned = t;
        m = r;
        return 1;
    };
    // The matrix of m4x4/m3x3 is the instruction's constant read.
    if (in.op == kGenM4x4 || in.op == kGenM3x3) return in.s[0].kind != kRegConst || move(in.s[0]);
    int firstConst = -1000, firstInput = -1;
    for (int i = 0; i < in.n; i++) {
        GenOperand &o = in.s[i];
        if (o.kind == kRegConst) {
            int key = o.relative ? -100 - i : o.index;  // relative reads never share
            if (firstConst == -1000 || firstConst == key) {
                firstConst = key;
                continue;
            }
        } else if (o.kind == kRegInput) {
            if (firstInput < 0 || firstInput == o.index) {
                firstInput = o.index;
                continue;
            }
        } else {
            continue;
        }
        if (!move(o)) return 0;
    }
    return 1;
}

int ShaderGen::Emit(uint8_t op, const GenDest &d, const GenOperand *s, int n, const char *suffix) {
    GenInstr in;
    in.op = op;
    in.d = d;
    in.n = n;
    in.suffix = suffix;
    for (int i = 0; i < n; i++) {
        in.s[i] = s[i];
        in.s[i].owned = -1;
        if (pixel && s[i].kind == kRegTexCoord && op != kGenTexld && op != kGenTexcrd)
            return Fail("Error: texture coordinates are read with coord(TexN) or sample(TexN)");
    }
    if (target == 0 && !pixel && !Legalize(in)) return 0;
    if (code.size() >= kShaderMaxInstructions) return Fail("Error: more than 128 instructions");
    code.push_back(in);
    for (int i = 0; i < n; i++) Release(in.s[i]);  // copies made by Legalize
    if (d.kind == kRegOutput) outputsWritten |= (uint8_t)(1 << d.index);
    return 1;
}

void ShaderGen::Reserve(const std::vector<std::string> &stmts) {
    for (const std::string &s : stmts)
        for (size_t p = s.find("sample(Tex"); p != std::string::npos;
             p = s.find("sample(Tex", p + 1))
            if (p + 10 < s.size() && s[p + 10] >= '1' && s[p + 10] <= '5')
                reserved |= 1u << (s[p + 10] - '0');
}

int ShaderGen::Statement(const std::string &s) {
    expanded = 0;
    macroDepth = 0;
    if (s == "phase") {
        if (!pixel) return Fail("Error: 'phase' is only allowed in [SHADER]");
        GenDest none;
        if (target == 1) return 1;  // ARB programs have no phases
        return Emit(kGenPhase, none, nullptr, 0);
    }
    return Expand(s);
}

int ShaderGen::Expand(const std::string &s) {
    if (++expanded > 1024) return Fail("Error: macros expand to more than 1024 statements");
    if (s.compare(0, 3, "if(") == 0) return Conditional(s);
    bool handled = false;
    if (!MacroCall(s, handled)) return 0;
    if (handled) return 1;
    return Assign(s);
}

int ShaderGen::MacroCall(const std::string &s, bool &handled) {
    handled = false;
    size_t open = s.find('(');
    size_t eq = s.find('=');
    if (open == std::string::npos || (eq != std::string::npos && eq < open)) return 1;
    if (eq != std::string::npos && s.find('=', open) != std::string::npos) {
        // "=" after the call's opening bracket: an assignment like a(b)=c is
        // not a call either.
        if (ShaderMatching(s, open) != s.size() - 1) return 1;
    }
    std::string name = s.substr(0, open);
    const ShaderMacro *macro = nullptr;
    for (const ShaderMacro &m : sc.macros)
        if (m.name == name) macro = &m;
    if (!macro) {
        if (eq == std::string::npos && ShaderIsName(name))
            return Fail("Error: unknown macro '" + name + "'");
        return 1;
    }
    handled = true;
    if (ShaderMatching(s, open) != s.size() - 1)
        return Fail("Error: bad macro call '" + s.substr(0, 60) + "'");
    std::vector<std::string> args = SplitArgs(s.substr(open + 1, s.size() - open - 2));
    if (args.size() != macro->params.size()) {
        char buf[160];
        snprintf(buf, sizeof buf, "Error: macro '%s' takes %d argument(s)", name.c_str(),
                 (int)macro->params.size());
        return Fail(buf);
    }
    if (macroDepth >= 16)
        return Fail("Error: macro '" + name + "' calls itself or nests too deeply");
    for (std::string &a : args) a = MacroArgument(a);
    macroDepth++;
    for (const std::string &stmt : macro->body) {
        std::string body = ShaderSubstituteAll(stmt, macro->params, args);
        if (body.size() > kShaderMaxStatement)
            return Fail("Error: statement too long after macro expansion in '" + name + "'");
        if (!Expand(body)) return 0;
    }
    macroDepth--;
    return 1;
}

namespace {

// One branch of a conditional: the variables it assigns, in order, with the
// value each ends up with (later statements see the earlier values).
struct Branch {
    std::vector<std::string> dests;
    std::vector<std::string> values;

    int Find(const std::string &d) const {
        for (size_t i = 0; i < dests.size(); i++)
            if (dests[i] == d) return (int)i;
        return -1;
    }
};

}  // namespace

int ShaderGen::Conditional(const std::string &s) {
    if (pixel) return Fail("Error: if is not available in pixel code");
    size_t close = ShaderMatching(s, 2);
    if (close == std::string::npos)
        return Fail("Error: unbalanced '(' in '" + s.substr(0, 60) + "'");
    std::string cond = s.substr(3, close - 3);
    size_t gt = cond.find('>');
    if (gt == std::string::npos || cond.find('<') != std::string::npos ||
        cond.find("==") != std::string::npos || gt == 0)
        return Fail("Error: only 'a>b' conditions are supported: '" + cond.substr(0, 60) + "'");
    std::string a = cond.substr(0, gt), b = cond.substr(gt + 1);
    if (!b.empty() && b[0] == '=') b = b.substr(1);  // a>=b is what a>b computes anyway
    if (b.empty()) return Fail("Error: bad condition '" + cond.substr(0, 60) + "'");
    std::string bodies[2];
    size_t p = close + 1;
    for (int k = 0; k < 2; k++) {
        if (k == 1) {
            if (p == s.size()) break;
            if (s.compare(p, 4, "else") != 0)
                return Fail("Error: unexpected '" + s.substr(p, 40) + "' after if block");
            p += 4;
        }
        if (p >= s.size() || s[p] != '{')
            return Fail("Error: expected '{' in '" + s.substr(0, 60) + "'");
        size_t end = ShaderMatching(s, p);
        if (end == std::string::npos)
            return Fail("Error: unbalanced '{' in '" + s.substr(0, 60) + "'");
        bodies[k] = s.substr(p + 1, end - p - 1);
        p = end + 1;
    }
    if (p != s.size()) return Fail("Error: unexpected text after else block");

    Branch branch[2];
    int expansions = 0;
    for (int k = 0; k < 2; k++) {
        std::vector<std::string> stmts, plain;
        std::string err;
        if (!ShaderSplitBlock(bodies[k], stmts, err)) return Fail(err);
        // Macro calls in a block become their statements.
        for (size_t i = 0; i < stmts.size(); i++) {
            if (stmts.size() > 1024)
                return Fail("Error: macros expand to more than 1024 statements");
            const std::string &st = stmts[i];
            if (st.compare(0, 3, "if(") == 0)
                return Fail("Error: an if inside an if is not supported");
            size_t open = st.find('('), eq = st.find('=');
            const ShaderMacro *macro = nullptr;
            if (open != std::string::npos && (eq == std::string::npos || eq > open))
                for (const ShaderMacro &m : sc.macros)
                    if (m.name == st.substr(0, open)) macro = &m;
            if (!macro) {
                plain.push_back(st);
                continue;
            }
            if (++expansions > 256)
                return Fail("Error: macro '" + macro->name + "' calls itself or nests too deeply");
            std::vector<std::string> args = SplitArgs(st.substr(open + 1, st.size() - open - 2));
            if (args.size() != macro->params.size() || ShaderMatching(st, open) != st.size() - 1)
                return Fail("Error: bad call of macro '" + macro->name + "'");
            for (std::string &x : args) x = MacroArgument(x);
            std::vector<std::string> body;
            for (const std::string &m : macro->body)
                body.push_back(ShaderSubstituteAll(m, macro->params, args));
            stmts.insert(stmts.begin() + i + 1, body.begin(), body.end());
        }
        for (const std::string &st : plain) {
            size_t eq = st.find('=');
            if (eq == std::string::npos || eq == 0 || eq + 1 >= st.size())
                return Fail("Error: missing '=' in '" + st.substr(0, 60) + "'");
            std::string dest = st.substr(0, eq), value = st.substr(eq + 1);
            // Earlier assignments of the same branch are seen by later ones.
            std::vector<std::string> names, withs;
            for (size_t j = 0; j < branch[k].dests.size(); j++) {
                if (branch[k].dests[j].find('.') != std::string::npos) continue;
                names.push_back(branch[k].dests[j]);
                withs.push_back("(" + branch[k].values[j] + ")");
            }
            value = ShaderSubstituteAll(value, names, withs);
            if (value.size() > kShaderMaxStatement)
                return Fail("Error: conditional block too long");
            int at = branch[k].Find(dest);
            if (at >= 0) {
                branch[k].values[at] = value;
            } else {
                branch[k].dests.push_back(dest);
                branch[k].values.push_back(value);
            }
        }
    }

    if (!Assign("ifelse.x=sge(" + a + "," + b + ")")) return 0;
    if (!Assign("ifelse.y=trigo_cst.z-ifelse.x")) return 0;
    std::vector<std::string> order = branch[0].dests;
    for (const std::string &d : branch[1].dests)
        if (branch[0].Find(d) < 0) order.push_back(d);
    std::vector<std::string> done;
    for (const std::string &d : order) {
        std::string base = d.substr(0, d.find('.'));
        bool known = named.count(base) > 0 || (pixel && base == "Out");
        for (const char *o : kOutputs)
            if (base == o) known = true;
        std::string term[2];
        for (int k = 0; k < 2; k++) {
            int at = branch[k].Find(d);
            if (at >= 0)
                term[k] = "(" + branch[k].values[at] + ")";
            else if (known)
                term[k] = base;
        }
        std::string stmt = d + "=";
        if (!term[0].empty()) stmt += term[0] + "*ifelse.x";
        if (!term[1].empty()) stmt += (term[0].empty() ? "" : "+") + term[1] + "*ifelse.y";
        // Each merged assignment runs after the ones before it, so it must not
        // read a variable an earlier one has already changed.
        for (const std::string &prev : done)
            if (prev != base && ShaderMentions(stmt.substr(d.size() + 1), prev))
                return Fail("Error: the if reads '" + prev +
                            "' after assigning it; use another variable for the new value");
        done.push_back(base);
        if (!Assign(stmt)) return 0;
    }
    return 1;
}

int ShaderGen::Assign(const std::string &s) {
    size_t eq = s.find('=');
    if (eq == std::string::npos) return Fail("Error: missing '=' in '" + s.substr(0, 60) + "'");
    std::string lhs = s.substr(0, eq), rhs = s.substr(eq + 1);
    if (lhs.empty() || rhs.empty() || rhs[0] == '=')
        return Fail("Error: bad assignment '" + s.substr(0, 60) + "'");
    size_t dot = lhs.find('.');
    std::string name = lhs.substr(0, dot);
    GenDest d;
    if (dot != std::string::npos) {
        std::string m = lhs.substr(dot + 1);
        int last = -1;
        d.mask = 0;
        for (char c : m) {
            int k = SwizzleComponent(c);
            if (k <= last || m.size() > 4)
                return Fail("Error: bad write mask in '" + lhs.substr(0, 60) + "'");
            d.mask |= (uint8_t)(1 << k);
            last = k;
        }
        if (!d.mask) return Fail("Error: bad write mask in '" + lhs.substr(0, 60) + "'");
    }
    if (name == "Address") {
        if (pixel) return Fail("Error: 'Address' is not available in pixel code");
        GenOperand o;
        if (!Operand(rhs, 0xF, o)) return 0;
        GenDest a;
        a.kind = kRegAddress;
        a.mask = 1;
        if (!Emit(kGenMovA, a, o)) return 0;
        Release(o);
        addressSet = true;
        return 1;
    }
    int newReg = -1;
    if (!pixel) {
        for (int i = 0; i < 8; i++)
            if (name == kOutputs[i]) d.kind = kRegOutput, d.index = i;
    } else if (name == "Out") {
        d.kind = kRegTemp, d.index = 0;
    }
    if (d.kind == kRegNone) {
        auto it = named.find(name);
        if (it != named.end()) {
            d.kind = kRegTemp, d.index = it->second;
        } else {
            if (!ShaderIsName(name) || sc.FindSymbol(name) ||
                (ShaderIsReservedName(name) && name != "ifelse"))
                return Fail("Error: cannot assign to '" + lhs.substr(0, 60) + "'");
            int prefer = -1;
            if (pixel && rhs.compare(0, 10, "sample(Tex") == 0 && rhs.size() > 10)
                prefer = rhs[10] - '0';
            newReg = Alloc(prefer);
            if (newReg < 0) return 0;
            d.kind = kRegTemp, d.index = newReg;
        }
    }
    if (!Expr(rhs, d)) return 0;
    if (newReg >= 0) named[name] = newReg;
    if (pixel && d.kind == kRegTemp && d.index == 0) outWritten = true;
    return 1;
}

int ShaderGen::Expr(const std::string &e, const GenDest &d) {
    if (e.empty()) return Fail("Error: missing operand");
    Balance bal(e);
    // Additive level: the leftmost + or - with balanced sides; a sign right
    // after another operator belongs to its operand.
    for (size_t i = 1; i < e.size(); i++) {
        char c = e[i];
        if (c != '+' && c != '-') continue;
        if (strchr("*/|^(,=+-[", e[i - 1])) continue;
        if (bal.Splits(i, 1)) return Binary(c, e.substr(0, i), e.substr(i + 1), d);
    }
    if (e[0] == '+') return Expr(e.substr(1), d);
    if (e[0] == '-') {
        GenOperand o;
        if (!Operand(e.substr(1), d.mask, o)) return 0;
        o.negate = !o.negate;
        if (!Emit(kGenMov, d, o)) return 0;
        Release(o);
        return 1;
    }
    // Multiplicative level.
    for (size_t i = 1; i < e.size(); i++) {
        char c = e[i];
        if (!strchr("/*|^", c)) continue;
        if (c == '*' && i + 2 < e.size() && (e[i + 1] == '3' || e[i + 1] == '4') &&
            IsNameStart(e[i + 2])) {
            if (bal.Splits(i, 2))
                return MatrixOp(e[i + 1] - '0', e.substr(0, i), e.substr(i + 2), d);
            continue;
        }
        if (bal.Splits(i, 1)) return Binary(c, e.substr(0, i), e.substr(i + 1), d);
    }
    if (e[0] == '(') {
        size_t close = ShaderMatching(e, 0);
        if (close == std::string::npos)
            return Fail("Error: unbalanced '(' in '" + e.substr(0, 60) + "'");
        if (close == e.size() - 1) return Expr(e.substr(1, close - 1), d);
        if (e[close + 1] == '.') {
            // A swizzled group: compute the group, then select from it.
            GenOperand o;
            if (!Operand(e.substr(1, close - 1), 0xF, o)) return 0;
            std::string sw = e.substr(close + 2);
            if (sw.empty() || sw.size() > 4)
                return Fail("Error: bad swizzle in '" + e.substr(0, 60) + "'");
            uint8_t s[4];
            for (size_t k = 0; k < 4; k++) {
                int c = SwizzleComponent(sw[k < sw.size() ? k : sw.size() - 1]);
                if (c < 0) return Fail("Error: bad swizzle in '" + e.substr(0, 60) + "'");
                s[k] = o.swz[c];
            }
            memcpy(o.swz, s, 4);
            if (!Emit(kGenMov, d, o)) return 0;
            Release(o);
            return 1;
        }
        return Fail("Error: cannot read '" + e.substr(0, 60) + "'");
    }
    size_t open = e.find('(');
    if (open != std::string::npos && open > 0 && ShaderIsName(e.substr(0, open))) {
        if (ShaderMatching(e, open) != e.size() - 1)
            return Fail("Error: unbalanced '(' in '" + e.substr(0, 60) + "'");
        return Call(e.substr(0, open), e.substr(open + 1, e.size() - open - 2), d);
    }
    GenOperand o;
    int r = Simple(e, o);
    if (r < 0) return 0;
    if (r == 0) return Fail("Error: cannot read '" + e.substr(0, 60) + "'");
    return Emit(kGenMov, d, o);
}

int ShaderGen::Operand(const std::string &e, uint8_t need, GenOperand &o) {
    o = GenOperand();
    int r = Simple(e, o);
    if (r < 0) return 0;
    if (r > 0) return 1;
    int prefer = -1;
    if (pixel && e.compare(0, 10, "sample(Tex") == 0 && e.size() > 10) prefer = e[10] - '0';
    int t = Alloc(prefer);
    if (t < 0) return 0;
    if (!Expr(e, TempDest(t, need))) return 0;
    o = Temp(t, BitCount(need) == 1 ? LowestBit(need) : -1);
    o.owned = t;
    return 1;
}

int ShaderGen::Simple(const std::string &e, GenOperand &o) {
    size_t p = 0, n = e.size();
    bool neg = false;
    if (n > 0 && e[0] == '-') neg = true, p = 1;
    if (p >= n) return 0;
    char c = e[p];
    if (c >= '0' && c <= '9') {
        if (n != p + 1 || c < '2') return 0;
        if (pixel) return Fail("Error: the numbers 2 to 9 are not available in pixel code"), -1;
        o = Builtin(c <= '5' ? "multipliers1" : "multipliers2", (c - '2') % 4, neg);
        return 1;
    }
    if (!IsNameStart(c)) return 0;
    size_t q = p;
    while (q < n && IsNameChar(e[q])) q++;
    std::string name = e.substr(p, q - p), index;
    bool hasIndex = false;
    if (q < n && e[q] == '[') {
        size_t close = e.find(']', q);
        if (close == std::string::npos) return 0;
        index = e.substr(q + 1, close - q - 1);
        hasIndex = true;
        q = close + 1;
    }
    std::string sw;
    if (q < n && e[q] == '.') {
        size_t start = ++q;
        while (q < n && IsNameChar(e[q])) q++;
        sw = e.substr(start, q - start);
        if (sw.empty()) return 0;
    }
    if (q != n) return 0;
    if (!Resolve(name, hasIndex ? "[" + index : std::string(), o)) return -1;
    if (!sw.empty()) {
        if (sw.size() > 4) return Fail("Error: bad swizzle '." + sw.substr(0, 10) + "'"), -1;
        uint8_t s[4];
        for (size_t k = 0; k < 4; k++) {
            int comp = SwizzleComponent(sw[k < sw.size() ? k : sw.size() - 1]);
            if (comp < 0) return Fail("Error: bad swizzle '." + sw.substr(0, 10) + "'"), -1;
            s[k] = o.swz[comp];
        }
        memcpy(o.swz, s, 4);
    }
    o.negate = neg;
    return 1;
}

int ShaderGen::Resolve(const std::string &name, const std::string &index, GenOperand &o) {
    bool hasIndex = !index.empty();
    o = GenOperand();
    if (!pixel) {
        for (const InputName &in : kInputs) {
            if (name != in.name) continue;
            if (!(sc.vertexFormat & in.bit))
                return Fail("Error: '" + name + "' is not in [VERTEXFORMAT]");
            if (hasIndex) return Fail("Error: '" + name + "' is not an array");
            o.kind = kRegInput, o.index = in.reg;
            return 1;
        }
        for (const char *out : kOutputs)
            if (name == out) return Fail("Error: the output '" + name + "' cannot be read");
    } else {
        static const char *const kPixelInputs[] = {"Diffuse", "Specular", "Tex0", "Tex1",
                                                   "Tex2",    "Tex3",     "Tex4"};
        for (int i = 0; i < 7; i++) {
            if (name != kPixelInputs[i]) continue;
            if (hasIndex) return Fail("Error: '" + name + "' is not an array");
            o.kind = i < 2 ? kRegColor : kRegTexCoord;
            o.index = i < 2 ? i : i - 2;
            return 1;
        }
        if (name == "Out") {
            o.kind = kRegTemp, o.index = 0;
            return !hasIndex || Fail("Error: 'Out' is not an array");
        }
    }
    if (name == "Address") return Fail("Error: 'Address' can only be used as name[Address+i]");
    auto it = named.find(name);
    if (it != named.end()) {
        if (hasIndex) return Fail("Error: '" + name + "' is not an array");
        o.kind = kRegTemp, o.index = it->second;
        return 1;
    }
    const ShaderSymbol *sym = sc.FindSymbol(name);
    if (!sym) return Fail("Error: unknown name '" + name + "'");
    if (pixel != (sym->kind == kSymPsConst) || sym->kind == kSymDword || sym->kind == kSymTexture)
        return Fail("Error: '" + name + "' cannot be used in " + (pixel ? "pixel" : "vertex") +
                    " code");
    o.kind = kRegConst;
    o.index = sym->first;
    o.symbol = (int)(sym - sc.symbols.data());
    if (!hasIndex) return 1;
    if (pixel) return Fail("Error: '" + name + "' is not an array");
    // "[i]", "[Address]", "[Address+i]", "[Address-i]" or "[i+Address]".
    std::string ix = index.substr(1);
    long offset = 0;
    bool relative = false;
    std::string num = ix;
    if (ix.compare(0, 7, "Address") == 0) {
        relative = true;
        num = ix.substr(7);
        if (!num.empty() && num[0] == '+') num = num.substr(1);
        if (num.empty()) num = "0";
    } else if (ix.size() > 8 && ix.compare(ix.size() - 8, 8, "+Address") == 0) {
        relative = true;
        num = ix.substr(0, ix.size() - 8);
    }
    char *end = nullptr;
    offset = strtol(num.c_str(), &end, 10);
    if (num.empty() || *end != 0 || num.size() > 4)
        return Fail("Error: bad index in '" + name + index.substr(0, 40) + "]'");
    if (relative) {
        if (!addressSet) return Fail("Error: 'Address' is read before it is set");
        if (sym->first + offset < 0 || sym->first + offset >= kShaderMaxRegisters)
            return Fail("Error: index out of range in '" + name + index.substr(0, 40) + "]'");
        o.relative = true;
    } else if (offset < 0 || offset >= sym->count) {
        return Fail("Error: index out of range in '" + name + index.substr(0, 40) + "]'");
    }
    o.index = sym->first + (int)offset;
    return 1;
}

int ShaderGen::Matrix(const std::string &e, int rows, GenOperand &o) {
    int r = Simple(e, o);
    if (r < 0) return 0;
    if (r == 0 || o.kind != kRegConst || o.Swizzled() || o.negate || o.symbol < 0 ||
        sc.symbols[o.symbol].kind != kSymMatrix)
        return Fail("Error: '" + e.substr(0, 60) + "' is not a matrix");
    const ShaderSymbol &s = sc.symbols[o.symbol];
    if (!o.relative && o.index + rows > s.first + s.count)
        return Fail("Error: matrix '" + e.substr(0, 60) + "' runs past its array");
    return 1;
}

int ShaderGen::Binary(char op, const std::string &l, const std::string &r, const GenDest &d) {
    if (pixel && (op == '/' || op == '|' || op == '^'))
        return Fail(std::string("Error: '") + op + "' is not available in pixel code");
    if (op == '^') return Cross(l, r, d);
    GenOperand a, b;
    uint8_t need = op == '|' ? 0xF : d.mask;
    if (!Operand(l, need, a) || !Operand(r, op == '/' ? 0xF : need, b)) return 0;
    int ok;
    if (op == '/') {
        // Every component of a is divided by the .w of b (or the component b
        // selects).
        GenOperand w = Replicate(b, 3);
        int t = Alloc();
        if (t < 0) return 0;
        ok = Emit(kGenRcp, TempDest(t), w) && Emit(kGenMul, d, a, Temp(t));
        used &= ~(1u << t);
    } else {
        uint8_t gop = op == '+' ? kGenAdd : op == '-' ? kGenSub : op == '*' ? kGenMul : kGenDp3;
        ok = Emit(gop, d, a, b);
    }
    Release(a);
    Release(b);
    return ok;
}

int ShaderGen::MatrixOp(int rows, const std::string &l, const std::string &m, const GenDest &d) {
    if (pixel) return Fail("Error: matrix products are not available in pixel code");
    GenOperand a, mat;
    if (!Operand(l, 0xF, a) || !Matrix(m, rows, mat)) return 0;
    uint8_t op = rows == 4 ? kGenM4x4 : kGenM3x3;
    int ok;
    if (Aliases(d, a)) {
        // The matrix instructions may not write the register they read.
        int t = Alloc();
        if (t < 0) return 0;
        GenDest md = d;
        if (rows == 3) md.mask &= 0x7;
        ok = Emit(op, TempDest(t, d.mask), a, mat) && Emit(kGenMov, md, Temp(t));
        used &= ~(1u << t);
    } else {
        ok = Emit(op, d, a, mat);
    }
    Release(a);
    return ok;
}

int ShaderGen::Cross(const std::string &l, const std::string &r, const GenDest &d) {
    GenOperand a, b;
    if (!Operand(l, 0xF, a) || !Operand(r, 0xF, b)) return 0;
    int ok;
    if (target == 2) {
        ok = Emit(kGenCross, d, a, b);
    } else {
        // mul then mad into the same register: it must be readable and must
        // not be one of the inputs.
        int t = -1;
        GenDest dd = d;
        if (d.kind != kRegTemp || Aliases(d, a) || Aliases(d, b)) {
            t = Alloc();
            if (t < 0) return 0;
            dd = TempDest(t, d.mask);
        }
        GenOperand acc = Temp(dd.index);
        GenOperand na = Compose(a, 2, 0, 1, 3);
        na.negate = !na.negate;
        ok = Emit(kGenMul, dd, Compose(a, 1, 2, 0, 3), Compose(b, 2, 0, 1, 3)) &&
             Emit(kGenMad, dd, na, Compose(b, 1, 2, 0, 3), acc);
        if (ok && t >= 0) ok = Emit(kGenMov, d, Temp(t));
        if (t >= 0) used &= ~(1u << t);
    }
    Release(a);
    Release(b);
    return ok;
}

int ShaderGen::Floor(GenOperand x, const GenDest &d) {
    if (target == 2) return Emit(kGenFloor, d, x);
    bool scalar = x.Replicated();
    int t = -1;
    GenDest dd = d;
    if ((scalar && d.kind != kRegTemp && BitCount(d.mask) > 1) || Aliases(d, x)) {
        t = Alloc();
        if (t < 0) return 0;
        dd = TempDest(t, d.mask);
    }
    int f = Alloc();
    if (f < 0) return 0;
    GenOperand frac = Temp(f, 1);
    frac.negate = true;
    int ok = 1;
    for (int c = 0; c < 4 && ok; c++) {
        if (!(d.mask & (1 << c))) continue;
        // expp's .y is the fractional part; x minus it is x rounded down.
        GenOperand xc = Replicate(x, c);
        GenDest one = dd;
        one.mask = (uint8_t)(1 << c);
        ok = Emit(kGenExpp, TempDest(f, 2), xc) && Emit(kGenAdd, one, frac, xc);
        if (scalar) {
            uint8_t rest = (uint8_t)(d.mask & ~(1 << c));
            if (rest && ok) {
                GenDest others = dd;
                others.mask = rest;
                GenOperand src = Temp(dd.index, c);
                ok = Emit(kGenMov, others, src);
            }
            break;
        }
    }
    used &= ~(1u << f);
    if (ok && t >= 0) ok = Emit(kGenMov, d, Temp(t));
    if (t >= 0) used &= ~(1u << t);
    return ok;
}

// Sine of x.x into t.x: the angle is brought into [-pi, pi), folded into
// [-pi/2, pi/2] with sin(pi - a) = sin(a), then summed to the x^7 term.
int ShaderGen::SinCore(GenOperand x, int t, bool cosine) {
    GenDest X = TempDest(t, 1), Y = TempDest(t, 2), Z = TempDest(t, 4), W = TempDest(t, 8);
    GenOperand tx = Temp(t, 0), ty = Temp(t, 1), tz = Temp(t, 2), tw = Temp(t, 3);
    return Emit(kGenAdd, X, x, Builtin("trigo_mod", cosine ? 3 : 0)) &&
           Emit(kGenMul, X, tx, Builtin("trigo_mod", 1)) && Emit(kGenExpp, Y, tx) &&
           Emit(kGenMad, X, ty, Builtin("trigo_mod", 2), Builtin("trigo_mod", 0, true)) &&
           // g = a >= pi/2, l = a < -pi/2; a' = a (1 - 2 (g + l)) + pi (g - l)
           Emit(kGenSge, Z, tx, Builtin("trigo_cst", 1)) &&
           Emit(kGenSlt, W, tx, Builtin("trigo_cst", 1, true)) && Emit(kGenAdd, Y, tz, tw) &&
           Emit(kGenSub, Z, tz, tw) && Emit(kGenAdd, Y, ty, ty) &&
           Emit(kGenSub, Y, Builtin("trigo_cst", 2), ty) && Emit(kGenMul, X, tx, ty) &&
           Emit(kGenMad, X, tz, Builtin("trigo_cst", 3), tx) &&
           // x - x^3/6 + x^5/120 - x^7/5040
           Emit(kGenMul, Y, tx, tx) && Emit(kGenMul, Z, tx, ty) && Emit(kGenMul, W, tz, ty) &&
           Emit(kGenMad, X, tz, Builtin("trigo_cst2", 0, true), tx) && Emit(kGenMul, Y, tw, ty) &&
           Emit(kGenMad, X, tw, Builtin("trigo_cst2", 1), tx) &&
           Emit(kGenMad, X, ty, Builtin("trigo_cst2", 2, true), tx);
}

// Arc tangent (or arc sine) of x.x into t.x. The series only converges well
// for small arguments, so the angle is halved three times first with
// tan(a/2) = tan(a) / (1 + sqrt(1 + tan(a)^2)); for the arc sine the first
// halving is sin(a) / (1 + sqrt(1 - sin(a)^2)). The sum is then scaled by 8.
int ShaderGen::AtanCore(GenOperand x, int t, bool arcsine) {
    GenDest X = TempDest(t, 1), Y = TempDest(t, 2), Z = TempDest(t, 4), W = TempDest(t, 8);
    GenOperand tx = Temp(t, 0), ty = Temp(t, 1), tz = Temp(t, 2), tw = Temp(t, 3);
    GenOperand ntx = tx;
    ntx.negate = true;
    GenOperand one = Builtin("trigo_cst", 2);
    if (!Emit(kGenMov, X, x)) return 0;
    for (int i = 0; i < 3; i++) {
        if (!Emit(kGenMad, Y, tx, i == 0 && arcsine ? ntx : tx, one) || !Emit(kGenRsq, Y, ty) ||
            !Emit(kGenRcp, Y, ty) || !Emit(kGenAdd, Y, ty, one) || !Emit(kGenRcp, Y, ty) ||
            !Emit(kGenMul, X, tx, ty))
            return 0;
    }
    // x - x^3/3 + x^5/5 - x^7/7
    return Emit(kGenMul, Y, tx, tx) && Emit(kGenMul, Z, tx, ty) && Emit(kGenMul, W, tz, ty) &&
           Emit(kGenMad, X, tz, Builtin("trigo_cst4", 0), tx) && Emit(kGenMul, Y, tw, ty) &&
           Emit(kGenMad, X, tw, Builtin("trigo_cst4", 1), tx) &&
           Emit(kGenMad, X, ty, Builtin("trigo_cst4", 2), tx) &&
           Emit(kGenMul, X, tx, Builtin("multipliers2", 2));
}

int ShaderGen::Trig(uint8_t op, GenOperand x, const GenDest &d) {
    // These functions are scalar: they read the first component the argument
    // selects and write the result into every component of the destination.
    GenOperand xs = Replicate(x, 0);
    if (target == 2) return Emit(op, d, xs);
    int t = Alloc();
    if (t < 0) return 0;
    int ok = 1;
    switch (op) {
        case kGenSin:
            ok = SinCore(xs, t, false);
            break;
        case kGenCos:
            ok = SinCore(xs, t, true);
            break;
        case kGenTan: {
            int c = Alloc();
            if (c < 0) return 0;
            ok = SinCore(xs, t, false) && SinCore(xs, c, true) &&
                 Emit(kGenRcp, TempDest(c, 1), Temp(c, 0)) &&
                 Emit(kGenMul, TempDest(t, 1), Temp(t, 0), Temp(c, 0));
            used &= ~(1u << c);
            break;
        }
        case kGenAtan:
            ok = AtanCore(xs, t, false);
            break;
        case kGenAsin:
            ok = AtanCore(xs, t, true);
            break;
        case kGenAcos:
            ok = AtanCore(xs, t, true) &&
                 Emit(kGenSub, TempDest(t, 1), Builtin("trigo_cst", 1), Temp(t, 0));
            break;
        default:
            break;
    }
    ok = ok && Emit(kGenMov, d, Temp(t, 0));
    used &= ~(1u << t);
    return ok;
}

int ShaderGen::Call(const std::string &fn, const std::string &argText, const GenDest &d) {
    std::vector<std::string> args = SplitArgs(argText);
    if (pixel) return PixelCall(fn, args, d);
    static const struct {
        const char *name;
        int args;
    } kFunctions[] = {{"rsq", 1},   {"sge", 2},  {"max", 2},  {"min", 2},
                      {"lit", 1},   {"log2", 1}, {"exp2", 1}, {"normalise", 1},
                      {"floor", 1}, {"sin", 1},  {"cos", 1},  {"tan", 1},
                      {"asin", 1},  {"acos", 1}, {"atan", 1}, {"tgt", 3}};
    int count = -1;
    for (const auto &f : kFunctions)
        if (fn == f.name) count = f.args;
    if (count < 0) {
        for (const ShaderMacro &m : sc.macros)
            if (m.name == fn)
                return Fail("Error: macro '" + fn + "' can only be called as a whole statement");
        return Fail("Error: unknown function '" + fn + "'");
    }
    if ((int)args.size() != count) {
        char buf[120];
        snprintf(buf, sizeof buf, "Error: %s takes %d argument(s)", fn.c_str(), count);
        return Fail(buf);
    }
    bool wise = fn == "sge" || fn == "max" || fn == "min";
    GenOperand a[3];
    for (int i = 0; i < count; i++) {
        if (!Operand(args[i], wise ? d.mask : 0xF, a[i])) return 0;
    }
    int ok = 1;
    if (wise) {
        ok = Emit(fn == "sge" ? kGenSge : fn == "max" ? kGenMax : kGenMin, d, a[0], a[1]);
    } else if (fn == "rsq" || fn == "log2" || fn == "exp2") {
        // Scalar instructions read the .w of their operand (or what its
        // swizzle puts there).
        uint8_t op = fn == "rsq" ? kGenRsq : fn == "log2" ? kGenLog : kGenExp;
        ok = Emit(op, d, Replicate(a[0], 3));
    } else if (fn == "lit") {
        if (target == 2) return Fail("Error: lit is not available in the software target");
        ok = Emit(kGenLit, d, a[0]);
    } else if (fn == "normalise") {
        int t = Alloc();
        if (t < 0) return 0;
        ok = Emit(kGenDp3, TempDest(t), a[0], a[0]) && Emit(kGenRsq, TempDest(t), Temp(t, 3)) &&
             Emit(kGenMul, d, a[0], Temp(t));
        used &= ~(1u << t);
    } else if (fn == "floor") {
        ok = Floor(a[0], d);
    } else if (fn == "tgt") {
        // tgt(a, n, b) = b - dot3(a, n) n
        if (target == 2) {
            ok = Emit(kGenTgt, d, a[0], a[1], a[2]);
        } else {
            int t = Alloc();
            if (t < 0) return 0;
            GenOperand nt = Temp(t);
            nt.negate = true;
            ok = Emit(kGenDp3, TempDest(t), a[0], a[1]) && Emit(kGenMad, d, nt, a[1], a[2]);
            used &= ~(1u << t);
        }
    } else {
        uint8_t op = fn == "sin"    ? kGenSin
                     : fn == "cos"  ? kGenCos
                     : fn == "tan"  ? kGenTan
                     : fn == "asin" ? kGenAsin
                     : fn == "acos" ? kGenAcos
                                    : kGenAtan;
        ok = Trig(op, a[0], d);
    }
    for (int i = 0; i < count; i++) Release(a[i]);
    return ok;
}

int ShaderGen::Sample(const std::string &arg, const GenDest &d) {
    GenOperand src;
    int r = Simple(arg, src);
    if (r < 0) return 0;
    if (r == 0 || (src.kind != kRegTexCoord && src.kind != kRegTemp) || src.negate)
        return Fail("Error: sample() reads TexN or a temporary, not '" + arg.substr(0, 40) + "'");
    // texld samples the stage numbered by its destination register, so
    // sample(TexN) reads through rN; a dependent read sample(t) uses the
    // destination's register.
    bool whole = d.kind == kRegTemp && d.mask == 0xF;
    int stage = src.kind == kRegTexCoord ? src.index : whole ? d.index : -1;
    if (whole && d.index == stage) return Emit(kGenTexld, d, src);
    bool taken = false;
    if (stage < 0) {
        stage = Alloc();
        if (stage < 0) return 0;
        taken = true;
    } else if (!(used & (1u << stage))) {
        used |= 1u << stage;
        if (stage + 1 > maxUsed) maxUsed = stage + 1;
        taken = true;
    } else if (!(stage == 0 && !outWritten)) {
        // r0 may be borrowed until Out is written; any other holder blocks.
        char buf[160];
        snprintf(buf, sizeof buf,
                 "Error: sample(Tex%d) needs r%d, which holds a value here; sample it earlier",
                 stage, stage);
        return Fail(buf);
    }
    int ok = Emit(kGenTexld, TempDest(stage), src) && Emit(kGenMov, d, Temp(stage));
    if (taken) used &= ~(1u << stage);
    return ok;
}

int ShaderGen::PixelCall(const std::string &fn, const std::vector<std::string> &args,
                         const GenDest &d) {
    if (fn == "sample" || fn == "coord") {
        if (args.size() != 1) return Fail("Error: " + fn + " takes 1 argument");
        if (fn == "sample") return Sample(args[0], d);
        GenOperand src;
        int r = Simple(args[0], src);
        if (r < 0) return 0;
        if (r == 0 || src.kind != kRegTexCoord)
            return Fail("Error: coord() reads TexN, not '" + args[0].substr(0, 40) + "'");
        return Emit(kGenTexcrd, d, src);
    }
    static const struct {
        const char *name;
        uint8_t op;
        int args;
        const char *suffix;
        const char *mod;
    } kFunctions[] = {
        {"mul", kGenMul, 2, "", ""},         {"mul_x2", kGenMul, 2, "_x2", ""},
        {"mul_sat", kGenMul, 2, "_sat", ""}, {"dot", kGenDp3, 2, "", ""},
        {"dot_sat", kGenDp3, 2, "_sat", ""}, {"dotbx2", kGenDp3, 2, "", "_bx2"},
        {"lerp", kGenLrp, 3, "", ""},        {"lerp_sat", kGenLrp, 3, "_sat", ""},
    };
    for (const auto &f : kFunctions) {
        if (fn != f.name) continue;
        if ((int)args.size() != f.args) {
            char buf[120];
            snprintf(buf, sizeof buf, "Error: %s takes %d argument(s)", f.name, f.args);
            return Fail(buf);
        }
        GenOperand a[3];
        for (int i = 0; i < f.args; i++) {
            if (!Operand(args[i], f.op == kGenMul || f.op == kGenLrp ? d.mask : 0xF, a[i]))
                return 0;
            a[i].mod = f.mod;
        }
        int ok = Emit(f.op, d, a, f.args, f.suffix);
        for (int i = 0; i < f.args; i++) Release(a[i]);
        return ok;
    }
    return Fail("Error: unknown pixel function '" + fn + "'");
}
