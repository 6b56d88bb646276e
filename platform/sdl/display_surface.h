#pragma once
// A surface kept in system memory: the pixel store of both backends. The SDL
// backend never loses one; the headless backend's subclass can.
#include <vector>

#include "platform/display.h"

namespace platform::sdl {

class MemorySurface : public Surface {
 public:
  MemorySurface(int width, int height, PixelFormat format);

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  PixelFormat Format() const override { return format_; }

  SurfaceResult Lock(const Rect* area, PixelMemory& memory) override;
  void Unlock() override;
  bool IsLost() const override { return lost_; }
  SurfaceResult Restore() override;
  void SetColorKey(uint32_t key) override { colorKey_ = key; }
  uint32_t ColorKey() const override { return colorKey_; }

  SurfaceResult Fill(const Rect* area, uint32_t pixel) override;
  SurfaceResult Copy(int x, int y, Surface& source, const Rect& from, bool keyed) override;
  SurfaceResult Stretch(const Rect& to, Surface& source, const Rect& from, bool keyed) override;
  SurfaceResult Transfer(const Picture& picture) override;

  const uint8_t* Pixels() const { return pixels_.data(); }
  int Pitch() const { return pitch_; }
  int LockCount() const { return locks_; }

 protected:
  bool Contains(const Rect& area) const;
  uint8_t* At(int x, int y) { return pixels_.data() + size_t(y) * pitch_ + size_t(x) * bytes_; }

  bool lost_ = false;

 private:
  int width_, height_;
  PixelFormat format_;
  int bytes_;
  int pitch_;
  uint32_t colorKey_ = 0;
  int locks_ = 0;
  std::vector<uint8_t> pixels_;
};

// One row of `count` pixels of `format` as XRGB8888 (the unused byte 0), the
// format the SDL backend's textures take.
void ConvertToXrgb8888(PixelFormat format, const uint8_t* in, uint32_t* out, int count);

}  // namespace platform::sdl
