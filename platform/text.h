#pragma once
// Text output: a Shift-JIS string drawn into locked surface memory in a given
// face, height and colour, with a transparent background.
#include <cstdint>
#include <string>

#include "platform/display.h"

namespace platform {

struct FontSpec {
  std::string cp932Face;  // e.g. "ＭＳ Ｐゴシック" in CP932
  // Negative: the character height in pixels; positive: the cell height
  // (character plus internal leading).
  int height = -16;
  uint32_t color = 0;  // 0x00BBGGRR
  bool bold = false;
  bool italic = false;
  bool underline = false;
};

// The target of a text: locked memory of a surface of width x height.
struct TextTarget {
  uint8_t* bits = nullptr;
  int pitch = 0;
  int width = 0;
  int height = 0;
  PixelFormat format = PixelFormat::Xrgb8888;
};

class TextRenderer {
 public:
  virtual ~TextRenderer() = default;
  // Draws `cp932Text` with its top-left at (x, y), clipped to the target.
  // Returns false when no face could be opened (nothing is drawn then).
  virtual bool Draw(const TextTarget& target, int x, int y, const std::string& cp932Text,
                    const FontSpec& font) = 0;
  // How wide Draw draws `cp932Text`, in pixels; 0 when no face could be
  // opened (nothing would be drawn).
  virtual int Width(const std::string& cp932Text, const FontSpec& font) = 0;
};

}  // namespace platform
