#include "platform/sdl/backend.h"

#include <SDL.h>

#include "platform/platform.h"
#include "platform/sdl/application.h"
#include "platform/sdl/clock.h"

namespace platform::sdl {
namespace {

class SdlBackend final : public Backend {
 public:
  SdlBackend() {
    Services& s = Current();
    s.app = &app_;
    s.clock = &clock_;
  }
  ~SdlBackend() override { Current() = Services{}; }

 private:
  SdlApplication app_;
  SteadyClock clock_;
};

}  // namespace

std::unique_ptr<Backend> Start() { return std::make_unique<SdlBackend>(); }

}  // namespace platform::sdl
