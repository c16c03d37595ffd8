// Fuzzes the shader assembly parser and the executor.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fx/ShaderAsm.h"
#include "fx/ShaderExec.h"

namespace {

void Sampler(void *, int stage, const float coord[4], float rgba[4]) {
    for (int k = 0; k < 4; k++) rgba[k] = coord[k] * (float)stage;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    AsmProgram p;
    std::string err;
    if (!AsmParse((const char *)data, size, p, err)) {
        if (err.empty()) abort();
        return 0;
    }
    for (const AsmInstr &in : p.code) {
        // What is written back must read the same way.
        AsmProgram again;
        std::string text = std::string(p.pixel ? "ps.1.4\n" : "vs.1.1\n") + AsmFormat(in, p.pixel);
        if (!AsmParse(text, again, err) || again.code.size() != 1) {
            fprintf(stderr, "%s\n%s\n", text.c_str(), err.c_str());
            abort();
        }
    }
    AsmMachine m;
    m.sampler = Sampler;
    for (int i = 0; i < 96; i++)
        for (int k = 0; k < 4; k++) m.c[i][k] = (float)(i - 40) * 0.25f + (float)k;
    for (int i = 0; i < 16; i++)
        for (int k = 0; k < 4; k++) m.v[i][k] = (float)(i + k) * 0.5f - 2.0f;
    if (!AsmExecute(p, m)) abort();
    return 0;
}
