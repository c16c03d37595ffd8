#include "fx/ShaderAsm.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "shaderc/Swizzle.h"

namespace {

struct OpInfo {
    const char *name;
    uint8_t op;
    int sources;
    bool vertex, pixel;
};

const OpInfo kOps[] = {
    {"nop", kAsmNop, 0, true, true},        {"mov", kAsmMov, 1, true, true},
    {"add", kAsmAdd, 2, true, true},        {"sub", kAsmSub, 2, true, true},
    {"mul", kAsmMul, 2, true, true},        {"mad", kAsmMad, 3, true, true},
    {"dp3", kAsmDp3, 2, true, true},        {"dp4", kAsmDp4, 2, true, true},
    {"rcp", kAsmRcp, 1, true, false},       {"rsq", kAsmRsq, 1, true, false},
    {"sge", kAsmSge, 2, true, false},       {"slt", kAsmSlt, 2, true, false},
    {"min", kAsmMin, 2, true, false},       {"max", kAsmMax, 2, true, false},
    {"exp", kAsmExp, 1, true, false},       {"log", kAsmLog, 1, true, false},
    {"expp", kAsmExpp, 1, true, false},     {"logp", kAsmLogp, 1, true, false},
    {"lit", kAsmLit, 1, true, false},       {"dst", kAsmDst, 2, true, false},
    {"frc", kAsmFrc, 1, true, false},       {"m4x4", kAsmM4x4, 2, true, false},
    {"m4x3", kAsmM4x3, 2, true, false},     {"m3x4", kAsmM3x4, 2, true, false},
    {"m3x3", kAsmM3x3, 2, true, false},     {"m3x2", kAsmM3x2, 2, true, false},
    {"lrp", kAsmLrp, 3, false, true},       {"cnd", kAsmCnd, 3, false, true},
    {"cmp", kAsmCmp, 3, false, true},       {"texld", kAsmTexld, 1, false, true},
    {"texcrd", kAsmTexcrd, 1, false, true}, {"phase", kAsmPhase, 0, false, true},
};

const OpInfo *FindOp(uint8_t op) {
    for (const OpInfo &o : kOps)
        if (o.op == op) return &o;
    return nullptr;
}

struct LineParser {
    const AsmProgram &prog;
    std::string err;

    bool Fail(const std::string &m) {
        if (err.empty()) err = m;
        return false;
    }

    // Reads a number made of digits only.
    static bool Number(const std::string &s, int &out) {
        if (s.empty() || s.size() > 5) return false;
        for (char c : s)
            if (c < '0' || c > '9') return false;
        out = atoi(s.c_str());
        return true;
    }

    int Limit(uint8_t file) const {
        if (prog.pixel) {
            switch (file) {
                case kAsmTemp:
                    return 6;
                case kAsmInput:
                    return 2;
                case kAsmConst:
                    return 8;
                case kAsmTexture:
                    return 6;
                default:
                    return 0;
            }
        }
        switch (file) {
            case kAsmTemp:
                return 12;
            case kAsmInput:
                return 16;
            case kAsmConst:
                return 96;
            case kAsmOColor:
                return 2;
            case kAsmOTexture:
                return 8;
            case kAsmAddress:
                return 1;
            default:
                return 1;
        }
    }

    // "r3", "c[a0.x+4]", "oPos", ... Sets file/index/relative.
    bool Register(const std::string &s, uint8_t &file, int &index, bool &relative) {
        relative = false;
        index = 0;
        if (s == "oPos" && !prog.pixel) return file = kAsmOPos, true;
        if (s == "oFog" && !prog.pixel) return file = kAsmOFog, true;
        if (s == "oPts" && !prog.pixel) return file = kAsmOPts, true;
        if (s == "a0" && !prog.pixel) return file = kAsmAddress, true;
        std::string num;
        if (s.size() > 2 && s[0] == 'o' && (s[1] == 'D' || s[1] == 'T') && !prog.pixel) {
            file = s[1] == 'D' ? kAsmOColor : kAsmOTexture;
            num = s.substr(2);
        } else if (s.size() > 2 && s[0] == 'c' && s[1] == '[' && s.back() == ']' && !prog.pixel) {
            // c[a0.x+n], c[n+a0.x] or c[a0.x]
            file = kAsmConst;
            relative = true;
            std::string in = s.substr(2, s.size() - 3);
            size_t a = in.find("a0.x");
            if (a == std::string::npos) {
                // c[n] is plain c#.
                relative = false;
                if (!Number(in, index)) return Fail("bad relative address '" + s + "'");
                if (index >= Limit(kAsmConst)) return Fail("register out of range '" + s + "'");
                return true;
            }
            std::string rest = in.substr(0, a) + in.substr(a + 4);
            if (rest.empty()) return true;
            if (rest.front() == '+')
                rest = rest.substr(1);
            else if (rest.back() == '+')
                rest.pop_back();
            if (!Number(rest, index)) return Fail("bad relative address '" + s + "'");
            if (index >= Limit(kAsmConst)) return Fail("register out of range '" + s + "'");
            return true;
        } else if (s.size() > 1) {
            switch (s[0]) {
                case 'r':
                    file = kAsmTemp;
                    break;
                case 'v':
                    file = kAsmInput;
                    break;
                case 'c':
                    file = kAsmConst;
                    break;
                case 't':
                    file = prog.pixel ? kAsmTexture : kAsmNone;
                    break;
                default:
                    file = kAsmNone;
            }
            num = s.substr(1);
        }
        if (file == kAsmNone || !Number(num, index)) return Fail("unknown register '" + s + "'");
        if (index >= Limit(file)) return Fail("register out of range '" + s + "'");
        return true;
    }

    bool Dest(std::string s, AsmDest &d) {
        d.mask = 0xF;
        size_t dot = s.find('.');
        if (dot != std::string::npos) {
            std::string m = s.substr(dot + 1);
            s = s.substr(0, dot);
            d.mask = 0;
            int last = -1;
            if (m.empty() || m.size() > 4) return Fail("bad write mask '." + m + "'");
            for (char c : m) {
                int k = SwizzleComponent(c);
                if (k <= last) return Fail("bad write mask '." + m + "'");
                d.mask |= (uint8_t)(1 << k);
                last = k;
            }
        }
        bool relative;
        if (!Register(s, d.file, d.index, relative)) return false;
        if (relative) return Fail("a destination cannot be addressed relatively");
        if (d.file == kAsmInput || d.file == kAsmConst || d.file == kAsmTexture)
            return Fail("register '" + s + "' cannot be written");
        if (d.file == kAsmAddress && d.mask != 1) return Fail("a0 is written as a0.x");
        return true;
    }

    bool Modifier(const std::string &m, AsmSource &o) {
        static const struct {
            const char *name;
            uint8_t mod;
        } kMods[] = {{"_bias", kAsmModBias}, {"_bx2", kAsmModBx2}, {"_x2", kAsmModX2},
                     {"_dz", kAsmModDz},     {"_db", kAsmModDz},   {"_dw", kAsmModDw},
                     {"_da", kAsmModDw}};
        for (const auto &k : kMods)
            if (m == k.name && prog.pixel) return o.mod = k.mod, true;
        return Fail("unknown source modifier '" + m + "'");
    }

    bool Source(std::string s, AsmSource &o) {
        o = AsmSource();
        if (s.compare(0, 2, "1-") == 0 && prog.pixel) {
            o.mod = kAsmModComp;
            s = s.substr(2);
        } else if (!s.empty() && s[0] == '-') {
            o.negate = true;
            s = s.substr(1);
        }
        if (s.empty()) return Fail("missing operand");
        // Register, then a modifier and a swizzle in either order.
        size_t end = 0;
        if (s.size() > 1 && s[0] == 'c' && s[1] == '[') {
            end = s.find(']');
            if (end == std::string::npos) return Fail("bad operand '" + s + "'");
            end++;
        } else {
            while (end < s.size() && s[end] != '.' && s[end] != '_') end++;
        }
        std::string reg = s.substr(0, end), rest = s.substr(end);
        if (!Register(reg, o.file, o.index, o.relative)) return false;
        if (o.file == kAsmAddress || o.file >= kAsmOPos)
            return Fail("register '" + reg + "' cannot be read");
        while (!rest.empty()) {
            size_t next = rest.find_first_of("._", 1);
            std::string part = rest.substr(0, next);
            rest = next == std::string::npos ? "" : rest.substr(next);
            if (part[0] == '_') {
                if (o.mod != kAsmModNone) return Fail("two source modifiers on '" + s + "'");
                if (!Modifier(part, o)) return false;
                continue;
            }
            std::string sw = part.substr(1);
            if (sw.empty() || sw.size() > 4) return Fail("bad swizzle '" + part + "'");
            for (size_t k = 0; k < 4; k++) {
                int c = SwizzleComponent(sw[k < sw.size() ? k : sw.size() - 1]);
                if (c < 0) return Fail("bad swizzle '" + part + "'");
                o.swizzle[k] = (uint8_t)c;
            }
        }
        return true;
    }

    bool Suffixes(const std::string &s, AsmInstr &in) {
        size_t p = 0;
        while (p < s.size()) {
            size_t next = s.find('_', p + 1);
            std::string m = s.substr(p, next == std::string::npos ? std::string::npos : next - p);
            static const struct {
                const char *name;
                int shift;
            } kShifts[] = {{"_x2", 1},  {"_x4", 2},  {"_x8", 3},
                           {"_d2", -1}, {"_d4", -2}, {"_d8", -3}};
            bool known = false;
            if (m == "_sat") in.saturate = known = true;
            for (const auto &k : kShifts)
                if (m == k.name && prog.pixel) in.shift = (int8_t)k.shift, known = true;
            if (!known) return Fail("unknown instruction modifier '" + m + "'");
            p = next == std::string::npos ? s.size() : next;
        }
        return true;
    }
};

std::string Trim(const std::string &s) {
    size_t a = 0, b = s.size();
    while (a < b && isspace((unsigned char)s[a])) a++;
    while (b > a && isspace((unsigned char)s[b - 1])) b--;
    return s.substr(a, b - a);
}

std::string NoBlanks(const std::string &s) {
    std::string out;
    for (char c : s)
        if (!isspace((unsigned char)c)) out += c;
    return out;
}

std::vector<std::string> SplitCommas(const std::string &s) {
    std::vector<std::string> out;
    size_t p = 0;
    for (;;) {
        size_t c = s.find(',', p);
        out.push_back(NoBlanks(s.substr(p, c == std::string::npos ? std::string::npos : c - p)));
        if (c == std::string::npos) break;
        p = c + 1;
    }
    return out;
}

}  // namespace

int AsmSourceCount(uint8_t op) {
    const OpInfo *o = FindOp(op);
    return o ? o->sources : 0;
}

const char *AsmOpName(uint8_t op) {
    const OpInfo *o = FindOp(op);
    return o ? o->name : "?";
}

int AsmParse(const std::string &text, AsmProgram &out, std::string &error) {
    return AsmParse(text.data(), text.size(), out, error);
}

int AsmParse(const char *text, size_t length, AsmProgram &out, std::string &error) {
    out = AsmProgram();
    error.clear();
    bool haveVersion = false;
    size_t pos = 0;
    int lineNo = 0;
    while (pos < length) {
        size_t eol = pos;
        while (eol < length && text[eol] != '\n') eol++;
        std::string line(text + pos, eol - pos);
        pos = eol + 1;
        lineNo++;
        size_t cut = line.find("//");
        if (cut != std::string::npos) line.resize(cut);
        cut = line.find(';');
        if (cut != std::string::npos) line.resize(cut);
        if (line.find('\0') != std::string::npos) line.resize(line.find('\0'));
        line = Trim(line);
        if (line.empty()) continue;
        char where[32];
        snprintf(where, sizeof where, "line %d: ", lineNo);
        if (!haveVersion) {
            std::string v = NoBlanks(line);
            for (char &c : v) c = (char)tolower((unsigned char)c);
            if (v == "vs.1.0" || v == "vs_1_0")
                out.major = 1, out.minor = 0;
            else if (v == "vs.1.1" || v == "vs_1_1")
                out.major = 1, out.minor = 1;
            else if (v == "ps.1.4" || v == "ps_1_4")
                out.major = 1, out.minor = 4, out.pixel = true;
            else
                return error = std::string(where) + "expected vs.1.1 or ps.1.4, not '" +
                               line.substr(0, 40) + "'",
                       0;
            haveVersion = true;
            continue;
        }
        if (out.code.size() >= kAsmMaxInstructions)
            return error = std::string(where) + "too many instructions", 0;
        LineParser lp{out, ""};
        AsmInstr in;
        in.line = lineNo;
        if (line[0] == '+') {
            in.coissue = true;
            line = Trim(line.substr(1));
        }
        size_t sp = 0;
        while (sp < line.size() && !isspace((unsigned char)line[sp])) sp++;
        std::string opText = line.substr(0, sp), operands = Trim(line.substr(sp));
        for (char &ch : opText) ch = (char)tolower((unsigned char)ch);  // MOV is mov
        std::string base = opText.substr(0, opText.find('_'));
        std::string suffix = base.size() < opText.size() ? opText.substr(base.size()) : "";
        if (base == "def") {
            if (!out.pixel) return error = std::string(where) + "def is only for pixel shaders", 0;
            std::vector<std::string> parts = SplitCommas(operands);
            AsmDef d;
            uint8_t file;
            bool rel;
            if (parts.size() != 5 || !lp.Register(parts[0], file, d.reg, rel) || file != kAsmConst)
                return error = std::string(where) + "def needs a constant and four numbers", 0;
            for (int i = 0; i < 4; i++) {
                char *end = nullptr;
                d.value[i] = strtof(parts[i + 1].c_str(), &end);
                if (parts[i + 1].empty() || *end != 0)
                    return error = std::string(where) + "bad number '" + parts[i + 1] + "'", 0;
            }
            out.defs.push_back(d);
            continue;
        }
        const OpInfo *info = nullptr;
        for (const OpInfo &o : kOps)
            if (base == o.name) info = &o;
        if (!info || (out.pixel ? !info->pixel : !info->vertex))
            return error =
                       std::string(where) + "unknown instruction '" + opText.substr(0, 40) + "'",
                   0;
        in.op = info->op;
        if (!lp.Suffixes(suffix, in)) return error = where + lp.err, 0;
        if (in.op == kAsmPhase || in.op == kAsmNop) {
            if (!operands.empty())
                return error = std::string(where) + opText + " takes no operands", 0;
            if (in.op == kAsmPhase) {
                if (out.phaseAt >= 0) return error = std::string(where) + "a second phase", 0;
                out.phaseAt = (int)out.code.size();
            }
            out.code.push_back(in);
            continue;
        }
        std::vector<std::string> parts = SplitCommas(operands);
        if ((int)parts.size() != info->sources + 1) {
            char buf[96];
            snprintf(buf, sizeof buf, "%s takes %d operands", info->name, info->sources + 1);
            return error = where + std::string(buf), 0;
        }
        if (!lp.Dest(parts[0], in.dest)) return error = where + lp.err, 0;
        if (in.dest.file == kAsmAddress && in.op != kAsmMov)
            return error = std::string(where) + "a0 is loaded with mov", 0;
        in.sources = info->sources;
        for (int i = 0; i < info->sources; i++)
            if (!lp.Source(parts[i + 1], in.src[i])) return error = where + lp.err, 0;
        if ((in.op == kAsmTexld || in.op == kAsmTexcrd) &&
            (in.src[0].file != kAsmTexture && in.src[0].file != kAsmTemp))
            return error = std::string(where) + "texture instructions read t# or r#", 0;
        if (in.op == kAsmTexld && in.dest.file != kAsmTemp)
            return error = std::string(where) + "texld writes r#", 0;
        bool matrix = in.op >= kAsmM4x4 && in.op <= kAsmM3x2;
        if (matrix && in.src[1].file != kAsmConst)
            return error = std::string(where) + "the matrix of " + info->name +
                           " is a constant register",
                   0;
        out.code.push_back(in);
    }
    if (!haveVersion) return error = "no version line (vs.1.1 or ps.1.4)", 0;
    return 1;
}

std::string AsmFormat(const AsmInstr &in, bool pixel) {
    static const char *const kFiles[] = {"?",    "r",    "v",    "c",  "a", "t",
                                         "oPos", "oFog", "oPts", "oD", "oT"};
    const char *letters = pixel ? "rgba" : "xyzw";
    std::string s = AsmOpName(in.op);
    static const char *const kShift[] = {"_d8", "_d4", "_d2", "", "_x2", "_x4", "_x8"};
    if (in.shift >= -3 && in.shift <= 3) s += kShift[in.shift + 3];
    if (in.saturate) s += "_sat";
    if (in.coissue) s = "+" + s;
    if (in.op == kAsmPhase || in.op == kAsmNop) return s;
    auto reg = [&](uint8_t file, int index) {
        std::string r = file < sizeof kFiles / sizeof kFiles[0] ? kFiles[file] : "?";
        if (file == kAsmAddress) return std::string("a0");
        if (file < kAsmOPos || file > kAsmOPts) r += std::to_string(index);
        return r;
    };
    s += " " + reg(in.dest.file, in.dest.index);
    if (in.dest.mask != 0xF) {
        s += '.';
        for (int k = 0; k < 4; k++)
            if (in.dest.mask & (1 << k)) s += letters[k];
    }
    static const char *const kMods[] = {"", "_bias", "_bx2", "_x2", "", "_dz", "_dw"};
    for (int i = 0; i < in.sources; i++) {
        const AsmSource &o = in.src[i];
        s += ",";
        if (o.negate) s += "-";
        if (o.mod == kAsmModComp) s += "1-";
        if (o.relative)
            s += "c[a0.x+" + std::to_string(o.index) + "]";
        else
            s += reg(o.file, o.index);
        if (o.mod < sizeof kMods / sizeof kMods[0]) s += kMods[o.mod];
        if (o.swizzle[0] != 0 || o.swizzle[1] != 1 || o.swizzle[2] != 2 || o.swizzle[3] != 3) {
            s += '.';
            for (int k = 0; k < 4; k++) s += letters[o.swizzle[k]];
        }
    }
    return s;
}
