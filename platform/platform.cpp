#include "platform/platform.h"

#include "platform/random.h"

namespace platform {

Services& Current() {
  static Services services;
  return services;
}

Random& Rand() {
  static Random random;
  return random;
}

}  // namespace platform
