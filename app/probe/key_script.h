#pragma once
// The runner's key script. Each line holds keys over a range of frames
// (counted from 1):
//   FROM-TO KEY[+KEY...]   frames FROM to TO
//   FROM KEY[+KEY...]      frame FROM only
//   FROM- KEY[+KEY...]     frame FROM to the end
// Keys: Up Down Left Right Z X C V Escape P (the pause key: one press where
// it goes down). "#" starts a comment.
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace probe {

enum Key : uint16_t {
  kKeyUp = 1 << 0,
  kKeyDown = 1 << 1,
  kKeyLeft = 1 << 2,
  kKeyRight = 1 << 3,
  kKeyZ = 1 << 4,
  kKeyX = 1 << 5,
  kKeyC = 1 << 6,
  kKeyV = 1 << 7,
  kKeyEscape = 1 << 8,
  kKeyPause = 1 << 9,
};

struct KeyName {
  const char* name;
  Key key;
};
extern const KeyName kKeyNames[10];

class KeyScript {
 public:
  // Reads the script; false with "line N: reason" in `error` on a bad line.
  bool Parse(std::istream& in, std::string& error);
  // The keys held on `frame`.
  uint16_t KeysAt(int frame) const;

 private:
  struct Range {
    int from, to;  // to < 0: to the end
    uint16_t keys;
  };
  std::vector<Range> ranges_;
};

}  // namespace probe
