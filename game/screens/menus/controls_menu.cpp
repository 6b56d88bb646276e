// Controls: the key of each of the eight controls and the pad button of
// buttons 1-3 (named by what they do) and pause, changed by pressing the new
// one. A key another
// control has changes places with the old one, so no control is ever left
// without.
#include "game/form.h"
#include "game/screens/menus/menu.h"
#include "game/screens/menus/player_settings.h"
#include "platform/bindings.h"
#include "platform/input.h"
#include "platform/platform.h"

namespace game {

const char* const kControlLabels[platform::kControlCount] = {"UP",           "DOWN", "LEFT",      "RIGHT",
                                                             "TURN FORWARD", "FIRE", "TURN BACK", "PAUSE"};

namespace {

using platform::Control;
using platform::KeyEvent;
using platform::PadButton;

// An entry's arg: the control, plus kPad for its pad button.
constexpr int kPad = platform::kControlCount;

// The buttons as the settings file and the README number them, said after
// the key of what each does.
constexpr const char* kButtonNumbers[platform::kControlCount] = {"",           "",           "",           "",
                                                                 "(button 1)", "(button 2)", "(button 3)", ""};

MenuValue BindingValue(const TForm1& f, int arg) {
  const platform::Bindings& b = f.playerSettings.bindings;
  const Control control = static_cast<Control>(arg % kPad);
  return {arg >= kPad ? PadLabel(b.pad[control]) : KeyName(b.keys[control]), false, kButtonNumbers[control]};
}

void AskForKey(TForm1& f, int arg) { f.menus.StartCapture({static_cast<Control>(arg % kPad), arg >= kPad}); }

constexpr MenuEntry Key(const char* label, int arg) { return {label, AskForKey, nullptr, BindingValue, arg}; }

constexpr MenuEntry kEntries[] = {
    Key("UP", platform::kUp),
    Key("DOWN", platform::kDown),
    Key("LEFT", platform::kLeft),
    Key("RIGHT", platform::kRight),
    Key("TURN FORWARD", platform::kButton1),
    Key("FIRE", platform::kButton2),
    Key("TURN BACK", platform::kButton3),
    Key("PAUSE", platform::kPause),
    Key("PAD TURN FORWARD", kPad + platform::kButton1),
    Key("PAD FIRE", kPad + platform::kButton2),
    Key("PAD TURN BACK", kPad + platform::kButton3),
    Key("PAD PAUSE", kPad + platform::kPause),
    Action("RESET CONTROLS", [](TForm1& f, int) { ResetControls(f); }),
    Back(),
};

// A pad button for the control being asked for: refused when it steers or
// always pauses, and when the control that has it could not take the old
// one in exchange (Start to one of buttons 1-3).
void TakePadButton(TForm1& f, Control control, PadButton button) {
  Menus& menus = f.menus;
  const platform::Bindings& b = f.playerSettings.bindings;
  if (!platform::PadBindable(control, button)) {
    menus.notice = PadLabel(button) + " steers or pauses: press another button.";
    return;
  }
  for (int other = platform::FirstControl(true); other < platform::kControlCount; ++other)
    if (other != control && b.pad[other] == button &&
        !platform::PadBindable(static_cast<Control>(other), b.pad[control])) {
      menus.notice = PadLabel(button) + " is " + kControlLabels[other] + "'s, which cannot take " +
                     PadLabel(b.pad[control]) + ": press another button.";
      return;
    }
  menus.EndCapture();
  BindControl(f, control, true, button);
}

// A key for the control being asked for: one the game can name again when
// it reads the settings, and not one of those with a meaning of their own.
void TakeKey(TForm1& f, Control control, uint8_t scanCode) {
  Menus& menus = f.menus;
  const std::string name = KeyName(scanCode);
  if (name.empty() || platform::Current().input->KeyNamed(name) != scanCode) {
    menus.notice = "That key has no name the game can keep: press another key.";
    return;
  }
  if (!platform::KeyBindable(scanCode)) {
    menus.notice = name + " keeps its own meaning: press another key.";
    return;
  }
  menus.EndCapture();
  BindControl(f, control, false, scanCode);
}

}  // namespace

const MenuPage kControlsMenu = {"controls", "CONTROLS", kEntries, MenuLayout::kSettings, 84};

void CaptureKey(TForm1& f, const KeyEvent& key, bool down) {
  Capture& capture = *f.menus.Capturing();
  if (down && (key.virtualKey == platform::kVirtualKeyEscape || key.padButton == platform::kPadStart)) {
    f.menus.EndCapture();
    return;
  }
  if (capture.pad) {
    if (down && key.padButton > platform::kPadNone)
      TakePadButton(f, capture.control, static_cast<PadButton>(key.padButton));
    return;
  }
  // A modifier counts when it comes up alone: held, it may be half of a
  // combination (Alt+Enter, which comes as a key of its own).
  if (key.modifier) {
    if (down) capture.modifier = key.scanCode;
    else if (capture.modifier == key.scanCode) TakeKey(f, capture.control, key.scanCode);
    return;
  }
  if (!down) return;
  capture.modifier = 0;
  if (key.padButton == platform::kPadNone && key.scanCode != 0) TakeKey(f, capture.control, key.scanCode);
}

}  // namespace game
