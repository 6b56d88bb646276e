#pragma once
// Library texts. AnsiString is a byte string of Shift-JIS (CP932) text; the
// sources are UTF-8, so every literal the library shows or logs goes through
// VN_TEXT, which converts it once and keeps the result.
#include <string>

#include "platform/encoding.h"

using AnsiString = std::string;

#define VN_TEXT(utf8)                                                      \
  ([]() -> const AnsiString& {                                             \
    static const AnsiString converted = platform::Utf8ToCp932(utf8);       \
    return converted;                                                      \
  }())
