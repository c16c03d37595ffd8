// Compiled only by the layer tests: it builds where SDL's headers are
// reachable and must not build in a layer that has no business with SDL.
#include <SDL.h>

int LayerProbe() { return SDL_INIT_VIDEO; }
