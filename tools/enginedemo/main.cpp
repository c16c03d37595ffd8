// enginedemo: draws the engine's demonstration scene for a number of frames
// and saves the last one as a PNG file.
//
//   enginedemo OUTPUT.png [FRAMES] [--16] [--size WxH] [--fullscreen] [--effects]
//
// --effects draws the effects scene instead: stencil shadow, reflection,
// render to texture and a script effect.

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "DemoScene.h"
#include "EffectsScene.h"
#include "lib3d/Engine.h"
#include "image/Image.h"
#include "image/Png.h"

namespace {

int Usage() {
    std::fprintf(
        stderr,
        "usage: enginedemo OUTPUT.png [FRAMES] [--16] [--size WxH] [--fullscreen] [--effects]\n");
    return 2;
}

}  // namespace

int main(int argc, char **argv) {
    const char *output = nullptr;
    int frames = 30, colourMode = 3, width = 800, height = 600;
    bool fullscreen = false, effects = false;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--effects") == 0) {
            effects = true;
        } else if (std::strcmp(argv[i], "--16") == 0) {
            colourMode = 1;
        } else if (std::strcmp(argv[i], "--fullscreen") == 0) {
            fullscreen = true;
        } else if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2) return Usage();
        } else if (!output) {
            output = argv[i];
        } else {
            char *end = nullptr;
            frames = static_cast<int>(std::strtol(argv[i], &end, 10));
            if (*end || frames < 1) return Usage();
        }
    }
    if (!output) return Usage();
    // An X server started just before the demo may take a moment to accept it.
    int attempts = 0;
    while (SDL_Init(SDL_INIT_VIDEO) != 0) {
        if (++attempts == 30) {
            std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
            return 1;
        }
        SDL_Delay(100);
    }
    SDL_WM_SetCaption("Marbrix 3D engine demo", NULL);
    int status = 1;
    {
        lib3d::Engine engine;
        engine.fullscreen = fullscreen;
        if (!engine.Open(width, height, colourMode)) {
            std::fprintf(stderr, "Cannot open the display %dx%d\n", width, height);
        } else if (effects ? !demo::PrepareEffects(&engine) : !demo::Prepare(&engine)) {
            std::fprintf(stderr, "Cannot create the demo's textures\n");
        } else {
            for (int frame = 0; frame < frames; frame++) {
                if (effects) {
                    demo::DrawEffectsFrame(&engine, frame);
                } else {
                    demo::DrawFrame(&engine, frame);
                }
                std::printf("\rframe %d/%d", frame + 1, frames);
                std::fflush(stdout);
            }
            std::printf("\n");
            std::vector<uint8_t> pixels;
            int pitch = 0;
            device::Device *device = engine.GetDevice();
            Image image;
            if (device->ReadBackBuffer(&pixels, &pitch)) {
                lib3d::BackBufferToImage(pixels, pitch, engine.width, engine.height,
                                         engine.backBufferFormat, &image);
                if (WritePng(output, image, 1)) {
                    std::printf("%s: %dx%d, %d bits\n", output, engine.width, engine.height,
                                engine.colourBits);
                    status = 0;
                }
            }
            if (effects) {
                demo::ReleaseEffects(&engine);
            } else {
                demo::Release(&engine);
            }
        }
    }
    SDL_Quit();
    return status;
}
