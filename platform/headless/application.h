#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/app.h"

namespace platform::headless {

// A window that exists only as its size and flags.
class HeadlessWindow final : public Window {
 public:
  HeadlessWindow(std::string caption, int width, int height)
      : caption_(std::move(caption)), width_(width), height_(height) {}
  void SetTitle(const std::string& cp932Title) override { caption_ = cp932Title; }
  int ClientWidth() const override { return width_; }
  int ClientHeight() const override { return height_; }
  void SetFullScreen(bool fullScreen) override { fullScreen_ = fullScreen; }
  bool FullScreen() const override { return fullScreen_; }
  void SetClientSize(int width, int height) override {
    width_ = width;
    height_ = height;
  }
  void ShowCursor(bool show) override { cursorShown_ = show; }

  const std::string& Caption() const { return caption_; }
  bool CursorShown() const { return cursorShown_; }

 private:
  std::string caption_;
  int width_, height_;
  bool fullScreen_ = false;
  bool cursorShown_ = true;
};

// The framework without a screen: the loop calls the idle handler until
// Terminate; key-downs and close requests are injected by the caller; messages
// and exceptions are recorded (and printed on stderr with their English line).
class HeadlessApplication final : public Application {
 public:
  void SetTitle(const std::string& cp932Title) override { title_ = cp932Title; }
  Window& CreateMainWindow(const std::string& cp932Caption, int width, int height) override {
    window_ = std::make_unique<HeadlessWindow>(cp932Caption, width, height);
    return *window_;
  }
  Window* MainWindow() override { return window_.get(); }
  HeadlessWindow* Headless() { return window_.get(); }

  void OnIdle(std::function<bool()> handler) override { idle_ = std::move(handler); }
  void OnKeyDown(std::function<void(const KeyEvent&)> handler) override { keyDown_ = std::move(handler); }
  void OnKeyUp(std::function<void(const KeyEvent&)> handler) override { keyUp_ = std::move(handler); }
  void OnCloseRequest(std::function<void()> handler) override { close_ = std::move(handler); }
  void OnDeactivate(std::function<void()> handler) override { deactivate_ = std::move(handler); }
  void OnExplain(std::function<std::string(const std::string&)> handler) override { explain_ = std::move(handler); }
  void OnText(std::function<void(const std::string&)> handler) override { text_ = std::move(handler); }
  void SetTextInput(bool on) override { textInput_ = on; }

  void SetFullScreen(bool fullScreen) override {
    if (window_) window_->SetFullScreen(fullScreen);
  }

  void Run() override;
  void Terminate() override { terminated_ = true; }
  bool Terminated() const override { return terminated_; }

  // One turn of the loop: a close signal (as a close request), posted
  // messages, then one idle call (exceptions go to ShowException). Returns
  // false once terminated.
  bool Step();
  void PressKey(const KeyEvent& key);
  void PressKey(int virtualKey) { PressKey(KeyEvent{virtualKey}); }
  void ReleaseKey(const KeyEvent& key);
  void RequestClose();
  // The window loses the focus.
  void Deactivate();
  // `utf8` typed, as one text event: heard only while text input is on, as
  // SDL sends text.
  void TypeText(const std::string& utf8);
  bool TextInput() const { return textInput_; }

  void ShowMessage(const std::string& cp932Text) override;
  void ShowPlainMessage(const std::string& utf8Text) override;
  void ShowException(const std::string& cp932Text) override;

  const std::string& Title() const { return title_; }
  // Every message shown, in CP932 (a plain one converted for the record).
  const std::vector<std::string>& Messages() const { return messages_; }
  const std::vector<std::string>& Exceptions() const { return exceptions_; }
  // The English line of each message and exception, in the order shown.
  const std::vector<std::string>& Explanations() const { return explanations_; }
  bool HasIdleHandler() const { return static_cast<bool>(idle_); }

 private:
  template <class F>
  void Guarded(F&& f);
  // Records the English line of a message and prints both.
  void Explain(const std::string& cp932Text);

  std::string title_;
  std::unique_ptr<HeadlessWindow> window_;
  std::function<bool()> idle_;
  std::function<void(const KeyEvent&)> keyDown_;
  std::function<void(const KeyEvent&)> keyUp_;
  std::function<void()> close_;
  std::function<void()> deactivate_;
  std::function<void(const std::string&)> text_;
  std::function<std::string(const std::string&)> explain_;
  bool terminated_ = false;
  bool textInput_ = false;
  std::vector<std::string> messages_;
  std::vector<std::string> exceptions_;
  std::vector<std::string> explanations_;
};

}  // namespace platform::headless
