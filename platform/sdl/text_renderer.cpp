#include "platform/sdl/text_renderer.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <map>
#include <tuple>

#include "platform/encoding.h"
#include "platform/startup.h"

namespace platform::sdl {
namespace {

// Windows face names the system asks for and the faces of this platform
// that stand in for them.
struct FaceAlias {
  const char* requested;
  const char* family;
};
constexpr FaceAlias kFaceAliases[] = {
    {"ＭＳ Ｐゴシック", "IPAPGothic"},
    {"ＭＳ ゴシック", "IPAGothic"},
    {"ＭＳ Ｐ明朝", "IPAPMincho"},
    {"ＭＳ 明朝", "IPAMincho"},
};

std::string MatchFontFile(FcConfig* config, const std::string& family) {
  std::string file;
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str()));
  if (!pattern) return file;
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  if (match) {
    FcChar8* path = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) file = reinterpret_cast<char*>(path);
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return file;
}

// Caches stay small: the game shows a handful of captions.
constexpr size_t kMaxCachedTexts = 512;

}  // namespace

struct TtfTextRenderer::Cache {
  // A configuration of our own, loaded at the first face lookup and freed
  // with the renderer (the library's shared one is never freed).
  FcConfig* config = nullptr;
  std::map<std::string, std::string> faceFiles;                      // face name -> file
  std::map<std::tuple<std::string, int, int>, TTF_Font*> fonts;      // file, size, style
  std::map<std::tuple<TTF_Font*, uint32_t, std::string>, SDL_Surface*> texts;

  ~Cache() {
    for (auto& [key, surface] : texts) SDL_FreeSurface(surface);
    for (auto& [key, font] : fonts) TTF_CloseFont(font);
    if (config) FcConfigDestroy(config);
  }
};

TtfTextRenderer::TtfTextRenderer() : cache_(std::make_unique<Cache>()) {
  TTF_Init();
}

TtfTextRenderer::~TtfTextRenderer() {
  cache_.reset();
  TTF_Quit();
}

size_t TtfTextRenderer::CachedTexts() const { return cache_->texts.size(); }

std::string TtfTextRenderer::FaceFile(const std::string& cp932Face) {
  auto found = cache_->faceFiles.find(cp932Face);
  if (found != cache_->faceFiles.end()) return found->second;
  std::string family = Cp932ToUtf8(cp932Face);
  for (const FaceAlias& alias : kFaceAliases)
    if (family == alias.requested) family = alias.family;
  if (!cache_->config) TimeStage("fonts", [&] { cache_->config = FcInitLoadConfigAndFonts(); });
  std::string file = cache_->config ? MatchFontFile(cache_->config, family) : std::string();
  cache_->faceFiles[cp932Face] = file;
  return file;
}

TTF_Font* TtfTextRenderer::OpenFont(const FontSpec& request) {
  std::string file = FaceFile(request.cp932Face);
  if (file.empty()) return nullptr;
  int style = (request.bold ? TTF_STYLE_BOLD : 0) | (request.italic ? TTF_STYLE_ITALIC : 0) |
              (request.underline ? TTF_STYLE_UNDERLINE : 0);
  int height = request.height == 0 ? 16 : request.height;
  auto fontKey = std::make_tuple(file, height, style);
  TTF_Font*& font = cache_->fonts[fontKey];
  if (!font) {
    // SDL_ttf sizes are pixels per em at its 72 dpi: a negative height is
    // that directly; a positive one is the cell height, so scale by it.
    int size = height < 0 ? -height : height;
    TimeStage("fonts", [&] {
      font = TTF_OpenFont(file.c_str(), size);
      if (font && height > 0 && TTF_FontHeight(font) > 0) {
        int scaled = std::max(1, height * height / TTF_FontHeight(font));
        TTF_CloseFont(font);
        font = TTF_OpenFont(file.c_str(), scaled);
      }
    });
    if (!font) {
      cache_->fonts.erase(fontKey);
      return nullptr;
    }
    TTF_SetFontStyle(font, style);
  }
  return font;
}

int TtfTextRenderer::TextWidth(const std::string& utf8Text, const FontSpec& request) {
  TTF_Font* font = OpenFont(request);
  int width = 0, height = 0;
  if (!font || TTF_SizeUTF8(font, utf8Text.c_str(), &width, &height) != 0) return 0;
  return width;
}

int TtfTextRenderer::Width(const std::string& cp932Text, const FontSpec& font) {
  return TextWidth(Cp932ToUtf8(cp932Text), font);
}

bool TtfTextRenderer::Draw(const TextTarget& target, int x, int y, const std::string& cp932Text,
                           const FontSpec& font) {
  return DrawUtf8(target, x, y, Cp932ToUtf8(cp932Text), font);
}

bool TtfTextRenderer::DrawUtf8(const TextTarget& target, int x, int y, const std::string& utf8Text,
                               const FontSpec& request) {
  TTF_Font* font = OpenFont(request);
  if (!font) return false;
  if (utf8Text.empty()) return true;

  auto textKey = std::make_tuple(font, request.color, utf8Text);
  auto cached = cache_->texts.find(textKey);
  SDL_Surface* glyphs;
  if (cached != cache_->texts.end()) {
    glyphs = cached->second;
  } else {
    if (cache_->texts.size() >= kMaxCachedTexts) {
      for (auto& [key, surface] : cache_->texts) SDL_FreeSurface(surface);
      cache_->texts.clear();
    }
    SDL_Color color{uint8_t(request.color), uint8_t(request.color >> 8), uint8_t(request.color >> 16), 255};
    SDL_Surface* rendered = TTF_RenderUTF8_Blended(font, utf8Text.c_str(), color);
    if (!rendered) return true;
    glyphs = SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(rendered);
    if (!glyphs) return true;
    cache_->texts[textKey] = glyphs;
  }

  // Blend the glyphs' coverage over the target in its own format.
  int left = std::max(0, x), top = std::max(0, y);
  int right = std::min(target.width, x + glyphs->w), bottom = std::min(target.height, y + glyphs->h);
  int bytes = LayoutOf(target.format).bytesPerPixel;
  for (int ty = top; ty < bottom; ++ty) {
    auto* src = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(glyphs->pixels) +
                                                  size_t(ty - y) * glyphs->pitch);
    uint8_t* dst = target.bits + size_t(ty) * target.pitch + size_t(left) * bytes;
    for (int tx = left; tx < right; ++tx, dst += bytes) {
      uint32_t s = src[tx - x];
      uint32_t a = s >> 24;
      if (a == 0) continue;
      uint32_t old = 0;
      for (int i = 0; i < bytes; ++i) old |= uint32_t(dst[i]) << (8 * i);
      Rgb d = UnpackPixel(target.format, old);
      auto mix = [a](uint32_t fg, uint32_t bg) { return uint8_t((fg * a + bg * (255 - a) + 127) / 255); };
      uint32_t out = PackPixel(target.format, mix((s >> 16) & 0xFF, d.r), mix((s >> 8) & 0xFF, d.g),
                               mix(s & 0xFF, d.b));
      if (bytes == 4) out |= old & 0xFF000000;  // the unused byte stays
      for (int i = 0; i < bytes; ++i) dst[i] = uint8_t(out >> (8 * i));
    }
  }
  return true;
}

}  // namespace platform::sdl
