// menugen: the menus' meshes (.3ds, written with lib3ds) and their pictures
// (PNG). Deterministic: the same files every run.
//
//   menugen [ROOT]   writes under ROOT/data/gfx/menu (default ".")
//
// Pictures are RGB without an alpha channel: the menu loader keys out pure
// black (red + green + blue of 9 or less), so black marks what must stay
// transparent, and nothing meant to be seen is painted that dark. Pictures
// are square, as engine textures are; each is drawn in the units of the face
// it covers and stretched to the square, so it comes out undistorted on the
// slab.

#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "../texgen/Canvas.h"
#include "Shapes.h"
#include "platform/Path.h"

namespace {

std::string gRoot = ".";

// ------------------------------------------------------------------ meshes

// Sizes shared with the script's layout (assets/menu/scriptdemo.lua).
const SlabSize kButton = {300, 46, 10, 12, 4};
const SlabSize kField = {240, 46, 8, 8, 4};
const SlabSize kLabel = {200, 40, 6, 8, 3};
const SlabSize kTitle = {440, 72, 14, 16, 5};
const SlabSize kTile = {56, 112, 16, 7, 3};

MaterialDef Material(const char *name) {
    MaterialDef m;
    m.name = name;
    for (int i = 0; i < 3; i++) {
        m.ambient[i] = 0.3f;
        m.diffuse[i] = 0.9f;
        m.specular[i] = 0.4f;
    }
    m.shininess = 0.3f;
    m.selfIllum = false;
    m.twoSided = false;
    return m;
}

bool SaveMesh(const char *file, const Part &part) {
    Model model;
    model.materials.push_back(Material(part.material.c_str()));
    model.parts.push_back(part);
    return model.Save(gRoot + "/data/gfx/menu/" + file);
}

bool MakeMeshes() {
    return SaveMesh("button.3ds", MakeSlab("button", "menu_ivory", kButton)) &&
           SaveMesh("field.3ds", MakeSlab("field", "menu_ivory", kField)) &&
           SaveMesh("label.3ds", MakeSlab("label", "menu_walnut", kLabel)) &&
           SaveMesh("title.3ds", MakeSlab("title", "menu_walnut", kTitle)) &&
           SaveMesh("tile.3ds", MakeSlab("tile", "menu_ivory", kTile)) &&
           SaveMesh("backdrop.3ds", MakePanel("backdrop", "menu_wall", 1600, 1200, 0, 32, 24));
}

// ---------------------------------------------------------------- pictures

const Rgb kIvory = {0.95f, 0.91f, 0.80f};
const Rgb kWalnut = {0.40f, 0.23f, 0.11f};
const Rgb kWalnutDark = {0.22f, 0.12f, 0.05f};
const Rgb kBrass = {0.80f, 0.62f, 0.30f};
const Rgb kFelt = {0.10f, 0.33f, 0.20f};
// The keyed colour: what the loader makes transparent.
const Rgb kKey = {0, 0, 0};

// Walnut grain in face units.
Rgb Walnut(float x, float y, const Noise &grain, const Noise &warp) {
    float w = warp.Fractal(x / 120.0f, y / 30.0f, 3);
    float t = y / 7.0f + w * 2.5f;
    float ring = t - std::floor(t);
    float late = SmoothStep(0.6f, 0.8f, ring) * (1 - SmoothStep(0.85f, 1.0f, ring));
    float f = grain.Fractal(x / 60.0f, y / 2.0f, 3);
    return Scale(Mix(kWalnut, kWalnutDark, 0.5f * late), 0.88f + 0.22f * f);
}

// What a face looks like at a point: the caller gets the point in face units
// and the signed distance to the outline (negative inside).
using FacePaint = std::function<Rgb(float x, float y, float d)>;

bool SaveFace(const char *file, const SlabSize &size, const FacePaint &paint) {
    const int n = 256;
    Canvas c(n, n);
    const float hx = size.width * 0.5f, hy = size.height * 0.5f;
    for (int py = 0; py < n; py++)
        for (int px = 0; px < n; px++) {
            float x = (px + 0.5f) / n * size.width - hx;
            float y = hy - (py + 0.5f) / n * size.height;
            // A little beyond the outline the picture is keyed out; the mesh
            // ends at the outline, so only its rounded corners ever see it.
            float d = RoundBoxDistance(x, y, 0, 0, hx, hy, size.radius);
            c.Set(px, py, d > 1.0f ? kKey : paint(x, y, d));
        }
    std::string path = gRoot + "/data/gfx/menu/" + file;
    return c.WritePng(path.c_str(), false);
}

// Light from the upper left: chamfer pixels facing it are brighter.
float BevelLight(float x, float y, const SlabSize &s) {
    float hx = s.width * 0.5f, hy = s.height * 0.5f;
    float nx = x / hx, ny = y / hy;
    return 1.0f + 0.25f * (ny - 0.6f * nx);
}

// A navigation button: an ivory face with an engraved groove, framed in
// walnut. `glow` warms the face and brightens the frame to brass (hover);
// `pressed` darkens it and turns its shading upside down.
FacePaint ButtonFace(const SlabSize &s, float glow, bool pressed) {
    auto grain = std::make_shared<Noise>(401, 8, 64), warp = std::make_shared<Noise>(403, 4, 8);
    auto speck = std::make_shared<Noise>(405, 64, 16);
    return [=](float x, float y, float d) {
        float hy = s.height * 0.5f;
        if (d > -s.bevel) {
            Rgb frame = Mix(Walnut(x, y, *grain, *warp), kBrass, glow);
            return Scale(frame, BevelLight(x, y, s));
        }
        float shade = pressed ? 0.82f + 0.12f * (-y / hy) : 1.0f - 0.10f * (-y / hy + 1) * 0.5f;
        Rgb face = Mix(kIvory, Rgb{1.0f, 0.86f, 0.58f}, 0.35f * glow);
        face = Scale(face, shade * (0.97f + 0.05f * speck->Fractal(x / 20, y / 20, 2)));
        // The groove: a dark line with a light lip below it.
        float g = d + s.bevel + 4.0f;
        if (std::fabs(g) < 0.9f)
            face = Scale(face, 0.62f);
        else if (g < -0.9f && g > -2.2f)
            face = Mix(face, Rgb{1, 1, 0.95f}, 0.45f);
        return face;
    };
}

// A setting selector: green felt framed in brass.
FacePaint OptionFace(const SlabSize &s, float glow, bool pressed) {
    auto nap = std::make_shared<Noise>(411, 64, 16);
    return [=](float x, float y, float d) {
        float hy = s.height * 0.5f;
        if (d > -s.bevel - 1.5f) {
            Rgb frame = Mix(kBrass, Rgb{1.0f, 0.85f, 0.5f}, glow);
            return Scale(frame, BevelLight(x, y, s) * (pressed ? 0.8f : 1.0f));
        }
        float light = 1.0f - 0.25f * std::fabs(y / hy);
        Rgb felt = Mix(kFelt, Rgb{0.16f, 0.48f, 0.30f}, glow);
        return Scale(
            felt, light * (pressed ? 0.75f : 1.0f) * (0.9f + 0.2f * nap->Fractal(x / 3, y / 3, 2)));
    };
}

// A name field: a recessed ivory slot, its frame walnut, brass while typing.
FacePaint FieldFace(const SlabSize &s, float glow, bool focus) {
    auto grain = std::make_shared<Noise>(421, 8, 64), warp = std::make_shared<Noise>(423, 4, 8);
    return [=](float x, float y, float d) {
        float hy = s.height * 0.5f;
        if (d > -s.bevel - 2.0f) {
            Rgb frame = focus ? kBrass : Mix(Walnut(x, y, *grain, *warp), kBrass, glow);
            return Scale(frame, BevelLight(x, y, s));
        }
        // Recessed: darker toward the top edge, where the frame casts a shadow.
        float shadow = SmoothStep(-hy, hy * 0.2f, -y);
        Rgb face = Scale(focus ? Rgb{1.0f, 0.97f, 0.88f} : kIvory, 0.78f + 0.22f * shadow);
        return face;
    };
}

// Walnut plaque with a thin brass inlay (titles and labels).
FacePaint PlaqueFace(const SlabSize &s) {
    auto grain = std::make_shared<Noise>(431, 8, 64), warp = std::make_shared<Noise>(433, 4, 8);
    return [=](float x, float y, float d) {
        Rgb wood = Walnut(x, y, *grain, *warp);
        if (d > -s.bevel) return Scale(wood, BevelLight(x, y, s) * 0.85f);
        float inlay = d + s.bevel + 3.5f;
        if (std::fabs(inlay) < 1.0f) return Scale(kBrass, 1.0f + 0.2f * (y > 0 ? 1 : -1));
        return wood;
    };
}

// A domino, double six on the left of a 6-4: ivory, a brass pin and dark
// (never key-black) pips.
FacePaint TileFace() {
    return [=](float x, float y, float d) {
        Rgb ivory = Scale(kIvory, 1.0f - 0.08f * SmoothStep(-3, 0, d));
        const Rgb pip = {0.10f, 0.07f, 0.05f};
        auto pips = [&](float cy, int count) {
            static const float six[6][2] = {{-1, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {1, 1}};
            static const float four[4][2] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
            for (int i = 0; i < count; i++) {
                float px = (count == 6 ? six[i][0] : four[i][0]) * 13.0f;
                float py = cy + (count == 6 ? six[i][1] : four[i][1]) * 14.0f;
                float r = std::hypot(x - px, y - py);
                if (r < 5.0f) return Mix(pip, ivory, SmoothStep(4.0f, 5.0f, r));
            }
            return ivory;
        };
        if (std::fabs(y) < 1.2f && std::fabs(x) < 20) return Rgb{0.25f, 0.18f, 0.1f};
        if (std::hypot(x, y) < 3.5f) return kBrass;
        return y > 0 ? pips(28, 6) : pips(-28, 4);
    };
}

// The backdrop: walnut panelling in the room's tones, lighter in the middle
// where the menus stand, with a faint row of pips as a frieze.
bool MakeBackdrop() {
    const int n = 512;
    Canvas c(n, n);
    Noise grain(441, 8, 128), warp(443, 4, 16);
    for (int py = 0; py < n; py++)
        for (int px = 0; px < n; px++) {
            float x = (px + 0.5f) / n * 1600 - 800, y = 600 - (py + 0.5f) / n * 1200;
            // Vertical boards 100 units wide with dark seams.
            float board = std::fmod(x + 800, 100.0f);
            Rgb wood = Walnut(y * 0.5f + board * 3, x * 0.2f + board, grain, warp);
            float seam = SmoothStep(0, 3, std::fmin(board, 100 - board));
            float pool =
                std::exp(-(x * x) / (2 * 420.0f * 420.0f) - (y * y) / (2 * 380.0f * 380.0f));
            Rgb col = Scale(wood, (0.45f + 0.75f * pool) * (0.6f + 0.4f * seam));
            // A brass rail and a frieze of pips near the top.
            if (std::fabs(y - 250) < 3) col = Scale(kBrass, 0.55f + 0.5f * pool);
            float fx = std::fmod(x + 800, 40.0f) - 20, fy = y - 268;
            if (std::hypot(fx, fy) < 5) col = Mix(col, kIvory, 0.35f * (0.4f + pool));
            c.Set(px, py, col);
        }
    std::string path = gRoot + "/data/gfx/menu/backdrop.png";
    return c.WritePng(path.c_str(), false);
}

bool MakePictures() {
    return SaveFace("button_normal.png", kButton, ButtonFace(kButton, 0, false)) &&
           SaveFace("button_over.png", kButton, ButtonFace(kButton, 1, false)) &&
           SaveFace("button_press.png", kButton, ButtonFace(kButton, 0.4f, true)) &&
           SaveFace("option_normal.png", kButton, OptionFace(kButton, 0, false)) &&
           SaveFace("option_over.png", kButton, OptionFace(kButton, 1, false)) &&
           SaveFace("option_press.png", kButton, OptionFace(kButton, 0.3f, true)) &&
           SaveFace("field_normal.png", kField, FieldFace(kField, 0, false)) &&
           SaveFace("field_over.png", kField, FieldFace(kField, 1, false)) &&
           SaveFace("field_press.png", kField, FieldFace(kField, 0.5f, false)) &&
           SaveFace("field_focus.png", kField, FieldFace(kField, 1, true)) &&
           SaveFace("label.png", kLabel, PlaqueFace(kLabel)) &&
           SaveFace("title.png", kTitle, PlaqueFace(kTitle)) &&
           SaveFace("tile.png", kTile, TileFace()) && MakeBackdrop();
}

}  // namespace

int main(int argc, char **argv) {
    if (argc > 2) {
        fprintf(stderr, "usage: menugen [ROOT]\n");
        return 2;
    }
    if (argc == 2) gRoot = argv[1];
    if (!platform::MakeDirs(gRoot + "/data/gfx/menu")) {
        fprintf(stderr, "menugen: cannot create %s/data/gfx/menu\n", gRoot.c_str());
        return 1;
    }
    if (!MakeMeshes() || !MakePictures()) return 1;
    return 0;
}
