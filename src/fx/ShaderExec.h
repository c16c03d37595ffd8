// Runs shader assembly records on the CPU, one vertex or one pixel at a
// time, with the arithmetic the instructions are defined to have.
#pragma once

#include "fx/ShaderAsm.h"

// Reads texture `stage` at coordinates (u, v) into rgba.
typedef void (*AsmSampler)(void *user, int stage, const float coord[4], float rgba[4]);

// One shader invocation's registers. Vertex programs read v (inputs) and c,
// and write the o* outputs; pixel programs read v0/v1 (colours), t
// (texture coordinates) and c, and leave the pixel's colour in r[0].
// Matrix instructions take the rows of a matrix from consecutive constants:
// m4x4 d, s, cN computes d.x = dot(s, c[N]), d.y = dot(s, c[N+1]), ...
struct AsmMachine {
    float r[12][4] = {};
    float v[16][4] = {};
    float c[96][4] = {};
    float t[8][4] = {};
    int a0 = 0;
    float oPos[4] = {};
    float oFog[4] = {};
    float oPts[4] = {};
    float oD[2][4] = {};
    float oT[8][4] = {};
    AsmSampler sampler = nullptr;  // texld reads (0,0,0,0) without one
    void *samplerUser = nullptr;
};

// Loads the program's def constants into c, then runs every record in order.
// Returns 0 if the program holds an operation the executor does not know.
int AsmExecute(const AsmProgram &program, AsmMachine &m);
// Stores a row-vector 4x4 matrix (16 floats, row-major) into c[first..first+3]
// transposed, as the matrix instructions expect.
void AsmLoadMatrix(AsmMachine &m, int first, const float *matrix);
