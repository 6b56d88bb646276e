#include "platform/sdl/display_picture.h"

#include <SDL.h>

#include <cstring>

namespace platform::sdl {

bool LoadBmpPicture(const std::string& hostPath, Picture& picture) {
  return TakePicture(SDL_LoadBMP(hostPath.c_str()), picture);
}

bool TakePicture(SDL_Surface* loaded, Picture& picture) {
  if (!loaded) return false;
  SDL_Surface* rgb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB24, 0);
  SDL_FreeSurface(loaded);
  if (!rgb) return false;
  picture.width = rgb->w;
  picture.height = rgb->h;
  size_t rowBytes = size_t(rgb->w) * 3;
  picture.rgb.resize(rowBytes * rgb->h);
  SDL_LockSurface(rgb);
  for (int y = 0; y < rgb->h; ++y)
    std::memcpy(&picture.rgb[y * rowBytes], static_cast<const uint8_t*>(rgb->pixels) + size_t(y) * rgb->pitch,
                rowBytes);
  SDL_UnlockSurface(rgb);
  SDL_FreeSurface(rgb);
  return true;
}

}  // namespace platform::sdl
