#include "persist/Settings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "persist/UserFolder.h"
#include "platform/Ini.h"
#include "platform/SafeFile.h"

namespace persist {

namespace {

std::string Decimal(int32_t value) {
    char text[16];
    snprintf(text, sizeof text, "%d", int(value));
    return text;
}

}  // namespace

void ReadSettings(Settings *s) {
    const std::string path = SettingsFilePath();
    const char *p = path.c_str();
    s->width = platform::IniGetInt("Game", "Width", 800, p);
    s->height = platform::IniGetInt("Game", "Height", 600, p);
    s->shadow = platform::IniGetInt("Game", "Shadow", 1, p);
    s->reflect = platform::IniGetInt("Game", "Reflect", 1, p);
    s->music = platform::IniGetInt("Game", "Music", 1, p);
    s->sound = platform::IniGetInt("Game", "Sound", 1, p);
    s->fullscreen = platform::IniGetInt("Game", "Fullscreen", 1, p);
    s->layHelp = platform::IniGetInt("Game", "LayHelp", 1, p);
    s->level = platform::IniGetInt("Game", "Level", 0, p);
}

int LoadSettings(Settings *settings, NameBuffer &name1, NameBuffer &name2) {
    const std::string path = SettingsFilePath();
    int existed = 1;
    // Opened without blocking: a FIFO under the name must not stop start-up.
    platform::FileStatus status = platform::FileOk;
    int fd = platform::OpenRegularFile(path.c_str(), &status);
    if (fd >= 0) {
        struct stat st;
        if (fstat(fd, &st) == 0 && uint64_t(st.st_size) > platform::kIniMaxFileSize)
            status = platform::FileTooLarge;
        close(fd);
    }
    if (status != platform::FileOk && status != platform::FileMissing) {
        // Something is there that is not a settings file: it is left alone
        // and the defaults apply for this run.
        fprintf(stderr, "Cannot read %s (%s): using the default settings\n", path.c_str(),
                platform::FileStatusText(status));
    } else if (status == platform::FileMissing) {
        existed = 0;
        *settings = Settings();
        SetDefaultName(name1, 1);
        SetDefaultName(name2, 2);
        SaveSettings(*settings, name1, name2);
    }
    ReadSettings(settings);
    return existed;
}

int SaveSettings(const Settings &s, const NameBuffer &name1, const NameBuffer &name2) {
    const std::vector<std::pair<std::string, std::string>> values = {
        {"Width", Decimal(s.width)},     {"Height", Decimal(s.height)},
        {"Shadow", Decimal(s.shadow)},   {"Reflect", Decimal(s.reflect)},
        {"Sound", Decimal(s.sound)},     {"Music", Decimal(s.music)},
        {"LayHelp", Decimal(s.layHelp)}, {"Level", Decimal(s.level)},
    };
    int ok = platform::IniWriteStrings("Game", values, SettingsFilePath().c_str()) ? 1 : 0;
    if (!SaveNames(name1, name2)) ok = 0;
    return ok;
}

}  // namespace persist
