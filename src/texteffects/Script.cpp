// Reading text-effect scripts: the top level and the composition are read as
// whitespace-separated tokens, the font and bitmap blocks line by line.
#include <cstdio>
#include <cstring>

#include "image/PictureFile.h"
#include "persist/WideString.h"
#include "texteffects/Effects.h"
#include "texteffects/TextEffects.h"

namespace texteffects {

namespace {

struct Context {
    int width = 1024;
    int height = 768;
    std::string directory = "./";
};

Context &TheContext() {
    static Context context;
    return context;
}

std::string Narrow(const std::u16string &s) {
    return persist::Utf16ToUtf8(reinterpret_cast<const uint16_t *>(s.data()), s.size());
}

bool IsSpace(char16_t c) {
    return c == ' ' || (c >= 0x09 && c <= 0x0D);
}

bool Contains(const std::u16string &s, const char *word) {
    const size_t n = strlen(word);
    if (n > s.size()) return false;
    for (size_t at = 0; at + n <= s.size(); at++) {
        size_t k = 0;
        while (k < n && s[at + k] == static_cast<char16_t>(word[k])) k++;
        if (k == n) return true;
    }
    return false;
}

bool Equals(const std::u16string &s, const char *word) {
    const size_t n = strlen(word);
    if (n != s.size()) return false;
    for (size_t k = 0; k < n; k++)
        if (s[k] != static_cast<char16_t>(word[k])) return false;
    return true;
}

// Everything after the first '=' ("" when there is none).
std::u16string AfterEquals(const std::u16string &s) {
    size_t eq = s.find(u'=');
    return eq == std::u16string::npos ? std::u16string() : s.substr(eq + 1);
}

// Reads integers the way scanf reads "%d" formats: "%d" skips white space,
// takes an optional sign and at least one digit; white space in the format
// skips white space; any other format character must match exactly.
// Returns true only when every "%d" of the format was read. Numbers are
// kept within +-kMaxValue.
bool Scan(const std::u16string &s, const char *format, int *out) {
    size_t at = 0;
    int n = 0;
    for (const char *f = format; *f; f++) {
        if (f[0] == '%' && f[1] == 'd') {
            f++;
            while (at < s.size() && IsSpace(s[at])) at++;
            bool negative = false;
            if (at < s.size() && (s[at] == '-' || s[at] == '+')) negative = s[at++] == '-';
            if (at >= s.size() || s[at] < '0' || s[at] > '9') return false;
            long long v = 0;
            while (at < s.size() && s[at] >= '0' && s[at] <= '9') {
                if (v <= kMaxValue) v = v * 10 + (s[at] - '0');
                at++;
            }
            if (v > kMaxValue) v = kMaxValue;
            out[n++] = static_cast<int>(negative ? -v : v);
        } else if (*f == ' ') {
            while (at < s.size() && IsSpace(s[at])) at++;
        } else {
            if (at >= s.size() || s[at] != static_cast<char16_t>(*f)) return false;
            at++;
        }
    }
    return true;
}

// Parameters start right after the first '=' of a block line.
bool ScanLine(const std::u16string &line, const char *format, int *out) {
    size_t eq = line.find(u'=');
    return eq != std::u16string::npos && Scan(line.substr(eq + 1), format, out);
}

// The text between the first two double quotes of a line.
bool Quoted(const std::u16string &line, std::u16string *out) {
    size_t a = line.find(u'"');
    if (a == std::u16string::npos) return false;
    size_t b = line.find(u'"', a + 1);
    if (b == std::u16string::npos) return false;
    *out = line.substr(a + 1, b - a - 1);
    return true;
}

class Reader {
public:
    explicit Reader(std::u16string text) : text_(std::move(text)) {}

    bool Token(std::u16string *out) {
        while (at_ < text_.size() && IsSpace(text_[at_])) at_++;
        if (at_ >= text_.size()) return false;
        size_t start = at_;
        while (at_ < text_.size() && !IsSpace(text_[at_])) at_++;
        out->assign(text_, start, at_ - start);
        return true;
    }

    // The rest of the current line, without its CR LF.
    bool Line(std::u16string *out) {
        if (at_ >= text_.size()) return false;
        size_t end = text_.find(u'\n', at_);
        if (end == std::u16string::npos) end = text_.size();
        out->assign(text_, at_, end - at_);
        if (!out->empty() && out->back() == u'\r') out->pop_back();
        at_ = end < text_.size() ? end + 1 : end;
        return true;
    }

private:
    std::u16string text_;
    size_t at_ = 0;
};

class Parser {
public:
    Parser(Script *script, Reader *reader) : script_(script), in_(*reader) {}

    void Run() {
        std::u16string t;
        while (in_.Token(&t)) {
            if (Equals(t, "FONTES")) {
                Items(true);
            } else if (Equals(t, "BITMAPS")) {
                Items(false);
            } else if (Equals(t, "COMPOSITION")) {
                Composition();
                return;
            } else if (Equals(t, "END")) {
                return;
            }
        }
    }

private:
    void Say(const char *what, const std::u16string &name) {
        fprintf(stderr, "%s : %s %s\n", script_->name.c_str(), what, Narrow(name).c_str());
    }

    bool SkipTo(const char *brace) {
        std::u16string t;
        while (in_.Token(&t))
            if (Contains(t, brace)) return true;
        return false;
    }

    void Items(bool fonts) {
        if (!SkipTo("{")) return;
        std::u16string name;
        while (in_.Token(&name)) {
            if (Contains(name, "}")) return;
            if (fonts)
                FontBlock(name);
            else
                BitmapBlock(name);
        }
    }

    enum BlockResult { BlockRead, BlockLongLine, BlockMissing };

    // Reads an item's block: the lines after the one holding "{", up to the
    // one holding "}". A line too long skips the item, but the block is still
    // read to its end so that the next item starts in the right place.
    template <typename Apply>
    BlockResult Block(Apply apply) {
        std::u16string line;
        bool opened = false;
        while (in_.Line(&line))
            if (Contains(line, "{")) {
                opened = true;
                break;
            }
        if (!opened) return BlockMissing;  // the file ended
        BlockResult result = BlockRead;
        while (in_.Line(&line)) {
            if (Contains(line, "}")) break;
            if (line.size() > static_cast<size_t>(kMaxName)) {
                result = BlockLongLine;
                continue;
            }
            apply(line);
        }
        return result;
    }

    // Common checks of a new font or bitmap named `name`.
    bool Admissible(const std::u16string &name, size_t count, const char *kind) {
        if (name.size() > static_cast<size_t>(kMaxName)) {
            Say("name longer than 255 units, item skipped:", name.substr(0, 32));
            return false;
        }
        if (count >= static_cast<size_t>(kMaxItems)) {
            char what[64];
            snprintf(what, sizeof what, "more than %d %s, skipped:", kMaxItems, kind);
            Say(what, name);
            return false;
        }
        return true;
    }

    bool FileName(const std::u16string &line, std::string *file) {
        std::u16string q;
        if (!Quoted(line, &q) || q.empty()) return false;
        *file = Narrow(q);
        return true;
    }

    void FontBlock(const std::u16string &name) {
        ScriptFont f;
        f.name = name;
        int v[6];
        const BlockResult block = Block([&](const std::u16string &line) {
            if (Contains(line, "FICHIER")) FileName(line, &f.file);
            if (Contains(line, "SIZE") && ScanLine(line, "%d", v)) f.size = v[0];
            if (Contains(line, "GRAS")) f.style = image::StyleBold;
            if (Contains(line, "ITALIQUE")) f.style = image::StyleItalic;
            if (Contains(line, "OUTLINE") && ScanLine(line, "%d", v)) f.outline = v[0];
            if (Contains(line, "OMBRAGE") && ScanLine(line, "(%d,%d)", v)) {
                f.shadow = true;
                f.dx = v[0];
                f.dy = v[1];
            }
            if (Contains(line, "DEGRADE") && ScanLine(line, "(%d,%d,%d)/(%d,%d,%d)", v)) {
                f.fillMode = 1;
                f.hasColours = true;
                for (int k = 0; k < 3; k++) {
                    f.top[k] = v[k];
                    f.bottom[k] = v[3 + k];
                }
            }
            if (Contains(line, "SINUS")) f.fillMode = 2;
        });
        if (block == BlockMissing) return;
        if (block == BlockLongLine)
            return Say("line longer than 255 units, skipped the block of", name);
        if (f.file.empty() || f.size == 0) return;  // not a font: nothing to report
        if (!Admissible(name, script_->fonts.size(), "fonts")) return;
        if (f.size < 0 || f.size > kMaxFontSize) {
            Say("font size out of range (1 to 256), skipped:", name);
            return;
        }
        if (f.outline < 0 || f.outline > kMaxOutline) {
            Say("outline out of range (0 to 32), skipped:", name);
            return;
        }
        const std::string path = ContextPath(f.file);
        f.font.reset(new image::TrueTypeFont());
        if (path.empty() || !f.font->Open(path.c_str(), f.size)) {
            fprintf(stderr, "%s : cannot open font %s (%s)\n", script_->name.c_str(),
                    f.file.c_str(), Narrow(name).c_str());
            return;
        }
        f.font->SetStyle(f.style);
        script_->fonts.push_back(std::move(f));
    }

    void BitmapBlock(const std::u16string &name) {
        ScriptBitmap b;
        b.name = name;
        int v[6];
        bool have = false;
        const BlockResult block = Block([&](const std::u16string &line) {
            if (Contains(line, "FICHIER") && FileName(line, &b.file)) {
                b.clouds = false;
                have = true;
            }
            if (Contains(line, "CLOUDS") && ScanLine(line, "(%d,%d,%d,%d,%d)", v)) {
                b.clouds = true;
                for (int k = 0; k < 5; k++) b.cloud[k] = v[k];
                have = true;
            }
            if (Contains(line, "OMBRAGE") && ScanLine(line, "(%d,%d)", v)) {
                b.shadow = true;
                b.dx = v[0];
                b.dy = v[1];
            }
            if (Contains(line, "OUTLINE") && ScanLine(line, "%d", v)) b.outline = v[0];
        });
        if (block == BlockMissing) return;
        if (block == BlockLongLine)
            return Say("line longer than 255 units, skipped the block of", name);
        if (!have) return;
        if (!Admissible(name, script_->bitmaps.size(), "bitmaps")) return;
        if (b.clouds) {
            const int w = b.cloud[3], h = b.cloud[4];
            if (w < 1 || h < 1 || w > kMaxBitmapSide || h > kMaxBitmapSide) {
                Say("clouds size out of range (1 to 4096), skipped:", name);
                return;
            }
            if (!Budget(static_cast<long long>(w) * h, name)) return;
            MakeClouds(b.cloud[0], b.cloud[1], b.cloud[2], w, h, &b.image);
            b.file.clear();
        } else {
            const std::string path = ContextPath(b.file);
            if (path.empty() || !ReadPicture(path.c_str(), &b.image, nullptr)) {
                fprintf(stderr, "%s : cannot load bitmap %s (%s)\n", script_->name.c_str(),
                        b.file.c_str(), Narrow(name).c_str());
                return;
            }
            if (b.image.width > kMaxBitmapSide || b.image.height > kMaxBitmapSide) {
                Say("picture larger than 4096 pixels, skipped:", name);
                return;
            }
            if (!Budget(static_cast<long long>(b.image.width) * b.image.height, name)) return;
        }
        script_->bitmaps.push_back(std::move(b));
    }

    bool Budget(long long pixels, const std::u16string &name) {
        if (pixels_ + pixels > kMaxBitmapPixels) {
            Say("bitmaps too large in all, skipped:", name);
            return false;
        }
        pixels_ += pixels;
        return true;
    }

    void Composition() {
        if (!SkipTo("{")) return;
        std::u16string t;
        while (in_.Token(&t)) {
            if (Contains(t, "}")) return;
            Operation(t);
        }
    }

    // Reads the next token as a parameter.
    bool Param(const char *format, int *out) {
        std::u16string t;
        return in_.Token(&t) && Scan(t, format, out);
    }

    void Bad(const char *keyword) {
        fprintf(stderr, "%s : bad parameters for %s, skipped\n", script_->name.c_str(), keyword);
    }

    void Add(ScriptOperation op, const char *keyword) {
        if (op.name.size() > static_cast<size_t>(kMaxName)) {
            fprintf(stderr, "%s : name longer than 255 units in %s, skipped\n",
                    script_->name.c_str(), keyword);
            return;
        }
        if (script_->operations.size() >= static_cast<size_t>(kMaxItems)) {
            fprintf(stderr, "%s : more than %d operations, %s skipped\n", script_->name.c_str(),
                    kMaxItems, keyword);
            return;
        }
        script_->operations.push_back(std::move(op));
    }

    // An operation on a bitmap: the name after '=', then "(x,y)".
    void Placed(OperationKind kind, const std::u16string &token, const char *keyword) {
        ScriptOperation op;
        op.kind = kind;
        op.name = AfterEquals(token);
        int v[2];
        if (!Param("(%d,%d)", v)) return Bad(keyword);
        op.x = v[0];
        op.y = v[1];
        Add(std::move(op), keyword);
    }

    // A quoted text: from after the opening quote of the next token to the
    // next quote, the tokens in between joined with single spaces.
    bool Text(std::u16string *text, bool *tooLong) {
        std::u16string t;
        *tooLong = false;
        text->clear();
        if (!in_.Token(&t)) return false;
        size_t open = t.find(u'"');
        if (open == std::u16string::npos) return false;
        std::u16string piece = t.substr(open + 1);
        for (bool first = true;; first = false) {
            size_t close = piece.find(u'"');
            const bool last = close != std::u16string::npos;
            if (last) piece.resize(close);
            if (!*tooLong) {
                if (!first) text->push_back(u' ');
                text->append(piece);
                if (text->size() > static_cast<size_t>(kMaxName)) {
                    *tooLong = true;
                    text->clear();
                }
            }
            if (last) return true;
            if (!in_.Token(&piece)) return false;
        }
    }

    void Operation(const std::u16string &t) {
        const std::u16string first = AfterEquals(t);
        int v[6];
        if (Contains(t, "MOSAIC")) Placed(OpMosaic, t, "MOSAIC");
        if (Contains(t, "ETIRER")) Placed(OpStretch, t, "ETIRER");
        bool taken = true;
        if (Contains(t, "FBITMAP"))
            Placed(OpFeatheredBitmap, t, "FBITMAP");
        else if (Contains(t, "BITMAP"))
            Placed(OpBitmap, t, "BITMAP");
        else
            taken = false;
        if (Contains(t, "TEXTE")) {
            ScriptOperation op;
            op.kind = OpText;
            op.name = first;
            bool tooLong = false;
            if (!Param("(%d,%d)", v)) {
                Bad("TEXTE");
            } else if (op.x = v[0], op.y = v[1], !Text(&op.text, &tooLong)) {
                fprintf(stderr, "%s : TEXTE without a quoted text, skipped\n",
                        script_->name.c_str());
            } else if (tooLong) {
                fprintf(stderr, "%s : text longer than 255 units, skipped\n",
                        script_->name.c_str());
            } else {
                Add(std::move(op), "TEXTE");
            }
        }
        if (Contains(t, "CARREDEGRADE")) {
            ScriptOperation op;
            op.kind = OpGradientBox;
            int p[2], s[2];
            if (!Scan(first, "COULEUR(%d,%d,%d)", v) || !Param("(%d,%d)", p) ||
                !Param("(%d,%d)", s)) {
                Bad("CARREDEGRADE");
            } else {
                op.x = p[0];
                op.y = p[1];
                op.values[0] = v[0];
                op.values[1] = v[1];
                op.values[2] = v[2];
                op.values[3] = s[0];
                op.values[4] = s[1];
                Add(std::move(op), "CARREDEGRADE");
            }
        }
        if (taken) return;
        if (Contains(t, "ONDEOMBREE")) {
            ScriptOperation op;
            op.kind = OpShadedWave;
            int l[2];
            if (!Scan(first, "(%d,%d)", v) || !Param("(%d,%d)", l)) return Bad("ONDEOMBREE");
            op.values[0] = v[0];
            op.values[1] = v[1];
            op.values[2] = l[0];
            op.values[3] = l[1];
            Add(std::move(op), "ONDEOMBREE");
        } else if (Contains(t, "ONDE")) {
            ScriptOperation op;
            op.kind = OpWave;
            if (!Scan(first, "(%d,%d)", v)) return Bad("ONDE");
            op.values[0] = v[0];
            op.values[1] = v[1];
            Add(std::move(op), "ONDE");
        } else if (Contains(t, "EMBOSS")) {
            ScriptOperation op;
            op.kind = OpEmboss;
            int w[3];
            if (!Scan(first, "(%d,%d,%d)", v) || !Param("(%d,%d,%d)", w)) return Bad("EMBOSS");
            op.x = v[0];
            op.y = v[1];
            op.values[0] = v[2];
            op.values[1] = w[0];
            op.values[2] = w[1];
            op.values[3] = w[2];
            Add(std::move(op), "EMBOSS");
        }
    }

    Script *script_;
    Reader &in_;
    long long pixels_ = 0;
};

}  // namespace

int SetGeneratorContext(int width, int height, const char *directory) {
    if (width < 1 || height < 1 || width > 8192 || height > 8192 || !directory) {
        fprintf(stderr, "Text effects: canvas %d x %d refused (1 to 8192)\n", width, height);
        return 0;
    }
    Context &c = TheContext();
    c.width = width;
    c.height = height;
    c.directory = directory;
    return 1;
}

int ContextWidth() {
    return TheContext().width;
}
int ContextHeight() {
    return TheContext().height;
}
const std::string &ContextDirectory() {
    return TheContext().directory;
}

std::string ContextPath(const std::string &name) {
    if (name.empty()) return std::string();
    std::string rel = name;
    for (char &c : rel)
        if (c == '\\') c = '/';
    // Scripts name files inside their folder; a ".." component would reach
    // anywhere on the machine.
    size_t start = 0;
    while (start <= rel.size()) {
        size_t end = rel.find('/', start);
        if (end == std::string::npos) end = rel.size();
        if (rel.compare(start, end - start, "..") == 0 && end - start == 2) return std::string();
        start = end + 1;
    }
    std::string dir = TheContext().directory;
    for (char &c : dir)
        if (c == '\\') c = '/';
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir + rel;
}

Script *LoadScriptFromMemory(const uint8_t *bytes, size_t size, const char *name) {
    const char *shown = name ? name : "";
    if (!bytes || size < 2 ||
        !(bytes[0] == 0xFE || bytes[0] == 0xFF || bytes[1] == 0xFE || bytes[1] == 0xFF)) {
        fprintf(stderr, "%s : Not a Unicode UTF16 File\n", shown);
        return nullptr;
    }
    std::u16string text;
    text.reserve((size - 2) / 2);
    for (size_t at = 2; at + 1 < size; at += 2)
        text.push_back(static_cast<char16_t>(bytes[at] | (bytes[at + 1] << 8)));
    Script *script = new Script();
    script->name = shown;
    Reader reader(std::move(text));
    Parser(script, &reader).Run();
    return script;
}

Script *LoadScript(const char *name) {
    if (!name) return nullptr;
    const std::string path = ContextPath(name);
    FILE *f = path.empty() ? nullptr : fopen(path.c_str(), "rb");
    if (!f) {
        fprintf(stderr, "%s : cannot open the script\n", name);
        return nullptr;
    }
    std::vector<uint8_t> bytes;
    uint8_t buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    fclose(f);
    return LoadScriptFromMemory(bytes.data(), bytes.size(), name);
}

void FreeScript(Script *script) {
    delete script;
}

}  // namespace texteffects
