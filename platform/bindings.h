#pragma once
// The keys and pad buttons of the controls: what the settings name, turned
// into keys by their scan codes and buttons by what they are, the same way
// for every backend.
#include <array>
#include <cstdint>
#include <vector>

#include "platform/input.h"
#include "platform/pad.h"
#include "platform/settings.h"

namespace platform {

// PC scan codes of the keyboard keys the defaults name by place: the cursor
// keys, the first three letter keys of the bottom row (Z, X, C on a US
// keyboard) and P.
constexpr uint8_t kScanUp = 0xC8, kScanDown = 0xD0, kScanLeft = 0xCB, kScanRight = 0xCD;
constexpr uint8_t kScanEscape = 0x01, kScanReturn = 0x1C, kScanPadEnter = 0x9C, kScanPause = 0xC5;

struct Bindings {
  // The key of each control, by scan code.
  std::array<uint8_t, kControlCount> keys = {kScanUp, kScanDown, kScanLeft, kScanRight, 0x2C, 0x2D, 0x2E, 0x19};
  // The pad button of buttons 1-3 and pause; the pad steers with its stick
  // and D-pad, so the directions have none.
  std::array<PadButton, kControlCount> pad = {kPadNone, kPadNone, kPadNone, kPadNone,
                                              kPadA,    kPadB,    kPadX,    kPadStart};

  // The buttons that count as buttons 1-3 of the joystick record.
  std::array<PadButton, 3> PadButtons() const { return {pad[kButton1], pad[kButton2], pad[kButton3]}; }
  bool operator==(const Bindings&) const = default;
};

// The first control of a table of bindings: the pad names no direction.
constexpr Control FirstControl(bool pad) { return pad ? kButton1 : kUp; }

// Whether a key or pad button may be given to `control`. Escape, Enter and
// the Pause key keep their own meaning; the pad's Start always pauses and
// its D-pad steers, so neither can be one of buttons 1-3.
bool KeyBindable(uint8_t scanCode);
bool PadBindable(Control control, PadButton button);

// The bindings the settings name, keys found by `input` by the name printed
// on them. A name no key or button has, or one that cannot be given to its
// control, is one of `problems` and keeps its default.
Bindings BindingsOf(const Settings& settings, const InputSystem& input, std::vector<SettingsProblem>& problems);

}  // namespace platform
