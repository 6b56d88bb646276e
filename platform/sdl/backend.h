#pragma once
#include <memory>
#include <string>

namespace platform::sdl {

// Starts SDL and installs the real services into platform::Current();
// destroying the returned object uninstalls and closes them.
class Backend {
 public:
  virtual ~Backend() = default;
};

// What the desktop knows the program by: the window class names its desktop
// entry (WM_CLASS on X11, the app id on Wayland), and the icon file (PNG) is
// shown on the window. Empty fields keep SDL's defaults.
struct Identity {
  std::string windowClass;
  std::string iconFile;
};

// Throws when there is no display. `fullScreen`: the player's choice between
// full screen and a window, known before the window shows.
std::unique_ptr<Backend> Start(const Identity& identity, bool fullScreen = true);

}  // namespace platform::sdl
