#pragma once
#include <memory>

namespace platform::sdl {

// Starts SDL and installs the real services into platform::Current();
// destroying the returned object uninstalls and closes them.
class Backend {
 public:
  virtual ~Backend() = default;
};

std::unique_ptr<Backend> Start();

}  // namespace platform::sdl
