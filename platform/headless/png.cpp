#include <SDL.h>
#include <SDL_image.h>

#include "platform/headless/display_device.h"
#include "platform/sdl/display_picture.h"

// The picture files of the headless display, through SDL2_image: kept apart
// from the device so that a program without SDL can use the device.
namespace platform::headless {

bool HeadlessDisplayDevice::SaveLastFrame(const std::string& pngPath) const {
  Frame frame = LastFrame();
  return frame.width > 0 && SavePng(pngPath, frame);
}

bool SavePng(const std::string& path, const Frame& frame) {
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(frame.rgb.data()), frame.width,
                                                            frame.height, 24, frame.width * 3,
                                                            SDL_PIXELFORMAT_RGB24);
  if (!surface) return false;
  bool saved = IMG_SavePNG(surface, path.c_str()) == 0;
  SDL_FreeSurface(surface);
  return saved;
}

bool LoadPng(const std::string& path, Frame& frame) { return sdl::TakePicture(IMG_Load(path.c_str()), frame); }

}  // namespace platform::headless
