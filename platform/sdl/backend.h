#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/settings.h"

namespace platform::sdl {

// Starts SDL and installs the real services into platform::Current();
// destroying the returned object uninstalls and closes them.
class Backend {
 public:
  virtual ~Backend() = default;
  // The PC scan code of the key the settings name for `control`; 0 where
  // they name none (or none that exists).
  virtual uint8_t KeyScanCode(Control control) const = 0;
};

// What the desktop knows the program by: the window class names its desktop
// entry (WM_CLASS on X11, the app id on Wayland), and the icon file (PNG) is
// shown on the window. Empty fields keep SDL's defaults.
struct Identity {
  std::string windowClass;
  std::string iconFile;
};

// Throws when there is no display. The player's settings take effect; a key
// or button they name that does not exist is one of `problems` and keeps its
// default.
std::unique_ptr<Backend> Start(const Identity& identity, const Settings& settings,
                               std::vector<SettingsProblem>& problems);

}  // namespace platform::sdl
