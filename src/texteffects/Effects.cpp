#include "texteffects/Effects.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace texteffects {

namespace {

uint8_t ToByte(long long v) {
    return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}
uint8_t ToByte(double v) {
    return ToByte(static_cast<long long>(v));
}

int Clamp(long long v, int lo, int hi) {
    return static_cast<int>(v < lo ? lo : v > hi ? hi : v);
}

// The part of a box of bw x bh at (x, y) that lies inside the canvas, as box
// coordinates [i0, i1) x [j0, j1); empty when nothing is visible.
struct Clip {
    int i0 = 0, i1 = 0, j0 = 0, j1 = 0;
    bool Empty() const { return i0 >= i1 || j0 >= j1; }
};

Clip ClipBox(const Image &canvas, long long x, long long y, long long bw, long long bh) {
    Clip c;
    c.i0 = static_cast<int>(std::max<long long>(0, -x));
    c.j0 = static_cast<int>(std::max<long long>(0, -y));
    c.i1 = static_cast<int>(std::max<long long>(0, std::min<long long>(bw, canvas.width - x)));
    c.j1 = static_cast<int>(std::max<long long>(0, std::min<long long>(bh, canvas.height - y)));
    return c;
}

bool Usable(const Image &img) {
    return img.width > 0 && img.height > 0 &&
           img.pixels.size() >= static_cast<size_t>(img.width) * img.height * 4;
}

uint8_t *Pixel(Image *img, int x, int y) {
    return &img->pixels[(static_cast<size_t>(y) * img->width + x) * 4];
}
const uint8_t *Pixel(const Image &img, int x, int y) {
    return &img.pixels[(static_cast<size_t>(y) * img.width + x) * 4];
}

// The soft-edge weight over the visible part of a box. Its area term is a
// column factor times a row factor, so both are computed once per column
// and row; the weights are exactly those of SoftEdgeWeight.
class SoftEdge {
public:
    SoftEdge(const Clip &c, int bw, int bh, int r) : i0_(c.i0), j0_(c.j0), none_(r < 1) {
        twoR2_ = 2.0f * r * r;
        if (none_) return;
        for (int i = c.i0; i < c.i1; i++)
            ax_.push_back(std::min(i + r, bw - 1) - std::max(i - r, 0));
        for (int j = c.j0; j < c.j1; j++)
            ay_.push_back(std::min(j + r, bh - 1) - std::max(j - r, 0));
    }
    float operator()(int i, int j) const {
        if (none_) return 1.0f;
        const long long area = static_cast<long long>(ax_[i - i0_]) * ay_[j - j0_];
        float t = (static_cast<float>(area) - twoR2_) / twoR2_;
        return t < 0.0f ? 0.0f : t > 1.0f ? 1.0f : t;
    }

private:
    int i0_, j0_;
    bool none_;
    float twoR2_ = 0;
    std::vector<int> ax_, ay_;
};

// One random value of the clouds: a spread of n around the mean of two
// neighbours, kept to a byte.
int Displace(RandomSource random, int n, int a, int b) {
    int v = random() % n + (a + b) / 2 - n / 2;
    return v < 0 ? 0 : v > 255 ? 255 : v;
}

struct Grid {
    std::vector<uint8_t> cells;
    int columns = 0;  // width + 1
    uint8_t &At(int row, int column) { return cells[static_cast<size_t>(row) * columns + column]; }
};

// 1-D subdivision along a line of the grid: the k-th cell is at
// first + k * stride.
void Subdivide1D(uint8_t *first, size_t stride, int a, int b, RandomSource random) {
    for (;;) {
        int n = b - a + 1;
        if (n < 2) return;
        int m = (a + b) / 2;
        int v = Displace(random, n, first[a * stride], first[b * stride]);
        if (first[m * stride] == 0) first[m * stride] = static_cast<uint8_t>(v);
        if (n < 3) return;
        Subdivide1D(first, stride, a, m, random);
        a = m;
    }
}

void Subdivide2D(Grid &g, int x0, int y0, int x1, int y1, RandomSource random) {
    for (;;) {
        int nw = x1 - x0 + 1, nh = y1 - y0 + 1, nm = std::max(nw, nh);
        if (nw < 2 || nh < 2) return;
        int xm = (x0 + x1) / 2, ym = (y0 + y1) / 2;
        // Each value draws its random number even when the cell is already set,
        // so the sequence does not depend on what neighbours filled in before.
        int top = Displace(random, nw, g.At(y0, x1), g.At(y0, x0));
        if (g.At(y0, xm) == 0) g.At(y0, xm) = static_cast<uint8_t>(top);
        int bottom = Displace(random, nw, g.At(y1, x1), g.At(y1, x0));
        if (g.At(y1, xm) == 0) g.At(y1, xm) = static_cast<uint8_t>(bottom);
        int left = Displace(random, nh, g.At(y0, x0), g.At(y1, x0));
        if (g.At(ym, x0) == 0) g.At(ym, x0) = static_cast<uint8_t>(left);
        int right = Displace(random, nh, g.At(y0, x1), g.At(y1, x1));
        if (g.At(ym, x1) == 0) g.At(ym, x1) = static_cast<uint8_t>(right);
        int corners = g.At(y0, x0) + g.At(y0, x1) + g.At(y1, x0) + g.At(y1, x1);
        int centre = random() % nm + corners / 4 - nm / 2;
        centre = centre < 0 ? 0 : centre > 255 ? 255 : centre;
        if (g.At(ym, xm) == 0) g.At(ym, xm) = static_cast<uint8_t>(centre);
        if (nw < 3 || nh < 3) return;
        Subdivide2D(g, x0, y0, xm, ym, random);
        Subdivide2D(g, xm, y0, x1, ym, random);
        Subdivide2D(g, x0, ym, xm, y1, random);
        x0 = xm;
        y0 = ym;
    }
}

// The smallest and largest |v| for v in [a, b].
void AbsRange(long long a, long long b, long long *lo, long long *hi) {
    if (a <= 0 && b >= 0) {
        *lo = 0;
        *hi = std::max(-a, b);
    } else if (b < 0) {
        *lo = -b;
        *hi = -a;
    } else {
        *lo = a;
        *hi = b;
    }
}

int StdRandom() {
    return std::rand();
}

}  // namespace

int MakeClouds(int c0, int c1, int c2, int width, int height, Image *out, RandomSource random) {
    *out = Image();
    if (width < 1 || height < 1) return 0;
    if (!random) random = StdRandom;
    Grid g;
    g.columns = width + 1;
    g.cells.assign(static_cast<size_t>(width + 1) * (height + 1), 0);
    g.At(0, 0) = static_cast<uint8_t>(128 + random() % 127);
    g.At(0, width) = static_cast<uint8_t>(128 + random() % 127);
    g.At(height, 0) = g.At(0, width);
    Subdivide1D(&g.At(0, 0), 1, 0, width, random);
    Subdivide1D(&g.At(0, 0), g.columns, 0, height, random);
    for (int i = 0; i <= width; i++) g.At(height, i) = g.At(0, i);
    for (int j = 0; j <= height; j++) g.At(j, width) = g.At(j, 0);
    Subdivide2D(g, 0, 0, width, height, random);

    const int tint[3] = {Clamp(c0, 0, 255), Clamp(c1, 0, 255), Clamp(c2, 0, 255)};
    out->width = width;
    out->height = height;
    out->pixels.resize(static_cast<size_t>(width) * height * 4);
    for (int j = 0; j < height; j++)
        for (int i = 0; i < width; i++) {
            uint8_t *p = Pixel(out, i, j);
            for (int k = 0; k < 3; k++) p[k] = static_cast<uint8_t>(g.At(j, i) * tint[k] / 255);
            p[3] = 255;
        }
    return 1;
}

float SoftEdgeWeight(int i, int j, int bw, int bh, int r) {
    if (r < 1) return 1.0f;
    const long long area = static_cast<long long>(std::min(i + r, bw - 1) - std::max(i - r, 0)) *
                           (std::min(j + r, bh - 1) - std::max(j - r, 0));
    const float twoR2 = 2.0f * r * r;
    float t = (static_cast<float>(area) - twoR2) / twoR2;
    return t < 0.0f ? 0.0f : t > 1.0f ? 1.0f : t;
}

void ShadowBox(Image *canvas, int x, int y, int bw, int bh, int r) {
    if (!Usable(*canvas)) return;
    Clip c = ClipBox(*canvas, x, y, bw, bh);
    if (c.Empty()) return;
    const SoftEdge weight(c, bw, bh, r);
    for (int j = c.j0; j < c.j1; j++)
        for (int i = c.i0; i < c.i1; i++) {
            float t = weight(i, j);
            float f = 1.0f - 0.5f * t * t;
            uint8_t *p = Pixel(canvas, x + i, y + j);
            for (int k = 0; k < 3; k++) p[k] = ToByte(static_cast<double>(p[k] * f));
        }
}

void Mosaic(Image *canvas, const Image &bitmap, int x, int y) {
    if (!Usable(*canvas) || !Usable(bitmap)) return;
    const int bw = bitmap.width, bh = bitmap.height;
    for (int j = 0; j < canvas->height; j++) {
        int v = static_cast<int>(((static_cast<long long>(j) + y) % bh + bh) % bh);
        int u = static_cast<int>(((static_cast<long long>(x)) % bw + bw) % bw);
        for (int i = 0; i < canvas->width; i++) {
            const uint8_t *s = Pixel(bitmap, u, v);
            uint8_t *p = Pixel(canvas, i, j);
            p[0] = s[0];
            p[1] = s[1];
            p[2] = s[2];
            if (++u == bw) u = 0;
        }
    }
}

void Stretch(Image *canvas, const Image &bitmap, int x, int y) {
    if (!Usable(*canvas) || !Usable(bitmap)) return;
    const int W = canvas->width, H = canvas->height;
    const int bw = bitmap.width, bh = bitmap.height;
    std::vector<int> u0(W), u1(W);
    std::vector<float> fu(W);
    for (int i = 0; i < W; i++) {
        float u = static_cast<float>(i) * (bw - 1) / W;
        int iu = static_cast<int>(u);
        fu[i] = u - iu;
        u0[i] = Clamp(static_cast<long long>(iu) + x, 0, bw - 1);
        u1[i] = Clamp(static_cast<long long>(iu) + x + 1, 0, bw - 1);
    }
    for (int j = 0; j < H; j++) {
        float v = static_cast<float>(j) * (bh - 1) / H;
        int iv = static_cast<int>(v);
        float fv = v - iv;
        int v0 = Clamp(static_cast<long long>(iv) + y, 0, bh - 1);
        int v1 = Clamp(static_cast<long long>(iv) + y + 1, 0, bh - 1);
        for (int i = 0; i < W; i++) {
            const uint8_t *a = Pixel(bitmap, u0[i], v0), *b = Pixel(bitmap, u1[i], v0);
            const uint8_t *c = Pixel(bitmap, u0[i], v1), *d = Pixel(bitmap, u1[i], v1);
            const float f = fu[i];
            uint8_t *p = Pixel(canvas, i, j);
            // A blend of bytes stays within 0..255.
            for (int k = 0; k < 3; k++) {
                float top = a[k] + (b[k] - a[k]) * f;
                float bottom = c[k] + (d[k] - c[k]) * f;
                p[k] = static_cast<uint8_t>(static_cast<int>(top + (bottom - top) * fv));
            }
        }
    }
}

void DrawBitmap(Image *canvas, const Image &bitmap, int x, int y, bool shadow, int dx, int dy,
                bool frame) {
    if (!Usable(*canvas) || !Usable(bitmap)) return;
    if (shadow)
        ShadowBox(canvas, Clamp(x + 3LL * dx, -(1 << 28), 1 << 28),
                  Clamp(y + 3LL * dy, -(1 << 28), 1 << 28), bitmap.width, bitmap.height, 6);
    Clip c = ClipBox(*canvas, x, y, bitmap.width, bitmap.height);
    for (int j = c.j0; j < c.j1; j++)
        for (int i = c.i0; i < c.i1; i++) {
            const uint8_t *s = Pixel(bitmap, i, j);
            uint8_t *p = Pixel(canvas, x + i, y + j);
            float alpha = s[3] / 255.0f;
            for (int k = 0; k < 3; k++)
                p[k] = ToByte(static_cast<double>(p[k] * (1.0f - alpha) + s[k] * alpha));
        }
    if (!frame) return;
    // The frame runs from (x - 1, y - 1) to (x + width, y + height).
    const long long left = x - 1LL, top = y - 1LL;
    const long long right = static_cast<long long>(x) + bitmap.width;
    const long long bottom = static_cast<long long>(y) + bitmap.height;
    auto plot = [canvas](long long px, long long py) {
        if (px < 0 || py < 0 || px >= canvas->width || py >= canvas->height) return;
        uint8_t *p = Pixel(canvas, static_cast<int>(px), static_cast<int>(py));
        p[0] = p[1] = p[2] = 255;
    };
    const long long xa = std::max<long long>(left, 0),
                    xb = std::min<long long>(right, canvas->width - 1);
    for (long long px = xa; px <= xb; px++) {
        plot(px, top);
        plot(px, bottom);
    }
    const long long ya = std::max<long long>(top, 0),
                    yb = std::min<long long>(bottom, canvas->height - 1);
    for (long long py = ya; py <= yb; py++) {
        plot(left, py);
        plot(right, py);
    }
}

void DrawFeatheredBitmap(Image *canvas, const Image &bitmap, int x, int y) {
    if (!Usable(*canvas) || !Usable(bitmap)) return;
    const double diagonal = std::sqrt(static_cast<double>(bitmap.width) * bitmap.width +
                                      static_cast<double>(bitmap.height) * bitmap.height);
    const int r = static_cast<int>(0.1 * diagonal);
    Clip c = ClipBox(*canvas, x, y, bitmap.width, bitmap.height);
    if (c.Empty()) return;
    const SoftEdge weight(c, bitmap.width, bitmap.height, r);
    for (int j = c.j0; j < c.j1; j++)
        for (int i = c.i0; i < c.i1; i++) {
            float t = weight(i, j);
            float w = t * t;
            const uint8_t *s = Pixel(bitmap, i, j);
            uint8_t *p = Pixel(canvas, x + i, y + j);
            for (int k = 0; k < 3; k++)
                p[k] = ToByte(static_cast<double>(p[k] * (1.0f - w) + s[k] * w));
        }
}

void GradientBox(Image *canvas, const int colour[3], int x, int y, int width, int height) {
    if (!Usable(*canvas) || width < 1 || height < 1) return;
    const int r = 24;
    ShadowBox(canvas, Clamp(x + 16LL, -(1 << 30), 1 << 30), Clamp(y + 16LL, -(1 << 30), 1 << 30),
              width, height, r);
    const int c[3] = {Clamp(colour[0], 0, 255), Clamp(colour[1], 0, 255), Clamp(colour[2], 0, 255)};
    Clip clip = ClipBox(*canvas, x, y, width, height);
    if (clip.Empty()) return;
    const SoftEdge weight(clip, width, height, r);
    for (int j = clip.j0; j < clip.j1; j++)
        for (int i = clip.i0; i < clip.i1; i++) {
            float t = weight(i, j);
            float w = t * t;
            uint8_t *p = Pixel(canvas, x + i, y + j);
            for (int k = 0; k < 3; k++)
                p[k] = ToByte(static_cast<double>(p[k] * (1.0f - w) + c[k] * w));
        }
}

void BuildTextMap(const image::Coverage &glyphs, int outline, image::Coverage *map) {
    const int o = std::max(0, outline);
    *map = image::Coverage();
    if (glyphs.width < 1 || glyphs.height < 1 ||
        glyphs.alpha.size() < static_cast<size_t>(glyphs.width) * glyphs.height)
        return;
    const int mw = glyphs.width + 2 * o, mh = glyphs.height + 8 * o;
    map->width = mw;
    map->height = mh;
    map->alpha.assign(static_cast<size_t>(mw) * mh, 0);
    for (int j = 0; j < glyphs.height; j++)
        std::copy_n(&glyphs.alpha[static_cast<size_t>(j) * glyphs.width], glyphs.width,
                    &map->alpha[static_cast<size_t>(j + o) * mw + o]);
    // Each pass looks only at the previous pass, so every pass widens the
    // ring by exactly one pixel.
    std::vector<uint8_t> next(map->alpha.size(), 0);
    for (int pass = 0; pass < o; pass++) {
        const uint8_t *a = map->alpha.data();
        for (int j = 1; j < mh - 1; j++)
            for (int i = 1; i < mw - 1; i++) {
                size_t at = static_cast<size_t>(j) * mw + i;
                uint8_t v = 0;
                if (a[at] == 255)
                    v = 255;
                else if (a[at - 1] || a[at + 1] || a[at - mw] || a[at + mw])
                    v = 128;
                next[at] = v;
            }
        map->alpha.swap(next);
        // The border stays 0: `next` held only zeros there from the start.
    }
}

int DrawTextMap(Image *canvas, const image::Coverage &map, int x, int y, const TextStyle &style,
                bool shadowMode) {
    const int bw = map.width / 2, bh = map.height / 2;
    if (!Usable(*canvas) || bw < 1 || bh < 1 ||
        map.alpha.size() < static_cast<size_t>(map.width) * map.height)
        return std::max(bw, 0);
    const bool outlined = style.outline > 0;
    // The fill colour of every possible gradient row 0..bh.
    std::vector<uint8_t> fill(static_cast<size_t>(bh + 1) * 3);
    for (int r = 0; r <= bh; r++)
        for (int k = 0; k < 3; k++) {
            long long c = style.top[k] +
                          static_cast<long long>(style.bottom[k] - style.top[k]) * r / (bh + 1);
            fill[static_cast<size_t>(r) * 3 + k] = ToByte(c);
        }
    Clip c = ClipBox(*canvas, x, y, bw, bh);
    for (int i = c.i0; i < c.i1; i++) {
        int wave = 0;
        if (style.fillMode == 2)
            wave = static_cast<int>(std::floor(std::sin(i * M_PI / 90.0) * 7.0));
        for (int j = c.j0; j < c.j1; j++) {
            uint8_t *p = Pixel(canvas, x + i, y + j);
            int row = style.fillMode == 2 ? Clamp(static_cast<long long>(wave) + j, 0, bh) : j;
            const uint8_t *f = &fill[static_cast<size_t>(row) * 3];
            int sum[3] = {0, 0, 0};
            for (int s = 0; s < 4; s++) {
                int mx = 2 * i + (s & 1), my = 2 * j + (s >> 1);
                uint8_t v = map.alpha[static_cast<size_t>(my) * map.width + mx];
                for (int k = 0; k < 3; k++) {
                    int colour;
                    if (v == 0)
                        colour = p[k];
                    else if (shadowMode)
                        colour = p[k] / 2;
                    else if (v == 128 && outlined)
                        colour = 0;
                    else
                        colour = f[k];
                    sum[k] += colour;
                }
            }
            for (int k = 0; k < 3; k++) p[k] = static_cast<uint8_t>(sum[k] / 4);
        }
    }
    return bw;
}

double WaveHeight(int p, int q, int width, int height, int amplitude, int periods) {
    const int hw = width / 2, hh = height / 2;
    const double R = std::sqrt(static_cast<double>(hh) * hh + static_cast<double>(hw) * hw);
    double d = 1.0;
    if (R > 0) {
        const double dx = p - hw, dy = q - hh;
        d = std::min(1.0, std::sqrt(dx * dx + dy * dy) / R);
    }
    return (std::sin(d * periods * 3.14159) + 1.0) * 0.5 * (1.0 - d) * amplitude;
}

void Wave(Image *canvas, int amplitude, int periods, bool shaded, int lx, int ly) {
    if (!Usable(*canvas)) return;
    const int W = canvas->width, H = canvas->height;
    // Heights of every point the ripple looks at, one beyond each edge. The
    // height depends only on the distance to the centre, so one quadrant of
    // offsets is computed and mirrored.
    const int hw = W / 2, hh = H / 2;
    const int qw = std::max(hw + 1, W - hw) + 1, qh = std::max(hh + 1, H - hh) + 1;
    std::vector<double> quadrant(static_cast<size_t>(qw) * qh);
    for (int dy = 0; dy < qh; dy++)
        for (int dx = 0; dx < qw; dx++)
            quadrant[static_cast<size_t>(dy) * qw + dx] =
                WaveHeight(hw + dx, hh + dy, W, H, amplitude, periods);
    auto at = [&](int p, int q) {
        return quadrant[static_cast<size_t>(std::abs(q - hh)) * qw + std::abs(p - hw)];
    };
    const Image copy = *canvas;
    for (int j = 0; j < H; j++)
        for (int i = 0; i < W; i++) {
            const double gx = at(i + 1, j) - at(i - 1, j);
            const double gy = at(i, j + 1) - at(i, j - 1);
            const int sx = Clamp(static_cast<long long>(i + gx), 0, W - 1);
            const int sy = Clamp(static_cast<long long>(j + gy), 0, H - 1);
            const uint8_t *s = Pixel(copy, sx, sy);
            uint8_t *p = Pixel(canvas, i, j);
            if (!shaded) {
                p[0] = s[0];
                p[1] = s[1];
                p[2] = s[2];
                continue;
            }
            const double light = std::floor(gy * ly + gx * lx);
            const double factor = 1.0 + light / 2048.0;
            for (int k = 0; k < 3; k++)
                p[k] = ToByte(std::max(-1.0, std::min(256.0, s[k] * factor)));
        }
}

int EmbossLight(double dist, int radius) {
    const int r = std::max(1, radius);
    const double l = std::floor((1.0 - std::min(dist / r, 1.0)) * 300.0);
    return static_cast<int>(std::min(255.0, l));
}

void Emboss(Image *canvas, int x, int y, int radius, int w0, int w1, int w2) {
    if (!Usable(*canvas)) return;
    const int W = canvas->width, H = canvas->height;
    std::vector<long long> e(static_cast<size_t>(W) * H);
    for (int j = 0; j < H; j++)
        for (int i = 0; i < W; i++) {
            const uint8_t *p = Pixel(*canvas, i, j);
            e[static_cast<size_t>(j) * W + i] = static_cast<long long>(w0) * p[0] +
                                                static_cast<long long>(w1) * p[1] +
                                                static_cast<long long>(w2) * p[2];
        }
    // The light is looked up within half a canvas around it (2W x 2H
    // points). It depends only on the distance to the spot, so it is
    // computed once for each distinct pair of |dx|, |dy| in that area.
    const int ox = W / 2, oy = H / 2, tw = 2 * W, th = 2 * H;
    long long loX, hiX, loY, hiY;
    AbsRange(-static_cast<long long>(ox) - x, tw - 1LL - ox - x, &loX, &hiX);
    AbsRange(-static_cast<long long>(oy) - y, th - 1LL - oy - y, &loY, &hiY);
    const int qw = static_cast<int>(hiX - loX + 1), qh = static_cast<int>(hiY - loY + 1);
    const long long r = std::max(1, radius), r2 = r * r;
    std::vector<uint8_t> light(static_cast<size_t>(qw) * qh, 0);
    for (int b = 0; b < qh; b++)
        for (int a = 0; a < qw; a++) {
            const long long dx = loX + a, dy = loY + b, d2 = dx * dx + dy * dy;
            if (d2 < r2)  // beyond the radius the light is 0
                light[static_cast<size_t>(b) * qw + a] =
                    static_cast<uint8_t>(EmbossLight(std::sqrt(static_cast<double>(d2)), radius));
        }
    const long long spotX = static_cast<long long>(ox) + x, spotY = static_cast<long long>(oy) + y;
    for (int j = 0; j < H; j++)
        for (int i = 0; i < W; i++) {
            const size_t at = static_cast<size_t>(j) * W + i;
            const long long right = i + 1 < W ? e[at + 1] : e[at];
            const long long below = j + 1 < H ? e[at + W] : right;
            const long long gx = right - e[at], gy = below - e[at];
            const int tx = Clamp(i + gx + ox, 0, tw - 1), ty = Clamp(j + gy + oy, 0, th - 1);
            const long long ax = std::llabs(tx - spotX) - loX, ay = std::llabs(ty - spotY) - loY;
            const int l = light[static_cast<size_t>(ay) * qw + ax];
            uint8_t *p = Pixel(canvas, i, j);
            for (int k = 0; k < 3; k++)
                p[k] = static_cast<uint8_t>(std::min(255, 2 * p[k] * l / 255));
        }
}

}  // namespace texteffects
