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
  if (idle_ && !terminated_) {
    try {
      idle_();
    } catch (const std::exception& e) {
      ShowException(e.what());
    }
  }
  return !terminated_;
}

void HeadlessApplication::Run() {
  while (Step()) {
  }
}

void HeadlessApplication::PressKey(int virtualKey) {
  if (!keyDown_) return;
  try {
    keyDown_(virtualKey);
  } catch (const std::exception& e) {
    ShowException(e.what());
  }
}

void HeadlessApplication::RequestClose() {
  if (!close_) {
    terminated_ = true;
    return;
  }
  try {
    close_();
  } catch (const std::exception& e) {
    ShowException(e.what());
  }
}

void HeadlessApplication::ShowMessage(const std::string& cp932Text) {
  messages_.push_back(cp932Text);
  std::fprintf(stderr, "%s\n", Cp932ToUtf8(cp932Text).c_str());
}

void HeadlessApplication::ShowException(const std::string& cp932Text) {
  exceptions_.push_back(cp932Text);
  std::fprintf(stderr, "%s\n", Cp932ToUtf8(cp932Text).c_str());
}

}  // namespace platform::headless
