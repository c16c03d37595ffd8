// The UTF-16 line file reader on arbitrary bytes. Every line it returns must
// be short and free of control units, and writing those lines and reading
// them back must give the same lines.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "persist/Utf16File.h"

namespace {

void Check(bool condition) {
    if (!condition) abort();
}

std::string TempName(const char *tag) {
    const char *dir = getenv("TMPDIR");
    return std::string(dir ? dir : "/tmp") + "/marbrix-fuzz-utf16-" + tag + "-" +
           std::to_string(getpid());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const std::string input = TempName("in"), output = TempName("out");
    FILE *f = fopen(input.c_str(), "wb");
    if (!f) return 0;
    if (size) fwrite(data, 1, size, f);
    fclose(f);

    std::vector<persist::WideString> lines;
    persist::Utf16File file;
    if (file.Open(input.c_str(), persist::Utf16File::Read)) {
        persist::WideString line;
        while (file.ReadLine(&line)) {
            Check(line.Length() <= uint32_t(persist::Utf16File::kMaxLine));
            for (uint32_t i = 0; i < line.Length(); i++) Check(line.CStr()[i] >= 0x20);
            lines.push_back(line);
        }
        file.Close();
    }

    Check(file.Open(output.c_str(), persist::Utf16File::Write) == 1);
    for (const auto &l : lines) file.WriteLine(l);
    Check(file.Close() == 1);
    Check(file.Open(output.c_str(), persist::Utf16File::Read) == 1);
    persist::WideString back;
    for (const auto &l : lines) {
        Check(file.ReadLine(&back) == 1);
        Check(back == l);
    }
    Check(file.ReadLine(&back) == 0);
    file.Close();
    unlink(input.c_str());
    unlink(output.c_str());
    return 0;
}
