#include "platform/bindings.h"

#include <algorithm>
#include <string>

namespace platform {

bool KeyBindable(uint8_t scanCode) {
  constexpr uint8_t kOwnMeaning[] = {kScanEscape, kScanReturn, kScanPadEnter, kScanPause};
  return scanCode != 0 && std::find(std::begin(kOwnMeaning), std::end(kOwnMeaning), scanCode) == std::end(kOwnMeaning);
}

bool PadBindable(Control control, PadButton button) {
  if (button <= kPadNone || button >= kPadButtonCount || control < kButton1) return false;
  const bool steers = button >= kPadDpadUp && button <= kPadDpadRight;
  return !steers && (control == kPause || button != kPadStart);
}

Bindings BindingsOf(const Settings& settings, const InputSystem& input, std::vector<SettingsProblem>& problems) {
  Bindings bindings;
  auto refuse = [&](const ButtonName& named, const std::string& why) {
    problems.push_back({named.line, why + " \"" + named.name + "\""});
  };
  for (int c = FirstControl(false); c < kControlCount; ++c) {
    const ButtonName& named = settings.keys[c];
    if (named.name.empty()) continue;
    const uint8_t key = input.KeyNamed(named.name);
    if (key == 0) refuse(named, "no key is named");
    else if (!KeyBindable(key)) refuse(named, "a control cannot take the key");
    else bindings.keys[c] = key;
  }
  for (int c = FirstControl(true); c < kControlCount; ++c) {
    const ButtonName& named = settings.padButtons[c];
    if (named.name.empty()) continue;
    const PadButton button = PadButtonNamed(named.name);
    if (button == kPadNone) refuse(named, "no pad button is named");
    else if (!PadBindable(static_cast<Control>(c), button)) refuse(named, "a control cannot take the pad button");
    else bindings.pad[c] = button;
  }
  return bindings;
}

}  // namespace platform
