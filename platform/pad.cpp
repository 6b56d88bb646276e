#include "platform/pad.h"

#include <algorithm>

namespace platform {
namespace {

struct ButtonNames {
  std::string_view setting;
  std::string_view xbox, playStation, nintendo;
};
constexpr ButtonNames kButtons[kPadButtonCount] = {
    {"a", "A", "Cross", "A"},
    {"b", "B", "Circle", "B"},
    {"x", "X", "Square", "X"},
    {"y", "Y", "Triangle", "Y"},
    {"back", "Back", "Share", "-"},
    {"guide", "Guide", "PS", "Home"},
    {"start", "Start", "Options", "+"},
    {"leftstick", "LS", "L3", "LS"},
    {"rightstick", "RS", "R3", "RS"},
    {"leftshoulder", "LB", "L1", "L"},
    {"rightshoulder", "RB", "R1", "R"},
    {"dpup", "D-pad up", "D-pad up", "D-pad up"},
    {"dpdown", "D-pad down", "D-pad down", "D-pad down"},
    {"dpleft", "D-pad left", "D-pad left", "D-pad left"},
    {"dpright", "D-pad right", "D-pad right", "D-pad right"},
    {"misc1", "Share", "Mute", "Capture"},
    {"paddle1", "P1", "P1", "P1"},
    {"paddle2", "P2", "P2", "P2"},
    {"paddle3", "P3", "P3", "P3"},
    {"paddle4", "P4", "P4", "P4"},
    {"touchpad", "Touchpad", "Touchpad", "Touchpad"},
};

constexpr PadRecordOrder kUsualOrder = {
    kPadA,     kPadB,         kPadX,          kPadY, kPadLeftShoulder, kPadRightShoulder,
    kPadBack,  kPadStart,     kPadLeftStick,  kPadRightStick, kPadGuide,
};

bool Valid(PadButton button) { return button >= 0 && button < kPadButtonCount; }

}  // namespace

std::string_view PadButtonName(PadButton button) { return Valid(button) ? kButtons[button].setting : ""; }

PadButton PadButtonNamed(std::string_view name) {
  for (int b = 0; b < kPadButtonCount; ++b)
    if (kButtons[b].setting == name) return static_cast<PadButton>(b);
  return kPadNone;
}

std::string_view PadButtonLabel(PadFamily family, PadButton button) {
  if (!Valid(button)) return "";
  const ButtonNames& names = kButtons[button];
  switch (family) {
    case PadFamily::PlayStation: return names.playStation;
    case PadFamily::Nintendo: return names.nintendo;
    case PadFamily::Xbox: break;
  }
  return names.xbox;
}

PadRecordOrder RecordOrder(const std::array<PadButton, 3>& first) {
  PadRecordOrder order{};
  auto next = order.begin();
  auto taken = [&](PadButton b) { return std::find(order.begin(), next, b) != next; };
  for (PadButton b : first)
    if (Valid(b) && !taken(b)) *next++ = b;
  for (PadButton b : kUsualOrder)
    if (!taken(b) && next != order.end()) *next++ = b;
  return order;
}

}  // namespace platform
