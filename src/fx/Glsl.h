// Translation of shader assembly records into GLSL 1.20, once per program.
//
// Vertex programs read their inputs v# from generic attributes named "v#"
// (bound to attribute location #), the constant registers from the uniform
// array "c" (96 entries; a matrix is loaded transposed, as m4x4 takes rows),
// and write the classic outputs: oPos becomes gl_Position with depth brought
// from [0, 1] to OpenGL's [-1, 1] and y multiplied by the uniform "fx_flipY"
// (-1 while drawing into a texture that is read with bottom-up rows), oD0 and
// oD1 the primary and secondary colours, oT# gl_TexCoord[#].
//
// Pixel programs read v0/v1 (the two colours) and t# (gl_TexCoord[#]), the
// constants "pc" (8 entries; def constants are written into the text), and
// sample stage # through the sampler "s#". r0 is the pixel's colour.
//
// Everything is computed the way the CPU executor defines it, so one program
// gives the same results on both.
#pragma once

#include <string>

#include "fx/ShaderAsm.h"

namespace fx {

// Returns the GLSL text of a vertex or pixel program. A vertex program that
// feeds OpenGL's fixed-function texture stages (no pixel program) gets its
// texture coordinates with w = 1: those stages divide by w, the stages the
// programs were written for do not.
std::string GlslVertexShader(const AsmProgram &program, bool fixedFunctionStages = false);
std::string GlslPixelShader(const AsmProgram &program);

// Bit mask of the input registers a vertex program reads (bit # = v#), and
// of the stages a pixel program samples.
unsigned GlslInputsRead(const AsmProgram &program);
unsigned GlslStagesSampled(const AsmProgram &program);

}  // namespace fx
