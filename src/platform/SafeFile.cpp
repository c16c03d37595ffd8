#include "platform/SafeFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

namespace platform {

namespace {

FileStatus StatusOfErrno(int error) {
    return error == ENOENT || error == ENOTDIR ? FileMissing : FileUnreadable;
}

void SetStatus(FileStatus *status, FileStatus value) {
    if (status) *status = value;
}

template <typename Buffer>
FileStatus ReadInto(const char *path, size_t maxBytes, Buffer *out) {
    out->clear();
    FileStatus status = FileOk;
    int fd = OpenRegularFile(path, &status);
    if (fd < 0) return status;
    struct stat st;
    if (fstat(fd, &st) != 0) {
        close(fd);
        return FileUnreadable;
    }
    if (uint64_t(st.st_size) > maxBytes) {
        close(fd);
        return FileTooLarge;
    }
    // The size is only a hint: the file may grow or shrink while it is read,
    // so the cap is enforced on what actually arrives.
    out->reserve(size_t(st.st_size));
    char chunk[65536];
    for (;;) {
        ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            status = FileUnreadable;
            break;
        }
        if (n == 0) break;
        if (out->size() + size_t(n) > maxBytes) {
            status = FileTooLarge;
            break;
        }
        out->insert(out->end(), chunk, chunk + n);
    }
    close(fd);
    if (status != FileOk) {
        out->clear();
        out->shrink_to_fit();
    }
    return status;
}

mode_t NewFileMode() {
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool WriteAll(int fd, const void *data, size_t size) {
    const char *p = static_cast<const char *>(data);
    size_t done = 0;
    while (done < size) {
        ssize_t n = write(fd, p + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

// Writes data to a fresh temporary beside path and flushes it; the name of
// the temporary goes to *tmp. The mode is the old regular file's, else the
// usual one for a new file.
bool WriteTemporary(const char *path, const void *data, size_t size, std::string *tmp) {
    int fd = CreateTemporaryBeside(path, tmp);
    if (fd < 0) return false;
    struct stat st;
    mode_t mode =
        lstat(path, &st) == 0 && S_ISREG(st.st_mode) ? (st.st_mode & 07777) : NewFileMode();
    bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, data, size) && fsync(fd) == 0;
    if (close(fd) != 0) ok = false;
    if (!ok) {
        unlink(tmp->c_str());
        tmp->clear();
    }
    return ok;
}

// Renames tmp to path unless path exists (as anything, a dangling link
// included). 1 done, 0 the name was taken, -1 failure.
int RenameNoReplace(const std::string &tmp, const char *path) {
    if (renameat2(AT_FDCWD, tmp.c_str(), AT_FDCWD, path, RENAME_NOREPLACE) == 0) return 1;
    if (errno == EEXIST) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return -1;
    // A file system without that rename: a hard link also refuses a taken name.
    if (link(tmp.c_str(), path) == 0) {
        unlink(tmp.c_str());
        return 1;
    }
    if (errno == EEXIST) return 0;
    if (errno != EPERM && errno != ENOTSUP && errno != EMLINK) return -1;
    // Nor hard links (FAT, some network folders): look, then rename.
    struct stat st;
    if (lstat(path, &st) == 0) return 0;
    return rename(tmp.c_str(), path) == 0 ? 1 : -1;
}

}  // namespace

const char *FileStatusText(FileStatus status) {
    switch (status) {
        case FileOk:
            return "ok";
        case FileMissing:
            return "no such file";
        case FileNotRegular:
            return "not a regular file";
        case FileTooLarge:
            return "file too large";
        default:
            return "cannot be read";
    }
}

int OpenRegularFile(const char *path, FileStatus *status) {
    if (!path || !*path) {
        SetStatus(status, FileMissing);
        return -1;
    }
    // Non-blocking, so that opening a FIFO without a writer returns at once;
    // it is refused right after.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        SetStatus(status,
                  errno == ENXIO || errno == EISDIR ? FileNotRegular : StatusOfErrno(errno));
        return -1;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        SetStatus(status, FileNotRegular);
        return -1;
    }
    int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    SetStatus(status, FileOk);
    return fd;
}

FILE *OpenRegularStream(const char *path, FileStatus *status) {
    int fd = OpenRegularFile(path, status);
    if (fd < 0) return nullptr;
    FILE *f = fdopen(fd, "rb");
    if (!f) {
        close(fd);
        SetStatus(status, FileUnreadable);
    }
    return f;
}

FileStatus ReadRegularFile(const char *path, size_t maxBytes, std::vector<uint8_t> *out) {
    return ReadInto(path, maxBytes, out);
}

FileStatus ReadRegularFile(const char *path, size_t maxBytes, std::string *out) {
    return ReadInto(path, maxBytes, out);
}

int OpenForWritingNoFollow(const char *path, bool append) {
    if (!path || !*path) return -1;
    int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    int fd = open(path, flags | (append ? O_APPEND : 0), NewFileMode());
    if (fd < 0) return -1;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || (!append && ftruncate(fd, 0) != 0)) {
        close(fd);
        return -1;
    }
    int fl = fcntl(fd, F_GETFL);
    if (fl >= 0) fcntl(fd, F_SETFL, fl & ~O_NONBLOCK);
    return fd;
}

bool ReplaceFileAtomically(const char *path, const void *data, size_t size) {
    if (!path || !*path) return false;
    std::string tmp;
    if (!WriteTemporary(path, data, size, &tmp)) return false;
    if (rename(tmp.c_str(), path) == 0) return true;
    unlink(tmp.c_str());
    return false;
}

bool CreateFileAtomically(const char *path, const void *data, size_t size, bool *exists) {
    if (exists) *exists = false;
    if (!path || !*path) return false;
    std::string tmp;
    if (!WriteTemporary(path, data, size, &tmp)) return false;
    int done = RenameNoReplace(tmp, path);
    if (done != 1) unlink(tmp.c_str());
    if (done == 0 && exists) *exists = true;
    return done == 1;
}

int CreateTemporaryBeside(const char *path, std::string *name) {
    static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    name->clear();
    if (!path || !*path) return -1;
    std::random_device random;
    for (int attempt = 0; attempt < 100; attempt++) {
        std::string candidate = std::string(path) + ".";
        uint64_t bits = uint64_t(random()) << 32 | random();
        for (int i = 0; i < 6; i++, bits /= 62) candidate += kChars[bits % 62];
        // Only names the start-up clean-up recognises as ours.
        if (!IsTemporaryOf(candidate, path)) continue;
        int fd =
            open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            *name = candidate;
            return fd;
        }
        if (errno != EEXIST) return -1;
    }
    return -1;
}

bool IsTemporaryOf(const std::string &entryName, const std::string &baseName) {
    if (entryName.size() != baseName.size() + 7) return false;
    if (entryName.compare(0, baseName.size(), baseName) != 0) return false;
    if (entryName[baseName.size()] != '.') return false;
    int lower = 0, upper = 0, digits = 0;
    for (size_t i = baseName.size() + 1; i < entryName.size(); i++) {
        const char c = entryName[i];
        if (c >= 'a' && c <= 'z')
            lower++;
        else if (c >= 'A' && c <= 'Z')
            upper++;
        else if (c >= '0' && c <= '9')
            digits++;
        else
            return false;
    }
    return digits > 0 && lower + upper > 0;
}

int RemoveTemporaries(const std::string &dir, bool (*isOurs)(const std::string &baseName)) {
    if (!isOurs) return 0;
    const std::string folder = dir.empty() ? std::string(".") : dir;
    DIR *d = opendir(folder.c_str());
    if (!d) return 0;
    int removed = 0;
    while (struct dirent *e = readdir(d)) {
        const std::string name = e->d_name;
        if (name.size() < 8) continue;
        const std::string base = name.substr(0, name.size() - 7);
        if (!IsTemporaryOf(name, base) || !isOurs(base)) continue;
        // A directory of such a name is not ours; unlink leaves it anyway.
        if (unlink((folder + "/" + name).c_str()) == 0) removed++;
    }
    closedir(d);
    return removed;
}

}  // namespace platform
