#pragma once
// The opening logo: tubes swept along the logo's outlines spin two full
// turns in front of a camera that backs away, a glow and light shafts fade
// with the spin, then the picture fades to black. Any key release skips it.
// Start-up runs it in its own frame loop between opening the display and
// loading the game:
//
//     LogoScreen logo(engine, &timer, input);
//     if (logo.Begin())
//         while (!logo.Frame()) {}
//     logo.End();

#include <functional>
#include <memory>

#include "app/FrameTimer.h"
#include "app/LogoTubes.h"
#include "platform/Input.h"

namespace device {
class VertexBuffer;
class IndexBuffer;
}  // namespace device

namespace lib3d {
class Engine;
class Shader;
}  // namespace lib3d

// The sequence's counters and how time and keys move them; no drawing.
class LogoSequence {
public:
    static constexpr float kSpinStart = 720.0f;  // two turns, in degrees
    static constexpr float kFadeStart = 256.0f;

    // Reads the timer once (the logo runs at half the frame step) and every
    // pending event. Returns false when a key release has ended the
    // sequence: this frame is not drawn. Closing the window ends it too.
    bool Update(FrameTimer *timer, platform::Input *input);
    // Moves the counters on by one logo step (half a frame step).
    void Advance(float logoStep);
    bool Finished() const { return skipped || over || quitRequested; }

    float spin = kSpinStart;     // A: degrees of turn left
    float fade = kFadeStart;     // B: counts down once the spin is over
    float scale = 1.0f;          // s = A / 720: size of the glow, length of the shafts
    float eyeZ = -0.1f;          // the camera at (0, 0, eyeZ), looking at the origin
    bool over = false;           // after this frame
    bool skipped = false;        // a key release ended it
    bool quitRequested = false;  // the window was closed meanwhile
};

class LogoScreen {
public:
    // The light behind the logo: the glow's centre and the shafts' source.
    static constexpr float kLight[3] = {0.0f, 0.1f, 1.5f};
    static constexpr float kNear = 0.1f, kFar = 5.0f;

    LogoScreen(lib3d::Engine *engine, FrameTimer *timer, platform::Input *input);
    ~LogoScreen();
    LogoScreen(const LogoScreen &) = delete;
    LogoScreen &operator=(const LogoScreen &) = delete;

    // Builds the tubes, loads the four pictures (one that is missing is
    // reported and left out), compiles the two scripts, sets the projection
    // and resets the frame timer. False when there is nothing to show (no
    // device, or the tubes or their scripts cannot be made): start-up then
    // goes on without the logo.
    bool Begin();
    // One frame: Update, then Render unless the sequence was skipped.
    // Returns true once the sequence is over or skipped.
    bool Frame();
    // Returns true when this frame is to be drawn.
    bool Update() { return sequence.Update(timer_, input_); }
    void Render();
    // Releases what Begin made and puts the projection back as it was.
    void End();

    LogoSequence sequence;
    LogoMesh mesh;
    int framesDrawn = 0;
    // Called after each finished frame, before it is shown (screenshots).
    std::function<void()> beforePresent;

private:
    void DrawGlow(float size, float alpha);
    void SpinWorld();

    lib3d::Engine *engine_;
    FrameTimer *timer_;
    platform::Input *input_;
    std::unique_ptr<device::VertexBuffer> vertices_;
    std::unique_ptr<device::IndexBuffer> indices_;
    std::unique_ptr<lib3d::Shader> environment_, shafts_;
    // env.png, env1.png, env2.png, light.png; -1 when not loaded.
    int textures_[4] = {-1, -1, -1, -1};
    float savedFocal_ = 0, savedNear_ = 0, savedFar_ = 0;
    bool begun_ = false;
};
