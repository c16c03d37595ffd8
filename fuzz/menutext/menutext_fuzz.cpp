// The menu text reader on arbitrary bytes: every name and caption it hands
// out is bounded, a caption holds no quote and no line end, and no more
// lines come out than the input holds. The
// same bytes are then applied as a file to a few objects: an option never
// collects more entries than there were lines.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "gui/GuiManager.h"
#include "gui/GuiMenuText.h"

namespace {

void Check(bool condition) {
    if (!condition) abort();
}

std::string TempName() {
    const char *dir = getenv("TMPDIR");
    return std::string(dir ? dir : "/tmp") + "/marbrix-fuzz-menutext-" + std::to_string(getpid());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    size_t lineEnds = 0;
    for (size_t i = 2; i + 1 < size; i += 2) lineEnds += data[i] == '\n' && data[i + 1] == 0;
    size_t lines = 0;
    gui::ReadMenuText(data, size, [&](const char *name, const uint16_t *text) {
        lines++;
        // A name keeps the low byte of each character, so any byte may
        // appear in it (U+400A gives a line feed); only its length is bounded.
        Check(strlen(name) <= size_t(gui::kMenuTextField));
        size_t t = 0;
        for (; text[t]; t++) Check(text[t] != '"' && text[t] != '\r' && text[t] != '\n');
        Check(t <= size_t(gui::kMenuTextField));
    });
    Check(lines <= lineEnds + 1);

    static const std::string path = TempName();
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) return 0;
    if (size) fwrite(data, 1, size, f);
    fclose(f);
    gui::GuiManager menus;
    gui::GuiOption *option = new gui::GuiOption;
    option->setName("O");
    menus.addObject(option, "");
    gui::GuiButton *button = new gui::GuiButton;
    button->setName("B");
    menus.addObject(button, "");
    int applied = gui::ApplyMenuText(&menus, path.c_str());
    Check(applied >= 0 && size_t(applied) <= lines);
    Check(option->entryCount() <= size_t(applied));
    Check(gui::GuiTextLength(button->text) <= gui::kTextSize);
    unlink(path.c_str());
    return 0;
}
