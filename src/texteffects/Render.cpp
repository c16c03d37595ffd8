// Rendering a loaded script: each operation in script order on one canvas.
#include <cstdio>

#include "persist/WideString.h"
#include "texteffects/Effects.h"
#include "texteffects/TextEffects.h"

namespace texteffects {

namespace {

std::string Narrow(const std::u16string &s) {
    return persist::Utf16ToUtf8(reinterpret_cast<const uint16_t *>(s.data()), s.size());
}

const ScriptBitmap *FindBitmap(const Script &script, const std::u16string &name) {
    for (const ScriptBitmap &b : script.bitmaps)
        if (b.name == name) return &b;
    return nullptr;
}

const ScriptFont *FindFont(const Script &script, const std::u16string &name) {
    for (const ScriptFont &f : script.fonts)
        if (f.name == name && f.font && f.font->IsOpen()) return &f;
    return nullptr;
}

void SetBox(ScriptOperation *op, long long left, long long top, long long right, long long bottom) {
    op->box[0] = static_cast<int>(left);
    op->box[1] = static_cast<int>(top);
    op->box[2] = static_cast<int>(right);
    op->box[3] = static_cast<int>(bottom);
}

void DrawText(const Script &script, const ScriptFont &font, ScriptOperation *op, Image *canvas) {
    image::Coverage glyphs, map;
    std::u16string text = op->text;
    const bool rendered =
        !text.empty() &&
        font.font->Render(reinterpret_cast<const uint16_t *>(text.c_str()), &glyphs);
    if (!rendered) {
        if (!text.empty())
            fprintf(stderr, "%s : cannot render the text of %s\n", script.name.c_str(),
                    Narrow(op->name).c_str());
        SetBox(op, op->x, op->y, op->x, op->y + font.size / 2);
        return;
    }
    BuildTextMap(glyphs, font.outline, &map);
    TextStyle style;
    style.outline = font.outline;
    style.fillMode = font.fillMode;
    for (int k = 0; k < 3; k++) {
        style.top[k] = font.top[k];
        style.bottom[k] = font.bottom[k];
    }
    if (font.shadow) DrawTextMap(canvas, map, op->x + font.dx, op->y + font.dy, style, true);
    const int width = DrawTextMap(canvas, map, op->x, op->y, style, false);
    SetBox(op, op->x, op->y, static_cast<long long>(op->x) + width,
           static_cast<long long>(op->y) + font.size / 2);
}

}  // namespace

int RenderScript(Script *script, Image *canvas) {
    if (!script || !canvas) return 0;
    const int W = ContextWidth(), H = ContextHeight();
    canvas->width = W;
    canvas->height = H;
    canvas->pixels.assign(static_cast<size_t>(W) * H * 4, 0);
    for (ScriptOperation &op : script->operations) {
        const bool onBitmap = op.kind == OpMosaic || op.kind == OpStretch || op.kind == OpBitmap ||
                              op.kind == OpFeatheredBitmap;
        const ScriptBitmap *bitmap = nullptr;
        if (onBitmap && !(bitmap = FindBitmap(*script, op.name))) {
            fprintf(stderr, "%s : unknown bitmap %s\n", script->name.c_str(),
                    Narrow(op.name).c_str());
            continue;
        }
        switch (op.kind) {
            case OpMosaic:
                Mosaic(canvas, bitmap->image, op.x, op.y);
                SetBox(&op, 0, 0, W, H);
                break;
            case OpStretch:
                Stretch(canvas, bitmap->image, op.x, op.y);
                SetBox(&op, 0, 0, W, H);
                break;
            case OpBitmap:
                DrawBitmap(canvas, bitmap->image, op.x, op.y, bitmap->shadow, bitmap->dx,
                           bitmap->dy, bitmap->outline == 1);
                SetBox(&op, op.x, op.y, static_cast<long long>(op.x) + bitmap->image.width,
                       static_cast<long long>(op.y) + bitmap->image.height);
                break;
            case OpFeatheredBitmap:
                DrawFeatheredBitmap(canvas, bitmap->image, op.x, op.y);
                SetBox(&op, op.x, op.y, static_cast<long long>(op.x) + bitmap->image.width,
                       static_cast<long long>(op.y) + bitmap->image.height);
                break;
            case OpText: {
                const ScriptFont *font = FindFont(*script, op.name);
                if (!font) {
                    fprintf(stderr, "%s : unknown font %s\n", script->name.c_str(),
                            Narrow(op.name).c_str());
                    continue;
                }
                DrawText(*script, *font, &op, canvas);
                break;
            }
            case OpGradientBox:
                GradientBox(canvas, op.values, op.x, op.y, op.values[3], op.values[4]);
                SetBox(&op, op.x, op.y, static_cast<long long>(op.x) + op.values[3],
                       static_cast<long long>(op.y) + op.values[4]);
                break;
            case OpWave:
            case OpShadedWave:
                Wave(canvas, op.values[0], op.values[1], op.kind == OpShadedWave, op.values[2],
                     op.values[3]);
                SetBox(&op, 0, 0, W, H);
                break;
            case OpEmboss:
                Emboss(canvas, op.x, op.y, op.values[0], op.values[1], op.values[2], op.values[3]);
                SetBox(&op, 0, 0, W, H);
                break;
            case OpKindCount:
                break;
        }
    }
    return 1;
}

}  // namespace texteffects
