#include "vantor/system/exceptions.h"

namespace VantorSystem {

AnsiString LibraryMessage(const AnsiString& cp932Prefix, const AnsiString& detail) {
  AnsiString message;
  message.reserve(cp932Prefix.size() + 2 + detail.size());
  message += cp932Prefix;
  message += "\n\n";
  message += detail;
  return message;
}

}  // namespace VantorSystem
