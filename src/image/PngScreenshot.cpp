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
        // Anything already there under that name, readable or not, is kept;
        // a link counts even when it leads nowhere, as writing through it
        // would put the picture outside the folder.
        struct stat st;
        if (lstat(name, &st) == 0) continue;
        if (errno == ENOENT) return 1;
        // The folder itself cannot be searched: no name would ever be free.
        fprintf(stderr, "Cannot look for %s: %s\n", name, strerror(errno));
        break;
    }
    name[0] = '\0';
    return 0;
}

int WriteScreenshot(const char *prefix, const Image &image) {
    char name[1024];
    // A name taken between the search and the write (another program, or a
    // link planted meanwhile) only moves the picture to the next free name.
    for (int tries = 0; tries < 100; tries++) {
        if (!FindScreenshotName(prefix, name, sizeof name)) return 0;
        bool taken = false;
        if (WriteNewPng(name, image, PngFilterSub, &taken)) return 1;
        if (!taken) return 0;
    }
    fprintf(stderr, "Cannot write a screenshot for %s: every name is taken\n", prefix);
    return 0;
}
