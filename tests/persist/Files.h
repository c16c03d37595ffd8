#pragma once
// Small file helpers shared by the persistence tests.
#include <cstdio>
#include <string>

#include "persist/WideString.h"

namespace testfiles {

inline void WriteBytes(const std::string &path, const std::string &bytes) {
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) return;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

inline std::string ReadBytes(const std::string &path) {
    std::string s;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return "<missing>";
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    fclose(f);
    return s;
}

// UTF-16 LE bytes of a UTF-8 text, without mark.
inline std::string Utf16Bytes(const std::string &utf8) {
    persist::WideString w = persist::WideString::FromUtf8(utf8);
    std::string out;
    for (uint32_t i = 0; i < w.Length(); i++) {
        out += char(w.CStr()[i] & 0xFF);
        out += char(w.CStr()[i] >> 8);
    }
    return out;
}

// A UTF-16 line file (mark, CR LF after each line) from UTF-8 lines.
inline std::string Utf16Lines(std::initializer_list<std::string> lines) {
    std::string out = "\xFF\xFE";
    for (const std::string &l : lines) out += Utf16Bytes(l) + Utf16Bytes("\r\n");
    return out;
}

inline const uint16_t *U(const char16_t *s) {
    return reinterpret_cast<const uint16_t *>(s);
}

inline std::string Narrow(const persist::WideString &w) {
    return w.ToUtf8();
}

}  // namespace testfiles
