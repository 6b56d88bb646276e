#include "platform/headless/application.h"

#include <cstdio>
#include <exception>

#include "platform/encoding.h"
#include "platform/signals.h"

namespace platform::headless {

bool HeadlessApplication::Step() {
  if (!terminated_ && TakeCloseSignal()) RequestClose();
  if (terminated_) return false;
  DispatchPostedMessages();
  if (idle_ && !terminated_) Guarded(idle_);
  return !terminated_;
}

void HeadlessApplication::Run() {
  while (Step()) {
  }
}

template <class F>
void HeadlessApplication::Guarded(F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    ShowException(e.what());
  }
}

void HeadlessApplication::PressKey(const KeyEvent& key) {
  if (keyDown_) Guarded([&] { keyDown_(key); });
}

void HeadlessApplication::ReleaseKey(const KeyEvent& key) {
  if (keyUp_) Guarded([&] { keyUp_(key); });
}

void HeadlessApplication::RequestClose() {
  if (close_) Guarded(close_);
  else terminated_ = true;
}

void HeadlessApplication::Deactivate() {
  if (deactivate_) Guarded(deactivate_);
}

void HeadlessApplication::TypeText(const std::string& utf8) {
  if (textInput_ && text_) Guarded([&] { text_(utf8); });
}

void HeadlessApplication::ShowMessage(const std::string& cp932Text) {
  messages_.push_back(cp932Text);
  Explain(cp932Text);
}

void HeadlessApplication::ShowPlainMessage(const std::string& utf8Text) {
  messages_.push_back(Utf8ToCp932(utf8Text));
  explanations_.emplace_back();
  std::fprintf(stderr, "%s\n", utf8Text.c_str());
}

void HeadlessApplication::ShowException(const std::string& cp932Text) {
  exceptions_.push_back(cp932Text);
  Explain(cp932Text);
}

void HeadlessApplication::Explain(const std::string& cp932Text) {
  explanations_.push_back(explain_ ? explain_(cp932Text) : std::string());
  PrintMessage(cp932Text, explanations_.back());
}

}  // namespace platform::headless
