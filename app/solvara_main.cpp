#include "platform/sdl/backend.h"

int main() {
  auto backend = platform::sdl::Start();
  return 0;
}
