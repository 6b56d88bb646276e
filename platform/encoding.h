#pragma once
// Shift-JIS (code page 932) <-> UTF-8. The library keeps every text as CP932
// bytes; conversion to UTF-8 happens only at the platform edge.
#include <string>
#include <string_view>

namespace platform {

std::string Utf8ToCp932(std::string_view utf8);
std::string Cp932ToUtf8(std::string_view cp932);

// Whether `c` starts a two-byte CP932 character.
constexpr bool IsCp932LeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

}  // namespace platform
