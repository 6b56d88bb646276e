#include "platform/sdl/application.h"

#include <cstdio>
#include <exception>
#include <stdexcept>
#include <utility>

#include "platform/encoding.h"
#include "platform/sdl/message_screen.h"
#include "platform/settings.h"
#include "platform/signals.h"
#include "platform/startup.h"

namespace platform::sdl {

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
  window_->SetPreferredFullScreen(preferredFullScreen_);
  if (!iconFile_.empty()) window_->SetIcon(iconFile_);
  return *window_;
}

void SdlApplication::SetPreferredFullScreen(bool fullScreen) {
  preferredFullScreen_ = fullScreen;
  if (window_) window_->SetPreferredFullScreen(fullScreen);
}

bool SdlApplication::SetPauseKey(const std::string& name) {
  const SDL_Keycode key = SDL_GetKeyFromName(name.c_str());
  if (key == SDLK_UNKNOWN) return false;
  pauseKey_ = key;
  return true;
}

bool SdlApplication::SetPauseButton(const std::string& name) {
  const SDL_GameControllerButton button = SDL_GameControllerGetButtonFromString(name.c_str());
  if (button == SDL_CONTROLLER_BUTTON_INVALID) return false;
  pauseButton_ = button;
  return true;
}

template <class F>
void SdlApplication::Guarded(F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    ShowException(e.what());
  }
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
    case SDL_CONTROLLERBUTTONDOWN:
      if (keyDown_)
        Guarded([&] { keyDown_(event.cbutton.button == pauseButton_ ? kVirtualKeyPause : kVirtualKeyOther); });
      break;
    case SDL_KEYDOWN: {
      const SDL_Keysym& key = event.key.keysym;
      if ((key.sym == SDLK_RETURN || key.sym == SDLK_KP_ENTER) && (key.mod & KMOD_ALT)) {
        if (window_ && !event.key.repeat) {
          window_->SetFullScreen(!window_->FullScreen());
          SetPreferredFullScreen(window_->FullScreen());
          // The next start shows what the player chose last.
          std::string error;
          if (!RememberFullScreen(window_->FullScreen(), error))
            std::fprintf(stderr, "solvara: the display mode cannot be remembered: %s\n", error.c_str());
        }
        break;
      }
      int vk = 0;
      // A held pause key pauses once, not again with every repeat.
      if (key.sym == pauseKey_ || key.sym == SDLK_PAUSE) vk = event.key.repeat ? 0 : kVirtualKeyPause;
      else if (key.sym == SDLK_ESCAPE) vk = kVirtualKeyEscape;
      else if (key.sym == SDLK_RETURN) vk = 13;
      else if (key.sym == SDLK_SPACE) vk = 32;
      else if (key.sym >= SDLK_a && key.sym <= SDLK_z) vk = 'A' + (key.sym - SDLK_a);
      else if (key.sym >= SDLK_0 && key.sym <= SDLK_9) vk = static_cast<int>(key.sym);
      // A modifier alone is half of a combination (Alt+Enter), not a key.
      else if (!event.key.repeat && !(key.scancode >= SDL_SCANCODE_LCTRL && key.scancode <= SDL_SCANCODE_RGUI) &&
               key.scancode != SDL_SCANCODE_MODE)
        vk = kVirtualKeyOther;
      if (vk && keyDown_) Guarded([&] { keyDown_(vk); });
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
