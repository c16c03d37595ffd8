#include "device/Conventions.h"

#include <cctype>
#include <cstring>

namespace device {

void ProjectionToGl(const float engine[16], float gl[16]) {
    // Row-vector: clip = v * P. The new z column is 2 * (z column) - (w column).
    for (int row = 0; row < 4; row++) {
        const float *in = engine + row * 4;
        float *out = gl + row * 4;
        out[0] = in[0];
        out[1] = in[1];
        out[2] = 2.0f * in[2] - in[3];
        out[3] = in[3];
    }
}

void WindowPixelProjection(int targetWidth, int targetHeight, float gl[16]) {
    // x_ndc = 2x / W - 1, y_ndc = 1 - 2y / H, z_ndc = 2z - 1. A rectangle with
    // integer corners covers the same pixels under either rule for pixel
    // centres; keeping OpenGL's (half-integers) maps a texture drawn at its own
    // size texel for pixel, so screen text and pictures stay sharp.
    const float w = static_cast<float>(targetWidth > 0 ? targetWidth : 1);
    const float h = static_cast<float>(targetHeight > 0 ? targetHeight : 1);
    for (int i = 0; i < 16; i++) gl[i] = 0.0f;
    gl[0] = 2.0f / w;
    gl[5] = -2.0f / h;
    gl[10] = 2.0f;
    gl[12] = -1.0f;
    gl[13] = 1.0f;
    gl[14] = -1.0f;
    gl[15] = 1.0f;
}

bool CullToGl(int cullMode, bool *cullGlFront) {
    // Windings are named as the viewer sees them. OpenGL's window space has y
    // up, so what looks counter-clockwise is counter-clockwise there too: its
    // default front face.
    if (cullMode == CullCCW) {
        *cullGlFront = true;
        return true;
    }
    if (cullMode == CullCW) {
        *cullGlFront = false;
        return true;
    }
    *cullGlFront = false;
    return false;
}

void ViewportToGl(const Viewport &viewport, int targetHeight, int *x, int *y) {
    *x = viewport.x;
    *y = targetHeight - (viewport.y + viewport.height);
}

static bool TakeWord(const char **cursor, std::string *word) {
    const char *p = *cursor;
    while (*p && (*p == ',' || std::isspace(static_cast<unsigned char>(*p)))) p++;
    if (!*p) return false;
    word->clear();
    while (*p && *p != ',' && !std::isspace(static_cast<unsigned char>(*p))) {
        word->push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(*p))));
        p++;
    }
    *cursor = p;
    return true;
}

void LowerCaps(const char *list, Caps *caps, std::string *unknown) {
    bool multitexture = false, dot3 = false, ps14 = false;
    std::string word;
    const char *cursor = list ? list : "";
    while (TakeWord(&cursor, &word)) {
        if (word == "multitexture") {
            multitexture = true;
        } else if (word == "dot3") {
            dot3 = true;
        } else if (word == "ps14") {
            ps14 = true;
        } else if (unknown) {
            if (!unknown->empty()) unknown->push_back(',');
            unknown->append(word);
        }
    }
    // Only lowers: a feature the device lacks is not switched on by naming it.
    if (!multitexture && caps->maxSimultaneousTextures > 1) caps->maxSimultaneousTextures = 1;
    if (!dot3) caps->dot3 = false;
    if (!ps14) {
        caps->pixelShaderMajor = 0;
        caps->pixelShaderMinor = 0;
    }
}

}  // namespace device
