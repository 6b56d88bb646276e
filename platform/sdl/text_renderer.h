#pragma once
// Text through SDL2_ttf: the face is found by fontconfig ("ＭＳ Ｐゴシック"
// maps to IPAPGothic, any match is the fallback); rendered strings are cached
// per face, size, style, colour and text, so a frame of captions costs one
// blend per caption.
#include <memory>

#include "platform/text.h"

typedef struct _TTF_Font TTF_Font;

namespace platform::sdl {

class TtfTextRenderer final : public TextRenderer {
 public:
  TtfTextRenderer();
  ~TtfTextRenderer() override;

  bool Draw(const TextTarget& target, int x, int y, const std::string& cp932Text, const FontSpec& font) override;
  int Width(const std::string& cp932Text, const FontSpec& font) override;

  // Draw for UTF-8 text: messages are drawn in it, so that the program's
  // own texts (and the paths they name) keep every character.
  bool DrawUtf8(const TextTarget& target, int x, int y, const std::string& utf8Text, const FontSpec& font);
  // How wide `utf8Text` is drawn, in pixels (0 when no face opens).
  int TextWidth(const std::string& utf8Text, const FontSpec& font);

  // The file of the face used for a face name (CP932); empty when none.
  std::string FaceFile(const std::string& cp932Face);
  size_t CachedTexts() const;

 private:
  // The cached font of the request; null when no face opens.
  TTF_Font* OpenFont(const FontSpec& font);

  struct Cache;
  std::unique_ptr<Cache> cache_;
};

}  // namespace platform::sdl
