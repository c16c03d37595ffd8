// Replays every file of a corpus folder through a fuzz target's entry point.
// Built into the normal and sanitizer test runs so that inputs which once
// crashed a target keep being checked without libFuzzer.
#include <dirent.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

static int ReplayFile(const std::string &path) {
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) {
        fprintf(stderr, "cannot open %s\n", path.c_str());
        return 0;
    }
    std::vector<uint8_t> bytes;
    uint8_t buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
    fclose(f);
    static const uint8_t kEmpty[1] = {0};
    LLVMFuzzerTestOneInput(bytes.empty() ? kEmpty : bytes.data(), bytes.size());
    return 1;
}

static int ReplayDir(const std::string &dir) {
    DIR *d = opendir(dir.c_str());
    if (!d) return 0;
    int count = 0;
    while (dirent *e = readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        std::string path = dir + "/" + name;
        struct stat st;
        if (stat(path.c_str(), &st) != 0) continue;
        count += S_ISDIR(st.st_mode) ? ReplayDir(path) : ReplayFile(path);
    }
    closedir(d);
    return count;
}

int main(int argc, char **argv) {
    int count = 0;
    // The empty input is always worth one run.
    static const uint8_t kEmpty[1] = {0};
    LLVMFuzzerTestOneInput(kEmpty, 0);
    for (int i = 1; i < argc; i++) count += ReplayDir(argv[i]);
    printf("%d inputs replayed\n", count);
    return 0;
}
