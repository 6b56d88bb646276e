#pragma once
// The framework's Exception (one message text) and the seven library
// exception classes. A library exception's message is the class prefix, two
// line feeds and the detail text, all in CP932.
#include <exception>

#include "vantor/system/text.h"

class Exception : public std::exception {
 public:
  explicit Exception(AnsiString message) : message_(std::move(message)) {}
  const AnsiString& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  AnsiString message_;
};

namespace VantorSystem {

// Builds "<prefix>\n\n<detail>" with the prefix converted from UTF-8 once.
AnsiString LibraryMessage(const AnsiString& cp932Prefix, const AnsiString& detail);

#define VN_DECLARE_EXCEPTION(name, prefix)                                  \
  class name : public Exception {                                           \
   public:                                                                  \
    explicit name(const AnsiString& detail)                                 \
        : Exception(LibraryMessage(VN_TEXT(prefix), detail)) {}             \
  }

VN_DECLARE_EXCEPTION(EVnDraw, "TVantorDraw(Ex) エラー");
VN_DECLARE_EXCEPTION(EVnDrawSurface, "TVantorDraw(Ex)Surface エラー");
VN_DECLARE_EXCEPTION(EVnSound, "TVantorSound エラー");
VN_DECLARE_EXCEPTION(EVnSoundBuffer, "TVantorSoundBuffer エラー");
VN_DECLARE_EXCEPTION(EVnMidi, "TVantorMidi エラー");
VN_DECLARE_EXCEPTION(EVnInput, "TVantorInput エラー");
VN_DECLARE_EXCEPTION(EVnAutoPtr, "TVantorAutoPtr エラー");

#undef VN_DECLARE_EXCEPTION

}  // namespace VantorSystem
