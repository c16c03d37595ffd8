#pragma once
// Opening the program's data and user files without trusting what is found
// under their names.
//
// Reading: only a regular file is read. A FIFO would block the program for
// ever, a character device such as /dev/zero never ends and a directory is
// not a file; all are refused at once, without blocking, like a file that
// cannot be read. Every whole-file read is capped at a size that suits the
// file's format, so no file can make the program run out of memory.
//
// Writing: a name is never written through. A symbolic link, a FIFO or a
// device found under the name is replaced (write beside, then rename over
// the name) or refused, so a link planted in a user folder can never make the
// program overwrite a file elsewhere.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace platform {

enum FileStatus {
    FileOk = 0,
    FileMissing,     // no such file
    FileNotRegular,  // a FIFO, device, directory or socket
    FileTooLarge,    // larger than the reader's cap
    FileUnreadable,  // no permission or a read error
};

// A short English reason for a status ("not a regular file", ...).
const char *FileStatusText(FileStatus status);

// Opens path for reading if it is a regular file (a link to one is fine:
// reading through a link harms nothing). Never blocks. Returns the
// descriptor, or -1 with the reason in *status (when given).
int OpenRegularFile(const char *path, FileStatus *status);
// The same as a binary C stream.
FILE *OpenRegularStream(const char *path, FileStatus *status);

// Reads the whole regular file at path into *out when it holds at most
// maxBytes bytes. *out is left empty on failure.
FileStatus ReadRegularFile(const char *path, size_t maxBytes, std::vector<uint8_t> *out);
FileStatus ReadRegularFile(const char *path, size_t maxBytes, std::string *out);

// Opens path for writing as a new, empty regular file (or, with append, at
// the end of an existing one) without following a symbolic link and without
// blocking on a FIFO. A link or other non-regular entry under the name is
// refused (-1), never written through. The file gets mode 0666 less the
// umask when created.
int OpenForWritingNoFollow(const char *path, bool append);

// Writes contents to a temporary file beside path, flushes it to disk and
// renames it over path itself: whatever was under the name (a file, a link,
// a FIFO) is replaced, and a link's target is never touched. An existing
// regular file's permissions are kept. False, with the old entry intact and
// no temporary left, when any of that fails.
bool ReplaceFileAtomically(const char *path, const void *data, size_t size);
// The same, but only when nothing at all (not even a dangling link) is under
// the name: an existing entry is never replaced. False with *exists set when
// the name was taken.
bool CreateFileAtomically(const char *path, const void *data, size_t size, bool *exists);

// Creates a new, empty file beside path for writing (mode 0600), named
// path + "." + six letters and digits, always mixing letters and digits.
// Returns the descriptor and the name, or -1.
int CreateTemporaryBeside(const char *path, std::string *name);

// Whether entryName is such a temporary of baseName: baseName + "." + six
// letters and digits, at least one of each. Backups a player might name
// config.ini.backup, config.ini.Backup or config.ini.201224 are not.
bool IsTemporaryOf(const std::string &entryName, const std::string &baseName);
// Removes, in folder dir, the temporaries a writer killed before its rename
// left beside any name for which isOurs(name) holds. Returns how many went.
int RemoveTemporaries(const std::string &dir, bool (*isOurs)(const std::string &baseName));

}  // namespace platform
