#pragma once
#include <memory>

#include "platform/app.h"
#include "platform/sdl/window.h"

namespace platform::sdl {

class SdlApplication final : public Application {
 public:
  SdlApplication();
  ~SdlApplication() override;

  void SetTitle(const std::string& cp932Title) override;
  Window& CreateMainWindow(const std::string& cp932Caption, int width, int height) override;
  Window* MainWindow() override { return window_.get(); }
  SdlWindow* Sdl() { return window_.get(); }

  void OnIdle(std::function<bool()> handler) override { idle_ = std::move(handler); }
  void OnKeyDown(std::function<void(int)> handler) override { keyDown_ = std::move(handler); }
  void OnCloseRequest(std::function<void()> handler) override { close_ = std::move(handler); }
  void OnDeactivate(std::function<void()> handler) override { deactivate_ = std::move(handler); }

  void Run() override;
  void Terminate() override { terminated_ = true; }
  bool Terminated() const override { return terminated_; }

  void ShowMessage(const std::string& cp932Text) override;
  void ShowException(const std::string& cp932Text) override;

 private:
  void HandleEvent(const SDL_Event& event);
  // The window's close button or a close signal.
  void RequestClose();
  template <class F>
  void Guarded(F&& f);

  std::string title_;
  std::unique_ptr<SdlWindow> window_;
  std::function<bool()> idle_;
  std::function<void(int)> keyDown_;
  std::function<void()> close_;
  std::function<void()> deactivate_;
  // The keys (by the label on them) that pause, besides the Pause key.
  SDL_Keycode pauseKey_ = SDLK_p;
  bool terminated_ = false;
};

}  // namespace platform::sdl
