// texgen: draws every texture of the game's 3D scenes, the 2D overlay images
// and the logo's environment maps. Deterministic: the same files every run.
//
//   texgen [ROOT]   writes under ROOT/data/gfx/{3d,2d,logo} (default ".")

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "Canvas.h"
#include "platform/Path.h"

namespace {

const float kPi = 3.14159265f;

std::string gRoot = ".";

bool Save(const Canvas &c, const char *relative, bool alpha) {
    std::string path = gRoot + "/" + relative;
    return c.WritePng(path.c_str(), alpha);
}

// ---------------------------------------------------------------- dominoes

const Rgb kIvory = {0.95f, 0.92f, 0.83f};
const Rgb kBody = {0.91f, 0.87f, 0.76f};
const Rgb kPip = {0.06f, 0.05f, 0.05f};

// Pip centres of one half, in units of the pip spacing around the centre of
// the half. The tile lies along x, so the six shows two rows of three.
std::vector<std::pair<float, float>> PipLayout(int value) {
    switch (value) {
        case 1:
            return {{0, 0}};
        case 2:
            return {{1, -1}, {-1, 1}};
        case 3:
            return {{1, -1}, {0, 0}, {-1, 1}};
        case 4:
            return {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
        case 5:
            return {{-1, -1}, {1, -1}, {0, 0}, {-1, 1}, {1, 1}};
        case 6:
            return {{-1, -1}, {0, -1}, {1, -1}, {-1, 1}, {0, 1}, {1, 1}};
        default:
            return {};
    }
}

// An engraved pip: a dark hole with a lit lower lip and a shaded upper lip.
void DrawPip(Canvas &c, float x, float y, float r) {
    c.Disc(x - 0.9f, y - 0.9f, r + 1.4f, {0.35f, 0.28f, 0.2f}, 0.35f);
    c.Disc(x + 0.9f, y + 0.9f, r + 1.2f, {1, 1, 0.97f}, 0.7f);
    c.Disc(x, y, r, kPip);
    for (int i = 0; i < 4; i++)
        c.Disc(x + r * 0.3f, y + r * 0.3f, r * (0.55f - 0.1f * i), {0.32f, 0.3f, 0.28f}, 0.12f);
}

void DrawDominoFace(Canvas &c, int a, int b) {
    const int w = c.Width(), half = c.Height() / 2;
    Noise grain(17, 8, 64), fine(23, 64, 64);
    c.Fill([&](float x, float y) {
        float n = fine.Fractal(x / w * 64, y / w * 64, 2) - 0.5f;
        if (y < half) {
            // A face barely darker toward its rim reads as a slightly domed surface.
            float dx = (x - w * 0.5f) / (w * 0.5f), dy = (y - half * 0.5f) / (half * 0.5f);
            float shade = 1.0f - 0.05f * (dx * dx * 0.5f + dy * dy);
            return Scale(kIvory, shade + n * 0.03f);
        }
        float streak = grain.Fractal(x / w * 8, y / w * 64, 3) - 0.5f;
        return Scale(kBody, 0.97f + streak * 0.08f + n * 0.03f);
    });
    // Dividing groove with its lit edge.
    const float mid = w * 0.5f, top = half * 0.1f, bottom = half * 0.9f;
    c.PaintShape(mid - 3, top - 2, mid + 3, bottom + 2, {0.3f, 0.25f, 0.2f}, 0.85f,
                 [&](float x, float y) {
                     return RoundBoxDistance(x, y, mid - 0.4f, half * 0.5f, 1.3f,
                                             (bottom - top) * 0.5f, 1.3f);
                 });
    c.PaintShape(mid, top - 2, mid + 4, bottom + 2, {1, 1, 0.96f}, 0.6f, [&](float x, float y) {
        return RoundBoxDistance(x, y, mid + 1.6f, half * 0.5f, 0.7f, (bottom - top) * 0.5f, 0.7f);
    });
    // Brass spinner at the centre.
    c.Disc(mid + 0.6f, half * 0.5f + 0.6f, 7.0f, {0.3f, 0.22f, 0.1f}, 0.5f);
    c.Disc(mid, half * 0.5f, 6.0f, {0.72f, 0.55f, 0.25f});
    c.Disc(mid - 1.5f, half * 0.5f - 1.5f, 3.0f, {0.98f, 0.88f, 0.6f}, 0.8f);
    // Pips on each half.
    const float spacing = half * 0.27f, radius = half * 0.08f;
    for (int side = 0; side < 2; side++) {
        float cx = (side + 0.5f) * w * 0.5f, cy = half * 0.5f;
        for (auto &p : PipLayout(side == 0 ? a : b))
            DrawPip(c, cx + p.first * spacing, cy + p.second * spacing, radius);
    }
}

bool MakeDominoes() {
    for (int a = 0; a <= 6; a++)
        for (int b = a; b <= 6; b++) {
            Canvas c(256, 256);
            DrawDominoFace(c, a, b);
            char name[64];
            snprintf(name, sizeof name, "data/gfx/3d/%d-%d.png", a, b);
            if (!Save(c, name, false)) return false;
        }
    return true;
}

// ---------------------------------------------------------------- wood

// Walnut boards along x: four boards per image height, each with its own
// tone, fine straight grain with gentle waves, long darker streaks, and thin
// dark seams between boards. Tiles in both directions.
Rgb WoodAt(float u, float v, const Noise &warp, const Noise &fibre, const Noise &streak) {
    const int boards = 4;
    float bv = v * boards;
    int board = (int)bv;
    float inBoard = bv - board;
    float w = warp.Fractal(u * 2, v * 8, 4);
    // A slow sway across the whole board bends the rings into long arcs.
    float sway = streak.Fractal(u * 2 + 0.37f * board, v * 16, 2);
    float t = inBoard * 9.0f + w * 1.1f + sway * 3.0f + board * 3.7f;
    float ring = t - std::floor(t);
    // Late wood (dark, narrow) and early wood (light, wide).
    float late = SmoothStep(0.62f, 0.8f, ring) * (1 - SmoothStep(0.86f, 1.0f, ring));
    float f = fibre.Fractal(u * 2, v * 128, 3);
    float s = streak.Fractal(u * 2, v * 16, 3);
    float tone = 0.86f + 0.24f * Hash01(board, 77);
    Rgb light = {0.56f, 0.34f, 0.18f}, dark = {0.3f, 0.16f, 0.07f};
    Rgb col = Mix(light, dark, 0.55f * late + 0.35f * SmoothStep(0.45f, 0.8f, s));
    col = Scale(col, tone * (0.9f + 0.2f * f));
    float seam = std::fmin(inBoard, 1 - inBoard) * 512 / boards;  // pixels from a seam
    return Scale(col, 0.55f + 0.45f * SmoothStep(0.0f, 1.6f, seam));
}

bool MakeWood() {
    Canvas c(512, 512);
    Noise warp(101, 2, 8), fibre(103, 2, 128), streak(107, 2, 16);
    c.Fill([&](float x, float y) { return WoodAt(x / 512, y / 512, warp, fibre, streak); });
    return Save(c, "data/gfx/3d/wood.png", false);
}

// Oak floor boards: eight rows, staggered joints, each board its own tone.
bool MakeFloor() {
    const int n = 512, rows = 8, rowH = n / rows;
    Canvas c(n, n);
    Noise fibre(211, 4, 128), warp(213, 4, 4);
    c.Fill([&](float x, float y) {
        int row = (int)(y / rowH);
        float boardLen = n / 2.0f;
        float shift = Hash01(row, 5) * boardLen;
        float bx = std::fmod(x + shift, (float)n);
        int board = (int)(bx / boardLen);
        float tone = 0.8f + 0.35f * Hash01(row * 7 + board, 9);
        float f = fibre.Fractal(x / n * 4, y / n * 128, 3);
        float wv = warp.Fractal(x / n * 4, y / n * 4, 3);
        float rings = std::sin((y / n * 40 + wv * 6 + board * 1.7f) * kPi);
        Rgb base = {0.5f, 0.32f, 0.17f};
        Rgb col = Scale(base, tone * (0.82f + 0.25f * f + 0.07f * rings));
        // Dark joints between boards, end joints a little softer.
        float dy = std::fabs(y - (row * rowH + 0.5f)), dx = std::fmod(bx, boardLen);
        float joint = std::fmin(1.0f, std::fmin(dy / 1.5f, std::fmin(dx, boardLen - dx) / 1.2f));
        return Scale(col, 0.45f + 0.55f * joint);
    });
    return Save(c, "data/gfx/3d/floor.png", false);
}

// Warm ochre wallpaper: mottled ground, faint stripes and a soft diamond
// motif between them.
bool MakeWall() {
    const int n = 256;
    Canvas c(n, n);
    Noise mottle(307, 4, 4);
    c.Fill([&](float x, float y) {
        float m = mottle.Fractal(x / n * 4, y / n * 4, 5);
        float sx = x / n * 4, sy = y / n * 4;
        float fx = sx - std::floor(sx) - 0.5f, fy = sy - std::floor(sy) - 0.5f;
        float motif = 1 - SmoothStep(0.3f, 0.36f, std::fabs(fx) * 1.6f + std::fabs(fy));
        float line = SmoothStep(0.46f, 0.5f, std::fabs(fx));  // between the bands
        Rgb base = {0.62f, 0.43f, 0.24f};
        Rgb col = Scale(base, 0.9f + 0.12f * m);
        col = Mix(col, {0.74f, 0.56f, 0.32f}, 0.35f * motif);
        col = Scale(col, 1 - 0.12f * line);
        return col;
    });
    return Save(c, "data/gfx/3d/wall.png", false);
}

bool MakeCeiling() {
    const int n = 128;
    Canvas c(n, n);
    Noise mottle(401, 4, 4);
    c.Fill([&](float x, float y) {
        float m = mottle.Fractal(x / n * 4, y / n * 4, 4);
        return Scale({0.86f, 0.82f, 0.75f}, 0.92f + 0.1f * m);
    });
    return Save(c, "data/gfx/3d/ceiling.png", false);
}

// A deep red rug with a gold and navy border and a central medallion.
bool MakeRug() {
    const int n = 256;
    Canvas c(n, n);
    Noise pile(503, 64, 64);
    c.Fill([&](float x, float y) {
        float u = x / n - 0.5f, v = y / n - 0.5f;
        float edge = 0.5f - std::fmax(std::fabs(u), std::fabs(v));  // 0 at the rim
        Rgb red = {0.46f, 0.08f, 0.07f}, gold = {0.78f, 0.58f, 0.25f}, navy = {0.1f, 0.12f, 0.25f};
        Rgb col = red;
        if (edge < 0.03f)
            col = navy;
        else if (edge < 0.045f)
            col = gold;
        else if (edge < 0.1f)
            col = navy;
        else if (edge < 0.115f)
            col = gold;
        float diamond = std::fabs(u) + std::fabs(v);
        if (diamond < 0.2f) col = diamond < 0.16f ? (diamond < 0.06f ? gold : navy) : gold;
        float p = pile.Fractal(x / n * 64, y / n * 64, 2);
        return Scale(col, 0.85f + 0.25f * p);
    });
    return Save(c, "data/gfx/3d/rug.png", false);
}

// Lamp shade fabric: fine linen weave, lit from inside.
bool MakeShade() {
    const int n = 128;
    Canvas c(n, n);
    Noise weave(601, 128, 128);
    c.Fill([&](float x, float y) {
        float wx = 0.5f + 0.5f * std::sin(x * kPi), wy = 0.5f + 0.5f * std::sin(y * kPi);
        float w = weave.At(x, y);
        return Scale({1.0f, 0.82f, 0.55f}, 0.85f + 0.06f * wx + 0.06f * wy + 0.06f * w);
    });
    return Save(c, "data/gfx/3d/shade.png", false);
}

// Brass for the lamp fittings.
bool MakeBrass() {
    const int n = 64;
    Canvas c(n, n);
    Noise brush(701, 4, 64);
    c.Fill([&](float x, float y) {
        float b = brush.Fractal(x / n * 4, y / n * 64, 2);
        return Scale({0.78f, 0.6f, 0.3f}, 0.85f + 0.25f * b);
    });
    return Save(c, "data/gfx/3d/brass.png", false);
}

// ---------------------------------------------------------------- 2D

struct Point {
    float x, y;
};

// Signed distance to a closed polygon (negative inside).
float PolygonDistance(const std::vector<Point> &p, float x, float y) {
    float d = 1e9f;
    bool inside = false;
    for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
        float ex = p[i].x - p[j].x, ey = p[i].y - p[j].y;
        float wx = x - p[j].x, wy = y - p[j].y;
        float t = Clamp01((wx * ex + wy * ey) / (ex * ex + ey * ey));
        d = std::fmin(d, std::hypot(wx - ex * t, wy - ey * t));
        if ((p[i].y > y) != (p[j].y > y) && x < ex * (y - p[j].y) / ey + p[j].x) inside = !inside;
    }
    return inside ? -d : d;
}

bool MakePointer() {
    Canvas c(16, 16);
    const std::vector<Point> arrow = {{1.2f, 1.0f},  {1.2f, 12.8f}, {4.1f, 10.1f}, {6.3f, 14.8f},
                                      {8.4f, 13.9f}, {6.3f, 9.3f},  {10.3f, 9.3f}};
    auto dist = [&](float x, float y) { return PolygonDistance(arrow, x, y); };
    // Soft drop shadow, then a dark outline and the white body.
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 16; x++) {
            float d = dist(x + 0.5f - 1.2f, y + 0.5f - 1.2f);
            c.Blend(x, y, {0, 0, 0}, 0.35f * Clamp01(1.0f - d / 1.5f));
        }
    c.PaintShape(0, 0, 16, 16, {0.05f, 0.05f, 0.08f}, 1.0f,
                 [&](float x, float y) { return dist(x, y) - 0.9f; });
    c.PaintShape(0, 0, 16, 16, {1, 1, 1}, 1.0f,
                 [&](float x, float y) { return dist(x, y) + 0.1f; });
    return Save(c, "data/gfx/2d/pointeur.png", true);
}

// A glowing ring with a faint centre, for the open spots.
bool MakeSelect1() {
    const int n = 64;
    Canvas c(n, n);
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            float r = std::hypot(x + 0.5f - n * 0.5f, y + 0.5f - n * 0.5f) / (n * 0.5f);
            float ring = std::exp(-std::pow((r - 0.7f) / 0.09f, 2.0f));
            float glow = 0.35f * (1 - SmoothStep(0.0f, 0.9f, r));
            float a = Clamp01(ring + glow) * (1 - SmoothStep(0.9f, 1.0f, r));
            c.Set(x, y, Mix({1.0f, 0.8f, 0.45f}, {1, 1, 0.9f}, ring), a);
        }
    return Save(c, "data/gfx/2d/select1.png", true);
}

// A soft rounded highlight with a brighter rim; stretched over tiles, name
// panels and menu rows alike.
bool MakeSelect2() {
    const int n = 128;
    Canvas c(n, n);
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            float d = RoundBoxDistance(x + 0.5f, y + 0.5f, n * 0.5f, n * 0.5f, n * 0.44f, n * 0.44f,
                                       n * 0.16f) /
                      (n * 0.5f);
            float rim = std::exp(-std::pow((d + 0.05f) / 0.05f, 2.0f));
            float fill = 0.3f * (1 - SmoothStep(-0.05f, 0.02f, d));
            float outer = 0.25f * std::exp(-std::pow(std::fmax(d, 0.0f) / 0.06f, 2.0f));
            c.Set(x, y, Mix({1.0f, 0.72f, 0.3f}, {1, 0.95f, 0.75f}, rim),
                  Clamp01(fill + rim * 0.8f + outer));
        }
    return Save(c, "data/gfx/2d/select2.png", true);
}

// ---------------------------------------------------------------- logo

// Sphere environment map of a soft studio: a graded backdrop, a large key
// softbox above left, a thin rim strip and a warm floor bounce. `tint`
// colours the metal.
bool MakeEnvironment(const char *name, Rgb tint, Rgb backdrop) {
    const int n = 256;
    Canvas c(n, n);
    c.Fill([&](float x, float y) {
        float nx = x / n * 2 - 1, ny = y / n * 2 - 1;
        float rr = nx * nx + ny * ny;
        if (rr > 1) {  // outside the sphere: clamp to the rim
            float k = 1 / std::sqrt(rr);
            nx *= k;
            ny *= k;
            rr = 1;
        }
        float nz = std::sqrt(1 - rr);
        float up = -ny;  // rows at the top face the ceiling
        Rgb col = Mix(Scale(backdrop, 0.25f), backdrop, SmoothStep(-0.6f, 0.9f, up));
        // Key softbox.
        float key = 1 - SmoothStep(0.0f, 0.12f,
                                   RoundBoxDistance(nx, ny, -0.35f, -0.45f, 0.32f, 0.2f, 0.12f));
        // Rim strip on the right.
        float rim =
            1 - SmoothStep(0.0f, 0.05f, RoundBoxDistance(nx, ny, 0.78f, 0.0f, 0.05f, 0.55f, 0.04f));
        // Warm bounce from below, and a soft horizon line.
        float bounce = SmoothStep(0.3f, 1.0f, -up) * 0.35f;
        float horizon = std::exp(-std::pow(up / 0.06f, 2.0f)) * 0.25f * nz;
        col = Mix(col, {1, 1, 1}, Clamp01(key * 0.95f + rim * 0.8f + horizon));
        col = Mix(col, {1.0f, 0.75f, 0.45f}, bounce);
        return Rgb{col.r * tint.r, col.g * tint.g, col.b * tint.b};
    });
    char path[64];
    snprintf(path, sizeof path, "data/gfx/logo/%s", name);
    return Save(c, path, false);
}

// Warm radial glow, in colour and in alpha, for the logo's halo and shafts.
bool MakeLightMap() {
    const int n = 128;
    Canvas c(n, n);
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            float r = std::hypot(x + 0.5f - n * 0.5f, y + 0.5f - n * 0.5f) / (n * 0.5f);
            float g = Clamp01(std::exp(-r * r * 4.0f) - 0.02f * r);
            c.Set(x, y, Scale(Mix({1.0f, 0.7f, 0.35f}, {1, 1, 0.95f}, g), g), g);
        }
    return Save(c, "data/gfx/logo/light.png", true);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc > 1) gRoot = argv[1];
    for (const char *dir : {"data/gfx/3d", "data/gfx/2d", "data/gfx/logo"})
        if (!platform::MakeDirs(gRoot + "/" + dir)) {
            fprintf(stderr, "texgen: cannot create %s/%s\n", gRoot.c_str(), dir);
            return 1;
        }
    bool ok = MakeDominoes() && MakeWood() && MakeFloor() && MakeWall() && MakeCeiling() &&
              MakeRug() && MakeShade() && MakeBrass() && MakePointer() && MakeSelect1() &&
              MakeSelect2() && MakeEnvironment("env.png", {1, 1, 1}, {0.75f, 0.78f, 0.85f}) &&
              MakeEnvironment("env1.png", {1.0f, 0.8f, 0.45f}, {0.9f, 0.85f, 0.8f}) &&
              MakeEnvironment("env2.png", {0.55f, 0.75f, 1.0f}, {0.8f, 0.85f, 0.95f}) &&
              MakeLightMap();
    return ok ? 0 : 1;
}
