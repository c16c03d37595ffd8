// The display before a device exists: SDL's mode list and window, the visual's
// formats and the capabilities of the OpenGL context.

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "device/Conventions.h"
#include "device/Device.h"
#include "device/Gl.h"

namespace device {
namespace {

// What the open window was asked for; the visual SDL found may carry more.
struct WindowRequest {
    bool open = false;
    int bitsPerPixel = 32;
    int depthBits = 24;
    int stencilBits = 8;
};

WindowRequest g_request;
int g_failCreations = 0;

int GlAttribute(SDL_GLattr attribute) {
    int value = 0;
    if (SDL_GL_GetAttribute(attribute, &value) != 0) return 0;
    return value;
}

// OpenGL version of the current context as major * 10 + minor.
int GlVersion() {
    const char *text = reinterpret_cast<const char *>(glGetString(GL_VERSION));
    int major = 0, minor = 0;
    if (!text || std::sscanf(text, "%d.%d", &major, &minor) != 2) return 0;
    return major * 10 + minor;
}

}  // namespace

namespace adapter {

bool ListModes(std::vector<Mode> *modes) {
    modes->clear();
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    SDL_Rect **list = SDL_ListModes(NULL, SDL_FULLSCREEN | SDL_OPENGL);
    if (list == NULL || list == reinterpret_cast<SDL_Rect **>(-1)) return false;
    for (int i = 0; list[i]; i++) modes->push_back(Mode{list[i]->w, list[i]->h});
    return true;
}

bool OpenWindow(int width, int height, int bitsPerPixel, bool fullscreen, const char **error) {
    *error = "";
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        *error = SDL_GetError();
        return false;
    }
    const bool low = bitsPerPixel == 16;
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, low ? 5 : 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, low ? 6 : 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, low ? 5 : 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, low ? 16 : 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, low ? 0 : 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_SWAP_CONTROL, 1);  // one frame per screen refresh
    Uint32 flags = SDL_OPENGL | (fullscreen ? SDL_FULLSCREEN : 0);
    if (!SDL_SetVideoMode(width, height, low ? 16 : 24, flags)) {
        *error = SDL_GetError();
        g_request.open = false;
        return false;
    }
    g_request.open = true;
    g_request.bitsPerPixel = low ? 16 : 32;
    g_request.depthBits = low ? 16 : 24;
    g_request.stencilBits = low ? 0 : 8;
    return true;
}

bool CheckDeviceType(Format format) {
    if (!g_request.open) return false;
    const int r = GlAttribute(SDL_GL_RED_SIZE), g = GlAttribute(SDL_GL_GREEN_SIZE),
              b = GlAttribute(SDL_GL_BLUE_SIZE);
    switch (format) {
        case FormatX8R8G8B8:
            return g_request.bitsPerPixel == 32 && r >= 8 && g >= 8 && b >= 8;
        case FormatR5G6B5:
            return g_request.bitsPerPixel == 16 && r >= 5 && g >= 6 && b >= 5;
        case FormatX1R5G5B5:
            return g_request.bitsPerPixel == 16 && r >= 5 && g >= 5 && b >= 5;
        default:
            return false;
    }
}

bool CheckDepthStencilFormat(Format format) {
    if (!g_request.open) return false;
    const int depth = FormatDepthBits(format), stencil = FormatStencilBits(format);
    if (depth == 0) return false;
    // The window asked for a depth size and maybe a stencil; a format needing
    // more than was asked is refused even if the visual happens to carry it,
    // so that a 16-bit display really runs without stencil.
    if (depth > g_request.depthBits || stencil > g_request.stencilBits) return false;
    return GlAttribute(SDL_GL_DEPTH_SIZE) >= depth && GlAttribute(SDL_GL_STENCIL_SIZE) >= stencil;
}

Caps GetCaps() {
    Caps caps;
    GLint size = 0, units = 1;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
    caps.maxTextureWidth = size;
    caps.maxSimultaneousTextures =
        units < 1 ? 1 : (units > Device::kMaxStages ? Device::kMaxStages : units);
    const int version = GlVersion();
    caps.dot3 = version >= 13;
    if (version >= 20) {
        // GLSL programs stand in for the assembly shader versions.
        caps.pixelShaderMajor = 1;
        caps.pixelShaderMinor = 4;
        caps.vertexShaderMajor = 1;
        caps.vertexShaderMinor = 1;
    }
    const char *lowered = std::getenv("MARBRIX_DEVICE_CAPS");
    if (lowered) {
        std::string unknown;
        LowerCaps(lowered, &caps, &unknown);
        if (!unknown.empty()) {
            std::fprintf(stderr, "MARBRIX_DEVICE_CAPS: unknown capability ignored: %s\n",
                         unknown.c_str());
        }
    }
    return caps;
}

std::unique_ptr<Device> CreateDevice(DeviceType type, int flags, const PresentParameters &params) {
    (void)flags;  // vertex processing runs wherever OpenGL runs it
    if (g_failCreations > 0) {
        g_failCreations--;
        return nullptr;
    }
    if (!g_request.open) return nullptr;
    // The full device needs OpenGL 2.1; the reference device settles for what
    // fixed-function drawing needs (1.4: combiners, wrapping stencil ops).
    if (GlVersion() < (type == DeviceHal ? 21 : 14)) return nullptr;
    return std::unique_ptr<Device>(new Device(params, GetCaps()));
}

void FailNextDeviceCreations(int count) {
    g_failCreations = count;
}

}  // namespace adapter
}  // namespace device
