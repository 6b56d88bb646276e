#pragma once
#include <memory>
#include <set>

#include "platform/app.h"
#include "platform/sdl/window.h"

namespace platform::sdl {

// What the form's key handlers are told of an SDL key and of a game
// controller's button.
KeyEvent KeyboardKey(const SDL_Keysym& key);
KeyEvent PadKey(uint8_t button);
// A stick axis's position (-32768 .. 32767) as a direction: -1, 0 or 1
// past half way.
int StickDirection(int value);

class SdlApplication final : public Application {
 public:
  // Throws when there is no display: SDL found none but its offscreen or
  // dummy driver, and SDL_VIDEODRIVER did not ask for that one.
  // `iconFile`: the PNG shown on the main window (none when empty).
  explicit SdlApplication(std::string iconFile = {});
  ~SdlApplication() override;

  void SetTitle(const std::string& cp932Title) override;
  Window& CreateMainWindow(const std::string& cp932Caption, int width, int height) override;
  Window* MainWindow() override { return window_.get(); }
  SdlWindow* Sdl() { return window_.get(); }
  // Full screen or a window for the main window (made or to be made).
  void SetFullScreen(bool fullScreen) override;

  void OnIdle(std::function<bool()> handler) override { idle_ = std::move(handler); }
  void OnKeyDown(std::function<void(const KeyEvent&)> handler) override { keyDown_ = std::move(handler); }
  void OnKeyUp(std::function<void(const KeyEvent&)> handler) override { keyUp_ = std::move(handler); }
  void OnCloseRequest(std::function<void()> handler) override { close_ = std::move(handler); }
  void OnDeactivate(std::function<void()> handler) override { deactivate_ = std::move(handler); }
  void OnExplain(std::function<std::string(const std::string&)> handler) override { explain_ = std::move(handler); }
  void OnText(std::function<void(const std::string&)> handler) override { text_ = std::move(handler); }
  void SetTextInput(bool on) override;

  void Run() override;
  void Terminate() override { terminated_ = true; }
  bool Terminated() const override { return terminated_; }

  // Both show the text in the window until the player goes on. An
  // exception whose text was shown before is not shown again.
  void ShowMessage(const std::string& cp932Text) override;
  void ShowPlainMessage(const std::string& utf8Text) override;
  void ShowException(const std::string& cp932Text) override;

 private:
  void HandleEvent(const SDL_Event& event);
  void Deliver(const std::function<void(const KeyEvent&)>& handler, const KeyEvent& key);
  // The left stick's axis `axis` (0: x, 1: y) at `value`: a push past half
  // way goes down as a key, its return up.
  void StickMoved(int axis, int value);
  // The window's close button or a close signal.
  void RequestClose();
  template <class F>
  void Guarded(F&& f);

  std::string iconFile_;
  std::unique_ptr<SdlWindow> window_;
  std::function<bool()> idle_;
  std::function<void(const KeyEvent&)> keyDown_;
  std::function<void(const KeyEvent&)> keyUp_;
  std::function<void()> close_;
  std::function<void()> deactivate_;
  std::function<void(const std::string&)> text_;
  std::function<std::string(const std::string&)> explain_;
  std::set<std::string> shownExceptions_;
  bool preferredFullScreen_ = true;
  int stick_[2] = {};  // the left stick's x and y: -1, 0 or 1
  bool terminated_ = false;
};

}  // namespace platform::sdl
