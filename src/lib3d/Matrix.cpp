#include "lib3d/Matrix.h"

#include <cmath>
#include <cstring>

#include "device/Types.h"

namespace lib3d {
namespace {

const float kDegrees = 0.017453292f;

void Normalise(float v[3]) {
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 0.0f) {
        v[0] /= length;
        v[1] /= length;
        v[2] /= length;
    }
}

float Dot(const float a[3], const float b[3]) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

}  // namespace

void Matrix::Identity(float m[16]) {
    device::MatrixIdentity(m);
}

void Matrix::Multiply(const float a[16], const float b[16], float out[16]) {
    device::MatrixMultiply(a, b, out);
}

void Matrix::Transpose(const float m[16], float out[16]) {
    float r[16];
    for (int i = 0; i < 4; i++) {
        for (int j = 0; j < 4; j++) r[j * 4 + i] = m[i * 4 + j];
    }
    std::memcpy(out, r, sizeof(r));
}

bool Matrix::Inverse(const float m[16], float out[16]) {
    // Gauss-Jordan elimination with partial pivoting, in double precision.
    double a[4][8];
    for (int i = 0; i < 4; i++) {
        for (int j = 0; j < 4; j++) {
            a[i][j] = m[i * 4 + j];
            a[i][j + 4] = (i == j) ? 1.0 : 0.0;
        }
    }
    for (int col = 0; col < 4; col++) {
        int pivot = col;
        for (int row = col + 1; row < 4; row++) {
            if (std::fabs(a[row][col]) > std::fabs(a[pivot][col])) pivot = row;
        }
        if (std::fabs(a[pivot][col]) < 1e-12) return false;
        if (pivot != col) {
            for (int j = 0; j < 8; j++) std::swap(a[pivot][j], a[col][j]);
        }
        const double inv = 1.0 / a[col][col];
        for (int j = 0; j < 8; j++) a[col][j] *= inv;
        for (int row = 0; row < 4; row++) {
            if (row == col) continue;
            const double f = a[row][col];
            for (int j = 0; j < 8; j++) a[row][j] -= f * a[col][j];
        }
    }
    for (int i = 0; i < 4; i++) {
        for (int j = 0; j < 4; j++) out[i * 4 + j] = static_cast<float>(a[i][j + 4]);
    }
    return true;
}

void Matrix::TransformPoint(const float m[16], const float p[3], float out[3]) {
    float r[3];
    for (int j = 0; j < 3; j++) r[j] = p[0] * m[j] + p[1] * m[4 + j] + p[2] * m[8 + j] + m[12 + j];
    std::memcpy(out, r, sizeof(r));
}

void Matrix::TransformHomogeneous(const float m[16], const float p[3], float out[4]) {
    float r[4];
    for (int j = 0; j < 4; j++) r[j] = p[0] * m[j] + p[1] * m[4 + j] + p[2] * m[8 + j] + m[12 + j];
    std::memcpy(out, r, sizeof(r));
}

void Matrix::Translate(float m[16], float x, float y, float z) {
    float t[16];
    Identity(t);
    t[12] = x;
    t[13] = y;
    t[14] = z;
    Multiply(m, t, m);
}

void Matrix::Scale(float m[16], float x, float y, float z) {
    float s[16];
    Identity(s);
    s[0] = x;
    s[5] = y;
    s[10] = z;
    Multiply(m, s, m);
}

void Matrix::Rotate(float m[16], float ax, float ay, float az) {
    const float cx = std::cos(ax * kDegrees), sx = std::sin(ax * kDegrees);
    const float cy = std::cos(ay * kDegrees), sy = std::sin(ay * kDegrees);
    const float cz = std::cos(az * kDegrees), sz = std::sin(az * kDegrees);
    const float x[16] = {
        cz * cy,
        -sz * cy,
        sy,
        0.0f,
        cz * sy * sx + sz * cx,
        cz * cx - sy * sz * sx,
        -cy * sx,
        0.0f,
        sz * sx - cz * sy * cx,
        sy * sz * cx + cz * sx,
        cy * cx,
        0.0f,
        0.0f,
        0.0f,
        0.0f,
        1.0f,
    };
    Multiply(m, x, m);
}

void Matrix::LookAt(float m[16], const float eye[3], const float direction[3], float roll) {
    float f[3] = {direction[0], direction[1], direction[2]};
    Normalise(f);
    // The reference is the world's down; looking straight up or down, -z stands in for it.
    float g[3] = {0.0f, -1.0f, 0.0f};
    if (std::fabs(Dot(g, f)) >= 0.9999f) {
        g[1] = 0.0f;
        g[2] = -1.0f;
    }
    const float gf = Dot(g, f);
    float u[3] = {g[0] - gf * f[0], g[1] - gf * f[1], g[2] - gf * f[2]};
    Normalise(u);
    float r[3] = {f[1] * u[2] - f[2] * u[1], f[2] * u[0] - f[0] * u[2], f[0] * u[1] - f[1] * u[0]};
    Normalise(r);
    const float b[16] = {
        u[0], r[0], f[0], 0.0f,  //
        u[1], r[1], f[1], 0.0f,  //
        u[2], r[2], f[2], 0.0f,  //
        0.0f, 0.0f, 0.0f, 1.0f,
    };
    Identity(m);
    Translate(m, -eye[0], -eye[1], -eye[2]);
    Multiply(m, b, m);
    Rotate(m, 0.0f, 0.0f, roll + 90.0f);
}

}  // namespace lib3d
