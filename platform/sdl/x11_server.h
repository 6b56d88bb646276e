#pragma once
// What the game asks of the X server itself, through the Xlib SDL has
// loaded (the game links no X library of its own). For a window that is not
// on X each of these does nothing and answers false.
#include <SDL.h>

namespace platform::sdl {

// True when the window's X server offers clients no direct rendering
// (neither DRI3, DRI2 nor NVIDIA's GLX): OpenGL there is drawn by the
// processor.
bool XServerWithoutDirectRendering(SDL_Window* window);

// Full screen on X is a request to the window manager; with none that
// promises it (no manager at all, or one that knows no full screen), the
// window is moved and resized to cover its display here. True when it was.
bool CoverDisplayWithoutManager(SDL_Window* window);

// The window's size on the X server now, whatever SDL believes it to be.
bool XWindowSize(SDL_Window* window, int& width, int& height);

}  // namespace platform::sdl
