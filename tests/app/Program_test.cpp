// Runs the real program briefly on the test display and checks how it ends.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/Path.h"

namespace {

std::string Cwd() {
    char buf[4096];
    return getcwd(buf, sizeof buf) ? buf : ".";
}

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

void WriteFile(const std::string &path, const std::string &text) {
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
}

std::string Program() {
    const char *runtime = getenv("MARBRIX_RUNTIME_DIR");
    return std::string(runtime ? runtime : ".") + "/marbrix3d";
}

// Starts the program in the working folder, its standard error into err.txt.
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
        std::string p = Program();
        execl(p.c_str(), p.c_str(), (char *)nullptr);
        _exit(127);
    }
    return pid;
}

// The exit status, or -1 when it did not end within the time given (then
// it is killed).
int WaitExit(pid_t pid, int seconds) {
    for (int i = 0; i < seconds * 20; i++) {
        int status = 0;
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        usleep(50000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

// The id of the program's window once it is shown, or "" after 30 seconds.
std::string FindWindow() {
    FILE *p = popen("timeout 30 xdotool search --sync --name '^Marbrix 3D TR$' 2>/dev/null", "r");
    if (!p) return "";
    char line[64] = {0};
    std::string id;
    if (fgets(line, sizeof line, p)) id = line;
    pclose(p);
    while (!id.empty() && (id.back() == '\n' || id.back() == '\r')) id.pop_back();
    return id;
}

// An opener standing in for xdg-open, which records that it was called.
void InstallFakeOpener() {
    mkdir("fakebin", 0755);
    std::string cwd = Cwd();
    WriteFile("fakebin/xdg-open", "#!/bin/sh\necho \"$1\" > \"" + cwd + "/opened.tmp\" && mv \"" +
                                      cwd + "/opened.tmp\" \"" + cwd + "/opened.txt\"\n");
    chmod("fakebin/xdg-open", 0755);
    std::string path = cwd + "/fakebin:" + (getenv("PATH") ? getenv("PATH") : "/usr/bin:/bin");
    setenv("PATH", path.c_str(), 1);
}

bool WaitForFile(const char *path, int seconds) {
    for (int i = 0; i < seconds * 20; i++) {
        if (platform::FileExists(path)) return true;
        usleep(50000);
    }
    return false;
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        unlink("config.ini");
        unlink("playersname.txt");
        unlink("opened.txt");
        setenv("MARBRIX_NO_HELP", "1", 1);
        setenv("MARBRIX_NO_LOGO", "1", 1);
    }
};

}  // namespace

TEST_F(ProgramTest, TheQuitButtonEndsANormalRunWithStatusZero) {
    WriteFile("config.ini", "[Path]\nGamePath=./\n\n[Game]\nLang=en\nFullscreen=0\n");
    pid_t pid = Start();
    std::string window = FindWindow();
    ASSERT_FALSE(window.empty()) << ReadFile("err.txt");
    // The program starts at the main menu, where Escape does nothing; the
    // last button of the menu quits once the menu has swung in.
    std::string escape = "xdotool key --window " + window + " Escape 2>/dev/null";
    if (system(escape.c_str()) != 0) ADD_FAILURE() << "xdotool could not press Escape";
    usleep(1500 * 1000);
    int running = 0;
    EXPECT_EQ(waitpid(pid, &running, WNOHANG), 0);
    std::string cmd =
        "xdotool mousemove --window " + window + " 400 490 sleep 0.5 click 1 2>/dev/null";
    bool ended = false;
    for (int i = 0; i < 10 && !ended; ++i) {
        if (system(cmd.c_str()) != 0) break;  // the window is gone
        usleep(1500 * 1000);
        ended = waitpid(pid, &running, WNOHANG) == pid;
    }
    int status = ended ? (WIFEXITED(running) ? WEXITSTATUS(running) : -1) : WaitExit(pid, 30);
    EXPECT_EQ(status, 0) << ReadFile("err.txt");
    // A first start left its settings beside the start-up keys.
    std::string ini = ReadFile("config.ini");
    EXPECT_NE(ini.find("Lang=en\nFullscreen=0\nWidth=800\n"), std::string::npos) << ini;
    EXPECT_NE(ReadFile("playersname.txt"), "<missing>");
}

TEST_F(ProgramTest, AKeyReleaseSkipsTheOpeningLogo) {
    // The logo plays for more than 8 s of wall-clock time, and mouse clicks
    // do not skip it. One key release does: the menus come up and their
    // Quit button ends the program well before the logo could have ended
    // by itself.
    unsetenv("MARBRIX_NO_LOGO");
    WriteFile("config.ini", "[Path]\nGamePath=./\n\n[Game]\nLang=en\nFullscreen=0\n");
    pid_t pid = Start();
    std::string window = FindWindow();
    ASSERT_FALSE(window.empty()) << ReadFile("err.txt");
    std::string key = "xdotool windowfocus --sync " + window + " key a 2>/dev/null";
    EXPECT_EQ(system(key.c_str()), 0);
    std::string click =
        "xdotool mousemove --window " + window + " 400 490 sleep 0.3 click 1 2>/dev/null";
    bool ended = false;
    int running = 0;
    for (int i = 0; i < 7 && !ended; ++i) {     // about 7 s in all
        if (system(click.c_str()) != 0) break;  // the window is gone
        usleep(700 * 1000);
        ended = waitpid(pid, &running, WNOHANG) == pid;
    }
    int status = ended ? (WIFEXITED(running) ? WEXITSTATUS(running) : -1) : -1;
    if (!ended) WaitExit(pid, 1);  // ends it either way
    EXPECT_TRUE(ended) << "still running 7 s after the key: the logo was not skipped";
    EXPECT_EQ(status, 0) << ReadFile("err.txt");
    EXPECT_EQ(ReadFile("err.txt"), "");
}

TEST_F(ProgramTest, AQuitEventEndsTheProgramWithStatusZero) {
    // SDL turns SIGTERM into its quit event, as it does for the window's
    // close button.
    pid_t pid = Start();
    ASSERT_FALSE(FindWindow().empty()) << ReadFile("err.txt");
    kill(pid, SIGTERM);
    EXPECT_EQ(WaitExit(pid, 30), 0) << ReadFile("err.txt");
    EXPECT_EQ(ReadFile("err.txt"), "");
}

TEST_F(ProgramTest, FailedStartUpReportsAndStillOpensTheHelp) {
    WriteFile("config.ini", "[Game]\nLang=xx\n");
    InstallFakeOpener();
    unsetenv("MARBRIX_NO_HELP");
    pid_t pid = Start();
    EXPECT_EQ(WaitExit(pid, 30), 1);
    EXPECT_EQ(ReadFile("err.txt"), "Cannot read text file\nProbleme de lecture du fichier texte\n");
    ASSERT_TRUE(WaitForFile("opened.txt", 10));
    char runtime[4096];
    ASSERT_TRUE(realpath(getenv("MARBRIX_RUNTIME_DIR"), runtime));
    EXPECT_EQ(ReadFile("opened.txt"), std::string(runtime) + "/html/index.html\n");
}

TEST_F(ProgramTest, NoHelpWhenAskedNot) {
    WriteFile("config.ini", "[Game]\nLang=xx\n");
    InstallFakeOpener();
    setenv("MARBRIX_NO_HELP", "1", 1);
    pid_t pid = Start();
    EXPECT_EQ(WaitExit(pid, 30), 1);
    // The opener is started before the program returns, so by now it would
    // have left its record within a moment; give it that moment.
    EXPECT_FALSE(WaitForFile("opened.txt", 2));
}
