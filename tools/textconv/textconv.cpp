// Converts a UTF-8 text source into the game's UTF-16 line file (mark FF FE,
// CR LF after every line).
//
//   textconv [--lines N] SOURCE OUTPUT
//
// The game cuts every line at its first control character, so a tab or other
// control in the source would silently lose text: such sources are refused,
// as are invalid UTF-8 and lines too long to be read back in one piece.
// With --lines the source must hold exactly N lines.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "persist/Utf16File.h"
#include "persist/WideString.h"
#include "platform/Ini.h"

namespace {

int Fail(const char *source, int line, const char *what) {
    if (line > 0)
        fprintf(stderr, "%s:%d: %s\n", source, line, what);
    else
        fprintf(stderr, "%s: %s\n", source, what);
    return 1;
}

// Splits on LF; a CR before the LF is part of the line end. A final line end
// does not start another line.
std::vector<std::string> SplitLines(const std::string &text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t nl = text.find('\n', start);
        size_t end = nl == std::string::npos ? text.size() : nl;
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    return lines;
}

}  // namespace

int main(int argc, char **argv) {
    long expected = -1;
    int arg = 1;
    if (arg + 1 < argc && strcmp(argv[arg], "--lines") == 0) {
        expected = strtol(argv[arg + 1], nullptr, 10);
        arg += 2;
    }
    if (argc - arg != 2) {
        fprintf(stderr, "usage: textconv [--lines N] SOURCE OUTPUT\n");
        return 2;
    }
    const char *source = argv[arg], *output = argv[arg + 1];

    std::string text;
    if (!platform::ReadWholeFile(source, &text)) return Fail(source, 0, "cannot read");
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    std::vector<std::string> lines = SplitLines(text);
    if (expected >= 0 && long(lines.size()) != expected) {
        char what[96];
        snprintf(what, sizeof what, "holds %zu lines, %ld expected", lines.size(), expected);
        return Fail(source, 0, what);
    }

    std::vector<persist::WideString> converted;
    for (size_t i = 0; i < lines.size(); i++) {
        std::u16string units;
        size_t bad = 0;
        if (!persist::Utf8ToUtf16(lines[i], &units, &bad))
            return Fail(source, int(i + 1), "invalid UTF-8");
        for (char16_t u : units)
            if (u < 0x20) return Fail(source, int(i + 1), "control character (tab?) in the line");
        if (units.size() > size_t(persist::Utf16File::kMaxLine))
            return Fail(source, int(i + 1), "line longer than 1023 UTF-16 units");
        persist::WideString w;
        w.Assign(reinterpret_cast<const uint16_t *>(units.data()), uint32_t(units.size()));
        converted.push_back(std::move(w));
    }

    persist::Utf16File out;
    if (!out.Open(output, persist::Utf16File::Write)) return Fail(output, 0, "cannot write");
    for (const persist::WideString &w : converted) out.WriteLine(w);
    if (!out.Close()) return Fail(output, 0, "cannot complete the file");
    return 0;
}
