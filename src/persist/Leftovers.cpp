#include <string>

#include "persist/UserFolder.h"
#include "platform/SafeFile.h"

namespace persist {

namespace {

bool IsUserFile(const std::string &name) {
    return name == "config.ini" || name == "playersname.txt";
}

// "screenshot" + digits + ".png", as FindScreenshotName forms them.
bool IsScreenshot(const std::string &name) {
    const std::string head = "screenshot", tail = ".png";
    if (name.size() <= head.size() + tail.size()) return false;
    if (name.compare(0, head.size(), head) != 0) return false;
    if (name.compare(name.size() - tail.size(), tail.size(), tail) != 0) return false;
    for (size_t i = head.size(); i < name.size() - tail.size(); i++)
        if (name[i] < '0' || name[i] > '9') return false;
    return true;
}

}  // namespace

int RemoveLeftoverTemporaries() {
    int removed = platform::RemoveTemporaries(UserFolder(), IsUserFile);
    removed += platform::RemoveTemporaries(UserPath("captures"), IsScreenshot);
    return removed;
}

}  // namespace persist
