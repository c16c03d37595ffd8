// Feeds arbitrary bytes to the inflater as a raw DEFLATE stream and checks
// it against zlib: both must accept the same streams, produce the same
// bytes and stop at the same input position.
#include "image/Inflate.h"

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const size_t kLimit = size_t(1) << 20;

// zlib's verdict: true with the output and bytes used when the stream ends
// properly within the limit.
bool ZlibRaw(const uint8_t *data, size_t size, std::vector<uint8_t> *out, size_t *used,
             bool *overLimit) {
    z_stream zs;
    memset(&zs, 0, sizeof zs);
    if (inflateInit2(&zs, -15) != Z_OK) abort();
    out->clear();
    zs.next_in = const_cast<Bytef *>(data);
    zs.avail_in = uInt(size);
    uint8_t buf[16384];
    int rc;
    do {
        zs.next_out = buf;
        zs.avail_out = sizeof buf;
        rc = inflate(&zs, Z_NO_FLUSH);
        out->insert(out->end(), buf, buf + (sizeof buf - zs.avail_out));
    } while (rc == Z_OK && zs.total_out <= kLimit);
    *used = zs.total_in;
    *overLimit = zs.total_out > kLimit;
    inflateEnd(&zs);
    return rc == Z_STREAM_END;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::vector<uint8_t> ours, theirs;
    std::string error;
    size_t ourUsed = 0, theirUsed = 0;
    bool ok = Inflate(data, size, &ours, kLimit, &ourUsed, &error);
    bool overLimit = false;
    bool zlibOk = ZlibRaw(data, size, &theirs, &theirUsed, &overLimit);
    if (overLimit) return 0;  // beyond what this target compares
    if (!ok && (error.empty() || !ours.empty())) abort();
    if (ok != zlibOk) abort();
    if (ok && (ours != theirs || ourUsed != theirUsed)) abort();
    return 0;
}
