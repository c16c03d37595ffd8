// Decoding and encoding a 1024 x 768 picture with our codec and with libpng,
// in one run, then the time and size ratios.
#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
#include <map>
#include <string>

#include "image/Png.h"
#include "image/PngOracle.h"

namespace {

const int kWidth = 1024, kHeight = 768;

// Each row repeats 86 random pixels: after the Sub filter every 3-byte key
// recurs 258 bytes later, just past the compressor's 255-byte reach, so
// every position searches its whole window in vain.
Image WorstCase() {
    Image img = PhotoLikeImage(kWidth, kHeight, 1);
    std::vector<uint8_t> noise = RandomBytes(86 * 4, 99);
    for (int y = 0; y < kHeight; y++)
        for (int x = 0; x < kWidth; x++)
            for (int c = 0; c < 3; c++)
                img.pixels[(size_t(y) * kWidth + x) * 4 + c] = noise[(x % 86) * 4 + c];
    return img;
}

Image Noise() {
    Image img = PhotoLikeImage(kWidth, kHeight, 1);
    std::vector<uint8_t> noise = RandomBytes(img.pixels.size(), 5);
    for (size_t i = 0; i < img.pixels.size(); i++) img.pixels[i] = i % 4 == 3 ? 255 : noise[i];
    return img;
}

const Image &Content(const std::string &name) {
    static std::map<std::string, Image> cache;
    auto it = cache.find(name);
    if (it != cache.end()) return it->second;
    Image img = name == "photo"   ? PhotoLikeImage(kWidth, kHeight, 1)
                : name == "flat"  ? FlatImage(kWidth, kHeight)
                : name == "scene" ? SceneImage(kWidth, kHeight)
                : name == "noise" ? Noise()
                                  : WorstCase();
    return cache[name] = img;
}

std::vector<uint8_t> RgbSamples(const Image &img) {
    std::vector<uint8_t> s;
    s.reserve(img.pixels.size() / 4 * 3);
    for (size_t i = 0; i < img.pixels.size(); i += 4)
        s.insert(s.end(), &img.pixels[i], &img.pixels[i + 3]);
    return s;
}

// libpng at its defaults: adaptive filters, zlib level 6.
std::vector<uint8_t> LibpngFile(const Image &img) {
    std::vector<uint8_t> file;
    LibpngEncode(img.width, img.height, PNG_COLOR_TYPE_RGB, 8, RgbSamples(img), &file,
                 PNG_ALL_FILTERS);
    return file;
}

std::map<std::string, double> g_sizes;

void DecodeOurs(benchmark::State &state, std::string content, bool ourFile) {
    const Image &img = Content(content);
    std::vector<uint8_t> file;
    if (ourFile)
        EncodePng(img, PngFilterSub, &file);
    else
        file = LibpngFile(img);
    Image out;
    for (auto _ : state) {
        if (!DecodePng(file.data(), file.size(), &out, 0)) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(out.pixels.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(img.pixels.size()));
}

void DecodeLibpng(benchmark::State &state, std::string content, bool ourFile) {
    const Image &img = Content(content);
    std::vector<uint8_t> file;
    if (ourFile)
        EncodePng(img, PngFilterSub, &file);
    else
        file = LibpngFile(img);
    Image out;
    for (auto _ : state) {
        if (!LibpngDecode(file, &out)) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(out.pixels.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(img.pixels.size()));
}

void EncodeOurs(benchmark::State &state, std::string content) {
    const Image &img = Content(content);
    std::vector<uint8_t> file;
    for (auto _ : state) {
        EncodePng(img, PngFilterSub, &file);
        benchmark::DoNotOptimize(file.data());
    }
    state.counters["file_bytes"] = double(file.size());
    g_sizes["ours/" + content] = double(file.size());
}

void EncodeLibpng(benchmark::State &state, std::string content) {
    const Image &img = Content(content);
    std::vector<uint8_t> samples = RgbSamples(img), file;
    for (auto _ : state) {
        LibpngEncode(img.width, img.height, PNG_COLOR_TYPE_RGB, 8, samples, &file, PNG_ALL_FILTERS);
        benchmark::DoNotOptimize(file.data());
    }
    state.counters["file_bytes"] = double(file.size());
    g_sizes["libpng/" + content] = double(file.size());
}

// Keeps each benchmark's CPU time per iteration, in milliseconds. CPU time
// rather than wall time: the machine is shared, and waiting for a core is
// not the codec's doing.
class Recorder : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> ms;
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &r : runs) {
            if (r.run_type == Run::RT_Iteration)
                ms[r.benchmark_name()] =
                    r.GetAdjustedCPUTime() * (r.time_unit == benchmark::kMillisecond ? 1.0 : 1e-3);
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char **argv) {
    const char *contents[] = {"photo", "scene", "flat"};
    for (const char *c : contents) {
        for (bool ourFile : {false, true}) {
            std::string file = ourFile ? "our_file" : "libpng_file";
            benchmark::RegisterBenchmark(("decode/ours/" + std::string(c) + "/" + file).c_str(),
                                         DecodeOurs, c, ourFile)
                ->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark(("decode/libpng/" + std::string(c) + "/" + file).c_str(),
                                         DecodeLibpng, c, ourFile)
                ->Unit(benchmark::kMicrosecond);
        }
    }
    for (const char *c : {"photo", "scene", "flat", "noise", "worst"}) {
        benchmark::RegisterBenchmark(("encode/ours/" + std::string(c)).c_str(), EncodeOurs, c)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("encode/libpng/" + std::string(c)).c_str(), EncodeLibpng, c)
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::Initialize(&argc, argv);
    Recorder recorder;
    benchmark::RunSpecifiedBenchmarks(&recorder);

    printf(
        "\nRatios of CPU time and file size, ours / libpng (below 1: ours faster or smaller):\n");
    for (const auto &entry : recorder.ms) {
        const std::string &name = entry.first;
        size_t at = name.find("/ours/");
        if (at == std::string::npos) continue;
        std::string peer = name.substr(0, at) + "/libpng/" + name.substr(at + 6);
        auto it = recorder.ms.find(peer);
        if (it == recorder.ms.end()) continue;
        printf("  %-36s time %.2f  (%.2f ms vs %.2f ms)", name.c_str(), entry.second / it->second,
               entry.second, it->second);
        std::string content = name.substr(at + 6);
        if (name.compare(0, 6, "encode") == 0 && g_sizes.count("libpng/" + content))
            printf("  size %.2f (%.0f vs %.0f bytes)",
                   g_sizes["ours/" + content] / g_sizes["libpng/" + content],
                   g_sizes["ours/" + content], g_sizes["libpng/" + content]);
        printf("\n");
    }
    benchmark::Shutdown();
    return 0;
}
