#include "platform/sdl/window.h"

#include <SDL_image.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "platform/encoding.h"
#include "platform/sdl/x11_server.h"

namespace platform::sdl {

namespace {

int WholeMultipleThatFits(int width, int height) {
  SDL_Rect usable;
  if (width <= 0 || height <= 0 || SDL_GetDisplayUsableBounds(0, &usable) != 0) return 1;
  return std::max(1, std::min(usable.w / width, usable.h / height));
}

}  // namespace

SdlWindow::SdlWindow(const std::string& cp932Caption, int width, int height) {
  const int multiple = WholeMultipleThatFits(width, height);
  windowedWidth_ = width * multiple;
  windowedHeight_ = height * multiple;
  window_ = SDL_CreateWindow(Cp932ToUtf8(cp932Caption).c_str(), SDL_WINDOWPOS_CENTERED,
                             SDL_WINDOWPOS_CENTERED, windowedWidth_, windowedHeight_,
                             // A high-density output gets a drawable of its own pixels,
                             // so the picture is scaled once, crisply, to it.
                             SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
  if (!window_) throw std::runtime_error(std::string("SDL_CreateWindow: ") + SDL_GetError());
}

SdlWindow::~SdlWindow() { SDL_DestroyWindow(window_); }

void SdlWindow::SetTitle(const std::string& cp932Title) {
  SDL_SetWindowTitle(window_, Cp932ToUtf8(cp932Title).c_str());
}

int SdlWindow::ClientWidth() const {
  int w = 0, h = 0;
  SDL_GetWindowSize(window_, &w, &h);
  return w;
}

int SdlWindow::ClientHeight() const {
  int w = 0, h = 0;
  SDL_GetWindowSize(window_, &w, &h);
  return h;
}

void SdlWindow::SetFullScreen(bool fullScreen) {
  if (fullScreen == fullScreen_) return;
  fullScreen_ = fullScreen;
  SDL_SetWindowFullscreen(window_, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  // A hidden window is covered once shown.
  if (fullScreen && (SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN)) CoverDisplayWithoutManager(window_);
  if (!fullScreen) {
    SDL_SetWindowSize(window_, windowedWidth_, windowedHeight_);
    SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  }
}

void SdlWindow::SetClientSize(int width, int height) {
  windowedWidth_ = width;
  windowedHeight_ = height;
  if (!fullScreen_) SDL_SetWindowSize(window_, width, height);
}

void SdlWindow::SetIcon(const std::string& pngFile) {
  SDL_Surface* icon = IMG_Load(pngFile.c_str());
  if (!icon) {
    std::fprintf(stderr, "window icon: cannot read %s (%s)\n", pngFile.c_str(), IMG_GetError());
    return;
  }
  SDL_SetWindowIcon(window_, icon);
  SDL_FreeSurface(icon);
}

void SdlWindow::ShowCursor(bool show) { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }

void SdlWindow::Show() {
  if (SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN) return;
  SDL_ShowWindow(window_);
  if (fullScreen_) CoverDisplayWithoutManager(window_);
}

}  // namespace platform::sdl
