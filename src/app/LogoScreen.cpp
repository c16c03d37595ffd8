#include "app/LogoScreen.h"

#include <cmath>
#include <cstring>

#include "app/LogoArtwork.h"
#include "app/LogoScripts.h"
#include "device/Device.h"
#include "lib3d/Engine.h"
#include "lib3d/Matrix.h"
#include "lib3d/Shader.h"

using lib3d::Matrix;

namespace {

const float kPi = 3.14159265358979f;
// The pictures, in the order of LogoScreen::textures_.
const char *const kPictures[4] = {"data/gfx/logo/env.png", "data/gfx/logo/env1.png",
                                  "data/gfx/logo/env2.png", "data/gfx/logo/light.png"};
enum { kEnv, kEnv1, kEnv2, kLightPicture };
// Part i of the tubes is mapped with this picture.
const int kPartPicture[LogoMesh::kParts] = {kEnv1, kEnv2, kEnv};

const uint32_t kTubeFormat = device::FvfXyz | device::FvfNormal | device::FvfTex1;
const uint32_t kGlowFormat = device::FvfXyz | device::FvfDiffuse | device::FvfTex1;
const int kGlowTriangles = 32;

struct GlowVertex {
    float x, y, z;
    uint32_t colour;
    float u, v;
};

uint32_t Argb(float grey, float alpha) {
    auto byte = [](float v) -> uint32_t {
        v = v < 0 ? 0 : (v > 1 ? 1 : v);
        return static_cast<uint32_t>(v * 255.0f + 0.5f);
    };
    return byte(alpha) << 24 | byte(grey) << 16 | byte(grey) << 8 | byte(grey);
}

// Hands a picture to a script as `tex`; a picture that could not be loaded
// leaves the script untextured (negative slots are render targets).
void SetPicture(lib3d::Shader *shader, int slot) {
    if (slot >= 0)
        shader->SetTexture("tex", slot);
    else if (shader->effect)
        shader->effect->SetTexture("tex", nullptr);
}

}  // namespace

// ---------------------------------------------------------------- sequence

bool LogoSequence::Update(FrameTimer *timer, platform::Input *input) {
    const float step = timer ? timer->Tick() : 1.0f;
    if (input) {
        input->Pump();
        platform::InputEvent event;
        while (input->PollEvent(&event)) {
            // Keys act on release; presses and the mouse leave the logo alone.
            if (event.type == platform::EventKeyUp) {
                skipped = true;
                return false;
            }
            if (event.type == platform::EventQuit) {
                quitRequested = true;
                return false;
            }
        }
    }
    Advance(step * 0.5f);
    return true;
}

void LogoSequence::Advance(float logoStep) {
    if (spin > 0) {
        spin -= logoStep * 5.0f;
        if (spin < 0) spin = 0;
        scale = spin / kSpinStart;
        eyeZ = 3.0f * scale - 3.1f;
    } else if (fade > 0) {
        fade -= logoStep * 4.0f;
        if (fade < 0) fade = 0;
    } else {
        over = true;
    }
}

// ---------------------------------------------------------------- screen

LogoScreen::LogoScreen(lib3d::Engine *engine, FrameTimer *timer, platform::Input *input)
    : engine_(engine), timer_(timer), input_(input) {}

LogoScreen::~LogoScreen() {
    End();
}

bool LogoScreen::Begin() {
    if (!engine_ || !engine_->IsOpen()) return false;
    begun_ = true;
    savedFocal_ = engine_->focal;
    savedNear_ = engine_->nearPlane;
    savedFar_ = engine_->farPlane;

    const LogoArtwork art = MakeLogoArtwork();
    if (!BuildLogoMesh(art.table.data(), art.table.size(), art.firstOfPart, &mesh)) return false;
    if (mesh.vertices.empty()) return false;
    vertices_ =
        engine_->CreateVertexBuffer(static_cast<int>(mesh.vertices.size()), kTubeFormat, false);
    indices_ = engine_->CreateIndexBuffer(static_cast<int>(mesh.indices.size()), false);
    if (!vertices_ || !indices_) return false;
    // Written through the buffer's own layout rather than assuming it.
    const device::VertexLayout &layout = vertices_->Layout();
    uint8_t *out = vertices_->Lock();
    uint16_t *index = indices_->Lock();
    if (!out || !index) return false;
    for (const LogoVertex &v : mesh.vertices) {
        std::memcpy(out + layout.position, v.position, sizeof v.position);
        std::memcpy(out + layout.normal, v.normal, sizeof v.normal);
        std::memcpy(out + layout.tex[0], v.uv, sizeof v.uv);
        out += layout.stride;
    }
    vertices_->Unlock();
    std::memcpy(index, mesh.indices.data(), mesh.indices.size() * sizeof(uint16_t));
    indices_->Unlock();

    // A missing picture is reported by the loader; its part is drawn
    // untextured rather than holding up the start.
    for (int i = 0; i < 4; i++) textures_[i] = engine_->LoadTexture(kPictures[i]);

    environment_.reset(new lib3d::Shader(engine_));
    shafts_.reset(new lib3d::Shader(engine_));
    if (environment_->Load(kLogoEnvironmentScript) || shafts_->Load(kLogoLightShaftScript))
        return false;

    engine_->focal = static_cast<float>(engine_->width);
    engine_->nearPlane = kNear;
    engine_->farPlane = kFar;
    if (timer_) timer_->Reset();
    return true;
}

bool LogoScreen::Frame() {
    if (Update()) Render();
    return sequence.Finished();
}

void LogoScreen::SpinWorld() {
    float world[16];
    Matrix::Identity(world);
    Matrix::Rotate(world, 0.0f, sequence.spin, 0.0f);
    engine_->SetWorld(world);
}

// The disc of light at the light point, `size` across its radius, its
// centre (s, s, s) at `alpha`, its rim clear; added to what is there.
void LogoScreen::DrawGlow(float size, float alpha) {
    device::Device *device = engine_->GetDevice();
    if (!device || size <= 0) return;
    float world[16];
    Matrix::Identity(world);
    Matrix::Scale(world, size, size, size);
    Matrix::Translate(world, kLight[0], kLight[1], kLight[2]);
    engine_->SetWorld(world);
    engine_->SetState(lib3d::Blending::Additive);
    engine_->SetState(lib3d::Depth::Off);
    engine_->SetState(lib3d::Culling::None);
    engine_->SetState(lib3d::Lighting::Off);
    engine_->SetState(lib3d::Stage1::Off);
    if (textures_[kLightPicture] >= 0) {
        engine_->SetState(lib3d::Stage0::TextureTimesColour);
        engine_->BindTexture(textures_[kLightPicture]);
    } else {
        engine_->SetState(lib3d::Stage0::NoTexture);
    }
    const float s = sequence.scale;
    GlowVertex fan[kGlowTriangles + 2];
    fan[0] = {0, 0, 0, Argb(s, alpha), 0.5f, 0.5f};
    for (int k = 0; k <= kGlowTriangles; k++) {
        const float a = k * kPi / 16.0f;
        const float x = std::cos(a), y = std::sin(a);
        fan[k + 1] = {x, y, 0, Argb(0, 0), 0.5f + 0.5f * x, 0.5f - 0.5f * y};
    }
    device->SetVertexFormat(kGlowFormat);
    device->DrawPrimitiveUP(device::PrimTriangleFan, kGlowTriangles, fan, sizeof(GlowVertex));
}

void LogoScreen::Render() {
    if (!begun_ || !vertices_ || !environment_ || !shafts_) return;  // Begin failed
    if (!engine_->BeginFrame()) return;
    engine_->ClearFrame();
    engine_->SetProjection();
    const float eye[3] = {0.0f, 0.0f, sequence.eyeZ};
    const float direction[3] = {-eye[0], -eye[1], -eye[2]};
    float view[16];
    Matrix::LookAt(view, eye, direction, 0.0f);
    engine_->SetView(view);
    const float s = sequence.scale;

    DrawGlow(3.0f * s, s);

    // The tubes, each part sphere-mapped with its own picture.
    SpinWorld();
    engine_->SetState(lib3d::Blending::Off);
    engine_->SetState(lib3d::Depth::On);
    engine_->SetState(lib3d::Culling::CounterClockwise);
    environment_->SetWorld("WORLD");
    environment_->SetViewProj("VIEWPROJ");
    for (int part = 0; part < LogoMesh::kParts; part++) {
        const int first = mesh.partFirst[part], count = mesh.partFirst[part + 1] - first;
        if (count <= 0) continue;
        SetPicture(environment_.get(), textures_[kPartPicture[part]]);
        environment_->Draw(*vertices_, *indices_, first * 3, count);
    }

    // The shafts: every tube once more, stretched away from the light.
    if (s > 0) {
        shafts_->SetWorld("WORLD");
        shafts_->SetViewProj("VIEWPROJ");
        shafts_->SetVector("Light", kLight[0], kLight[1], kLight[2]);
        shafts_->SetScalar("Decal", 0.2f);
        shafts_->SetScalar("longueur", 3.0f * s);
        SetPicture(shafts_.get(), textures_[kLightPicture]);
        shafts_->Draw(*vertices_, *indices_, 0, mesh.TriangleCount());
    }

    DrawGlow(5.0f * s, 0.5f * s);

    if (sequence.spin <= 0) {
        // Black at 1 - B/256 over the picture is the picture times B/256:
        // the screen is multiplied by that grey.
        engine_->SetState(lib3d::Depth::Off);
        engine_->SetState(lib3d::Stage0::NoTexture);
        engine_->SetState(lib3d::Blending::Multiply);
        const float keep = sequence.fade / LogoSequence::kFadeStart;
        engine_->DrawQuad2D(0, 0, static_cast<float>(engine_->width),
                            static_cast<float>(engine_->height), 0, 0, 1, 1, keep, keep, keep);
    }
    engine_->SetState(lib3d::Blending::Off);
    engine_->SetState(lib3d::Depth::On);
    engine_->EndFrame();
    ++framesDrawn;
    if (beforePresent) beforePresent();
    engine_->PresentFrame();
}

void LogoScreen::End() {
    if (!begun_) return;
    begun_ = false;
    shafts_.reset();
    environment_.reset();
    vertices_.reset();
    indices_.reset();
    if (engine_->IsOpen())
        for (int &slot : textures_) {
            engine_->ReleaseTexture(slot);
            slot = -1;
        }
    engine_->focal = savedFocal_;
    engine_->nearPlane = savedNear_;
    engine_->farPlane = savedFar_;
}
