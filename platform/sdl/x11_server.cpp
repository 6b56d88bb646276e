#include "platform/sdl/x11_server.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>

#include <algorithm>
#include <type_traits>
#include <vector>

namespace platform::sdl {
namespace {

// The few Xlib functions asked for, from the library SDL has loaded; it
// stays loaded as long as SDL does, so it is never unloaded here.
struct Xlib {
  decltype(&XQueryExtension) queryExtension = nullptr;
  decltype(&XInternAtom) internAtom = nullptr;
  decltype(&XGetWindowProperty) getWindowProperty = nullptr;
  decltype(&XFree) freeData = nullptr;
  decltype(&XGetGeometry) getGeometry = nullptr;
  decltype(&XMoveResizeWindow) moveResizeWindow = nullptr;
  decltype(&XSync) sync = nullptr;
  decltype(&XSetErrorHandler) setErrorHandler = nullptr;
  bool loaded = false;
};

const Xlib& X() {
  static const Xlib xlib = [] {
    Xlib x;
    void* library = SDL_LoadObject("libX11.so.6");
    if (!library) return x;
    auto load = [library](auto& function, const char* name) {
      function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(SDL_LoadFunction(library, name));
      return function != nullptr;
    };
    x.loaded = load(x.queryExtension, "XQueryExtension") & load(x.internAtom, "XInternAtom") &
               load(x.getWindowProperty, "XGetWindowProperty") & load(x.freeData, "XFree") &
               load(x.getGeometry, "XGetGeometry") & load(x.moveResizeWindow, "XMoveResizeWindow") &
               load(x.sync, "XSync") & load(x.setErrorHandler, "XSetErrorHandler");
    return x;
  }();
  return xlib;
}

struct XWindow {
  Display* display;
  Window window;
};

bool OnX(SDL_Window* window, XWindow& x) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11 || !X().loaded)
    return false;
  x = {info.info.x11.display, info.info.x11.window};
  return true;
}

// The 32-bit values of a window's property (empty when it has none, or when
// the window is gone: that error is not the program's end here).
std::vector<long> Property(Display* display, Window window, const char* property, Atom type) {
  std::vector<long> values;
  const Atom name = X().internAtom(display, property, True);
  if (name == None) return values;
  Atom actualType;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  auto* before = X().setErrorHandler([](Display*, XErrorEvent*) { return 0; });
  if (X().getWindowProperty(display, window, name, 0, 4096, False, type, &actualType, &format, &count, &after,
                            &data) == Success &&
      data && actualType == type && format == 32) {
    const auto* longs = reinterpret_cast<const long*>(data);
    values.assign(longs, longs + count);
  }
  X().setErrorHandler(before);
  if (data) X().freeData(data);
  return values;
}

// A manager that follows the desktop conventions names a window of its own
// on the root window, which names itself the same way (one that ended
// without tidying up leaves a name of a window that is gone), and lists full
// screen among what it does.
bool ManagerDoesFullScreen(Display* display, Window root) {
  const std::vector<long> check = Property(display, root, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
  if (check.size() != 1 || Property(display, Window(check[0]), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW) != check)
    return false;
  const long fullScreen = long(X().internAtom(display, "_NET_WM_STATE_FULLSCREEN", True));
  const std::vector<long> supported = Property(display, root, "_NET_SUPPORTED", XA_ATOM);
  return fullScreen != None && std::find(supported.begin(), supported.end(), fullScreen) != supported.end();
}

}  // namespace

bool XServerWithoutDirectRendering(SDL_Window* window) {
  XWindow x;
  if (!OnX(window, x)) return false;
  bool direct = false;
  for (const char* extension : {"DRI3", "DRI2", "NV-GLX"}) {
    int opcode, event, error;
    direct = direct || X().queryExtension(x.display, extension, &opcode, &event, &error);
  }
  return !direct;
}

bool CoverDisplayWithoutManager(SDL_Window* window) {
  XWindow x;
  Window root;
  int left, top;
  unsigned width, height, border, depth;
  if (!OnX(window, x) || !X().getGeometry(x.display, x.window, &root, &left, &top, &width, &height, &border, &depth) ||
      ManagerDoesFullScreen(x.display, root))
    return false;
  SDL_Rect bounds;
  if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(window)), &bounds) != 0) return false;
  X().moveResizeWindow(x.display, x.window, bounds.x, bounds.y, unsigned(bounds.w), unsigned(bounds.h));
  X().sync(x.display, False);
  return true;
}

bool XWindowSize(SDL_Window* window, int& width, int& height) {
  XWindow x;
  Window root;
  int left, top;
  unsigned w, h, border, depth;
  if (!OnX(window, x) || !X().getGeometry(x.display, x.window, &root, &left, &top, &w, &h, &border, &depth))
    return false;
  width = int(w);
  height = int(h);
  return true;
}

}  // namespace platform::sdl
