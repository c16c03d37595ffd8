#pragma once
// TrueType text rendered to coverage maps: white text whose alpha is all
// that is kept, ready to be tinted by whoever draws it. The GUI's caption
// pages and the text-effect generator both rasterise their text here, so
// SDL_ttf is started, used and stopped in one place.

#include <cstddef>
#include <cstdint>
#include <vector>

struct _TTF_Font;

namespace image {

// Rendered text: width x height coverage values, rows top to bottom.
struct Coverage {
    int width = 0, height = 0;
    std::vector<uint8_t> alpha;
};

// Starts SDL_ttf once per process; on failure writes "Couldn't initialize
// TTF: ..." and returns false. Later calls after a success return true.
bool StartTrueType();
// Stops SDL_ttf if StartTrueType started it. Fonts still open must be closed first.
void StopTrueType();

// Style bits of SetStyle.
enum FontStyle { StyleNormal = 0, StyleBold = 1, StyleItalic = 2, StyleUnderline = 4 };

// Largest font file read: generous for any TrueType font.
const size_t kFontMaxFileSize = size_t(64) << 20;

class TrueTypeFont {
public:
    TrueTypeFont() {}
    ~TrueTypeFont() { Close(); }
    TrueTypeFont(const TrueTypeFont &) = delete;
    TrueTypeFont &operator=(const TrueTypeFont &) = delete;

    // Opens a font file at a point size (starting SDL_ttf when needed) with
    // the normal style. False, with no font kept, when it cannot be opened or
    // the size is not positive. Only a regular file of at most
    // kFontMaxFileSize bytes is read; it is kept in memory while open.
    bool Open(const char *file, int pointSize);
    void Close();
    bool IsOpen() const { return font_ != nullptr; }
    int PointSize() const { return pointSize_; }

    void SetStyle(int styleBits);
    int Style() const { return style_; }
    // The font's line height in pixels; 0 when closed.
    int Height() const;

    // Renders a terminated UTF-16 or UTF-8 text. An empty text, or no font,
    // gives an empty coverage and false.
    bool Render(const uint16_t *text, Coverage *out) const;
    bool RenderUtf8(const char *text, Coverage *out) const;
    // The size the text would have, without rendering it; false as above.
    bool Measure(const uint16_t *text, int *width, int *height) const;

private:
    _TTF_Font *font_ = nullptr;
    std::vector<uint8_t> file_;  // the font file, read by SDL_ttf as needed
    int pointSize_ = 0;
    int style_ = 0;
};

}  // namespace image
