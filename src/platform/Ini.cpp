#include "platform/Ini.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "platform/SafeFile.h"

namespace platform {

namespace {

// A CR is blank too: lines keep the CR of a CR LF end, so that a rewrite
// gives back every untouched line byte for byte.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string Trim(const std::string &s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) b++;
    while (e > b && IsBlank(s[e - 1])) e--;
    return s.substr(b, e - b);
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool SameName(const std::string &a, const char *b) {
    size_t n = strlen(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; i++)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

// A line's role: a section header (name in *name), a key (name and value),
// or anything else (blank, comment, malformed), which is kept but not read.
enum LineKind { LineOther, LineSection, LineKey };

LineKind Classify(const std::string &line, std::string *name, std::string *value) {
    std::string t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') return LineOther;
    if (t[0] == '[') {
        size_t close = t.find(']');
        if (close == std::string::npos) return LineOther;
        *name = Trim(t.substr(1, close - 1));
        return LineSection;
    }
    size_t eq = t.find('=');
    if (eq == std::string::npos) return LineOther;
    *name = Trim(t.substr(0, eq));
    if (name->empty()) return LineOther;
    std::string v = Trim(t.substr(eq + 1));
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    *value = v;
    return LineKey;
}

bool HasLineBreak(const char *s) {
    return strchr(s, '\n') || strchr(s, '\r');
}

bool ValidSection(const char *s) {
    if (!s || !*s || HasLineBreak(s) || strchr(s, ']')) return false;
    return Trim(s) == s;
}

bool ValidKey(const char *s) {
    if (!s || !*s || HasLineBreak(s) || strchr(s, '=')) return false;
    if (s[0] == '[' || s[0] == ';' || s[0] == '#') return false;
    return Trim(s) == s;
}

}  // namespace

void IniText::Parse(const std::string &text) {
    lines_.clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t nl = text.find('\n', start);
        size_t end = nl == std::string::npos ? text.size() : nl;
        lines_.push_back(text.substr(start, end - start));
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    crlf_ = !lines_.empty() && !lines_[0].empty() && lines_[0].back() == '\r';
    finalNewline_ = text.empty() || text.back() == '\n';
}

std::string IniText::Text() const {
    std::string out;
    for (size_t i = 0; i < lines_.size(); i++) {
        out += lines_[i];
        if (i + 1 < lines_.size() || finalNewline_) out += '\n';
    }
    return out;
}

bool IniText::Find(const char *section, const char *key, std::string *value) const {
    if (!section || !key) return false;
    bool inSection = false;
    std::string name, v;
    for (const std::string &line : lines_) {
        switch (Classify(line, &name, &v)) {
            case LineSection:
                inSection = SameName(name, section);
                break;
            case LineKey:
                if (inSection && SameName(name, key)) {
                    if (value) *value = v;
                    return true;
                }
                break;
            default:
                break;
        }
    }
    return false;
}

bool IniText::Set(const char *section, const char *key, const char *value) {
    if (!ValidSection(section) || !ValidKey(key) || !value || HasLineBreak(value)) return false;
    bool inSection = false;
    bool inFirst = false;  // inside the first section of that name
    bool sawSection = false;
    size_t insertAfter = 0;  // last non-blank line of the first such section
    std::string name, v;
    for (size_t i = 0; i < lines_.size(); i++) {
        LineKind kind = Classify(lines_[i], &name, &v);
        if (kind == LineSection) {
            inSection = SameName(name, section);
            inFirst = inSection && !sawSection;
            if (inFirst) {
                sawSection = true;
                insertAfter = i;
            }
            continue;
        }
        if (!inSection) continue;
        if (kind == LineKey && SameName(name, key)) {
            // Keep the key as the file spells it; only the value changes.
            std::string &line = lines_[i];
            bool cr = line.back() == '\r';
            line = line.substr(0, line.find('=')) + "=" + value + (cr ? "\r" : "");
            finalNewline_ = true;
            return true;
        }
        if (inFirst && !Trim(lines_[i]).empty()) insertAfter = i;
    }
    // New lines end as the file's first line does.
    const std::string eol = crlf_ ? "\r" : "";
    std::string entry = std::string(key) + "=" + value + eol;
    if (sawSection) {
        lines_.insert(lines_.begin() + long(insertAfter) + 1, entry);
    } else {
        if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.push_back(eol);
        lines_.push_back(std::string("[") + section + "]" + eol);
        lines_.push_back(entry);
    }
    finalNewline_ = true;
    return true;
}

bool ReadWholeFile(const char *path, std::string *contents) {
    std::string data;
    if (ReadRegularFile(path, kIniMaxFileSize, &data) != FileOk) return false;
    *contents = std::move(data);
    return true;
}

std::string IniGetString(const char *section, const char *key, const char *def, const char *path) {
    std::string text, value;
    if (ReadWholeFile(path, &text) && IniText(text).Find(section, key, &value)) return value;
    return def ? def : "";
}

size_t IniGetString(const char *section, const char *key, const char *def, char *out, size_t size,
                    const char *path) {
    if (!out || size == 0) return 0;
    std::string v = IniGetString(section, key, def, path);
    size_t n = v.size() < size - 1 ? v.size() : size - 1;
    memcpy(out, v.data(), n);
    out[n] = 0;
    return n;
}

int IniParseInt(const std::string &value) {
    size_t i = 0;
    while (i < value.size() && IsBlank(value[i])) i++;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) negative = value[i++] == '-';
    long long n = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; i++) {
        n = n * 10 + (value[i] - '0');
        if (n > (long long)INT_MAX + 1) n = (long long)INT_MAX + 1;  // held at the limit
    }
    if (negative) n = -n;
    if (n > INT_MAX) n = INT_MAX;
    if (n < INT_MIN) n = INT_MIN;
    return int(n);
}

int IniGetInt(const char *section, const char *key, int def, const char *path) {
    std::string text, value;
    if (!ReadWholeFile(path, &text) || !IniText(text).Find(section, key, &value)) return def;
    if (value.empty()) return def;
    return IniParseInt(value);
}

bool WriteFileAtomically(const char *path, const std::string &contents) {
    return ReplaceFileAtomically(path, contents.data(), contents.size());
}

bool IniWriteStrings(const char *section,
                     const std::vector<std::pair<std::string, std::string>> &values,
                     const char *path) {
    if (!path || !*path) return false;
    std::string text;
    // An existing file that cannot be read is left alone rather than replaced
    // by one holding only the new keys.
    // So is a FIFO or device under the name, and a file too large to be ours.
    FileStatus status = ReadRegularFile(path, kIniMaxFileSize, &text);
    if (status == FileMissing)
        text.clear();
    else if (status != FileOk)
        return false;
    IniText ini(text);
    for (const auto &kv : values)
        if (!ini.Set(section, kv.first.c_str(), kv.second.c_str())) return false;
    return WriteFileAtomically(path, ini.Text());
}

bool IniWriteString(const char *section, const char *key, const char *value, const char *path) {
    if (!key || !value) return false;
    return IniWriteStrings(section, {{key, value}}, path);
}

}  // namespace platform
