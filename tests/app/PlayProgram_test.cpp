// The real program with real X events: through the opening, the first tile
// laid with the mouse, a screenshot with F10, then Escape.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string ReadFile(const std::string &path) {
    std::string s;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return "<missing>";
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    fclose(f);
    return s;
}

pid_t Start() {
    pid_t pid = fork();
    if (pid == 0) {
        int fd = open("err.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) dup2(fd, 2);
        // The program quits SDL before it exits, which unloads the GL driver
        // ahead of the leak check, so the driver's own leaks could not be
        // told apart; the game's leaks are checked by the in-process tests.
        std::string asan = getenv("ASAN_OPTIONS") ? getenv("ASAN_OPTIONS") : "";
        asan += std::string(asan.empty() ? "" : ":") + "detect_leaks=0";
        setenv("ASAN_OPTIONS", asan.c_str(), 1);
        const char *runtime = getenv("MARBRIX_RUNTIME_DIR");
        std::string p = std::string(runtime ? runtime : ".") + "/marbrix3d";
        execl(p.c_str(), p.c_str(), (char *)nullptr);
        _exit(127);
    }
    return pid;
}

// The exit status, or -1 while it is still running after `seconds`.
int WaitExit(pid_t pid, int seconds) {
    for (int i = 0; i < seconds * 20; i++) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        usleep(50000);
    }
    return -1;
}

bool Xdo(const std::string &args) {
    std::string cmd = "xdotool " + args + " >/dev/null 2>&1";
    return system(cmd.c_str()) == 0;
}

std::vector<std::string> Captures() {
    std::vector<std::string> names;
    if (DIR *d = opendir("captures")) {
        while (dirent *e = readdir(d))
            if (e->d_name[0] != '.') names.push_back(e->d_name);
        closedir(d);
    }
    return names;
}

}  // namespace

TEST(PlayProgram, OpeningFirstTileScreenshotAndEscape) {
    FILE *f = fopen("config.ini", "wb");
    ASSERT_NE(f, nullptr);
    fputs("[Path]\nGamePath=./\n\n[Game]\nLang=en\nFullscreen=0\nWidth=800\nHeight=600\n", f);
    fclose(f);
    setenv("MARBRIX_NO_HELP", "1", 1);
    setenv("MARBRIX_NO_LOGO", "1", 1);  // the clicks below are timed from the window's start
    pid_t pid = Start();
    ASSERT_TRUE(Xdo("search --sync --name '^Marbrix 3D TR$'")) << ReadFile("err.txt");
    usleep(2500 * 1000);
    // From the main menu to a game against the computer (buttons where the
    // menu script puts them at 800 x 600).
    Xdo("mousemove 400 180 sleep 0.3 click 1");
    usleep(1200 * 1000);
    Xdo("mousemove 400 320 sleep 0.3 click 1");
    usleep(1000 * 1000);
    // Through the opening, then the start tile (selected for a human
    // starter) laid near the middle of the table; a computer starter lays
    // its own in the meantime.
    Xdo("mousemove 400 300 click 1");
    usleep(800 * 1000);
    Xdo("mousemove 420 260 click 1");
    usleep(3000 * 1000);
    Xdo("key F10");
    usleep(1500 * 1000);
    // Escape waits while the computer is to move; it leads to the paused
    // game's menu, whose last button goes to the main menu, whose last
    // button quits. Try until the program ends.
    int status = -1;
    for (int i = 0; i < 10 && status < 0; ++i) {
        Xdo("key Escape");
        usleep(1200 * 1000);
        Xdo("mousemove 400 326 sleep 0.3 click 1");
        usleep(1200 * 1000);
        Xdo("mousemove 400 490 sleep 0.3 click 1");
        status = WaitExit(pid, 2);
    }
    if (status < 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    EXPECT_EQ(status, 0) << ReadFile("err.txt");
    std::vector<std::string> shots = Captures();
    ASSERT_EQ(shots.size(), 1u);
    EXPECT_EQ(shots[0], "screenshot000000.png");
    std::string png = ReadFile("captures/" + shots[0]);
    ASSERT_GT(png.size(), 1000u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    // 800 x 600, as the settings ask.
    auto be32 = [&](size_t at) {
        return (uint8_t(png[at]) << 24) | (uint8_t(png[at + 1]) << 16) |
               (uint8_t(png[at + 2]) << 8) | uint8_t(png[at + 3]);
    };
    EXPECT_EQ(be32(16), 800u);
    EXPECT_EQ(be32(20), 600u);
}
