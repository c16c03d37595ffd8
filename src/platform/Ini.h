#pragma once
// Reading and writing of the small INI files that hold the settings.
//
// Section and key names compare without regard to ASCII case. A missing file,
// section or key gives the caller's default. Values are trimmed of blanks, and
// a value wrapped in one pair of double quotes loses the quotes. Lines that
// begin with ';' or '#' are comments. Both LF and CR LF line ends are read.
//
// A write rewrites the whole file through a temporary file in the same folder
// and renames it over the old one (a link under the name included), so a crash or a full disk never
// leaves a half-written file: readers see either the old contents or the new.

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace platform {

// The text of an INI file in memory. Lines are kept as they were read so that
// a rewrite changes only what it has to.
class IniText {
public:
    IniText() {}
    explicit IniText(const std::string &text) { Parse(text); }

    void Parse(const std::string &text);
    std::string Text() const;

    // True when the key exists; its trimmed value goes to *value.
    bool Find(const char *section, const char *key, std::string *value) const;
    // Sets or adds the key, adding the section at the end when needed. Refuses
    // (false) names or values that would break the line structure: a line end
    // anywhere, '=' or ']' in a key, ']' in a section name, or empty names.
    bool Set(const char *section, const char *key, const char *value);

private:
    std::vector<std::string> lines_;  // without the LF; a CR before it is kept
    bool crlf_ = false;               // the file used CR LF; new lines follow it
    bool finalNewline_ = true;
};

// Reads section/key of the file at path into out (at most size - 1 characters
// and a terminator), or def when absent. Returns the number of characters
// copied. A null or zero-sized out is allowed and copies nothing.
size_t IniGetString(const char *section, const char *key, const char *def, char *out, size_t size,
                    const char *path);
// The same without a length limit.
std::string IniGetString(const char *section, const char *key, const char *def, const char *path);

// Reads section/key as a decimal integer: an optional sign and the leading
// digits; text that does not start with digits reads 0; an absent or empty
// value gives def. Values beyond the int range are held at its limits.
int IniGetInt(const char *section, const char *key, int def, const char *path);
// The integer rule above, applied to a value already read.
int IniParseInt(const std::string &value);

// Writes one key; creates the file and the section as needed and keeps the
// rest of the file. Returns false when nothing was written.
bool IniWriteString(const char *section, const char *key, const char *value, const char *path);
// Writes several keys of one section in a single replacement of the file, in
// the given order (as if written one after the other, but all or none).
bool IniWriteStrings(const char *section,
                     const std::vector<std::pair<std::string, std::string>> &values,
                     const char *path);

// Largest settings file read; anything larger is not one of ours and reads
// as unreadable (defaults apply, and writes leave it alone).
const size_t kIniMaxFileSize = size_t(1) << 20;

// Replaces the file at path by contents: written to a temporary file beside
// it, flushed to disk, then renamed over the name itself, so a symbolic link
// under the name is replaced, never written through. False, with the old
// file intact, when any of that fails.
bool WriteFileAtomically(const char *path, const std::string &contents);
// Whole file into *contents; false when it cannot be read, is not a regular
// file or is larger than kIniMaxFileSize.
bool ReadWholeFile(const char *path, std::string *contents);

}  // namespace platform
