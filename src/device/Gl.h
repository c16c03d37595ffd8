#pragma once
// OpenGL for the device's own sources only; no header of the device includes it.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
