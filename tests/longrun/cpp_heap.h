#pragma once
// The bytes this program holds through operator new: everything the game,
// the library and the platform code allocate, but not what C libraries (SDL,
// SDL_ttf, FluidSynth, fontconfig) take with malloc. The long run uses it to
// see a leak of even a few bytes a frame in our own code.
#include <cstddef>

namespace longrun {

size_t LiveCppHeapBytes();

}  // namespace longrun
