#include <cstdio>

#include "platform/app.h"
#include "platform/encoding.h"

namespace platform {

void PrintMessage(const std::string& cp932Text, const std::string& english) {
  std::fprintf(stderr, "%s\n", Cp932ToUtf8(cp932Text).c_str());
  if (!english.empty()) std::fprintf(stderr, "%s\n", english.c_str());
}

}  // namespace platform
