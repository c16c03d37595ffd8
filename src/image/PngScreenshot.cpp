#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "image/Png.h"

int FindScreenshotName(const char *prefix, char *name, size_t nameSize) {
    if (!prefix || !name || nameSize == 0) return 0;
    for (int n = 0; n < INT_MAX; n++) {
        // Four digits with leading zeros; more digits once 9999 is taken.
        int len = snprintf(name, nameSize, "%s%04d.png", prefix, n);
        if (len < 0 || size_t(len) >= nameSize) {
            fprintf(stderr, "Screenshot name too long: %s\n", prefix);
            break;
        }
        // Anything already there under that name, readable or not, is kept.
        struct stat st;
        if (stat(name, &st) == 0) continue;
        if (errno == ENOENT) return 1;
        // The folder itself cannot be searched: no name would ever be free.
        fprintf(stderr, "Cannot look for %s: %s\n", name, strerror(errno));
        break;
    }
    name[0] = '\0';
    return 0;
}
