#include "persist/PlayerNames.h"

#include "persist/TextTable.h"
#include "persist/UserFolder.h"
#include "persist/Utf16File.h"

namespace persist {

void SetPlayerName(NameBuffer &name, const uint16_t *text) {
    if (!text) return;
    int n = 0;
    while (n < kNameMaxUnits && text[n]) {
        name[n] = text[n];
        n++;
    }
    name[n] = 0;
}

void SetDefaultName(NameBuffer &name, int seat) {
    // The word keeps room for the digit, so the two defaults always differ.
    const WideString &word = TextLine(1);
    uint32_t n = word.Length() < uint32_t(kNameMaxUnits - 1) ? word.Length() : kNameMaxUnits - 1;
    for (uint32_t i = 0; i < n; i++) name[i] = word.CStr()[i];
    name[n] = uint16_t('0' + seat);
    name[n + 1] = 0;
}

int LoadNames(NameBuffer &name1, NameBuffer &name2) {
    Utf16File file;
    if (!file.Open(NamesFilePath().c_str(), Utf16File::Read)) {
        SetDefaultName(name1, 1);
        SetDefaultName(name2, 2);
        return 0;
    }
    WideString line;
    int read = 0;
    if (file.ReadLine(&line)) {
        SetPlayerName(name1, line.CStr());
        read++;
        if (file.ReadLine(&line)) {
            SetPlayerName(name2, line.CStr());
            read++;
        }
    }
    if (read < 1) SetDefaultName(name1, 1);
    if (read < 2) SetDefaultName(name2, 2);
    return read == 2;
}

int SaveNames(const NameBuffer &name1, const NameBuffer &name2) {
    Utf16File file;
    if (!file.Open(NamesFilePath().c_str(), Utf16File::Write)) return 0;
    file.WriteLine(name1);
    file.WriteLine(name2);
    return file.Close();
}

}  // namespace persist
