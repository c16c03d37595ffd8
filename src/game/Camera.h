#pragma once
// The camera that orbits the table: azimuth and elevation in degrees and a
// distance in world units around a target, three presets chosen with F6 to
// F8, the player's own moves (held arrow keys, the wheel, Left-Ctrl drags),
// and the slow orbits of the opening and game-over screens. Only the eye is
// computed here; the view matrix is the presentation's.

#include "platform/Input.h"

namespace game {

class Camera {
public:
    static constexpr float kMinDistance = 0.5f;
    static constexpr float kMaxDistance = 100.0f;
    static constexpr float kMinElevation = 10.0f;
    static constexpr float kMaxElevation = 89.0f;
    // Frames the preset label stays on screen after a preset key.
    static constexpr float kLabelCountdown = 40.0f;

    float azimuth = 0.0f;
    float elevation = 45.0f;
    float distance = 30.0f;
    float target[3] = {0, 0, 0};
    float eye[3] = {0, 0, 0};
    int preset = 1;
    float labelCountdown = 0.0f;

    // Elevation of preset 1, 2 or 3 (45, 60, 89); 45 for any other number.
    static float PresetElevation(int n);
    // Moves to preset n (azimuth 0, distance 30); with `showLabel` the
    // preset label starts its countdown.
    void SetPreset(int n, bool showLabel);
    // The view a new game starts from, before the opening orbit.
    void ResetForNewGame();

    // Places the eye from azimuth, elevation and distance around the target.
    void UpdateEye();

    // A key released during play: F5 returns to the current preset, F6 to F8
    // choose presets 1 to 3. Returns true when the key was one of these.
    bool HandleKeyRelease(int key);
    // Held keys, once per frame: arrows (or keypad 8, 2, 4, 6) zoom and turn.
    void HandleHeldKeys(platform::Input &input);
    // A wheel button released: up moves in, down moves out.
    bool HandleWheel(int button);
    // Left Ctrl held: the left button turns the view by the pointer's
    // relative motion, the right button zooms.
    void HandleDrag(int buttons, int dx, int dy);
    // The preset label's countdown, once per frame.
    void Tick(float frameStep);
    // One frame of the opening (k 0.2) or game-over (k 0.5) orbit: a fixed
    // elevation of 30 degrees, the distance breathing in and out four times a turn.
    void Orbit(float k, float frameStep);

private:
    void ClampDistance();
};

// The point where the ray from `eye` through `through` meets the table plane
// y = 0. False, with out untouched, when the ray runs parallel to the table.
bool TablePoint(const float eye[3], const float through[3], float out[3]);

// The planar shadow matrix (row-vector convention) that flattens points onto
// `plane` (a, b, c, d with ax + by + cz + d = 0) as seen from `light` (x, y,
// z, w; w = 1 for a point light, 0 for a direction).
void PlanarShadowMatrix(const float light[4], const float plane[4], float out[16]);

}  // namespace game
