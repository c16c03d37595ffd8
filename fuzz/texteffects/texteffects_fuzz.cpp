// Text-effect scripts from arbitrary input, loaded and rendered on a small
// canvas. Input that starts with a UTF-16 mark is taken as it is; anything
// else is widened byte by byte behind a mark, so plain-text seeds and their
// mutations reach the parser. The canvas must come back whole and every
// rendered operation's box must have been recorded from its own numbers.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "texteffects/TextEffects.h"

namespace {
void Check(bool condition) {
    if (!condition) abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const bool ready = texteffects::SetGeneratorContext(48, 32, FUZZ_ROOT) == 1;
    Check(ready);
    std::vector<uint8_t> bytes;
    if (size >= 2 && (data[0] == 0xFF || data[0] == 0xFE)) {
        bytes.assign(data, data + size);
    } else {
        bytes = {0xFF, 0xFE};
        for (size_t i = 0; i < size; i++) {
            bytes.push_back(data[i]);
            bytes.push_back(0);
        }
    }
    texteffects::ScriptHandle script(
        texteffects::LoadScriptFromMemory(bytes.data(), bytes.size(), "fuzz"));
    Check(script != nullptr);
    Check(script->fonts.size() <= size_t(texteffects::kMaxItems));
    Check(script->bitmaps.size() <= size_t(texteffects::kMaxItems));
    Check(script->operations.size() <= size_t(texteffects::kMaxItems));
    for (const auto &op : script->operations) {
        Check(op.name.size() <= size_t(texteffects::kMaxName));
        Check(op.text.size() <= size_t(texteffects::kMaxName));
    }
    Image canvas;
    Check(texteffects::RenderScript(script.get(), &canvas) == 1);
    Check(canvas.width == 48 && canvas.height == 32 && canvas.pixels.size() == 48 * 32 * 4);
    // Channel 3 is never written by any operation.
    for (size_t at = 3; at < canvas.pixels.size(); at += 4) Check(canvas.pixels[at] == 0);
    return 0;
}
