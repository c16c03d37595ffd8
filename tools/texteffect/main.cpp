// Renders a text-effect script into a PNG file.
//
//   texteffect [--seed N] SCRIPT OUT.png [WIDTH HEIGHT]
//
// The script may be the game's UTF-16 file or its UTF-8 source (as kept in
// assets/texteffects). The fonts and pictures it names are looked up from
// the working directory, so run it in the runtime folder. The canvas is
// 1024 x 768 unless WIDTH and HEIGHT are given; clouds come from the random
// seed N (1 by default), so the same script always gives the same picture.
// The PNG holds the colours at the 16-bit precision the game's textures show.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "image/Png.h"
#include "persist/WideString.h"
#include "texteffects/TextEffects.h"

namespace {

int Usage() {
    fprintf(stderr, "usage: texteffect [--seed N] SCRIPT OUT.png [WIDTH HEIGHT]\n");
    return 2;
}

bool ReadFile(const char *path, std::vector<uint8_t> *bytes) {
    FILE *f = fopen(path, "rb");
    if (!f) return false;
    uint8_t buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes->insert(bytes->end(), buffer, buffer + n);
    const bool ok = !ferror(f);
    fclose(f);
    return ok;
}

// A UTF-8 source becomes the UTF-16 file the game reads.
bool ToUtf16(std::vector<uint8_t> *bytes, const char *path) {
    std::string text(bytes->begin(), bytes->end());
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    std::u16string wide;
    size_t bad = 0;
    if (!persist::Utf8ToUtf16(text, &wide, &bad)) {
        fprintf(stderr, "%s: neither UTF-16 nor valid UTF-8 (byte %zu)\n", path, bad);
        return false;
    }
    bytes->assign({0xFF, 0xFE});
    for (char16_t c : wide) {
        bytes->push_back(static_cast<uint8_t>(c & 0xFF));
        bytes->push_back(static_cast<uint8_t>(c >> 8));
    }
    return true;
}

bool Number(const char *s, int *out) {
    char *end = nullptr;
    long v = strtol(s, &end, 10);
    if (!*s || *end || v < 1 || v > 8192) return false;
    *out = static_cast<int>(v);
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    int seed = 1;
    int first = 1;
    if (argc > 2 && strcmp(argv[1], "--seed") == 0) {
        char *end = nullptr;
        seed = static_cast<int>(strtol(argv[2], &end, 10));
        if (!*argv[2] || *end) return Usage();
        first = 3;
    }
    const int rest = argc - first;
    if (rest != 2 && rest != 4) return Usage();
    const char *scriptPath = argv[first], *outPath = argv[first + 1];
    int width = 1024, height = 768;
    if (rest == 4 && (!Number(argv[first + 2], &width) || !Number(argv[first + 3], &height))) {
        fprintf(stderr, "texteffect: WIDTH and HEIGHT must be 1 to 8192\n");
        return 2;
    }

    std::vector<uint8_t> bytes;
    if (!ReadFile(scriptPath, &bytes)) {
        fprintf(stderr, "texteffect: cannot read %s\n", scriptPath);
        return 1;
    }
    const bool utf16 = bytes.size() >= 2 && (bytes[0] == 0xFE || bytes[0] == 0xFF ||
                                             bytes[1] == 0xFE || bytes[1] == 0xFF);
    if (!utf16 && !ToUtf16(&bytes, scriptPath)) return 1;

    srand(static_cast<unsigned>(seed));
    if (!texteffects::SetGeneratorContext(width, height, "./")) return 2;
    texteffects::ScriptHandle script(
        texteffects::LoadScriptFromMemory(bytes.data(), bytes.size(), scriptPath));
    if (!script) return 1;
    Image canvas;
    texteffects::RenderScript(script.get(), &canvas);
    if (!WritePng(outPath, canvas, PngFilterSub)) return 1;
    printf("%s: %d x %d, %zu fonts, %zu bitmaps, %zu operations\n", outPath, width, height,
           script->fonts.size(), script->bitmaps.size(), script->operations.size());
    return 0;
}
