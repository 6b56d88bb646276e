#pragma once
// A game controller's buttons by what they are, the names the settings give
// them, the labels printed on them, and the order in which they fill the
// joystick record's button bytes.
#include <array>
#include <cstdint>
#include <string_view>

namespace platform {

// In SDL's order of game controller buttons.
enum PadButton : int8_t {
  kPadNone = -1,
  kPadA,
  kPadB,
  kPadX,
  kPadY,
  kPadBack,
  kPadGuide,
  kPadStart,
  kPadLeftStick,
  kPadRightStick,
  kPadLeftShoulder,
  kPadRightShoulder,
  kPadDpadUp,
  kPadDpadDown,
  kPadDpadLeft,
  kPadDpadRight,
  kPadMisc,
  kPadPaddle1,
  kPadPaddle2,
  kPadPaddle3,
  kPadPaddle4,
  kPadTouchpad,
  kPadButtonCount,
};

// The button's name in the settings ("a", "leftshoulder", as SDL names it);
// kPadNone for a name no button has.
std::string_view PadButtonName(PadButton button);
PadButton PadButtonNamed(std::string_view name);

// Whose labels a pad wears: A/B/X/Y, the PlayStation's shapes, or
// Nintendo's letters (which SDL reports by label, not by place).
enum class PadFamily : uint8_t { Xbox, PlayStation, Nintendo };
// The label printed on `button` of a pad of `family` ("A", "Cross", "+").
std::string_view PadButtonLabel(PadFamily family, PadButton button);

// The buttons that fill the joystick record's button bytes, in order: the
// three that count as buttons 1-3 first, then the others in their usual
// order (the face buttons, the shoulders, Back, Start, the stick clicks,
// Guide). A repeated or missing choice is skipped.
constexpr int kPadRecordButtons = 11;
using PadRecordOrder = std::array<PadButton, kPadRecordButtons>;
PadRecordOrder RecordOrder(const std::array<PadButton, 3>& first);

}  // namespace platform
