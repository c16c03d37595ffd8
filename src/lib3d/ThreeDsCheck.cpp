#include "lib3d/ThreeDsCheck.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/SafeFile.h"

namespace lib3d {

namespace {

// Chunk ids the reader descends into or whose contents it checks.
enum : uint16_t {
    kColorF = 0x0010,
    kColor24 = 0x0011,
    kLinColor24 = 0x0012,
    kLinColorF = 0x0013,
    kIntPercentage = 0x0030,
    kFloatPercentage = 0x0031,
    kMasterScale = 0x0100,
    kBitMap = 0x1100,
    kSolidBackground = 0x1200,
    kVGradient = 0x1300,
    kAmbientLight = 0x2100,
    kFog = 0x2200,
    kDistanceCue = 0x2300,
    kLayerFog = 0x2302,
    kMData = 0x3D3D,
    kMeshVersion = 0x3D3E,
    kMLibMagic = 0x3DAA,
    kNamedObject = 0x4000,
    kTriObject = 0x4100,
    kPointArray = 0x4110,
    kPointFlagArray = 0x4111,
    kFaceArray = 0x4120,
    kMeshMatGroup = 0x4130,
    kTexVerts = 0x4140,
    kSmoothGroup = 0x4150,
    kMeshMatrix = 0x4160,
    kMeshColor = 0x4165,
    kMeshTextureInfo = 0x4170,
    kMeshBoxMap = 0x4190,
    kDirectLight = 0x4600,
    kSpotLight = 0x4610,
    kCamera = 0x4700,
    kM3dMagic = 0x4D4D,
    kViewportLayout = 0x7001,
    kViewportData = 0x7011,
    kViewportData3 = 0x7012,
    kMatName = 0xA000,
    kMatEntry = 0xAFFF,
    kKfData = 0xB000,
    kAmbientNode = 0xB001,
    kSpotNode = 0xB007,
    kKfHeader = 0xB00A,
    kNodeHeader = 0xB010,
    kInstanceName = 0xB011,
    kPosTrack = 0xB020,
    kRotTrack = 0xB021,
    kSclTrack = 0xB022,
    kFovTrack = 0xB023,
    kRollTrack = 0xB024,
    kColTrack = 0xB025,
    kMorphTrack = 0xB026,
    kHotTrack = 0xB027,
    kFallTrack = 0xB028,
    kHideTrack = 0xB029,
    kNodeId = 0xB030,
    kCMagic = 0xC23D,
};

constexpr int kMaxDepth = kThreeDsMaxDepth;
constexpr size_t kMaxName = 64;  // lib3ds keeps names in 64-byte buffers
constexpr int kMaxViews = 4;
constexpr uint16_t kNoParent = 0xFFFF;

// Material chunks holding a colour, a percentage or a texture map, which
// lib3ds reads as lists of sub-chunks.
bool IsMaterialContainer(uint16_t id) {
    switch (id) {
        case 0xA010:
        case 0xA020:
        case 0xA030:  // colours
        case 0xA040:
        case 0xA041:
        case 0xA042:
        case 0xA050:  // percentages
        case 0xA052:
        case 0xA053:
        case 0xA084:
        case 0xA200:
        case 0xA204:
        case 0xA210:
        case 0xA220:
        case 0xA230:
        case 0xA33A:
        case 0xA33C:
        case 0xA33D:
        case 0xA33E:
        case 0xA340:
        case 0xA342:
        case 0xA344:
        case 0xA346:
        case 0xA348:
        case 0xA34A:
        case 0xA34C:
            return true;
        default:
            return false;
    }
}

bool IsString(uint16_t id) {
    return id == kMatName || id == 0xA300 /* map file name */ || id == kInstanceName ||
           id == kBitMap;
}

uint16_t Word(const uint8_t *p) {
    return (uint16_t)(p[0] | p[1] << 8);
}
uint32_t Dword(const uint8_t *p) {
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

class Checker {
public:
    Checker(const uint8_t *data, size_t size, char *error, size_t errorSize)
        : data_(data), size_(size), error_(error), errorSize_(errorSize), seen_(65536, false) {}

    bool Run();

private:
    bool Fail(size_t at, uint16_t id, const char *format, ...);
    // Walks the chunks in [begin, end) found inside a chunk of id `parent`.
    bool Children(size_t begin, size_t end, int depth, uint16_t parent);
    bool Chunk(size_t at, uint16_t id, size_t body, size_t end, int depth, uint16_t parent);
    // Length of a NUL-terminated name starting at `at`, bytes included;
    // 0 when it does not end before `end` or within 64 bytes.
    size_t Name(size_t at, size_t end) const;
    bool Track(size_t at, uint16_t id, size_t body, size_t end);
    bool TriObject(size_t at, uint16_t id, size_t body, size_t end, int depth);
    bool FaceCorners(size_t at, uint16_t id);
    bool NodeEnd(size_t at, uint16_t id);

    const uint8_t *data_;
    size_t size_;
    char *error_;
    size_t errorSize_;

    // Mesh being read: its point count, and its face list for the material
    // groups that follow it and for the final check of the corners.
    uint32_t points_ = 0;
    uint32_t faces_ = 0;
    size_t faceRecords_ = 0;
    int views_ = 0;
    // Keyframer nodes: ids already defined, and the node being read.
    std::vector<bool> seen_;
    int nodeIndex_ = 0;
    bool nodeHasId_ = false, nodeHasHeader_ = false;
    uint16_t nodeId_ = 0, nodeParent_ = kNoParent;
};

bool Checker::Fail(size_t at, uint16_t id, const char *format, ...) {
    char reason[160];
    va_list args;
    va_start(args, format);
    vsnprintf(reason, sizeof reason, format, args);
    va_end(args);
    snprintf(error_, errorSize_, "chunk 0x%04X at offset %zu: %s", id, at, reason);
    return false;
}

size_t Checker::Name(size_t at, size_t end) const {
    for (size_t i = at; i < end && i - at < kMaxName; i++)
        if (data_[i] == 0) return i - at + 1;
    return 0;
}

bool Checker::Run() {
    if (size_ < 6) {
        snprintf(error_, errorSize_, "file too short (%zu bytes)", size_);
        return false;
    }
    if (size_ > kThreeDsMaxFileSize) {
        snprintf(error_, errorSize_, "file too large (%zu bytes)", size_);
        return false;
    }
    uint16_t id = Word(data_);
    if (id != kM3dMagic && id != kMLibMagic && id != kCMagic) return Fail(0, id, "not a 3DS file");
    uint32_t length = Dword(data_ + 2);
    if (length < 6 || length > size_)
        return Fail(0, id, "length %u does not fit the file of %zu bytes", length, size_);
    return Children(6, length, 1, id);
}

bool Checker::Children(size_t begin, size_t end, int depth, uint16_t parent) {
    if (depth > kMaxDepth) return Fail(begin, parent, "nested too deeply");
    size_t at = begin;
    while (at < end) {
        // lib3ds reads a header wherever bytes are left, even fewer than six,
        // and would then read a zero length and never move on.
        if (end - at < 6) return Fail(at, parent, "%zu stray bytes after the last chunk", end - at);
        uint16_t id = Word(data_ + at);
        uint32_t length = Dword(data_ + at + 2);
        if (length < 6) return Fail(at, id, "length %u is shorter than its header", length);
        if (length > end - at)
            return Fail(at, id, "length %u runs past its parent (%zu bytes left)", length,
                        end - at);
        if (!Chunk(at, id, at + 6, at + length, depth, parent)) return false;
        at += length;
    }
    return true;
}

bool Checker::Chunk(size_t at, uint16_t id, size_t body, size_t end, int depth, uint16_t parent) {
    const size_t n = end - body;
    auto need = [&](size_t bytes) {
        return n >= bytes ? true : Fail(at, id, "%zu bytes where %zu are needed", n, bytes);
    };
    if (IsString(id)) return Name(body, end) ? true : Fail(at, id, "name not terminated");
    if (IsMaterialContainer(id)) return Children(body, end, depth + 1, id);
    if (id >= kAmbientNode && id <= kSpotNode) {
        if (parent != kKfData) return Children(body, end, depth + 1, id);
        nodeHasId_ = nodeHasHeader_ = false;
        nodeId_ = (uint16_t)nodeIndex_++;
        nodeParent_ = kNoParent;
        return Children(body, end, depth + 1, id) && NodeEnd(at, id);
    }
    if (id >= kPosTrack && id <= kHideTrack) return Track(at, id, body, end);
    switch (id) {
        case kTriObject:
            return TriObject(at, id, body, end, depth);
        case kMData:
        case kKfData:
        case kSolidBackground:
        case kAmbientLight:
            return Children(body, end, depth + 1, id);
        case kMatEntry:
            return Children(body, end, depth + 1, id);
        case kColorF:
        case kLinColorF:
            return need(12);
        case kColor24:
        case kLinColor24:
            return need(3);
        case kIntPercentage:
            return need(2);
        case kFloatPercentage:
        case kMasterScale:
        case kMeshVersion:
            return need(4);
        case kNamedObject: {
            size_t name = Name(body, end);
            if (!name) return Fail(at, id, "object name not terminated");
            return Children(body + name, end, depth + 1, id);
        }
        case kPointArray: {
            if (!need(2)) return false;
            points_ = Word(data_ + body);
            return need(2 + (size_t)points_ * 12);
        }
        case kPointFlagArray: {
            if (!need(2)) return false;
            return need(2 + (size_t)Word(data_ + body) * 2);
        }
        case kTexVerts: {
            if (!need(2)) return false;
            return need(2 + (size_t)Word(data_ + body) * 8);
        }
        case kFaceArray: {
            if (!need(2)) return false;
            faces_ = Word(data_ + body);
            faceRecords_ = body + 2;
            size_t records = 2 + (size_t)faces_ * 8;
            if (!need(records)) return false;
            // The reader may work on the faces as soon as it has them, with
            // the points read so far: they must come first.
            if (!FaceCorners(at, id)) return false;
            return Children(body + records, end, depth + 1, id);
        }
        case kMeshMatGroup: {
            if (parent != kFaceArray) return true;  // not read outside a face list
            size_t name = Name(body, end);
            if (!name) return Fail(at, id, "material name not terminated");
            if (!need(name + 2)) return false;
            uint32_t count = Word(data_ + body + name);
            if (!need(name + 2 + (size_t)count * 2)) return false;
            for (uint32_t i = 0; i < count; i++) {
                uint16_t face = Word(data_ + body + name + 2 + i * 2);
                if (face >= faces_) return Fail(at, id, "face %u of a list of %u", face, faces_);
            }
            return true;
        }
        case kSmoothGroup:
            return parent == kFaceArray ? need((size_t)faces_ * 4) : true;
        case kMeshMatrix:
            return need(48);
        case kMeshColor:
            return need(1);
        case kMeshTextureInfo:
            return need(2 + 4 * 2 + 4 * 2 + 4 + 12 + 48 + 4 + 4);
        case kMeshBoxMap: {
            size_t p = body;
            for (int i = 0; i < 6; i++) {
                size_t name = Name(p, end);
                if (!name) return Fail(at, id, "box map name %d not terminated", i);
                p += name;
            }
            return true;
        }
        case kDirectLight:
            return need(12) && Children(body + 12, end, depth + 1, id);
        case kSpotLight:
            return need(20) && Children(body + 20, end, depth + 1, id);
        case kCamera:
            return need(32) && Children(body + 32, end, depth + 1, id);
        case kVGradient:
            return need(4) && Children(body + 4, end, depth + 1, id);
        case kFog:
        case kDistanceCue:
            return need(16) && Children(body + 16, end, depth + 1, id);
        case kLayerFog:
            return need(16) && Children(body + 16, end, depth + 1, id);
        case kViewportLayout:
            views_ = 0;
            return need(14) && Children(body + 14, end, depth + 1, id);
        case kViewportData:
        case kViewportData3:
            if (parent == kViewportLayout && ++views_ > kMaxViews)
                return Fail(at, id, "more than %d views", kMaxViews);
            return true;
        case kKfHeader: {
            if (!need(2)) return false;
            size_t name = Name(body + 2, end);
            if (!name) return Fail(at, id, "scene name not terminated");
            return need(2 + name + 4);
        }
        case kNodeHeader: {
            size_t name = Name(body, end);
            if (!name) return Fail(at, id, "node name not terminated");
            if (!need(name + 6)) return false;
            nodeHasHeader_ = true;
            nodeParent_ = Word(data_ + body + name + 4);
            return true;
        }
        case kNodeId:
            if (!need(2)) return false;
            nodeHasId_ = true;
            nodeId_ = Word(data_ + body);
            return true;
        default:
            return true;  // skipped by lib3ds as well
    }
}

// lib3ds computes face normals from the points its faces name: every corner
// must be one of the mesh's points, both when the faces are read and once
// the whole mesh is.
bool Checker::TriObject(size_t at, uint16_t id, size_t body, size_t end, int depth) {
    points_ = faces_ = 0;
    return Children(body, end, depth + 1, id) && FaceCorners(at, id);
}

bool Checker::FaceCorners(size_t at, uint16_t id) {
    for (uint32_t f = 0; f < faces_; f++)
        for (int k = 0; k < 3; k++) {
            uint16_t p = Word(data_ + faceRecords_ + f * 8 + k * 2);
            if (p >= points_) return Fail(at, id, "face %u uses point %u of %u", f, p, points_);
        }
    return true;
}

bool Checker::Track(size_t at, uint16_t id, size_t body, size_t end) {
    // Header: flags (2), two reserved words of 4 bytes, key count (4). Each
    // key holds at least a frame number (4), a flag word (2) and its value.
    const size_t header = 14;
    size_t n = end - body;
    if (n < header) return Fail(at, id, "track header of %zu bytes", n);
    uint32_t keys = Dword(data_ + body + 10);
    size_t value;
    switch (id) {
        case kPosTrack:
        case kSclTrack:
        case kColTrack:
            value = 12;
            break;
        case kRotTrack:
            value = 16;
            break;
        case kHideTrack:
            value = 0;
            break;
        case kMorphTrack:
            value = 1;
            break;
        default:
            value = 4;
            break;
    }
    if ((uint64_t)keys * (6 + value) > n - header)
        return Fail(at, id, "%u keys in %zu bytes", keys, n - header);
    return true;
}

bool Checker::NodeEnd(size_t at, uint16_t id) {
    if (!nodeHasHeader_) return Fail(at, id, "node without header");
    if (nodeHasId_ && seen_[nodeId_]) return Fail(at, id, "node id %u used twice", nodeId_);
    if (nodeParent_ != kNoParent && (nodeParent_ == nodeId_ || !seen_[nodeParent_]))
        return Fail(at, id, "node %u names %u as parent before defining it", nodeId_, nodeParent_);
    seen_[nodeId_] = true;
    return true;
}

}  // namespace

bool ThreeDsCheck(const uint8_t *data, size_t size, char *error, size_t errorSize) {
    if (!data && size) {
        snprintf(error, errorSize, "no data");
        return false;
    }
    static const uint8_t empty[1] = {0};
    Checker checker(data ? data : empty, size, error, errorSize);
    return checker.Run();
}

bool ThreeDsReadBytes(const char *path, std::vector<uint8_t> &bytes, char *error,
                      size_t errorSize) {
    switch (platform::ReadRegularFile(path, kThreeDsMaxFileSize, &bytes)) {
        case platform::FileOk:
            return true;
        case platform::FileTooLarge:
            snprintf(error, errorSize, "%s is too large", path);
            return false;
        case platform::FileUnreadable:
            snprintf(error, errorSize, "cannot read %s", path);
            return false;
        case platform::FileNotRegular:
            snprintf(error, errorSize, "cannot open %s: not a regular file", path);
            return false;
        default:
            snprintf(error, errorSize, "cannot open %s: %s", path, strerror(ENOENT));
            return false;
    }
}

bool ThreeDsCheckFile(const char *path, char *error, size_t errorSize) {
    std::vector<uint8_t> bytes;
    return ThreeDsReadBytes(path, bytes, error, errorSize) &&
           ThreeDsCheck(bytes.data(), bytes.size(), error, errorSize);
}

}  // namespace lib3d
