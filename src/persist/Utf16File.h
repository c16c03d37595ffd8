#pragma once
// A text file of UTF-16 little-endian lines: it starts with the mark FF FE
// and every line ends with CR LF. The text table, the credits and the player
// names are kept in such files.

#include <cstdio>
#include <string>

#include "persist/WideString.h"

namespace persist {

class Utf16File {
public:
    enum Mode { Read = 0, Write = 1 };
    // Longest line returned by one ReadLine; a longer line comes in pieces.
    static const int kMaxLine = 1023;
    static const size_t kMaxPath = 1023;

    Utf16File() {}
    ~Utf16File() { Close(); }
    Utf16File(const Utf16File &) = delete;
    Utf16File &operator=(const Utf16File &) = delete;

    // Read: 0 without a message when the file cannot be opened, is not a
    // regular file (a FIFO, a device) or is shorter than two bytes; 0 with "<path> : Not a Unicode
    // UTF16 File" when neither of its first two bytes is FE or FF. Write: the mark is written at
    // once; the lines go to a temporary file that replaces the named file only when Close succeeds,
    // so an earlier version is never lost half-way. A symbolic link under the name is replaced by
    // the file, never written through. 0 when the folder is not writable. A path longer than
    // kMaxPath is refused with a message.
    int Open(const char *path, int mode);
    // Reads the next line, cut at its first control character (below U+0020,
    // so the CR LF, a tab and what follows are dropped). 0 at the end of the
    // file or when nothing is open.
    int ReadLine(WideString *line);
    // Writes the text and CR LF. 0 when nothing is open for writing.
    int WriteLine(const WideString &line);
    int WriteLine(const uint16_t *text);
    // Closes the file; for a written file, puts it in place. Returns 0 when a
    // written file could not be completed (the old file, if any, is intact).
    // Closing twice is harmless.
    int Close();

    bool IsOpen() const { return stream_ != nullptr; }
    const char *Path() const { return path_; }
    // The two bytes read as the mark (FF FE for a file we wrote).
    unsigned char Mark(int i) const { return mark_[i & 1]; }

private:
    bool WriteUnit(uint16_t unit);

    char path_[kMaxPath + 1] = {0};
    unsigned char mark_[2] = {0, 0};
    FILE *stream_ = nullptr;
    bool writing_ = false;
    bool failed_ = false;  // a write error happened
    std::string target_;   // the name a write replaces
    std::string tempPath_;
};

}  // namespace persist
