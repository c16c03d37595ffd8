// A small floating-point RGBA canvas for drawing the game's textures, with
// anti-aliased shapes (coverage from signed distances), deterministic noise
// and PNG output. Pixel centres are at (x + 0.5, y + 0.5); y grows downward.
#pragma once

#include <cstdint>
#include <vector>

struct Rgb {
    float r, g, b;
};

Rgb Mix(Rgb a, Rgb b, float t);
Rgb Scale(Rgb c, float k);
float Clamp01(float v);
float SmoothStep(float e0, float e1, float x);

class Canvas {
public:
    Canvas(int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }

    // Straight (not premultiplied) colour and alpha of one pixel.
    void Set(int x, int y, Rgb c, float a = 1.0f);
    Rgb Get(int x, int y) const;
    float Alpha(int x, int y) const;

    // Paints colour c over the pixel with coverage a (source-over).
    void Blend(int x, int y, Rgb c, float a);

    // Fills every pixel from a function of the pixel centre.
    template <class F>
    void Fill(F f) {
        for (int y = 0; y < height_; y++)
            for (int x = 0; x < width_; x++) Set(x, y, f(x + 0.5f, y + 0.5f));
    }

    // Paints a shape given by its signed distance (negative inside), with one
    // pixel of anti-aliasing, restricted to a bounding box.
    template <class D>
    void PaintShape(float x0, float y0, float x1, float y1, Rgb c, float alpha, D dist) {
        int ix0 = x0 < 0 ? 0 : (int)x0, iy0 = y0 < 0 ? 0 : (int)y0;
        int ix1 = x1 > width_ ? width_ : (int)x1 + 1, iy1 = y1 > height_ ? height_ : (int)y1 + 1;
        for (int y = iy0; y < iy1; y++)
            for (int x = ix0; x < ix1; x++) {
                float cover = Clamp01(0.5f - dist(x + 0.5f, y + 0.5f));
                if (cover > 0) Blend(x, y, c, cover * alpha);
            }
    }

    void Disc(float cx, float cy, float radius, Rgb c, float alpha = 1.0f);

    // Writes 8-bit RGB, or RGBA when withAlpha. Returns false on failure.
    bool WritePng(const char *path, bool withAlpha) const;

private:
    int width_, height_;
    std::vector<float> px_;  // r, g, b, a per pixel
};

// Signed distance to a rounded box centred at (cx, cy) with half sizes hw, hh.
float RoundBoxDistance(float x, float y, float cx, float cy, float hw, float hh, float radius);

// Deterministic value noise repeating every periodX lattice cells across and
// periodY down, so textures built from it tile seamlessly.
class Noise {
public:
    Noise(uint32_t seed, int periodX, int periodY);
    float At(float x, float y) const;  // 0..1
    // Sum of octaves, each doubling the frequency (and the period).
    float Fractal(float x, float y, int octaves) const;

private:
    float Lattice(int x, int y, int px, int py) const;
    float AtPeriod(float x, float y, int px, int py) const;
    uint32_t seed_;
    int periodX_, periodY_;
};

// A reproducible hash in 0..1, for per-element variations (plank tones...).
float Hash01(uint32_t a, uint32_t b = 0);
