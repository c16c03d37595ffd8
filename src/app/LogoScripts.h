// The two shader scripts of the opening logo.
#pragma once

// Sphere-maps a texture by the world normal: WORLD, VIEWPROJ, texture tex.
extern const char *const kLogoEnvironmentScript;
// Light shafts: vertices turned away from the point Light are pushed away
// from it by `longueur`; drawn additively in two passes (front faces, then
// back faces). Parameters WORLD, VIEWPROJ, longueur, Light, Decal, tex.
extern const char *const kLogoLightShaftScript;
