#pragma once
// The text-effect generator: a UTF-16 script declares fonts (with outline,
// shadow and gradient fills), bitmaps (picture files or generated clouds) and
// a list of composition operations, which RenderScript applies in order to a
// new canvas of the context's size.
//
//   FONTES { titre { FICHIER="data/gfx/font/vagron.ttf" SIZE=96 ... } }
//   BITMAPS { ciel { CLOUDS=(90,140,255,256,256) } }
//   COMPOSITION { MOSAIC=ciel (0,0) TEXTE=titre (40,60) "Marbrix 3D" }
//   END
//
// Limits: 256 fonts, 256 bitmaps and 256 operations per script; names,
// texts and block lines of at most 255 UTF-16 units. An item or operation
// beyond a limit, naming something unknown, or whose file cannot be loaded
// is skipped with a message on standard error; the rest of the script still
// renders. Nothing a script says can make an operation read or write outside
// the canvas or its bitmaps.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "image/Image.h"
#include "image/TrueType.h"

namespace texteffects {

const int kMaxItems = 256;  // fonts, bitmaps and operations, each
const int kMaxName = 255;   // units of a name, a text or a block line
const int kMaxBitmapSide = 4096;
// Bitmap pixels one script may hold in all (a 4096 x 4096 bitmap, or many
// smaller ones), so a script cannot exhaust memory.
const long long kMaxBitmapPixels = 4096LL * 4096;
const int kMaxFontSize = 256;  // points
const int kMaxOutline = 32;    // pixels
// Numbers in a script are kept within this magnitude, so that positions,
// sizes and weights can be added and multiplied without overflow.
const int kMaxValue = 1000000;

struct ScriptBitmap {
    std::u16string name;
    std::string file;  // as written in the script, "" for clouds
    bool clouds = false;
    int cloud[5] = {0, 0, 0, 0, 0};  // colour c0, c1, c2, width, height
    Image image;
    bool shadow = false;
    int dx = 0, dy = 0;
    int outline = 0;  // 1: a white frame around the bitmap
};

struct ScriptFont {
    std::u16string name;
    std::string file;
    std::unique_ptr<image::TrueTypeFont> font;
    int size = 0;
    int style = 0;  // 0 normal, 1 bold, 2 italic
    bool shadow = false;
    int dx = 0, dy = 0;
    int outline = 0;
    int fillMode = 0;  // 1 after DEGRADE, 2 after SINUS
    bool hasColours = false;
    int top[3] = {255, 255, 255};
    int bottom[3] = {255, 255, 255};
};

enum OperationKind {
    OpMosaic,
    OpStretch,
    OpBitmap,
    OpFeatheredBitmap,
    OpText,
    OpGradientBox,
    OpWave,
    OpShadedWave,
    OpEmboss,
    OpKindCount
};

struct ScriptOperation {
    OperationKind kind = OpMosaic;
    int x = 0, y = 0;
    std::u16string name;  // the font or bitmap it uses
    // MOSAIC, ETIRER, BITMAP, FBITMAP, TEXTE: none.
    // CARREDEGRADE: c0, c1, c2, width, height.  ONDE: amplitude, periods.
    // ONDEOMBREE: amplitude, periods, lx, ly.  EMBOSS: radius, w0, w1, w2.
    int values[6] = {0, 0, 0, 0, 0, 0};
    std::u16string text;
    // What the last rendering drew: left, top, right, bottom.
    int box[4] = {0, 0, 0, 0};
};

struct Script {
    std::string name;  // for messages
    std::vector<ScriptBitmap> bitmaps;
    std::vector<ScriptFont> fonts;
    std::vector<ScriptOperation> operations;
};

// Canvas size and the folder every file of a script is named relative to
// (1024 x 768 and "./" until set). Sizes below 1 or above 8192 are refused.
int SetGeneratorContext(int width, int height, const char *directory);
int ContextWidth();
int ContextHeight();
const std::string &ContextDirectory();
// The context folder joined with a name from a script: "\" counts as "/",
// and a folder without a final separator gets one. Names that climb out of
// the folder ("..") give "" and are not opened.
std::string ContextPath(const std::string &name);

// Loads a script file named relative to the context folder; null when it
// cannot be opened or is not UTF-16 ("<name> : Not a Unicode UTF16 File").
Script *LoadScript(const char *name);
// The same for a script already in memory (the bytes of a file, mark included).
Script *LoadScriptFromMemory(const uint8_t *bytes, size_t size, const char *name);
// Renders every operation in order into a new canvas of the context's size
// (`canvas` is replaced). 0 only without a script.
int RenderScript(Script *script, Image *canvas);
// Frees the bitmaps, closes the fonts and frees the script; null is accepted.
void FreeScript(Script *script);

struct ScriptDeleter {
    void operator()(Script *s) const { FreeScript(s); }
};
typedef std::unique_ptr<Script, ScriptDeleter> ScriptHandle;

}  // namespace texteffects
