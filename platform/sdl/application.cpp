#include "platform/sdl/application.h"

#include <cstdio>
#include <exception>
#include <stdexcept>
#include <utility>

#include "platform/encoding.h"
#include "platform/sdl/input.h"
#include "platform/sdl/message_screen.h"
#include "platform/signals.h"
#include "platform/startup.h"

namespace platform::sdl {
namespace {

struct KeyMeaning {
  SDL_Keycode key;
  int virtualKey;
};
constexpr KeyMeaning kKeyMeanings[] = {
    {SDLK_RETURN, kVirtualKeyReturn}, {SDLK_KP_ENTER, kVirtualKeyReturn}, {SDLK_PAUSE, kVirtualKeyPause},
    {SDLK_ESCAPE, kVirtualKeyEscape}, {SDLK_SPACE, kVirtualKeySpace},     {SDLK_LEFT, kVirtualKeyLeft},
    {SDLK_UP, kVirtualKeyUp},         {SDLK_RIGHT, kVirtualKeyRight},     {SDLK_DOWN, kVirtualKeyDown},
    {SDLK_BACKSPACE, kVirtualKeyBackspace},
};

struct PadMeaning {
  SDL_GameControllerButton button;
  int virtualKey;
};
constexpr PadMeaning kPadMeanings[] = {
    {SDL_CONTROLLER_BUTTON_A, kVirtualKeyPadA},
    {SDL_CONTROLLER_BUTTON_B, kVirtualKeyPadB},
    {SDL_CONTROLLER_BUTTON_START, kVirtualKeyPadStart},
    {SDL_CONTROLLER_BUTTON_BACK, kVirtualKeyPadBack},
    {SDL_CONTROLLER_BUTTON_DPAD_UP, kVirtualKeyPadDpadUp},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, kVirtualKeyPadDpadDown},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, kVirtualKeyPadDpadLeft},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, kVirtualKeyPadDpadRight},
};

}  // namespace

KeyEvent KeyboardKey(const SDL_Keysym& key) {
  KeyEvent event;
  for (const KeyMeaning& m : kKeyMeanings)
    if (m.key == key.sym) event.virtualKey = m.virtualKey;
  event.scanCode = PcScanCode(key.scancode);
  event.modifier = (key.scancode >= SDL_SCANCODE_LCTRL && key.scancode <= SDL_SCANCODE_RGUI) ||
                   key.scancode == SDL_SCANCODE_MODE;
  return event;
}

KeyEvent PadKey(uint8_t button) {
  KeyEvent event;
  for (const PadMeaning& m : kPadMeanings)
    if (m.button == button) event.virtualKey = m.virtualKey;
  event.padButton = button;
  return event;
}

int StickDirection(int value) {
  constexpr int kHalfWay = 16384;
  return value < -kHalfWay ? -1 : value > kHalfWay ? 1 : 0;
}

SdlApplication::SdlApplication(std::string iconFile) : iconFile_(std::move(iconFile)) {
  // Our own handlers, so SIGHUP closes too and a close on a signal is known
  // (SDL's would only queue SDL_QUIT for SIGINT and SIGTERM).
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  CatchCloseSignals();
  TimeStage("video", [] {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
      throw std::runtime_error(std::string("SDL_Init: ") + SDL_GetError());
  });
  // Without a display SDL falls back to drivers that show nothing: the game
  // would run unseen.
  const char* current = SDL_GetCurrentVideoDriver();
  const std::string driver = current ? current : "";
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  const bool chosen = asked && std::string(asked).find(driver) != std::string::npos;
  if ((driver == "offscreen" || driver == "dummy") && !chosen) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    throw std::runtime_error("there is no display to show the game on (neither DISPLAY nor WAYLAND_DISPLAY is set)");
  }
}

SdlApplication::~SdlApplication() {
  window_.reset();
  SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

// The desktop shows the application's title where it names the program
// (the sound mixer's list of programs).
void SdlApplication::SetTitle(const std::string& cp932Title) {
  SDL_SetHint(SDL_HINT_APP_NAME, Cp932ToUtf8(cp932Title).c_str());
}

Window& SdlApplication::CreateMainWindow(const std::string& cp932Caption, int width, int height) {
  window_ = std::make_unique<SdlWindow>(cp932Caption, width, height);
  // SDL starts with text input on where no screen keyboard shows; play
  // wants the keys themselves.
  SDL_StopTextInput();
  window_->SetPreferredFullScreen(preferredFullScreen_);
  if (!iconFile_.empty()) window_->SetIcon(iconFile_);
  return *window_;
}

void SdlApplication::SetTextInput(bool on) {
  if (on) SDL_StartTextInput();
  else SDL_StopTextInput();
}

void SdlApplication::SetFullScreen(bool fullScreen) {
  preferredFullScreen_ = fullScreen;
  if (!window_) return;
  window_->SetPreferredFullScreen(fullScreen);
  window_->SetFullScreen(fullScreen);
}

template <class F>
void SdlApplication::Guarded(F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    ShowException(e.what());
  }
}

void SdlApplication::Deliver(const std::function<void(const KeyEvent&)>& handler, const KeyEvent& key) {
  if (handler) Guarded([&] { handler(key); });
}

void SdlApplication::StickMoved(int axis, int value) {
  constexpr int kKeys[2][2] = {{kVirtualKeyStickLeft, kVirtualKeyStickRight},
                               {kVirtualKeyStickUp, kVirtualKeyStickDown}};
  const int now = StickDirection(value);
  const int was = stick_[axis];
  if (now == was) return;
  stick_[axis] = now;
  if (was != 0) Deliver(keyUp_, {kKeys[axis][was > 0]});
  if (now != 0) Deliver(keyDown_, {kKeys[axis][now > 0]});
}

void SdlApplication::HandleEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_QUIT:
      RequestClose();
      break;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST && deactivate_) Guarded(deactivate_);
      // Uncovered: what was drawn there is gone where nothing keeps it.
      if (event.window.event == SDL_WINDOWEVENT_EXPOSED && window_) window_->LosePicture();
      break;
    // A pad that loses its connection leaves the player without controls.
    case SDL_JOYDEVICEREMOVED:
      if (deactivate_) Guarded(deactivate_);
      break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
      Deliver(event.type == SDL_CONTROLLERBUTTONDOWN ? keyDown_ : keyUp_, PadKey(event.cbutton.button));
      break;
    case SDL_CONTROLLERAXISMOTION:
      if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX || event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY)
        StickMoved(event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY, event.caxis.value);
      break;
    case SDL_TEXTINPUT:
      if (text_) Guarded([&] { text_(event.text.text); });
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      // Menus count their own repeats, in frames.
      if (event.key.repeat) break;
      const SDL_Keysym& key = event.key.keysym;
      const bool down = event.type == SDL_KEYDOWN;
      if ((key.sym == SDLK_RETURN || key.sym == SDLK_KP_ENTER) && (key.mod & KMOD_ALT)) {
        if (window_ && down) {
          SetFullScreen(!window_->FullScreen());
          Deliver(keyDown_, {kVirtualKeyFullScreen});
        }
        break;
      }
      KeyEvent heard = KeyboardKey(key);
      // SDL lets every key go as the focus leaves (before it says the
      // focus went); the player may hold on.
      heard.byFocusLoss = !down && !SDL_GetKeyboardFocus();
      Deliver(down ? keyDown_ : keyUp_, heard);
      break;
    }
    default:
      break;
  }
}

void SdlApplication::RequestClose() {
  if (close_) Guarded(close_);
  else terminated_ = true;
}

void SdlApplication::Run() {
  SDL_Event event;
  while (!terminated_) {
    if (TakeCloseSignal()) RequestClose();
    if (terminated_) break;
    DispatchPostedMessages();
    bool any = false;
    while (!terminated_ && SDL_PollEvent(&event)) {
      any = true;
      HandleEvent(event);
    }
    if (terminated_) break;
    if (any) continue;
    bool done = true;
    if (idle_) {
      try {
        done = idle_();
      } catch (const std::exception& e) {
        ShowException(e.what());
        done = false;
      }
    }
    if (done && SDL_WaitEventTimeout(&event, 10)) HandleEvent(event);
  }
}

void SdlApplication::ShowMessage(const std::string& cp932Text) {
  const std::string english = explain_ ? explain_(cp932Text) : std::string();
  PrintMessage(cp932Text, english);
  if (window_ && !ClosingOnSignal()) MessageScreen(*window_).Show(Cp932ToUtf8(cp932Text), english);
}

void SdlApplication::ShowPlainMessage(const std::string& utf8Text) {
  std::fprintf(stderr, "%s\n", utf8Text.c_str());
  if (window_ && !ClosingOnSignal()) MessageScreen(*window_).Show(utf8Text, std::string());
}

void SdlApplication::ShowException(const std::string& cp932Text) {
  // A failure that comes back frame after frame is reported once.
  if (shownExceptions_.insert(cp932Text).second) ShowMessage(cp932Text);
}

}  // namespace platform::sdl
