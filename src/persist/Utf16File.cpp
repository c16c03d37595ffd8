#include "persist/Utf16File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "platform/SafeFile.h"

namespace persist {

int Utf16File::Open(const char *path, int mode) {
    Close();
    if (!path) return 0;
    size_t len = strlen(path);
    if (len > kMaxPath) {
        fprintf(stderr, "Path too long (%zu characters): %.48s...\n", len, path);
        return 0;
    }
    memcpy(path_, path, len + 1);

    if (mode == Read) {
        // Only a regular file: a FIFO or a device in its place would block or
        // never end, and is treated as a file that cannot be read.
        stream_ = platform::OpenRegularStream(path_, nullptr);
        if (!stream_) return 0;
        int b0 = fgetc(stream_);
        int b1 = b0 == EOF ? EOF : fgetc(stream_);
        if (b0 == EOF || b1 == EOF) {
            Close();
            return 0;
        }
        mark_[0] = (unsigned char)b0;
        mark_[1] = (unsigned char)b1;
        if (b0 != 0xFE && b0 != 0xFF && b1 != 0xFE && b1 != 0xFF) {
            fprintf(stderr, "%s : Not a Unicode UTF16 File\n", path_);
            Close();
            return 0;
        }
        return 1;
    }
    if (mode != Write) return 0;

    // The new file is renamed over the name itself: a link found there is
    // replaced, never written through.
    target_ = path_;
    int fd = platform::CreateTemporaryBeside(target_.c_str(), &tempPath_);
    if (fd < 0) return 0;
    mode_t mask = umask(0);
    umask(mask);
    struct stat st;
    const bool regular = lstat(target_.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    fchmod(fd, regular ? (st.st_mode & 07777) : (0666 & ~mask));
    stream_ = fdopen(fd, "wb");
    if (!stream_) {
        close(fd);
        unlink(tempPath_.c_str());
        tempPath_.clear();
        return 0;
    }
    writing_ = true;
    failed_ = false;
    mark_[0] = 0xFF;
    mark_[1] = 0xFE;
    if (fputc(0xFF, stream_) == EOF || fputc(0xFE, stream_) == EOF) failed_ = true;
    return 1;
}

int Utf16File::ReadLine(WideString *line) {
    if (!stream_ || writing_) return 0;
    uint16_t buf[kMaxLine + 1];
    int count = 0;
    while (count < kMaxLine) {
        int lo = fgetc(stream_);
        if (lo == EOF) break;
        int hi = fgetc(stream_);
        if (hi == EOF) break;  // half a code unit at the end is dropped
        uint16_t unit = uint16_t(lo | (hi << 8));
        buf[count++] = unit;
        if (unit == 0x000A) break;
    }
    if (count == 0) return 0;
    int keep = 0;
    while (keep < count && buf[keep] >= 0x0020) keep++;
    if (line) line->Assign(buf, uint32_t(keep));
    return 1;
}

bool Utf16File::WriteUnit(uint16_t unit) {
    if (fputc(unit & 0xFF, stream_) == EOF || fputc(unit >> 8, stream_) == EOF) failed_ = true;
    return !failed_;
}

int Utf16File::WriteLine(const uint16_t *text) {
    if (!stream_ || !writing_) return 0;
    if (text)
        for (const uint16_t *p = text; *p; p++) WriteUnit(*p);
    WriteUnit(0x000D);
    WriteUnit(0x000A);
    return 1;
}

int Utf16File::WriteLine(const WideString &line) {
    if (!stream_ || !writing_) return 0;
    const uint16_t *p = line.CStr();
    for (uint32_t i = 0; i < line.Length(); i++) WriteUnit(p[i]);
    WriteUnit(0x000D);
    WriteUnit(0x000A);
    return 1;
}

int Utf16File::Close() {
    if (!stream_) return 1;
    int ok = 1;
    if (writing_) {
        if (fflush(stream_) != 0 || fsync(fileno(stream_)) != 0) failed_ = true;
        if (fclose(stream_) != 0) failed_ = true;
        if (failed_ || rename(tempPath_.c_str(), target_.c_str()) != 0) {
            unlink(tempPath_.c_str());
            ok = 0;
        }
        tempPath_.clear();
    } else {
        fclose(stream_);
    }
    stream_ = nullptr;
    writing_ = false;
    return ok;
}

}  // namespace persist
