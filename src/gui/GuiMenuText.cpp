#include "gui/GuiMenuText.h"

#include <cstdio>
#include <vector>

#include "gui/GuiManager.h"

namespace gui {

namespace {

// Code units of the file after its byte-order mark.
class Units {
public:
    Units(const uint8_t *data, size_t size) : data_(data), count_(size / 2) {}
    bool atEnd() const { return pos_ >= count_; }
    uint16_t peek() const { return uint16_t(data_[pos_ * 2] | data_[pos_ * 2 + 1] << 8); }
    uint16_t take() {
        if (atEnd()) return 0;
        uint16_t u = peek();
        pos_++;
        return u;
    }
    void skip() {
        if (!atEnd()) pos_++;
    }
    // Moves past the next line feed (or to the end).
    void skipLine() {
        while (!atEnd() && take() != '\n') {
        }
    }

private:
    const uint8_t *data_;
    size_t count_;
    size_t pos_ = 0;
};

bool EndsLine(uint16_t u) {
    return u == '\r' || u == '\n';
}

}  // namespace

void ReadMenuText(const uint8_t *data, size_t size,
                  const std::function<void(const char *, const uint16_t *)> &line) {
    if (!data) return;
    Units in(data, size);
    in.skip();  // the byte-order mark, whatever it holds
    char name[kMenuTextField + 1];
    uint16_t text[kMenuTextField + 1];
    while (!in.atEnd()) {
        // The name, up to the equals sign.
        int n = 0;
        bool equals = false;
        while (!in.atEnd() && !EndsLine(in.peek())) {
            uint16_t u = in.take();
            if (u == '=') {
                equals = true;
                break;
            }
            if (n < kMenuTextField) name[n++] = char(u & 0xFF);
        }
        name[n] = 0;
        if (!equals) {
            in.skipLine();
            continue;
        }
        // The caption, between the first two quotes after the equals sign.
        while (!in.atEnd() && !EndsLine(in.peek()) && in.peek() != '"') in.skip();
        int t = 0;
        if (!in.atEnd() && in.peek() == '"') {
            in.skip();
            while (!in.atEnd() && !EndsLine(in.peek())) {
                uint16_t u = in.take();
                if (u == '"') break;
                if (t < kMenuTextField) text[t++] = u;
            }
        }
        text[t] = 0;
        in.skipLine();
        line(name, text);
    }
}

int ApplyMenuText(GuiManager *manager, const char *path) {
    if (!manager || !path) return 0;
    FILE *f = fopen(path, "rb");
    if (!f) return 0;
    std::vector<uint8_t> bytes(kMenuTextMaxBytes);
    size_t size = fread(bytes.data(), 1, bytes.size(), f);
    fclose(f);
    int applied = 0;
    ReadMenuText(bytes.data(), size, [&](const char *name, const uint16_t *text) {
        GuiObject *obj = manager->findObject(name);
        if (!obj) return;
        // A caption that already has a slot keeps it and this one gets a
        // fresh slot: an option collects one caption per entry. Handle 0 is
        // a caption like any other, so it counts as taken too.
        int32_t handle = obj->value >= 0 ? -1 : obj->value;
        manager->renderText(text, handle, obj->font, obj->maxChars());
        obj->setText(text, handle);
        applied++;
    });
    return applied;
}

}  // namespace gui
