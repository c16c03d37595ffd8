// The INI reader and writer on arbitrary text. Beyond not crashing, a write
// must read back as written, leave the other keys as they were, and a file
// written once must come back unchanged when parsed and written again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/Ini.h"

namespace {

void Check(bool condition) {
    if (!condition) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string text(reinterpret_cast<const char *>(data), size);
    platform::IniParseInt(text);

    platform::IniText ini(text);
    std::string width, lang, otherBefore, otherAfter;
    ini.Find("Game", "Width", &width);
    bool hadLang = ini.Find("game", "LANG", &lang);
    bool hadOther = ini.Find("Path", "GamePath", &otherBefore);

    // A value taken from the input itself, as long as it is a legal one.
    std::string value = text.substr(0, text.find_first_of("\r\n"));
    value = std::string(value.c_str());  // the writer takes C strings
    if (value.size() > 64) value.resize(64);
    if (ini.Set("Game", "Width", value.c_str())) {
        std::string back;
        Check(ini.Find("GAME", "width", &back));
        // Values are trimmed and lose one pair of quotes when read.
        if (!value.empty() && value.find_first_of(" \t\"") == std::string::npos)
            Check(back == value);
        std::string langAfter;
        Check(ini.Find("game", "LANG", &langAfter) == hadLang);
        if (hadLang) Check(langAfter == lang);
        Check(ini.Find("Path", "GamePath", &otherAfter) == hadOther);
        if (hadOther) Check(otherAfter == otherBefore);
    }
    std::string once = ini.Text();
    Check(platform::IniText(once).Text() == once);
    return 0;
}
