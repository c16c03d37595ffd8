#pragma once
// 4 x 4 float matrices in row-vector convention: a point is a row vector
// multiplied on the left, the translation is the fourth row, and element
// (row r, column c) is m[r * 4 + c]. The step-by-step builders multiply on
// the right (M := M x X), so a transform built as scale, then rotate, then
// translate applies the scale first.

namespace lib3d {

struct Matrix {
    static void Identity(float m[16]);
    // out = a x b; out may be a or b.
    static void Multiply(const float a[16], const float b[16], float out[16]);
    static void Transpose(const float m[16], float out[16]);
    // False (and out untouched) when m is singular.
    static bool Inverse(const float m[16], float out[16]);
    // p' = p x m for the point (x, y, z, 1), divided by nothing.
    static void TransformPoint(const float m[16], const float p[3], float out[3]);
    // The same with w kept: (x, y, z, w) for a projection to divide by.
    static void TransformHomogeneous(const float m[16], const float p[3], float out[4]);

    static void Translate(float m[16], float x, float y, float z);
    static void Scale(float m[16], float x, float y, float z);
    // The three-angle rotation in degrees used by the board and the GUI.
    static void Rotate(float m[16], float ax, float ay, float az);
    // Replaces m by a view matrix looking from `eye` along `direction` (not a
    // target), turned by `roll` degrees about the viewing axis.
    static void LookAt(float m[16], const float eye[3], const float direction[3], float roll);
};

}  // namespace lib3d
