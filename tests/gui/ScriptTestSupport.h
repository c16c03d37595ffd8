#pragma once
// Support for the menu script tests: a renderer that counts the textures it
// is asked to make and records the render states, files written into the
// test's own working folder, and the window point where a widget appears.

#include <cstdio>
#include <string>
#include <vector>

#include "gui/GuiManager.h"
#include "lib3d/Matrix.h"

namespace scripttest {

struct CountingRenderer : gui::GuiRenderer {
    std::vector<int> sides;  // side of every texture made, in order
    std::vector<std::pair<int, int>> states;
    int CreateTexture(int size, const uint8_t *, int, bool) override {
        sides.push_back(size);
        return int(sides.size()) + 99;  // ids 100, 101, ...
    }
    void ReleaseTexture(int) override {}
    void SetState(int category, int value) override { states.push_back({category, value}); }
    void BindTexture(int) override {}
    void DrawQuad2D(float, float, float, float, float, float, float, float, float, float,
                    float) override {}
    // How many times flag A was set (7, 8) and cleared (7, 9).
    int flagA(int value) const {
        int n = 0;
        for (const auto &s : states) n += s.first == 7 && s.second == value;
        return n;
    }
};

inline bool WriteFile(const std::string &path, const std::string &bytes) {
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

// A UTF-16 little-endian file with its mark, from ASCII/Latin-1 lines ended by CR LF.
inline std::string Utf16(const std::vector<std::string> &lines) {
    std::string out("\xFF\xFE", 2);
    for (const std::string &l : lines) {
        for (unsigned char c : l + "\r\n") {
            out += char(c);
            out += '\0';
        }
    }
    return out;
}

// The window pixel where a world point appears through the picking camera.
inline bool ProjectPoint(gui::GuiManager &m, const float p[3], int w, int h, float *x, float *y) {
    gui::GuiCamera *camera = m.pickingCamera();
    if (!camera) return false;
    float view[16], projection[16], both[16], clip[4];
    camera->viewMatrix(view);
    camera->projectionMatrix(projection);
    lib3d::Matrix::Multiply(view, projection, both);
    for (int c = 0; c < 4; c++)
        clip[c] = p[0] * both[c] + p[1] * both[4 + c] + p[2] * both[8 + c] + both[12 + c];
    if (clip[3] <= 0) return false;
    *x = (clip[0] / clip[3] + 1) * 0.5f * w;
    *y = (1 - clip[1] / clip[3]) * 0.5f * h;
    return true;
}

// The window pixel where a widget's origin appears.
inline bool ScreenPoint(gui::GuiManager &m, const char *name, int w, int h, int *x, int *y) {
    gui::GuiObject *obj = m.findObject(name);
    float fx, fy;
    if (!obj || !obj->worldMatrix() || !ProjectPoint(m, obj->worldMatrix() + 12, w, h, &fx, &fy))
        return false;
    *x = int(fx);
    *y = int(fy);
    return true;
}

}  // namespace scripttest
