// Frames scaled by the draw component's kernels: the ways where no graphics
// processor draws.
#include <algorithm>

#include "platform/sdl/presenters.h"
#include "platform/sdl/x11_server.h"

namespace platform::sdl {
namespace {

constexpr uint32_t kBlack = 0xFF000000;  // opaque where the output has alpha

// The target's part of output memory.
OutputView Inside(uint8_t* pixels, int pitch, const SDL_Rect& target) {
  return {pixels + size_t(target.y) * pitch + size_t(target.x) * 4, pitch, target.w, target.h};
}

void FillBlack(uint8_t* pixels, int pitch, int width, int height) {
  for (int y = 0; y < height; ++y) std::fill_n(reinterpret_cast<uint32_t*>(pixels + size_t(y) * pitch), width, kBlack);
}

bool Contains(int width, int height, const SDL_Rect& r) {
  return r.x >= 0 && r.y >= 0 && r.w > 0 && r.h > 0 && r.x + r.w <= width && r.y + r.h <= height;
}

// The output's size and the picture's place there: when either changes,
// the bars are written again.
class Placement {
 public:
  bool Changed(int width, int height, const SDL_Rect& target) {
    const bool changed = width != width_ || height != height_ || target.x != target_.x || target.y != target_.y ||
                         target.w != target_.w || target.h != target_.h;
    width_ = width;
    height_ = height;
    target_ = target;
    return changed;
  }
  void Forget() { width_ = -1; }

 private:
  int width_ = -1, height_ = -1;
  SDL_Rect target_{};
};

std::string ScaledBy(const FrameScaler& scaler) {
  return "frames scaled by the library's kernels (" + scaler.Kernels() + ")";
}

// The window surface's pixels must be 32-bit with red, green and blue where
// the scaler writes them (X11's 24- and 32-bit visuals).
bool Fillable(const SDL_PixelFormat* f) {
  return f->BytesPerPixel == 4 && f->Rmask == 0xFF0000 && f->Gmask == 0x00FF00 && f->Bmask == 0x0000FF;
}

class WindowSurface final : public Presenter {
 public:
  WindowSurface(SdlWindow& window, FrameScaler& scaler) : window_(window), scaler_(scaler) {
    window_.SetSurfacePresentation(true);
  }
  ~WindowSurface() override { window_.SetSurfacePresentation(false); }

  // The surface is as large as SDL believes the window to be; the window
  // shows only as much of it as the X server gave the window (less while
  // a request for full screen is still unanswered).
  bool OutputSize(int& width, int& height) override {
    SDL_Surface* surface = SDL_GetWindowSurface(window_.Handle());
    if (!surface) return false;
    width = surface->w;
    height = surface->h;
    int realWidth, realHeight;
    if (XWindowSize(window_.Handle(), realWidth, realHeight)) {
      width = std::min(width, realWidth);
      height = std::min(height, realHeight);
    }
    return true;
  }

  bool Show(const FrameView& frame, const SDL_Rect& target) override {
    SDL_Surface* surface = SDL_GetWindowSurface(window_.Handle());
    if (!surface || !Fillable(surface->format) || !Contains(surface->w, surface->h, target)) return false;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return false;
    // A new surface (the window was resized) and one drawn over by someone
    // else (a message) get their bars again, as do a new size or place.
    // All three are asked (|, not ||): the placement records the new one,
    // the window forgets the loss.
    const bool whole = placed_.Changed(surface->w, surface->h, target) | (surface != surface_) |
                       window_.TakePictureLost();
    surface_ = surface;
    auto* pixels = static_cast<uint8_t*>(surface->pixels);
    if (whole) FillBlack(pixels, surface->pitch, surface->w, surface->h);
    scaler_.Scale(frame, Inside(pixels, surface->pitch, target));
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    const SDL_Rect all{0, 0, surface->w, surface->h};
    shown_ = SDL_UpdateWindowSurfaceRects(window_.Handle(), whole ? &all : &target, 1) == 0;
    return shown_;
  }

  bool ShowAgain() override { return shown_ && SDL_UpdateWindowSurface(window_.Handle()) == 0; }
  // A window surface goes out at once: the clock paces.
  bool SetVSync(bool) override { return false; }

  bool ReadScreen(Picture& picture) override {
    SDL_Surface* surface = SDL_GetWindowSurface(window_.Handle());
    if (!surface || !shown_) return false;
    picture.width = surface->w;
    picture.height = surface->h;
    picture.rgb.resize(size_t(surface->w) * surface->h * 3);
    return SDL_ConvertPixels(surface->w, surface->h, surface->format->format, surface->pixels, surface->pitch,
                             SDL_PIXELFORMAT_RGB24, picture.rgb.data(), surface->w * 3) == 0;
  }

  std::string Name() const override { return "window surface, " + ScaledBy(scaler_); }

 private:
  SdlWindow& window_;
  FrameScaler& scaler_;
  Placement placed_;
  SDL_Surface* surface_ = nullptr;
  bool shown_ = false;
};

class StreamingTexture final : public RendererPresenter {
 public:
  StreamingTexture(SDL_Renderer* renderer, FrameScaler& scaler) : RendererPresenter(renderer), scaler_(scaler) {}
  ~StreamingTexture() override {
    if (texture_) SDL_DestroyTexture(texture_);
  }

  bool Show(const FrameView& frame, const SDL_Rect& target) override {
    int width = 0, height = 0;
    if (!OutputSize(width, height) || !Contains(width, height, target) || !PrepareTexture(width, height))
      return false;
    // Only the picture's rectangle is locked and uploaded, except when the
    // bars are written too; the texture keeps the rest.
    const bool whole = placed_.Changed(width, height, target);
    const SDL_Rect all{0, 0, width, height};
    void* locked;
    int pitch;
    if (SDL_LockTexture(texture_, whole ? &all : &target, &locked, &pitch) != 0) return false;
    auto* pixels = static_cast<uint8_t*>(locked);
    if (whole) FillBlack(pixels, pitch, width, height);
    scaler_.Scale(frame, whole ? Inside(pixels, pitch, target) : OutputView{pixels, pitch, target.w, target.h});
    SDL_UnlockTexture(texture_);
    shown_ = true;
    Draw();
    return true;
  }

  std::string Name() const override {
    return RendererName(renderer_) + ", " + ScaledBy(scaler_) + " into a streaming texture";
  }

 private:
  bool PrepareTexture(int width, int height) {
    if (texture_ && width == textureWidth_ && height == textureHeight_) return true;
    if (texture_) SDL_DestroyTexture(texture_);
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width, height);
    placed_.Forget();
    shown_ = false;
    if (!texture_) return false;
    SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
    textureWidth_ = width;
    textureHeight_ = height;
    return true;
  }

  // The texture covers the output 1:1; with vertical sync the present waits.
  void Draw() override {
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
  }

  FrameScaler& scaler_;
  SDL_Texture* texture_ = nullptr;
  int textureWidth_ = 0, textureHeight_ = 0;
  Placement placed_;
};

}  // namespace

std::unique_ptr<Presenter> SurfacePresenter(SdlWindow& window, FrameScaler& scaler, std::string& reason) {
  // The window's own framebuffer in X shared memory, never one SDL would
  // emulate with a renderer's texture (another full-size copy). SDL reads
  // this once, at the first window surface of the program.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_Surface* surface = SDL_GetWindowSurface(window.Handle());
  if (!surface) {
    reason = std::string("the window gives no surface: ") + SDL_GetError();
    return nullptr;
  }
  if (!Fillable(surface->format)) {
    reason = std::string("the window surface is ") + SDL_GetPixelFormatName(surface->format->format);
    return nullptr;
  }
  return std::make_unique<WindowSurface>(window, scaler);
}

std::unique_ptr<Presenter> StreamingPresenter(SDL_Renderer* renderer, FrameScaler& scaler) {
  return std::make_unique<StreamingTexture>(renderer, scaler);
}

}  // namespace platform::sdl
