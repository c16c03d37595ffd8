#include "persist/TextTable.h"

#include <cstdio>

#include "persist/Utf16File.h"

namespace persist {

namespace {
WideString g_textTable[kTextLines];
}

int LoadTextTableFile(const char *path) {
    Utf16File file;
    if (!file.Open(path, Utf16File::Read)) {
        fprintf(stderr, "Cannot read text file\n");
        return 0;
    }
    // Read into a scratch table so that a short file changes nothing.
    WideString lines[kTextLines];
    for (int i = 0; i < kTextLines; i++)
        if (!file.ReadLine(&lines[i])) return 0;
    for (int i = 0; i < kTextLines; i++) g_textTable[i] = std::move(lines[i]);
    return 1;
}

int LoadTextTable(const char *language) {
    char path[1024];
    snprintf(path, sizeof path, "data/text_%s.txt", language ? language : "");
    return LoadTextTableFile(path);
}

const WideString &TextLine(int number) {
    static const WideString empty;
    if (number < 1 || number > kTextLines) return empty;
    return g_textTable[number - 1];
}

}  // namespace persist
