#pragma once
// Messages shown inside the game's own window: the system's text drawn with
// the text renderer, a plain-English line below it, and a hint how to go on.
// Both texts are UTF-8 here (the system's converted once, by the caller).
// Show returns when the player presses Enter, Escape, Space or a pad button,
// or closes the window (the close request then waits in the event queue for
// the message loop), or at once when a signal asks the program to close.
#include <SDL.h>

#include <string>
#include <vector>

#include "platform/sdl/text_renderer.h"
#include "platform/sdl/window.h"

namespace platform::sdl {

class MessageScreen {
 public:
  explicit MessageScreen(SdlWindow& window);
  ~MessageScreen();
  MessageScreen(const MessageScreen&) = delete;
  MessageScreen& operator=(const MessageScreen&) = delete;

  void Show(const std::string& utf8Text, const std::string& english);

 private:
  void Draw(const std::string& utf8Text, const std::string& english);
  // The size of what it draws into: the renderer's output or the window surface.
  bool OutputSize(int& width, int& height);

  SdlWindow& window_;
  SDL_Renderer* renderer_ = nullptr;  // none where the window surface shows the game
  bool ownRenderer_ = false;  // the display device has none on the window yet
  bool pads_ = false;
  std::vector<SDL_GameController*> controllers_;
  std::vector<SDL_Joystick*> joysticks_;
  TtfTextRenderer text_;
};

// True for the events that close a message.
bool ClosesMessage(const SDL_Event& event);

// `utf8Text` broken into lines no wider than `width` pixels in `font`: at
// its line feeds, then at spaces where a line has them, else between
// characters.
std::vector<std::string> WrapText(TtfTextRenderer& text, const std::string& utf8Text, const FontSpec& font,
                                  int width);

}  // namespace platform::sdl
