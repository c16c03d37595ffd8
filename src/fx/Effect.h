// An effect: techniques of passes read from effect text, run on the device.
// The caller picks a technique the device can run (FindNextValidTechnique,
// SetTechnique), sets parameters by name, then draws between Begin and End,
// once per pass after Pass(i). Shader programs are translated to GLSL once,
// when the effect is created.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fx/EffectText.h"

namespace device {
class Device;
class Texture;
class ShaderProgram;
struct Caps;
}  // namespace device

namespace fx {

class Effect {
public:
    // Reads and checks the text and builds every shader program. Null with
    // the reason in *error when the text or a program is refused.
    static std::unique_ptr<Effect> Create(device::Device *device, const char *text, size_t length,
                                          std::string *error);
    static std::unique_ptr<Effect> Create(device::Device *device, const std::string &text,
                                          std::string *error);
    ~Effect();
    Effect(const Effect &) = delete;
    Effect &operator=(const Effect &) = delete;

    int TechniqueCount() const { return static_cast<int>(text_.techniques.size()); }
    const char *TechniqueName(int index) const;
    // The first technique after `after` (-1: from the start) that the device
    // can run, or -1 when none is left.
    int FindNextValidTechnique(int after) const;
    bool SetTechnique(int index);
    int Technique() const { return technique_; }
    int PassCount() const;

    // Parameters by name. False when the name is not declared with that kind.
    // A matrix is given row by row in row-vector convention; it reaches the
    // constant registers transposed, as m4x4 takes its rows.
    bool SetMatrix(const char *name, const float matrix[16]);
    bool SetVector(const char *name, const float vector[4]);
    bool SetTexture(const char *name, device::Texture *texture);
    bool SetDword(const char *name, uint32_t value);
    bool HasParameter(const char *name) const;

    // Begin returns the pass count of the current technique (0 when nothing
    // can be drawn) and remembers every device state the passes change; End
    // puts them back and switches shader programs off.
    int Begin();
    bool Pass(int index);
    void End();

    // The device is being reset: nothing is drawn in between. Programs and
    // parameters survive; programs rebuild themselves in the new context.
    void OnLostDevice();
    void OnResetDevice();

    const EffectText &Text() const { return text_; }

    // The device's capabilities as technique validation sees them.
    static FxCaps CapsOf(const device::Caps &caps);

private:
    Effect(device::Device *device, EffectText &&text);
    bool BuildPrograms(std::string *error);
    void ResolveParams();
    void SaveState(const StateAssign &a);
    void ApplyState(const StateAssign &a);
    void LoadConstants(const PassText &pass, device::ShaderProgram *program);

    struct ParamValue {
        float value[16] = {0};
        device::Texture *texture = nullptr;
    };
    struct Saved {
        int state, stage;
        uint32_t value;
        device::Texture *texture;
    };

    device::Device *device_;
    EffectText text_;
    std::vector<ParamValue> values_;  // one per declared parameter
    // One program per pass of every technique (null for fixed-function passes).
    std::vector<std::vector<std::unique_ptr<device::ShaderProgram>>> programs_;
    int technique_ = 0;
    bool begun_ = false;
    bool lost_ = false;
    std::vector<Saved> saved_;
};

}  // namespace fx
