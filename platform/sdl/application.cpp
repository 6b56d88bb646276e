#include "platform/sdl/application.h"

#include <cstdio>
#include <exception>
#include <stdexcept>

#include "platform/encoding.h"
#include "platform/signals.h"

namespace platform::sdl {

SdlApplication::SdlApplication() {
  // Our own handlers, so SIGHUP closes too and a close on a signal is known
  // (SDL's would only queue SDL_QUIT for SIGINT and SIGTERM).
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  CatchCloseSignals();
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
    throw std::runtime_error(std::string("SDL_Init: ") + SDL_GetError());
}

SdlApplication::~SdlApplication() {
  window_.reset();
  SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

void SdlApplication::SetTitle(const std::string& cp932Title) { title_ = cp932Title; }

Window& SdlApplication::CreateMainWindow(const std::string& cp932Caption, int width, int height) {
  window_ = std::make_unique<SdlWindow>(cp932Caption, width, height);
  return *window_;
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
      break;
    case SDL_CONTROLLERBUTTONDOWN:
      if (event.cbutton.button == SDL_CONTROLLER_BUTTON_START && keyDown_)
        Guarded([&] { keyDown_(kVirtualKeyPause); });
      break;
    case SDL_KEYDOWN: {
      const SDL_Keysym& key = event.key.keysym;
      if ((key.sym == SDLK_RETURN || key.sym == SDLK_KP_ENTER) && (key.mod & KMOD_ALT)) {
        if (window_ && !event.key.repeat) window_->SetFullScreen(!window_->FullScreen());
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
  std::string text = Cp932ToUtf8(cp932Text);
  std::fprintf(stderr, "%s\n", text.c_str());
  if (ClosingOnSignal()) return;
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, Cp932ToUtf8(title_).c_str(), text.c_str(),
                           window_ ? window_->Handle() : nullptr);
}

void SdlApplication::ShowException(const std::string& cp932Text) {
  std::string text = Cp932ToUtf8(cp932Text);
  std::fprintf(stderr, "%s\n", text.c_str());
  if (ClosingOnSignal()) return;
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, Cp932ToUtf8(title_).c_str(), text.c_str(),
                           window_ ? window_->Handle() : nullptr);
}

}  // namespace platform::sdl
