// Frames scaled by the renderer: the way where a graphics processor draws.
#include <algorithm>
#include <cstring>

#include "platform/sdl/display_surface.h"
#include "platform/sdl/presenters.h"

namespace platform::sdl {

std::string RendererName(SDL_Renderer* renderer) {
  SDL_RendererInfo info;
  return SDL_GetRendererInfo(renderer, &info) == 0 ? info.name : "(unknown renderer)";
}

bool RendererPresenter::OutputSize(int& width, int& height) {
  return SDL_GetRendererOutputSize(renderer_, &width, &height) == 0;
}

bool RendererPresenter::ShowAgain() {
  if (!shown_) return false;
  Draw();
  return true;
}

bool RendererPresenter::SetVSync(bool on) {
  SDL_RenderSetVSync(renderer_, on ? 1 : 0);
  const bool waits = on && RendererName(renderer_).rfind("opengl", 0) == 0 && SDL_GL_GetSwapInterval() != 0;
  if (on && !waits) SDL_RenderSetVSync(renderer_, 0);
  return waits;
}

bool RendererPresenter::ReadScreen(Picture& picture) {
  int w = 0, h = 0;
  if (SDL_GetRendererOutputSize(renderer_, &w, &h) != 0) return false;
  picture.width = w;
  picture.height = h;
  picture.rgb.resize(size_t(w) * h * 3);
  return SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_RGB24, picture.rgb.data(), w * 3) == 0;
}

namespace {

class RendererScaling final : public RendererPresenter {
 public:
  using RendererPresenter::RendererPresenter;
  ~RendererScaling() override {
    if (enlarged_) SDL_DestroyTexture(enlarged_);
    if (texture_) SDL_DestroyTexture(texture_);
  }

  bool Show(const FrameView& frame, const SDL_Rect& target) override {
    if (!PrepareTexture(frame.width, frame.height)) return false;
    Upload(frame);
    Compose(target);
    shown_ = true;
    Draw();
    return true;
  }

  std::string Name() const override { return RendererName(renderer_); }

 private:
  // Every format is converted here, in the one copy into a locked XRGB8888
  // texture. Measured for a 640 x 480 frame shown at 1280 x 960: the OpenGL
  // renderer has no 5-6-5 textures and SDL converts them through a staging
  // copy (15.5 ms a frame either way on llvmpipe); the software renderer
  // takes 5-6-5 but scales it at 36 ms a frame against 3.1 ms for a
  // converted XRGB8888 texture.
  bool PrepareTexture(int w, int h) {
    if (texture_ && textureWidth_ == w && textureHeight_ == h) return true;
    if (texture_) SDL_DestroyTexture(texture_);
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, w, h);
    shown_ = false;
    if (!texture_) return false;
    SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
    textureWidth_ = w;
    textureHeight_ = h;
    return true;
  }

  void Upload(const FrameView& frame) {
    void* out;
    int outPitch;
    if (SDL_LockTexture(texture_, nullptr, &out, &outPitch) != 0) return;
    for (int y = 0; y < frame.height; ++y)
      ConvertToXrgb8888(frame.format, frame.pixels + size_t(y) * frame.pitch,
                        reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(out) + size_t(y) * outPitch), frame.width);
    SDL_UnlockTexture(texture_);
  }

  // Prepares the uploaded frame for `to`. A whole multiple of the frame's
  // size is drawn with nearest neighbour; any other size is drawn with
  // nearest neighbour at the whole multiple at or above it and smoothed down
  // from there, so every source pixel keeps an even, crisp square.
  void Compose(const SDL_Rect& to) {
    const int w = textureWidth_, h = textureHeight_;
    const int factor = std::max({(to.w + w - 1) / w, (to.h + h - 1) / h, 1});
    const bool whole = to.w == factor * w && to.h == factor * h;
    drawn_ = texture_;
    target_ = to;
    if (!whole && PrepareEnlarged(factor * w, factor * h)) {
      SDL_SetRenderTarget(renderer_, enlarged_);
      SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
      SDL_SetRenderTarget(renderer_, nullptr);
      drawn_ = enlarged_;
    }
  }

  // Draws the composed frame and presents it; with vertical sync this waits
  // for the blank. Black bars only where the picture leaves some.
  void Draw() override {
    int outWidth = 0, outHeight = 0;
    SDL_GetRendererOutputSize(renderer_, &outWidth, &outHeight);
    if (target_.x > 0 || target_.y > 0 || target_.x + target_.w < outWidth || target_.y + target_.h < outHeight) {
      SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
      SDL_RenderClear(renderer_);
    }
    SDL_RenderCopy(renderer_, drawn_, nullptr, &target_);
    SDL_RenderPresent(renderer_);
  }

  // False when the renderer cannot draw into textures (the frame is then
  // drawn with nearest neighbour alone).
  bool PrepareEnlarged(int w, int h) {
    if (enlarged_ && enlargedWidth_ == w && enlargedHeight_ == h) return true;
    if (enlarged_) SDL_DestroyTexture(enlarged_);
    enlarged_ = nullptr;
    if (!SDL_RenderTargetSupported(renderer_)) return false;
    enlarged_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_TARGET, w, h);
    if (!enlarged_) return false;
    SDL_SetTextureScaleMode(enlarged_, SDL_ScaleModeLinear);
    enlargedWidth_ = w;
    enlargedHeight_ = h;
    return true;
  }

  SDL_Texture* texture_ = nullptr;
  int textureWidth_ = 0, textureHeight_ = 0;
  SDL_Texture* enlarged_ = nullptr;  // the frame at a whole multiple, smoothed down from
  int enlargedWidth_ = 0, enlargedHeight_ = 0;
  SDL_Texture* drawn_ = nullptr;     // what Draw draws: the texture or the enlarged frame
  SDL_Rect target_{};                // where
};

}  // namespace

std::unique_ptr<Presenter> TexturePresenter(SDL_Renderer* renderer) {
  return std::make_unique<RendererScaling>(renderer);
}

}  // namespace platform::sdl
