#include "persist/UserFolder.h"

#include <cstdio>
#include <cstring>

#include "platform/Ini.h"
#include "platform/Path.h"

namespace persist {

const char *const kStartupIni = "./config.ini";

namespace {

char g_userFolder[kUserFolderSize] = "./";
char g_language[kLanguageSize] = "en";

void CopyBounded(char *out, size_t size, const std::string &value) {
    snprintf(out, size, "%s", value.c_str());
}

bool IsRoot(const std::string &first) {
    return first.empty() || first == "." || first == ".." || (first.size() == 2 && first[1] == ':');
}

}  // namespace

const char *UserFolder() {
    return g_userFolder;
}
const char *Language() {
    return g_language;
}

int ReadUserFolder(const char *startupIni) {
    std::string folder =
        platform::ToSlashes(platform::IniGetString("Path", "GamePath", "./", startupIni));
    int result = 1;
    if (folder.size() + kLongestUserFileName > kUserFolderSize - 1) {
        fprintf(stderr, "GamePath is too long (%zu characters, at most %zu): using ./\n",
                folder.size(), kUserFolderSize - 1 - kLongestUserFileName);
        folder = "./";
        result = 0;
    }
    if (folder.empty()) folder = "./";
    CopyBounded(g_userFolder, sizeof g_userFolder, folder);
    MakeDirectories(g_userFolder);
    return result;
}

int ReadLanguage(const char *startupIni) {
    CopyBounded(g_language, sizeof g_language,
                platform::IniGetString("Game", "Lang", "en", startupIni));
    return 1;
}

void MakeUserFolders() {
    MakeDirectories(UserPath("save/").c_str());
    MakeDirectories(UserPath("captures/").c_str());
}

int MakeDirectories(const char *path) {
    if (!path || !*path) return 0;
    std::string p = path;
    size_t first = p.find_first_of("/\\");
    if (first == std::string::npos) return 0;
    std::string built;
    for (size_t i = 0; i < p.size(); i++) {
        if (platform::IsSeparator(p[i]) && (i != first || !IsRoot(built)))
            platform::MakeDir(built.c_str());
        built += platform::IsSeparator(p[i]) ? '/' : p[i];
    }
    return 1;
}

std::string UserPath(const std::string &name) {
    return platform::JoinPath(g_userFolder, name);
}
std::string SettingsFilePath() {
    return UserPath("config.ini");
}
std::string NamesFilePath() {
    return UserPath("playersname.txt");
}

std::string SlotFilePath(int slot) {
    char name[32];
    snprintf(name, sizeof name, "save/save%d.sav", slot);
    return UserPath(name);
}

std::string ScreenshotBaseName(int counter) {
    char name[48];
    snprintf(name, sizeof name, "captures/screenshot%02d", counter);
    return UserPath(name);
}

void SetUserFolder(const char *folder) {
    CopyBounded(g_userFolder, sizeof g_userFolder, folder ? folder : "./");
}
void SetLanguage(const char *language) {
    CopyBounded(g_language, sizeof g_language, language ? language : "en");
}

}  // namespace persist
