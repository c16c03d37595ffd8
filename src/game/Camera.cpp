#include "game/Camera.h"

#include <cmath>

namespace game {

namespace {

const float kPi = 3.14159265358979f;
const float kDegrees = kPi / 180.0f;

// Keypad keys, numbered as platform/Input.h numbers key symbols.
const int kKeypad2 = 258, kKeypad4 = 260, kKeypad6 = 262, kKeypad8 = 264;

float Clamp(float v, float lo, float hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

}  // namespace

float Camera::PresetElevation(int n) {
    switch (n) {
        case 2:
            return 60.0f;
        case 3:
            return 89.0f;
        default:
            return 45.0f;
    }
}

void Camera::SetPreset(int n, bool showLabel) {
    if (n < 1 || n > 3) n = 1;
    preset = n;
    elevation = PresetElevation(n);
    azimuth = 0.0f;
    distance = 30.0f;
    if (showLabel) labelCountdown = kLabelCountdown;
    UpdateEye();
}

void Camera::ResetForNewGame() {
    azimuth = 0.0f;
    elevation = 60.0f;
    distance = 30.0f;
    labelCountdown = 0.0f;
    UpdateEye();
}

void Camera::UpdateEye() {
    float az = azimuth * kDegrees, el = elevation * kDegrees;
    eye[0] = target[0] + std::sin(az) * std::cos(el) * distance;
    eye[1] = target[1] + std::sin(el) * distance;
    eye[2] = target[2] + std::cos(az) * std::cos(el) * distance;
}

bool Camera::HandleKeyRelease(int key) {
    switch (key) {
        case platform::KeyF5:
            SetPreset(preset, false);
            return true;
        case platform::KeyF6:
            SetPreset(1, true);
            return true;
        case platform::KeyF7:
            SetPreset(2, true);
            return true;
        case platform::KeyF8:
            SetPreset(3, true);
            return true;
        default:
            return false;
    }
}

void Camera::ClampDistance() {
    distance = Clamp(distance, kMinDistance, kMaxDistance);
}

void Camera::HandleHeldKeys(platform::Input &input) {
    if (input.KeyDown(platform::KeyUp) || input.KeyDown(kKeypad8)) distance -= 0.2f;
    if (input.KeyDown(platform::KeyDown) || input.KeyDown(kKeypad2)) distance += 0.2f;
    ClampDistance();
    if (input.KeyDown(platform::KeyLeft) || input.KeyDown(kKeypad4)) azimuth -= 1.0f;
    if (input.KeyDown(platform::KeyRight) || input.KeyDown(kKeypad6)) azimuth += 1.0f;
}

bool Camera::HandleWheel(int button) {
    if (button == platform::ButtonWheelUp) {
        distance -= 4.0f;
    } else if (button == platform::ButtonWheelDown) {
        distance += 4.0f;
    } else {
        return false;
    }
    ClampDistance();
    return true;
}

void Camera::HandleDrag(int buttons, int dx, int dy) {
    if (buttons & (1 << (platform::ButtonLeft - 1))) {
        azimuth -= dx * 0.2f;
        elevation = Clamp(elevation - dy * 0.2f, kMinElevation, kMaxElevation);
    }
    if (buttons & (1 << (platform::ButtonRight - 1))) {
        distance += dy * 0.05f;
        ClampDistance();
    }
}

void Camera::Tick(float frameStep) {
    if (labelCountdown > 0.0f) {
        labelCountdown -= frameStep * 0.1f;
        if (labelCountdown < 0.0f) labelCountdown = 0.0f;
    }
}

void Camera::Orbit(float k, float frameStep) {
    elevation = 30.0f;
    azimuth += frameStep * k;
    distance = 30.0f + 8.0f * std::cos(azimuth * kPi / 45.0f);
    UpdateEye();
}

bool TablePoint(const float eye[3], const float through[3], float out[3]) {
    float d[3] = {through[0] - eye[0], through[1] - eye[1], through[2] - eye[2]};
    float length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    if (!(length > 0.0f)) return false;
    for (float &c : d) c /= length;
    if (std::fabs(d[1]) < 1e-6f) return false;
    float t = -eye[1] / d[1];
    for (int i = 0; i < 3; ++i) out[i] = eye[i] + d[i] * t;
    return std::isfinite(out[0]) && std::isfinite(out[2]);
}

void PlanarShadowMatrix(const float light[4], const float plane[4], float out[16]) {
    float dot =
        plane[0] * light[0] + plane[1] * light[1] + plane[2] * light[2] + plane[3] * light[3];
    // A row vector v becomes (plane . light) v - (plane . v) light.
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out[r * 4 + c] = (r == c ? dot : 0.0f) - plane[r] * light[c];
}

}  // namespace game
