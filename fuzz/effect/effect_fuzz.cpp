// The effect-text reader and the GLSL translation on arbitrary text. Beyond
// not crashing: a text that reads must give techniques with passes, every
// state and binding must stay inside its register file, and every program
// must translate into text that assigns the outputs.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fx/EffectText.h"
#include "fx/Glsl.h"

namespace {

void Check(bool condition) {
    if (!condition) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fx::EffectText effect;
    std::string error;
    if (!fx::ParseEffect(reinterpret_cast<const char *>(data), size, effect, error)) {
        Check(!error.empty());
        Check(effect.techniques.empty());
        return 0;
    }
    Check(!effect.techniques.empty());
    for (const fx::TechniqueText &t : effect.techniques) {
        Check(!t.passes.empty());
        for (const fx::PassText &p : t.passes) {
            for (const fx::StateAssign &a : p.states) {
                Check(a.state >= 0 && a.state < fx::kFxStateCount);
                Check(a.stage >= 0 && a.stage < fx::kFxMaxStages);
                Check(a.param.empty() || effect.FindParam(a.param) >= 0);
            }
            for (const fx::ConstBinding &b : p.vertexConsts)
                Check(b.first >= 0 && b.first + b.count <= fx::kFxVertexConstants);
            for (const fx::ConstBinding &b : p.pixelConsts)
                Check(b.first >= 0 && b.first + b.count <= fx::kFxPixelConstants);
            if (p.hasVertexShader) {
                std::string text = fx::GlslVertexShader(p.vertexShader);
                Check(text.find("gl_Position =") != std::string::npos);
            }
            if (p.hasPixelShader) {
                std::string text = fx::GlslPixelShader(p.pixelShader);
                Check(text.find("gl_FragColor = r0;") != std::string::npos);
            }
        }
    }
    return 0;
}
