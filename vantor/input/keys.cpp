#include <array>

#include "vantor/input/input.h"

namespace VantorInputSystem {
namespace {

// From ikEscape to ikDECIMAL the code is the ordinal plus one; the keys after
// those have codes of their own, listed here in enumerator order.
constexpr std::array<uint8_t, kInputKeyCount - ikF11> kLaterCodes = {
    0x57, 0x58, 0x64, 0x65, 0x66, 0x70, 0x79, 0x7B, 0x7D, 0x8D,  // ikF11 .. ikNumPadEquals
    0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x9C, 0x9D,  // ikCircumflex .. ikRControl
    0xB3, 0xB5, 0xB7, 0xB8, 0xC5, 0xC7, 0xC8, 0xC9, 0xCB, 0xCD,  // ikNumPadComma .. ikRight
    0xCF, 0xD0, 0xD1, 0xD2, 0xD3, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF,  // ikEnd .. ikSleep
};

}  // namespace

uint8_t ScanCode(TInputKeys key) {
  // A value outside the enumeration names no key; code 0 is never held.
  if (key >= kInputKeyCount) return 0;
  if (key < ikF11) return static_cast<uint8_t>(key + 1);
  return kLaterCodes[key - ikF11];
}

bool KeyOfScanCode(uint8_t code, TInputKeys& key) {
  if (code == 0) return false;
  for (int k = 0; k < kInputKeyCount; ++k)
    if (ScanCode(static_cast<TInputKeys>(k)) == code) {
      key = static_cast<TInputKeys>(k);
      return true;
    }
  return false;
}

}  // namespace VantorInputSystem
