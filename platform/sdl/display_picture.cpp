#include "platform/sdl/display_picture.h"

#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform::sdl {
namespace {

// SDL allocates and clears the whole surface a BMP header asks for before it
// reads a single row, so a few hundred bytes could make it take gigabytes.
// Pictures larger than this many pixels are refused, and so are
// uncompressed ones whose rows run past the end of the file (SDL would fail
// on them anyway, after the allocation).
constexpr int64_t kMaxPixels = int64_t{1} << 26;

int64_t Le(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return bytes == 2 ? int16_t(v) : int32_t(v);
}

bool PlausibleBmp(const std::string& hostPath) {
  std::FILE* file = std::fopen(hostPath.c_str(), "rb");
  if (!file) return true;  // SDL reports it
  uint8_t h[34] = {};
  const size_t got = std::fread(h, 1, sizeof h, file);
  std::fseek(file, 0, SEEK_END);
  const int64_t fileSize = std::ftell(file);
  std::fclose(file);
  if (got < 26 || h[0] != 'B' || h[1] != 'M') return true;  // not a header this check knows
  // Bytes past the end of a short file read as zero.
  const int64_t offset = Le(h + 10, 4) & 0xFFFFFFFF;
  const int64_t headerSize = Le(h + 14, 4);
  int64_t width, height, bits, compression = 0;
  if (headerSize == 12) {  // OS/2 core header: 16-bit sizes
    width = Le(h + 18, 2) & 0xFFFF;
    height = Le(h + 20, 2) & 0xFFFF;
    bits = Le(h + 24, 2);
  } else {
    width = std::llabs(Le(h + 18, 4));
    height = std::llabs(Le(h + 22, 4));
    bits = Le(h + 28, 2) & 0xFFFF;
    compression = Le(h + 30, 4);
  }
  if (width * height > kMaxPixels) return false;
  // A header cut short leaves SDL to refuse the file.
  const bool uncompressed = compression == 0 || compression == 3 || compression == 6;
  if (got < sizeof h || !uncompressed || height == 0 || bits <= 0) return true;
  const int64_t rowBytes = (width * bits + 31) / 32 * 4;
  const int64_t lastRowBytes = (width * bits + 7) / 8;
  return offset + rowBytes * (height - 1) + lastRowBytes <= fileSize;
}

}  // namespace

bool LoadBmpPicture(const std::string& hostPath, Picture& picture) {
  if (!PlausibleBmp(hostPath)) return false;
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
