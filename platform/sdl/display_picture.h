#pragma once
#include <string>

#include "platform/display.h"

namespace platform::sdl {

// Decodes a BMP file with SDL's loader into 8-bit red, green and blue.
bool LoadBmpPicture(const std::string& hostPath, Picture& picture);

}  // namespace platform::sdl
