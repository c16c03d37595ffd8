#include "device/Types.h"

#include <cstring>

namespace device {

int FormatDepthBits(Format format) {
    switch (format) {
        case FormatD16:
        case FormatD15S1:
            return format == FormatD16 ? 16 : 15;
        case FormatD24S8:
        case FormatD24X8:
            return 24;
        case FormatD32:
            return 32;
        default:
            return 0;
    }
}

int FormatStencilBits(Format format) {
    switch (format) {
        case FormatD15S1:
            return 1;
        case FormatD24S8:
            return 8;
        default:
            return 0;
    }
}

const char *FormatName(Format format) {
    switch (format) {
        case FormatR5G6B5:
            return "R5G6B5";
        case FormatX1R5G5B5:
            return "X1R5G5B5";
        case FormatA4R4G4B4:
            return "A4R4G4B4";
        case FormatX8R8G8B8:
            return "X8R8G8B8";
        case FormatD16:
            return "D16";
        case FormatD15S1:
            return "D15S1";
        case FormatD24S8:
            return "D24S8";
        case FormatD24X8:
            return "D24X8";
        case FormatD32:
            return "D32";
        default:
            return "UNKNOWN";
    }
}

VertexLayout LayoutOf(uint32_t format) {
    VertexLayout layout;
    int offset = 0;
    switch (format & FvfPositionMask) {
        case FvfXyz:
            layout.positionSize = 3;
            offset = 12;
            break;
        case FvfXyzRhw:
            layout.positionSize = 4;
            offset = 16;
            break;
        case FvfBlend4:
            layout.positionSize = 3;
            layout.blendWeights = 12;
            layout.blendIndices = 28;
            offset = 32;
            break;
        default:
            return layout;  // no position: nothing can be drawn
    }
    if (format & FvfNormal) {
        layout.normal = offset;
        offset += 12;
    }
    if (format & FvfDiffuse) {
        layout.diffuse = offset;
        offset += 4;
    }
    if (format & FvfSpecular) {
        layout.specular = offset;
        offset += 4;
    }
    layout.texCount = static_cast<int>((format & FvfTexCountMask) >> 8);
    if (layout.texCount > 8) layout.texCount = 8;
    for (int i = 0; i < layout.texCount; i++) {
        layout.tex[i] = offset;
        offset += 8;
    }
    layout.stride = offset;
    return layout;
}

void MatrixIdentity(float m[16]) {
    for (int i = 0; i < 16; i++) m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

void MatrixMultiply(const float a[16], const float b[16], float out[16]) {
    float r[16];
    for (int i = 0; i < 4; i++) {
        for (int j = 0; j < 4; j++) {
            float sum = 0.0f;
            for (int k = 0; k < 4; k++) sum += a[i * 4 + k] * b[k * 4 + j];
            r[i * 4 + j] = sum;
        }
    }
    std::memcpy(out, r, sizeof(r));
}

}  // namespace device
