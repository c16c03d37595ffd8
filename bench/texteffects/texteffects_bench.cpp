// A full-screen text-effect script with every operation, rendered at
// 1024 x 768, and each operation on its own, all as ratios against filling
// the same canvas with one colour. Needs the runtime folder's font (built by
// the `data` target).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "persist/WideString.h"
#include "texteffects/Effects.h"
#include "texteffects/TextEffects.h"

namespace {

const int kWidth = 1024, kHeight = 768;

const char *kScript = R"(FONTES
{
  titre
  {
    FICHIER="data/gfx/font/vagron.ttf"
    SIZE=160
    GRAS
    OUTLINE=3
    OMBRAGE=(6,6)
    DEGRADE=(255,230,120)/(200,80,20)
  }
  vague
  {
    FICHIER="data/gfx/font/vagron.ttf"
    SIZE=72
    ITALIQUE
    OUTLINE=2
    DEGRADE=(200,240,255)/(40,90,255)
    SINUS
  }
}
BITMAPS
{
  ciel
  {
    CLOUDS=(120,160,255,256,256)
  }
  tuile
  {
    CLOUDS=(255,220,180,200,120)
    OMBRAGE=(4,4)
    OUTLINE=1
  }
}
COMPOSITION
{
  MOSAIC=ciel (0,0)
  ETIRER=tuile (0,0)
  ONDEOMBREE=(12,6) (900,900)
  CARREDEGRADE=COULEUR(30,40,90) (100,150) (824,420)
  BITMAP=tuile (150,420)
  FBITMAP=tuile (650,420)
  TEXTE=titre (140,180) "Marbrix 3D"
  TEXTE=vague (200,340) "dominoes for everyone"
  ONDE=(5,4)
  EMBOSS=(512,300,700) (1,1,1)
}
END
)";

texteffects::Script *TheScript() {
    static texteffects::Script *script = [] {
        texteffects::SetGeneratorContext(kWidth, kHeight, RUNTIME_DIR);
        std::u16string text;
        persist::Utf8ToUtf16(kScript, &text);
        std::vector<uint8_t> bytes = {0xFF, 0xFE};
        for (char16_t c : text) {
            bytes.push_back(uint8_t(c & 0xFF));
            bytes.push_back(uint8_t(c >> 8));
        }
        srand(1);
        texteffects::Script *s =
            texteffects::LoadScriptFromMemory(bytes.data(), bytes.size(), "bench");
        if (!s || s->fonts.size() != 2 || s->operations.size() != 10) {
            fprintf(stderr, "bench script did not load whole (font in %s?)\n", RUNTIME_DIR);
            exit(1);
        }
        return s;
    }();
    return script;
}

void Fill(benchmark::State &state) {
    Image canvas;
    for (auto _ : state) {
        canvas.width = kWidth;
        canvas.height = kHeight;
        canvas.pixels.assign(size_t(kWidth) * kHeight * 4, 0);
        for (size_t at = 0; at < canvas.pixels.size(); at += 4) {
            canvas.pixels[at] = 30;
            canvas.pixels[at + 1] = 40;
            canvas.pixels[at + 2] = 90;
        }
        benchmark::DoNotOptimize(canvas.pixels.data());
    }
}

void Render(benchmark::State &state) {
    texteffects::Script *script = TheScript();
    Image canvas;
    for (auto _ : state) {
        texteffects::RenderScript(script, &canvas);
        benchmark::DoNotOptimize(canvas.pixels.data());
    }
}

// One operation of the script alone, on a canvas already drawn.
void One(benchmark::State &state, int index) {
    texteffects::Script *script = TheScript();
    Image canvas;
    texteffects::RenderScript(script, &canvas);
    const Image start = canvas;
    texteffects::ScriptOperation op = script->operations[size_t(index)];
    for (auto _ : state) {
        state.PauseTiming();
        canvas = start;
        state.ResumeTiming();
        const auto &b = script->bitmaps;
        const auto find = [&](const std::u16string &n) -> const Image & {
            return b[0].name == n ? b[0].image : b[1].image;
        };
        switch (op.kind) {
            case texteffects::OpMosaic:
                texteffects::Mosaic(&canvas, find(op.name), op.x, op.y);
                break;
            case texteffects::OpStretch:
                texteffects::Stretch(&canvas, find(op.name), op.x, op.y);
                break;
            case texteffects::OpBitmap:
                texteffects::DrawBitmap(&canvas, find(op.name), op.x, op.y, true, 4, 4, true);
                break;
            case texteffects::OpFeatheredBitmap:
                texteffects::DrawFeatheredBitmap(&canvas, find(op.name), op.x, op.y);
                break;
            case texteffects::OpGradientBox:
                texteffects::GradientBox(&canvas, op.values, op.x, op.y, op.values[3],
                                         op.values[4]);
                break;
            case texteffects::OpWave:
            case texteffects::OpShadedWave:
                texteffects::Wave(&canvas, op.values[0], op.values[1],
                                  op.kind == texteffects::OpShadedWave, op.values[2], op.values[3]);
                break;
            case texteffects::OpEmboss:
                texteffects::Emboss(&canvas, op.x, op.y, op.values[0], op.values[1], op.values[2],
                                    op.values[3]);
                break;
            default: {
                // Text needs the script's fonts: run just this operation in it.
                std::vector<texteffects::ScriptOperation> saved;
                saved.swap(script->operations);
                script->operations.assign(1, op);
                texteffects::RenderScript(script, &canvas);  // also clears the canvas
                script->operations.swap(saved);
                break;
            }
        }
        benchmark::DoNotOptimize(canvas.pixels.data());
    }
}

class Recorder : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> ms;
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &r : runs)
            if (r.run_type == Run::RT_Iteration)
                ms[r.benchmark_name()] =
                    r.GetAdjustedCPUTime() * (r.time_unit == benchmark::kMillisecond ? 1.0 : 1e-3);
        ConsoleReporter::ReportRuns(runs);
    }
};

const char *kNames[] = {"MOSAIC",  "ETIRER",      "ONDEOMBREE",  "CARREDEGRADE", "BITMAP",
                        "FBITMAP", "TEXTE titre", "TEXTE vague", "ONDE",         "EMBOSS"};

}  // namespace

int main(int argc, char **argv) {
    TheScript();
    benchmark::RegisterBenchmark("fill", Fill)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("script", Render)->Unit(benchmark::kMicrosecond);
    for (int i = 0; i < 10; i++)
        benchmark::RegisterBenchmark(("op/" + std::string(kNames[i])).c_str(), One, i)
            ->Unit(benchmark::kMicrosecond);
    benchmark::Initialize(&argc, argv);
    Recorder recorder;
    benchmark::RunSpecifiedBenchmarks(&recorder);
    const double fill = recorder.ms["fill"];
    if (fill > 0) {
        printf("\nCPU time per 1024 x 768 canvas, as a multiple of the plain fill (%.3f ms):\n",
               fill);
        for (const auto &e : recorder.ms)
            if (e.first != "fill")
                printf("  %-22s %8.1f x  (%.2f ms)\n", e.first.c_str(), e.second / fill, e.second);
    }
    benchmark::Shutdown();
    return 0;
}
