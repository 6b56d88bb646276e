#pragma once
// The runner's key script. Each line holds keys over a range of frames
// (counted from 1):
//   FROM-TO KEY[+KEY...]   frames FROM to TO
//   FROM KEY[+KEY...]      frame FROM only
//   FROM- KEY[+KEY...]     frame FROM to the end
// Keys: Up Down Left Right Z X C V Escape P Enter, and the pad's PadA PadB
// PadStart PadRB (the right shoulder) PadUp PadDown PadLeft PadRight (its
// D-pad). Events, each on the first frame of its range: FocusOut (the
// window loses the focus, the system letting the keyboard's keys go),
// FocusIn (the keys held come back), PadGone (the pad is pulled out). "#"
// starts a comment.
//   FROM "TEXT"            TEXT typed on frame FROM, as one text event (the
//                          text runs to the last quote of the line, "#" and
//                          quotes included)
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace probe {

enum Key : uint32_t {
  kKeyUp = 1 << 0,
  kKeyDown = 1 << 1,
  kKeyLeft = 1 << 2,
  kKeyRight = 1 << 3,
  kKeyZ = 1 << 4,
  kKeyX = 1 << 5,
  kKeyC = 1 << 6,
  kKeyV = 1 << 7,
  kKeyEscape = 1 << 8,
  kKeyP = 1 << 9,
  kKeyEnter = 1 << 10,
  kKeyPadA = 1 << 11,
  kKeyPadB = 1 << 12,
  kKeyPadStart = 1 << 13,
  kKeyPadRightShoulder = 1 << 14,
  kKeyPadUp = 1 << 15,
  kKeyPadDown = 1 << 16,
  kKeyPadLeft = 1 << 17,
  kKeyPadRight = 1 << 18,
  kFocusOut = 1 << 19,
  kFocusIn = 1 << 20,
  kPadGone = 1 << 21,
};
constexpr uint32_t kPadKeys =
    kKeyPadA | kKeyPadB | kKeyPadStart | kKeyPadRightShoulder | kKeyPadUp | kKeyPadDown | kKeyPadLeft | kKeyPadRight;
constexpr uint32_t kEvents = kFocusOut | kFocusIn | kPadGone;
constexpr uint32_t kKeyboardKeys = ((kKeyPadRight << 1) - 1) & ~kPadKeys;

struct KeyName {
  const char* name;
  Key key;
};
extern const KeyName kKeyNames[22];

class KeyScript {
 public:
  // Reads the script; false with "line N: reason" in `error` on a bad line.
  bool Parse(std::istream& in, std::string& error);
  // The keys held on `frame`, and all the script ever holds.
  uint32_t KeysAt(int frame) const;
  uint32_t AllKeys() const;
  // The text typed on `frame` (empty: none).
  std::string TextAt(int frame) const;

 private:
  struct Typed {
    int frame;
    std::string text;
  };
  std::vector<Typed> typed_;
  struct Range {
    int from, to;  // to < 0: to the end
    uint32_t keys;
  };
  std::vector<Range> ranges_;
};

}  // namespace probe
