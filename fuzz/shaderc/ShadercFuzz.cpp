// Fuzzes the shader-script compiler. The first byte chooses the target and
// the device capabilities; the rest is the script. Whatever the effect target
// writes must read back through the assembly parser and run.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fx/ShaderAsm.h"
#include "fx/ShaderExec.h"
#include "shaderc/ShaderCompiler.h"

namespace {

// Every vs.1.1 / ps.1.4 block of an effect text, parsed and run.
void CheckEffect(const std::string &text) {
    size_t pos = 0;
    while ((pos = text.find("\nvs.1.1\n", pos)) != std::string::npos ||
           (pos = text.find("\nps.1.4\n", pos)) != std::string::npos) {
        size_t end = text.find("\n};", pos);
        if (end == std::string::npos) abort();
        AsmProgram p;
        std::string err;
        if (!AsmParse(text.substr(pos + 1, end - pos), p, err)) {
            fprintf(stderr, "%s\n%s\n", err.c_str(), text.c_str());
            abort();
        }
        AsmMachine m;
        if (!AsmExecute(p, m)) abort();
        pos = end;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    static const int kTargets[3] = {kShaderTargetEffect, kShaderTargetArb, kShaderTargetSoftware};
    uint8_t select = data[0];
    int flags = kTargets[select % 3];
    if (select & 0x10) flags |= kShaderCapMultitexture;
    if (select & 0x20) flags |= kShaderCapDot3;
    if (select & 0x40) flags |= kShaderCapPixelShader14;
    ShaderCompiler sc;
    int ok = sc.Compile((const char *)data + 1, size - 1, flags);
    if (!ok && sc.Error()[0] == 0) abort();  // a failure always says why
    if (ok && sc.target == 0) CheckEffect(sc.Text());
    if (ok && sc.target == 2) {
        for (const SwProgram &p : sc.programs) {
            SwMachine m;
            if (!SwRun(p, m)) abort();
        }
    }
    return 0;
}
