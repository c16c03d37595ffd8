#include "shaderc/ShaderText.h"

#include <cstring>

#include "shaderc/ShaderCompiler.h"

namespace {

bool IsNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool IsNameChar(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9');
}

// Calls f(start, length) for every identifier of text that is not a swizzle.
template <typename F>
void ForEachName(const std::string &text, F f) {
    size_t i = 0;
    while (i < text.size()) {
        if (!IsNameChar(text[i])) {
            i++;
            continue;
        }
        size_t start = i;
        while (i < text.size() && IsNameChar(text[i])) i++;
        bool swizzle = start > 0 && text[start - 1] == '.';
        // "*4WORLD": the digit belongs to the operator, the rest is the name.
        size_t s = start;
        if (!swizzle && text[s] >= '0' && text[s] <= '9' && s > 0 && text[s - 1] == '*') s++;
        if (!swizzle && s < i && IsNameStart(text[s])) f(s, i - s);
    }
}

}  // namespace

bool ShaderIsName(const std::string &s) {
    if (s.empty() || s.size() > kShaderMaxName || !IsNameStart(s[0])) return false;
    for (char c : s)
        if (!IsNameChar(c)) return false;
    return true;
}

bool ShaderIsReservedName(const std::string &s) {
    static const char *const kNames[] = {
        "iPos",      "iWeights",  "iWIndices", "iNorm",     "iDiffuse",  "iSpecular",
        "iTexture0", "iTexture1", "iTexture2", "oPos",      "oDiffuse",  "oSpecular",
        "oTexture0", "oTexture1", "oTexture2", "oTexture3", "oTexture4", "Diffuse",
        "Specular",  "Tex0",      "Tex1",      "Tex2",      "Tex3",      "Tex4",
        "Out",       "Address",   "ifelse",    "phase",     "if",        "else"};
    for (const char *n : kNames)
        if (s == n) return true;
    return false;
}

size_t ShaderMatching(const std::string &s, size_t open) {
    char o = s[open];
    char c = o == '(' ? ')' : o == '[' ? ']' : '}';
    int depth = 0;
    for (size_t i = open; i < s.size(); i++) {
        if (s[i] == o) depth++;
        if (s[i] == c && --depth == 0) return i;
    }
    return std::string::npos;
}

int ShaderSplitBlock(const std::string &body, std::vector<std::string> &out, std::string &err) {
    std::string cur;
    int depth = 0;
    for (size_t i = 0; i < body.size(); i++) {
        char ch = body[i];
        if (ch == ';' && depth == 0) {
            if (!cur.empty()) out.push_back(cur);
            cur.clear();
            continue;
        }
        cur += ch;
        if (ch == '{') depth++;
        if (ch == '}') {
            if (--depth < 0) {
                err = "Error: unbalanced '}' in '" + body.substr(0, 60) + "'";
                return 0;
            }
            if (depth == 0 && body.compare(i + 1, 4, "else") != 0) {
                out.push_back(cur);
                cur.clear();
            }
        }
    }
    if (depth != 0) {
        err = "Error: unbalanced '{' in '" + body.substr(0, 60) + "'";
        return 0;
    }
    if (!cur.empty()) {
        err = "Error: missing ';' after '" + cur.substr(0, 60) + "'";
        return 0;
    }
    return 1;
}

std::string ShaderSubstituteAll(const std::string &text, const std::vector<std::string> &names,
                                const std::vector<std::string> &withs) {
    std::string out;
    size_t last = 0;
    ForEachName(text, [&](size_t start, size_t len) {
        for (size_t i = 0; i < names.size() && i < withs.size(); i++) {
            if (len != names[i].size() || text.compare(start, len, names[i]) != 0) continue;
            out.append(text, last, start - last);
            out += withs[i];
            last = start + len;
            return;
        }
    });
    out.append(text, last, std::string::npos);
    return out;
}

std::string ShaderSubstitute(const std::string &text, const std::string &name,
                             const std::string &with) {
    return ShaderSubstituteAll(text, {name}, {with});
}

bool ShaderMentions(const std::string &text, const std::string &name) {
    bool found = false;
    ForEachName(text, [&](size_t start, size_t len) {
        if (len == name.size() && text.compare(start, len, name) == 0) found = true;
    });
    return found;
}
