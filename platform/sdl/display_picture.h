#pragma once
#include <string>

#include "platform/display.h"

struct SDL_Surface;

namespace platform::sdl {

// Decodes a BMP file with SDL's loader into 8-bit red, green and blue.
bool LoadBmpPicture(const std::string& hostPath, Picture& picture);

// Converts a loaded surface (may be null: then false) into 8-bit red, green
// and blue, and frees it.
bool TakePicture(SDL_Surface* loaded, Picture& picture);

}  // namespace platform::sdl
