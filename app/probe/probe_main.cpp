#include "platform/headless/backend.h"

int main() {
  platform::headless::Backend backend;
  return 0;
}
