#pragma once
// The display device: pixel surfaces in the display's format with the few
// operations the draw component leaves to the platform (fill, 1:1 copy and
// nearest-neighbour stretch with an optional source colour key, lock/unlock,
// loss and restore, picture transfer), and presentation of a finished frame.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class Window;

// 16 bit: 5-6-5; 24 bit: packed 3 bytes (blue, green, red in memory);
// 32 bit: blue, green, red and an unused byte in memory.
enum class PixelFormat : uint8_t { Rgb565, Rgb888, Xrgb8888 };

struct PixelLayout {
  int bytesPerPixel;
  uint32_t redMask, greenMask, blueMask;
};

constexpr PixelLayout LayoutOf(PixelFormat format) {
  switch (format) {
    case PixelFormat::Rgb565: return {2, 0xF800, 0x07E0, 0x001F};
    case PixelFormat::Rgb888: return {3, 0xFF0000, 0x00FF00, 0x0000FF};
    case PixelFormat::Xrgb8888: return {4, 0xFF0000, 0x00FF00, 0x0000FF};
  }
  return {4, 0xFF0000, 0x00FF00, 0x0000FF};
}

// The format of a display depth of 16, 24 or 32 bits per pixel.
constexpr PixelFormat FormatOfDepth(int bitsPerPixel) {
  return bitsPerPixel == 16 ? PixelFormat::Rgb565
         : bitsPerPixel == 24 ? PixelFormat::Rgb888
                              : PixelFormat::Xrgb8888;
}

// 8-bit channels to a pixel value. Channels that do not fit keep their top
// bits, so 0 and 255 land exactly on 0 and the full mask.
constexpr uint32_t PackPixel(PixelFormat format, uint8_t r, uint8_t g, uint8_t b) {
  if (format == PixelFormat::Rgb565)
    return (uint32_t(r >> 3) << 11) | (uint32_t(g >> 2) << 5) | uint32_t(b >> 3);
  return (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
}

struct Rgb {
  uint8_t r, g, b;
};

// A pixel value back to 8-bit channels (the top bits repeated into the low ones).
constexpr Rgb UnpackPixel(PixelFormat format, uint32_t pixel) {
  if (format == PixelFormat::Rgb565) {
    uint32_t r = (pixel >> 11) & 31, g = (pixel >> 5) & 63, b = pixel & 31;
    return {uint8_t((r << 3) | (r >> 2)), uint8_t((g << 2) | (g >> 4)), uint8_t((b << 3) | (b >> 2))};
  }
  return {uint8_t(pixel >> 16), uint8_t(pixel >> 8), uint8_t(pixel)};
}

// Right and bottom exclusive.
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const Rect&) const = default;
};

// How presentation scales the picture to the window: the largest picture
// with the aspect kept, or whole multiples only.
enum class Scaling : uint8_t { Fit, Integer };

// Whether presentation waits for the display's vertical blank: where the
// display's refresh suits the game's 30 frames a second (auto), wherever the
// display can (on), or never (off).
enum class VSync : uint8_t { Auto, On, Off };

// A surface operation either works, finds the memory lost (restore and go
// on), or fails.
enum class SurfaceResult : uint8_t { Ok, Lost, Failed };

// A decoded picture: 8-bit red, green and blue per pixel, rows top-down.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
};

// Locked memory of a surface.
struct PixelMemory {
  uint8_t* bits = nullptr;
  int pitch = 0;
};

class Surface {
 public:
  virtual ~Surface() = default;

  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual PixelFormat Format() const = 0;

  // Lends the memory of `area` (the whole surface when null); `bits` points
  // at its top-left pixel. Every successful Lock is paired with one Unlock.
  virtual SurfaceResult Lock(const Rect* area, PixelMemory& memory) = 0;
  virtual void Unlock() = 0;

  virtual bool IsLost() const = 0;
  // Gives lost memory back (contents undefined until redrawn).
  virtual SurfaceResult Restore() = 0;

  // The source colour key used by keyed copies and stretches from here.
  virtual void SetColorKey(uint32_t key) = 0;
  virtual uint32_t ColorKey() const = 0;

  // Fills `area` (whole surface when null) with a pixel value.
  virtual SurfaceResult Fill(const Rect* area, uint32_t pixel) = 0;
  // Copies `from` of `source` 1:1 to (x, y); keyed: source pixels equal to
  // the source's colour key are left out. Both rectangles must lie inside.
  virtual SurfaceResult Copy(int x, int y, Surface& source, const Rect& from, bool keyed) = 0;
  // Nearest-neighbour stretch of `from` onto `to`, each destination pixel
  // taking one source pixel. Both rectangles must lie inside.
  virtual SurfaceResult Stretch(const Rect& to, Surface& source, const Rect& from, bool keyed) = 0;
  // Draws a picture at (0, 0), converted to the surface's format.
  virtual SurfaceResult Transfer(const Picture& picture) = 0;
};

// A frame in memory: `width` x `height` pixels of `format`, rows `pitch`
// bytes apart.
struct FrameView {
  const uint8_t* pixels = nullptr;
  int pitch = 0;
  int width = 0, height = 0;
  PixelFormat format = PixelFormat::Xrgb8888;
};

// Output memory of 32-bit pixels, red in bits 16-23, green 8-15, blue 0-7,
// and the top byte written 255 (so an output with alpha shows them opaque).
struct OutputView {
  uint8_t* pixels = nullptr;
  int pitch = 0;
  int width = 0, height = 0;
};

// Converts a frame to the output's 32-bit pixels and scales it to the
// output's size in one pass: nearest neighbour to the whole multiple of the
// frame at or above that size, then linear filtering down to it (so a whole
// multiple is plain nearest neighbour, every frame pixel an even square).
// The draw component gives the display device its own, with kernels chosen
// for the processor; where no graphics processor scales the picture, the
// device presents with it.
class FrameScaler {
 public:
  virtual ~FrameScaler() = default;
  virtual void Scale(const FrameView& frame, const OutputView& output) = 0;
  // Which kernels it runs, for the log ("AVX2").
  virtual std::string Kernels() const = 0;
};

// The display's refresh, as frame pacing sees it.
class DisplaySync {
 public:
  virtual ~DisplaySync() = default;
  // The refresh rate of the display the picture is on, in Hz; 0 when unknown.
  virtual int RefreshRate() = 0;
  // Presents wait for the vertical blank (on) or go out at once. True when
  // they now wait for the display's own blank; false when the display cannot
  // (no sync, or only one the renderer imitates with a timer).
  virtual bool SetVSync(bool on) = 0;
  // Blocks until the display's next vertical blank. With vertical sync on
  // this presents the last picture again, which waits for that blank.
  virtual void WaitVSync() = 0;
};

class DisplayDevice : public DisplaySync {
 public:
  // Takes the display for `window` (may be null). Full screen: the window
  // covers the desktop and shows a virtual display of width x height in the
  // format of `bitsPerPixel`. Windowed: the picture goes into the window's
  // client area, in the desktop's format. Returns false when refused.
  virtual bool Open(Window* window, bool fullScreen, int width, int height, int bitsPerPixel) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  // The pixel format surfaces are created in (valid while open).
  virtual PixelFormat Format() const = 0;

  // The visible screen: the virtual display (full screen) or the client area.
  virtual std::unique_ptr<Surface> CreatePrimary() = 0;
  // An off-screen surface; null when it cannot be created.
  virtual std::unique_ptr<Surface> CreateSurface(int width, int height, bool videoMemory) = 0;

  // Shows `from` of `source` on the primary at `to` (primary coordinates),
  // stretched with nearest neighbour when the sizes differ.
  virtual SurfaceResult Present(Surface& primary, Surface& source, const Rect& from, const Rect& to) = 0;

  // Decodes a BMP file (host path); false when missing or unreadable.
  virtual bool LoadPicture(const std::string& hostPath, Picture& picture) = 0;

  // The scaler the next Open may present with (null: none); Close forgets it.
  virtual void SetScaler(FrameScaler* scaler) = 0;
  // How presentation fits the picture to the window from the next frame on.
  virtual void SetScaling(Scaling scaling) = 0;

  // Diagnostics for the log: the display, and the way frames reach it.
  virtual std::string Description() const = 0;
  virtual uint32_t TotalVideoMemory() const = 0;
  virtual uint32_t FreeVideoMemory() const = 0;
};

// Where a picture of `width` x `height` lands in an output of `outWidth` x
// `outHeight`, centred (the rest are black bars): Fit, the largest picture
// with the aspect kept; Integer, the largest whole multiple, or Fit when not
// even one fits.
inline Rect ScaledRect(int width, int height, int outWidth, int outHeight, Scaling scaling) {
  if (width <= 0 || height <= 0 || outWidth <= 0 || outHeight <= 0) return {};
  const int whole = std::min(outWidth / width, outHeight / height);
  int w, h;
  if (scaling == Scaling::Integer && whole >= 1) {
    w = width * whole;
    h = height * whole;
  } else if (int64_t(outWidth) * height <= int64_t(outHeight) * width) {
    w = outWidth;
    h = int(int64_t(height) * outWidth / width);
  } else {
    h = outHeight;
    w = int(int64_t(width) * outHeight / height);
  }
  const int x = (outWidth - w) / 2, y = (outHeight - h) / 2;
  return {x, y, x + w, y + h};
}

}  // namespace platform
