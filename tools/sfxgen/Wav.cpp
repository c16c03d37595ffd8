#include "Wav.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace sfx {

namespace {

void Put16(std::vector<uint8_t> &out, uint32_t v) {
    out.push_back(v & 0xff);
    out.push_back((v >> 8) & 0xff);
}

void Put32(std::vector<uint8_t> &out, uint32_t v) {
    Put16(out, v & 0xffff);
    Put16(out, v >> 16);
}

void PutTag(std::vector<uint8_t> &out, const char *tag) {
    out.insert(out.end(), tag, tag + 4);
}

}  // namespace

bool WriteWav(const std::string &path, const Sound &sound) {
    const uint32_t dataBytes = static_cast<uint32_t>(sound.samples.size() * 2);
    std::vector<uint8_t> out;
    out.reserve(44 + dataBytes);
    PutTag(out, "RIFF");
    Put32(out, 36 + dataBytes);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16);
    Put16(out, 1);  // PCM
    Put16(out, sound.channels);
    Put32(out, sound.rate);
    Put32(out, sound.rate * sound.channels * 2);
    Put16(out, sound.channels * 2);
    Put16(out, 16);
    PutTag(out, "data");
    Put32(out, dataBytes);
    for (float s : sound.samples) {
        long v = std::lround(s * 32767.0f);
        if (v > 32767) v = 32767;
        if (v < -32767) v = -32767;
        Put16(out, static_cast<uint16_t>(static_cast<int16_t>(v)));
    }

    FILE *file = fopen(path.c_str(), "wb");
    if (!file) {
        fprintf(stderr, "sfxgen: cannot write %s: %s\n", path.c_str(), strerror(errno));
        return false;
    }
    bool ok = fwrite(out.data(), 1, out.size(), file) == out.size();
    ok = (fclose(file) == 0) && ok;
    if (!ok) fprintf(stderr, "sfxgen: error writing %s\n", path.c_str());
    return ok;
}

}  // namespace sfx
