// The play screen's render step on a busy table: the real game, dealt and
// played on by the rules until 20 tiles lie on the board, drawn again and
// again without moving on. Measured at 800 x 600 and in a 64 x 48 window
// (the smallest in which the texts still get a font size), each with
// shadows and reflections on and off. In the small window the
// rasteriser has almost nothing to fill, so what is left is the cost of
// submitting the draws (engine bookkeeping, state changes, the driver's
// vertex work); the difference to the large window is the cost of filling.
// Also prints how long the game takes from Init to its first play frame,
// and for each measured frame the fragments each of its passes writes (the
// samples passing the depth and stencil tests) and their sum over the
// window's pixel count, the overdraw: unlike the times, these counts do not
// depend on how busy the machine is.
//
// Run under a display: xvfb-run -a -s "-screen 0 1024x768x24" play_frame
#include <GL/gl.h>
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/Game.h"
#include "game/Autoplay.h"
#include "image/Image.h"
#include "lib3d/PassCounter.h"
#include "persist/UserFolder.h"
#include "platform/Clock.h"
#include "platform/Input.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// A working folder of its own, with the runtime data linked in, so the
// bench's config.ini never touches anyone else's.
bool EnterWorkFolder() {
    char path[] = "/tmp/play_frame_XXXXXX";
    if (!mkdtemp(path)) return false;
    if (chdir(path) != 0) return false;
    const std::string runtime = MARBRIX_RUNTIME;
    if (symlink((runtime + "/data").c_str(), "data") != 0) return false;
    if (symlink((runtime + "/html").c_str(), "html") != 0) return false;
    return true;
}

struct Table {
    std::unique_ptr<Game> game;
    platform::ScriptedInput input;
    platform::ManualClock clock;
    int width = 0, height = 0;
    bool ok = false;

    ~Table() {
        if (game) game->Shutdown();
        game.reset();
        persist::SetUserFolder("./");
    }
    void Frame() {
        clock.AdvanceMs(20);
        game->RunOnce();
    }
    // From the stand-in menu through the opening into play.
    bool EnterPlay() {
        for (int i = 0; i < 4 && game->mode != Play; ++i) Frame();
        input.PushKey('x');
        for (int i = 0; i < 3 && game->mode != Play; ++i) Frame();
        return game->mode == Play;
    }
    // Plays both seats by the rules (the human seat by the self-play seat,
    // the other by the computer) until the board holds `count` tiles with
    // the human to move; a game that ends sooner is dealt again.
    bool PlaceTiles(size_t count, uint64_t seed) {
        game::SimpleSeat seat(seed);
        for (int attempt = 0; attempt < 50; ++attempt) {
            if (!EnterPlay()) return false;
            game::Rules &r = game->rules;
            for (int step = 0; step < 4000 && game->mode == Play; ++step) {
                if (r.board.placed.size() >= count && r.HumanToMove()) {
                    Frame();  // one ordinary frame, so the view and pointer are current
                    return game->mode == Play;
                }
                r.BeginFrame();
                if (r.HumanToMove()) {
                    game::SimpleSeat::Outcome o = seat.Act(r);
                    if (o == game::SimpleSeat::Stuck || o == game::SimpleSeat::Refused) {
                        break;
                    }
                }
                r.ComputerUpdate(25.0f);
                r.CheckEnd();
            }
            srand(1000 + attempt);
            game->NewGame();
        }
        return false;
    }
};

// With PLAY_FRAME_DUMP=<prefix> set, the measured frames are also written
// as <prefix>-<w>x<h>-on.ppm and -off.ppm, so that a change meant only to
// speed things up can be checked to leave every pixel alone (cmp).
void DumpFrame(Game &game, const char *prefix, int width, int height, const char *name) {
    Image image;
    game.frameCapture = &image;
    game.PlayRender();
    game.frameCapture = nullptr;
    char path[512];
    snprintf(path, sizeof path, "%s-%dx%d-%s.ppm", prefix, width, height, name);
    FILE *f = fopen(path, "wb");
    if (!f) return;
    fprintf(f, "P6\n%d %d\n255\n", image.width, image.height);
    for (size_t i = 0; i + 3 < image.pixels.size(); i += 4) fwrite(&image.pixels[i], 1, 3, f);
    fclose(f);
}

// The measured view with effects on and off, then the same from far out and
// low down, where the room around the table shows too.
void DumpFrames(Game &game, int width, int height) {
    const char *prefix = getenv("PLAY_FRAME_DUMP");
    if (!prefix || !*prefix) return;
    const game::Camera kept = game.camera;
    for (int wide = 0; wide <= 1; ++wide) {
        if (wide) {
            game.camera.distance = game::Camera::kMaxDistance;
            game.camera.elevation = 20.0f;
            game.camera.azimuth = 30.0f;
            game.camera.UpdateEye();
            game.UpdateView();
        }
        for (int on = 0; on <= 1; ++on) {
            game.settings.shadow = game.settings.reflect = on;
            char name[32];
            snprintf(name, sizeof name, "%s%s", wide ? "wide-" : "", on ? "on" : "off");
            DumpFrame(game, prefix, width, height, name);
        }
    }
    game.camera = kept;
    game.camera.UpdateEye();
    game.UpdateView();
    game.settings.shadow = game.settings.reflect = 1;
}

// When main began: start-up is also measured from there (the process's own
// loading before main is a few milliseconds).
Clock::time_point g_mainStart;
bool g_firstTable = true;

std::unique_ptr<Table> g_table;
std::map<std::string, double> g_msPerFrame;
// Processor time of every thread of the process (the rasteriser's included)
// per frame: less shaken than the wall clock by other work on the machine.
std::map<std::string, double> g_cpuMsPerFrame;

double ProcessCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}
std::map<std::string, std::string> g_fragments;
std::map<std::string, std::string> g_passTimes;

// Each pass's time over `frames` frames drawn pass by pass to the end (the
// counter waits after every pass), in ms per frame: which pass costs what.
std::string TimePasses(Game &game, int frames) {
    std::map<std::string, double> ms;
    std::vector<std::string> order;
    for (int i = 0; i < frames; ++i) {
        lib3d::PassCounter counter(game.GetDevice());
        game.passCounter = &counter;
        game.PlayRender();
        game.passCounter = nullptr;
        counter.End();
        for (const lib3d::PassCounter::Pass &p : counter.Passes()) {
            if (!ms.count(p.name)) order.push_back(p.name);
            ms[p.name] += p.ms;
        }
    }
    std::string line;
    char item[96];
    double total = 0;
    for (const std::string &name : order) {
        snprintf(item, sizeof item, "%s=%.2f ", name.c_str(), ms[name] / frames);
        line += item;
        total += ms[name] / frames;
    }
    snprintf(item, sizeof item, "sum=%.2f", total);
    return line + item;
}

// One frame drawn with its passes counted, as a line of `pass=samples`
// pairs, the total and the overdraw (total over the window's pixels).
std::string CountFragments(Game &game, int width, int height) {
    lib3d::PassCounter counter(game.GetDevice());
    game.passCounter = &counter;
    game.PlayRender();
    game.passCounter = nullptr;
    if (!counter.Ok()) return "not counted (no occlusion queries)";
    std::string line;
    char item[96];
    for (const lib3d::PassCounter::Pass &p : counter.Passes()) {
        snprintf(item, sizeof item, "%s=%llu ", p.name.c_str(),
                 static_cast<unsigned long long>(p.samples));
        line += item;
    }
    snprintf(item, sizeof item, "total=%llu overdraw=%.3f",
             static_cast<unsigned long long>(counter.Total()),
             static_cast<double>(counter.Total()) / (static_cast<double>(width) * height));
    return line + item;
}

bool OpenTable(int width, int height) {
    g_table.reset();
    std::unique_ptr<Table> t(new Table);
    FILE *f = fopen("config.ini", "wb");
    if (!f) return false;
    fprintf(f, "[Game]\nFullscreen=0\nWidth=%d\nHeight=%d\n", width, height);
    fclose(f);
    t->width = width;
    t->height = height;
    const Clock::time_point t0 = Clock::now();
    t->game.reset(new Game);
    t->game->input = &t->input;
    t->game->timer.clock = &t->clock;
    if (!t->game->Init()) return false;
    const double initMs = MsSince(t0);
    srand(7);
    if (!t->EnterPlay()) return false;
    // The first play frame: everything the play screen needs comes in here.
    const Clock::time_point f0 = Clock::now();
    t->game->PlayRender();
    glFinish();
    const double firstMs = MsSince(f0);
    fprintf(stderr,
            "start-up at %dx%d: Init %.1f ms, first play frame %.1f ms, Init start to first "
            "play frame end %.1f ms (opening frames included)\n",
            width, height, initMs, firstMs, MsSince(t0));
    if (g_firstTable)
        fprintf(stderr,
                "start-up of the process at %dx%d: main to the end of the first play frame "
                "%.1f ms (video start, window, data, opening screen)\n",
                width, height, MsSince(g_mainStart));
    g_firstTable = false;
    t->input.SetMouse(width / 2, height / 2);
    t->ok = t->PlaceTiles(20, 11);
    if (t->ok) DumpFrames(*t->game, width, height);
    if (t->ok)
        fprintf(stderr, "%dx%d: %zu tiles on the board\n", width, height,
                t->game->rules.board.placed.size());
    g_table = std::move(t);
    return g_table->ok;
}

void PlayFrame(benchmark::State &state, int width, int height, bool effects, const char *key) {
    if (!g_table || !g_table->ok || g_table->width != width || g_table->height != height) {
        if (!OpenTable(width, height)) {
            state.SkipWithError("could not set up the table");
            return;
        }
    }
    Game &game = *g_table->game;
    game.settings.shadow = effects ? 1 : 0;
    game.settings.reflect = effects ? 1 : 0;
    for (int i = 0; i < 3; ++i) game.PlayRender();
    g_fragments[key] = CountFragments(game, width, height);
    g_passTimes[key] = TimePasses(game, 30);
    glFinish();
    const Clock::time_point t0 = Clock::now();
    const double cpu0 = ProcessCpuMs();
    for (auto _ : state) {
        game.PlayRender();
        glFinish();
    }
    const double ms = MsSince(t0) / static_cast<double>(state.iterations());
    g_msPerFrame[key] = ms;
    g_cpuMsPerFrame[key] = (ProcessCpuMs() - cpu0) / static_cast<double>(state.iterations());
    state.counters["fps"] = 1000.0 / ms;
    state.counters["tiles"] = static_cast<double>(game.rules.board.placed.size());
    game.settings.shadow = game.settings.reflect = 1;
}

void BM_Play800Effects(benchmark::State &s) {
    PlayFrame(s, 800, 600, true, "800 on");
}
void BM_Play800Plain(benchmark::State &s) {
    PlayFrame(s, 800, 600, false, "800 off");
}
void BM_Play1024Effects(benchmark::State &s) {
    PlayFrame(s, 1024, 768, true, "1024 on");
}
void BM_Play1024Plain(benchmark::State &s) {
    PlayFrame(s, 1024, 768, false, "1024 off");
}
void BM_Play64Effects(benchmark::State &s) {
    PlayFrame(s, 64, 48, true, "64 on");
}
void BM_Play64Plain(benchmark::State &s) {
    PlayFrame(s, 64, 48, false, "64 off");
}

BENCHMARK(BM_Play800Effects)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_Play800Plain)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_Play1024Effects)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_Play1024Plain)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_Play64Effects)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_Play64Plain)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void Ratio(const char *what, const char *a, const char *b) {
    if (!g_msPerFrame.count(a) || !g_msPerFrame.count(b) || g_msPerFrame[b] <= 0) return;
    printf("%-58s %6.2f\n", what, g_msPerFrame[a] / g_msPerFrame[b]);
}

}  // namespace

int main(int argc, char **argv) {
    g_mainStart = Clock::now();
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("MARBRIX_NO_HELP", "1", 0);
    // The game's clock is simulated here and never moves during start-up,
    // so the opening logo would never end; it is not what is measured.
    setenv("MARBRIX_NO_LOGO", "1", 1);
    if (!EnterWorkFolder()) {
        fprintf(stderr, "play_frame: cannot make a working folder\n");
        return 1;
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        fprintf(stderr, "play_frame: no display: %s\n", SDL_GetError());
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    if (g_table && g_table->game) g_table->game->Shutdown();
    g_table.reset();
    printf("\nFrame time ratios (same run):\n");
    Ratio("800x600 shadows+reflections on / off", "800 on", "800 off");
    Ratio("64x48 on / 800x600 on  (submission share of a frame)", "64 on", "800 on");
    Ratio("64x48 off / 800x600 off (submission share of a frame)", "64 off", "800 off");
    for (const auto &e : g_msPerFrame)
        printf("  %-8s %7.2f ms/frame  %7.1f fps  %7.2f ms cpu/frame\n", e.first.c_str(), e.second,
               1000.0 / e.second, g_cpuMsPerFrame[e.first]);
    printf("\nFragments per pass (samples passing depth and stencil) of one frame:\n");
    for (const auto &e : g_fragments) printf("  %-8s %s\n", e.first.c_str(), e.second.c_str());
    printf("\nPass times (ms; every pass drawn to its end before the next, 30 frames):\n");
    for (const auto &e : g_passTimes) printf("  %-8s %s\n", e.first.c_str(), e.second.c_str());
    return 0;
}
