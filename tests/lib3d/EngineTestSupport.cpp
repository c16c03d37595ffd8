#include "lib3d/EngineTestSupport.h"

#include <SDL.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>

namespace enginetest {

bool StartVideo() {
    // A freshly started X server may still be settling when the test begins
    // (several servers start at once on a busy machine): give it a moment.
    for (int attempt = 0; attempt < 30; attempt++) {
        if (SDL_WasInit(SDL_INIT_VIDEO) || SDL_Init(SDL_INIT_VIDEO) == 0) return true;
        SDL_Delay(100);
    }
    std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
    return false;
}

bool OpenEngine(lib3d::Engine *engine, int w, int h, int colourMode) {
    if (!StartVideo()) return false;
    engine->fullscreen = false;
    return engine->Open(w, h, colourMode) == 1;
}

void StartPlainFrame(lib3d::Engine *engine) {
    engine->BeginFrame();
    engine->ClearFrame();
    engine->SetState(1, 0);
    engine->SetState(4, 0);
    engine->SetState(10, 0);
    engine->SetState(5, 0);
    engine->SetState(6, 0);
}

void FlatQuad(lib3d::Engine *engine, float x, float y, float w, float h, float z, uint32_t argb) {
    struct V {
        float x, y, z, rhw;
        uint32_t c;
    };
    const V v[6] = {{x, y, z, 1, argb}, {x + w, y, z, 1, argb},     {x + w, y + h, z, 1, argb},
                    {x, y, z, 1, argb}, {x + w, y + h, z, 1, argb}, {x, y + h, z, 1, argb}};
    engine->DrawTriangles(device::FvfXyzRhw | device::FvfDiffuse, v, 2);
}

std::vector<Rgb> ReadPixels(lib3d::Engine *engine) {
    std::vector<uint8_t> raw;
    int pitch = 0;
    std::vector<Rgb> out;
    if (!engine->GetDevice()->ReadBackBuffer(&raw, &pitch)) return out;
    const int w = engine->width, h = engine->height;
    out.resize(static_cast<size_t>(w) * h);
    const bool wide = engine->backBufferFormat == device::FormatX8R8G8B8;
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            const uint8_t *p = raw.data() + static_cast<size_t>(y) * pitch + x * (wide ? 4 : 2);
            Rgb &c = out[static_cast<size_t>(y) * w + x];
            if (wide) {
                c = Rgb{p[2], p[1], p[0]};
            } else {
                const unsigned v = p[0] | (p[1] << 8);
                c = Rgb{static_cast<int>((v >> 8) & 0xF8), static_cast<int>((v >> 3) & 0xFC),
                        static_cast<int>((v & 0x1F) << 3)};
            }
        }
    }
    return out;
}

Rgb PixelAt(lib3d::Engine *engine, int x, int y) {
    const std::vector<Rgb> all = ReadPixels(engine);
    if (all.empty()) return Rgb{-1, -1, -1};
    return all[static_cast<size_t>(y) * engine->width + x];
}

int Distance(const Rgb &a, const Rgb &b) {
    const int dr = std::abs(a.r - b.r), dg = std::abs(a.g - b.g), db = std::abs(a.b - b.b);
    return dr > dg ? (dr > db ? dr : db) : (dg > db ? dg : db);
}

namespace {

// 8-bit values that a 5-bit (red, blue) or 6-bit (green) channel holds exactly.
int Exact5(int v) {
    return (v << 3) | (v >> 2);
}
int Exact6(int v) {
    return (v << 2) | (v >> 4);
}

const int kBars[4][3] = {{Exact5(31), Exact6(10), Exact5(3)},
                         {Exact5(6), Exact6(45), Exact5(17)},
                         {Exact5(12), Exact6(20), Exact5(29)},
                         {Exact5(25), Exact6(63), Exact5(0)}};

}  // namespace

void DrawReferencePicture(lib3d::Engine *engine) {
    StartPlainFrame(engine);
    const float bar = engine->width / 4.0f;
    for (int i = 0; i < 4; i++) {
        // Channel values a little above the exact byte so that the engine's
        // truncation of colour x 255 lands on it.
        engine->DrawQuad2D(i * bar, 0, bar, static_cast<float>(engine->height), 0, 0, 1, 1,
                           (kBars[i][0] + 0.5f) / 255.0f, (kBars[i][1] + 0.5f) / 255.0f,
                           (kBars[i][2] + 0.5f) / 255.0f);
    }
    engine->EndFrame();
}

Rgb ReferenceColour(int x, int, int w) {
    const int i = x * 4 / w;
    return Rgb{kBars[i][0] & 0xF8, kBars[i][1] & 0xFC, kBars[i][2] & 0xF8};
}

bool ReadPngFile(const char *path, std::vector<Rgb> *pixels, int *w, int *h) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path)) return false;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> buffer(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, buffer.data(), 0, nullptr)) return false;
    *w = static_cast<int>(image.width);
    *h = static_cast<int>(image.height);
    pixels->resize(static_cast<size_t>(*w) * *h);
    for (size_t i = 0; i < pixels->size(); i++) {
        (*pixels)[i] = Rgb{buffer[i * 3], buffer[i * 3 + 1], buffer[i * 3 + 2]};
    }
    return true;
}

}  // namespace enginetest
