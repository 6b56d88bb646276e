#include "platform/sdl/message_screen.h"

#include <cmath>

#include "platform/app.h"
#include "platform/display.h"
#include "platform/encoding.h"

namespace platform::sdl {
namespace {

// The layout on the game's 640 x 480 picture, scaled like it to the window.
constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 480;
constexpr int kMargin = 40;
constexpr int kTop = 80;
constexpr int kFontHeight = 16;
constexpr int kLineHeight = 22;
constexpr int kHintTop = 420;
// Text colours (0x00BBGGRR).
constexpr uint32_t kSystemColour = 0x00FFFFFF;
constexpr uint32_t kEnglishColour = 0x00A0E0FF;
constexpr uint32_t kHintColour = 0x00A0A0A0;
constexpr const char* kHint = "Enter, Escape, Space or a pad button to go on";

// The face the game's texts use ("ＭＳ Ｐゴシック" in CP932).
const std::string& Face() {
  static const std::string face = Utf8ToCp932("ＭＳ Ｐゴシック");
  return face;
}

}  // namespace

bool ClosesMessage(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN: {
      const SDL_Keycode key = event.key.keysym.sym;
      // Alt+Enter switches the display, as everywhere else.
      if (event.key.repeat || (event.key.keysym.mod & KMOD_ALT)) return false;
      return key == SDLK_RETURN || key == SDLK_KP_ENTER || key == SDLK_ESCAPE || key == SDLK_SPACE;
    }
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_JOYBUTTONDOWN:
      return true;
    default:
      return false;
  }
}

namespace {

// The bytes of the UTF-8 character that starts at `at`.
size_t CharacterBytes(const std::string& text, size_t at) {
  size_t end = at + 1;
  while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
  return end - at;
}

}  // namespace

std::vector<std::string> WrapText(TtfTextRenderer& text, const std::string& utf8Text, const FontSpec& font,
                                  int width) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= utf8Text.size()) {
    const size_t feed = std::min(utf8Text.find('\n', start), utf8Text.size());
    std::string rest = utf8Text.substr(start, feed - start);
    while (text.TextWidth(rest, font) > width) {
      // The longest head of whole characters that fits (at least one).
      size_t fits = CharacterBytes(rest, 0);
      for (size_t next = fits; next < rest.size(); next += CharacterBytes(rest, next)) {
        if (text.TextWidth(rest.substr(0, next + CharacterBytes(rest, next)), font) > width) break;
        fits = next + CharacterBytes(rest, next);
      }
      const size_t space = rest.rfind(' ', fits);
      const size_t cut = space != std::string::npos && space > 0 && space <= fits ? space : fits;
      lines.push_back(rest.substr(0, cut));
      rest.erase(0, rest[cut] == ' ' ? cut + 1 : cut);
    }
    lines.push_back(rest);
    start = feed + 1;
  }
  return lines;
}

MessageScreen::MessageScreen(SdlWindow& window) : window_(window) {
  // The first message may come before the display has shown the window.
  if (!(SDL_GetWindowFlags(window_.Handle()) & SDL_WINDOW_SHOWN)) window_.SetFullScreen(window_.PreferredFullScreen());
  renderer_ = SDL_GetRenderer(window_.Handle());
  // Where the display device presents through the window surface, the
  // message goes there too: a renderer of its own would take the surface.
  // The renderer comes before the window is shown: making one may replace
  // the window underneath (an OpenGL window on X11), and a window replaced
  // after it was mapped flickers and loses what the desktop knew of it.
  if (!renderer_ && !window_.SurfacePresentation()) {
    renderer_ = SDL_CreateRenderer(window_.Handle(), -1, 0);
    ownRenderer_ = renderer_ != nullptr;
  }
  window_.Show();
  // Any pad's buttons close the message, also before the input component
  // has opened one.
  pads_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
  if (pads_) {
    for (int index = 0; index < SDL_NumJoysticks(); ++index) {
      if (SDL_IsGameController(index)) {
        if (SDL_GameController* pad = SDL_GameControllerOpen(index)) controllers_.push_back(pad);
      } else if (SDL_Joystick* stick = SDL_JoystickOpen(index)) {
        joysticks_.push_back(stick);
      }
    }
  }
}

MessageScreen::~MessageScreen() {
  for (SDL_GameController* pad : controllers_) SDL_GameControllerClose(pad);
  for (SDL_Joystick* stick : joysticks_) SDL_JoystickClose(stick);
  if (pads_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  if (ownRenderer_) SDL_DestroyRenderer(renderer_);
}

void MessageScreen::Show(const std::string& utf8Text, const std::string& english) {
  if (!renderer_ && !window_.SurfacePresentation()) return;
  // A key pressed before the message appeared must not close it unread.
  SDL_PumpEvents();
  SDL_FlushEvents(SDL_KEYDOWN, SDL_KEYUP);
  SDL_FlushEvents(SDL_JOYBUTTONDOWN, SDL_JOYBUTTONUP);
  SDL_FlushEvents(SDL_CONTROLLERBUTTONDOWN, SDL_CONTROLLERBUTTONUP);
  Draw(utf8Text, english);
  SDL_Event event;
  for (;;) {
    // A close on a signal never waits for the player.
    if (Application::ClosingOnSignal()) return;
    if (!SDL_WaitEventTimeout(&event, 100)) continue;
    if (event.type == SDL_QUIT) {
      // The message loop closes the program once the message is gone.
      SDL_PushEvent(&event);
      return;
    }
    if (ClosesMessage(event)) return;
    if (event.type == SDL_WINDOWEVENT) Draw(utf8Text, english);
  }
}

bool MessageScreen::OutputSize(int& width, int& height) {
  if (renderer_) return SDL_GetRendererOutputSize(renderer_, &width, &height) == 0;
  SDL_Surface* surface = SDL_GetWindowSurface(window_.Handle());
  if (!surface) return false;
  width = surface->w;
  height = surface->h;
  return true;
}

void MessageScreen::Draw(const std::string& utf8Text, const std::string& english) {
  int outWidth = 0, outHeight = 0;
  if (!OutputSize(outWidth, outHeight) || outWidth <= 0 || outHeight <= 0) return;
  // Drawn at the window's own resolution, so the text stays sharp.
  const Rect picture = ScaledRect(kPictureWidth, kPictureHeight, outWidth, outHeight, Scaling::Fit);
  const double scale = double(picture.Width()) / kPictureWidth;
  auto at = [scale](int v) { return int(std::lround(v * scale)); };
  std::vector<uint32_t> pixels(size_t(outWidth) * outHeight, 0);
  const TextTarget target{reinterpret_cast<uint8_t*>(pixels.data()), outWidth * 4, outWidth, outHeight,
                          PixelFormat::Xrgb8888};
  FontSpec font{Face(), -std::max(1, at(kFontHeight)), kSystemColour};
  const int wrapWidth = at(kPictureWidth - 2 * kMargin);
  int y = kTop;
  auto write = [&](const std::string& text, uint32_t colour) {
    font.color = colour;
    for (const std::string& line : WrapText(text_, text, font, wrapWidth)) {
      text_.DrawUtf8(target, picture.left + at(kMargin), picture.top + at(y), line, font);
      y += kLineHeight;
    }
  };
  write(utf8Text, kSystemColour);
  y += kLineHeight;
  if (!english.empty()) write(english, kEnglishColour);
  y = kHintTop;
  write(kHint, kHintColour);

  if (!renderer_) {
    // The window surface takes the pixels as they are (32-bit, red at bit
    // 16, as its presenter requires), opaque.
    SDL_Surface* surface = SDL_GetWindowSurface(window_.Handle());
    if (!surface || surface->w != outWidth || surface->h != outHeight) return;
    for (int y = 0; y < outHeight; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) + size_t(y) * surface->pitch);
      for (int x = 0; x < outWidth; ++x) row[x] = pixels[size_t(y) * outWidth + x] | 0xFF000000;
    }
    SDL_UpdateWindowSurface(window_.Handle());
    window_.LosePicture();
    return;
  }
  SDL_Texture* texture =
      SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STATIC, outWidth, outHeight);
  if (!texture) return;
  SDL_UpdateTexture(texture, nullptr, pixels.data(), outWidth * 4);
  SDL_SetRenderTarget(renderer_, nullptr);
  SDL_RenderCopy(renderer_, texture, nullptr, nullptr);
  SDL_RenderPresent(renderer_);
  SDL_DestroyTexture(texture);
}

}  // namespace platform::sdl
