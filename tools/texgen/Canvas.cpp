#include "Canvas.h"

#include <png.h>

#include <cmath>
#include <cstdio>

Rgb Mix(Rgb a, Rgb b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Scale(Rgb c, float k) {
    return {c.r * k, c.g * k, c.b * k};
}

float Clamp01(float v) {
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}

float SmoothStep(float e0, float e1, float x) {
    float t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), px_((size_t)width * height * 4, 0.0f) {}

void Canvas::Set(int x, int y, Rgb c, float a) {
    float *p = &px_[((size_t)y * width_ + x) * 4];
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
    p[3] = a;
}

Rgb Canvas::Get(int x, int y) const {
    const float *p = &px_[((size_t)y * width_ + x) * 4];
    return {p[0], p[1], p[2]};
}

float Canvas::Alpha(int x, int y) const {
    return px_[((size_t)y * width_ + x) * 4 + 3];
}

void Canvas::Blend(int x, int y, Rgb c, float a) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || a <= 0) return;
    float *p = &px_[((size_t)y * width_ + x) * 4];
    float outA = a + p[3] * (1 - a);
    if (outA <= 0) return;
    // Source-over on straight colours: weight the old colour by its own alpha.
    float k = p[3] * (1 - a);
    p[0] = (c.r * a + p[0] * k) / outA;
    p[1] = (c.g * a + p[1] * k) / outA;
    p[2] = (c.b * a + p[2] * k) / outA;
    p[3] = outA;
}

void Canvas::Disc(float cx, float cy, float radius, Rgb c, float alpha) {
    PaintShape(cx - radius - 1, cy - radius - 1, cx + radius + 1, cy + radius + 1, c, alpha,
               [&](float x, float y) { return std::hypot(x - cx, y - cy) - radius; });
}

bool Canvas::WritePng(const char *path, bool withAlpha) const {
    FILE *f = fopen(path, "wb");
    if (!f) {
        fprintf(stderr, "texgen: cannot write %s\n", path);
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        fclose(f);
        fprintf(stderr, "texgen: PNG error writing %s\n", path);
        return false;
    }
    png_init_io(png, f);
    int channels = withAlpha ? 4 : 3;
    png_set_IHDR(png, info, width_, height_, 8,
                 withAlpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row((size_t)width_ * channels);
    for (int y = 0; y < height_; y++) {
        for (int x = 0; x < width_; x++) {
            const float *p = &px_[((size_t)y * width_ + x) * 4];
            for (int c = 0; c < channels; c++)
                row[(size_t)x * channels + c] = (png_byte)std::lround(Clamp01(p[c]) * 255.0f);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return fclose(f) == 0;
}

float RoundBoxDistance(float x, float y, float cx, float cy, float hw, float hh, float radius) {
    float qx = std::fabs(x - cx) - (hw - radius);
    float qy = std::fabs(y - cy) - (hh - radius);
    float ox = qx > 0 ? qx : 0, oy = qy > 0 ? qy : 0;
    float inside = qx > qy ? qx : qy;
    return std::hypot(ox, oy) + (inside < 0 ? inside : 0) - radius;
}

static uint32_t Mix32(uint32_t h) {
    h ^= h >> 16;
    h *= 0x7feb352dU;
    h ^= h >> 15;
    h *= 0x846ca68bU;
    h ^= h >> 16;
    return h;
}

float Hash01(uint32_t a, uint32_t b) {
    return (Mix32(a * 0x9E3779B1U + Mix32(b + 0x632BE5ABU)) & 0xFFFFFF) / 16777216.0f;
}

Noise::Noise(uint32_t seed, int periodX, int periodY)
    : seed_(seed), periodX_(periodX), periodY_(periodY) {}

float Noise::Lattice(int x, int y, int px, int py) const {
    x = ((x % px) + px) % px;
    y = ((y % py) + py) % py;
    return Hash01(seed_ ^ (uint32_t)(px * 7919 + py),
                  ((uint32_t)x * 73856093u) ^ ((uint32_t)y * 19349663u));
}

float Noise::AtPeriod(float x, float y, int px, int py) const {
    int ix = (int)std::floor(x), iy = (int)std::floor(y);
    float fx = x - ix, fy = y - iy;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    float a = Lattice(ix, iy, px, py), b = Lattice(ix + 1, iy, px, py);
    float c = Lattice(ix, iy + 1, px, py), d = Lattice(ix + 1, iy + 1, px, py);
    float top = a + (b - a) * fx, bottom = c + (d - c) * fx;
    return top + (bottom - top) * fy;
}

float Noise::At(float x, float y) const {
    return AtPeriod(x, y, periodX_, periodY_);
}

float Noise::Fractal(float x, float y, int octaves) const {
    float sum = 0, amp = 0.5f, norm = 0;
    int px = periodX_, py = periodY_;
    for (int i = 0; i < octaves; i++) {
        sum += AtPeriod(x, y, px, py) * amp;
        norm += amp;
        x *= 2;
        y *= 2;
        px *= 2;
        py *= 2;
        amp *= 0.5f;
    }
    return sum / norm;
}
