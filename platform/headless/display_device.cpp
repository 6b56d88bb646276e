#include "platform/headless/display_device.h"

#include <algorithm>

#include "platform/app.h"

namespace platform::headless {

HeadlessSurface::HeadlessSurface(HeadlessDisplayDevice* device, int width, int height, PixelFormat format,
                                 bool videoMemory, bool primary)
    : MemorySurface(width, height, format), device_(device), videoMemory_(videoMemory), primary_(primary) {
  device_->surfaces_.push_back(this);
}

HeadlessSurface::~HeadlessSurface() {
  if (device_) std::erase(device_->surfaces_, this);
}

SurfaceResult HeadlessSurface::Lock(const Rect* area, PixelMemory& memory) {
  if (failLocks && !lost_) return SurfaceResult::Failed;
  return MemorySurface::Lock(area, memory);
}

SurfaceResult HeadlessSurface::Restore() {
  ++restores;
  if (refuseRestore) return SurfaceResult::Failed;
  return MemorySurface::Restore();
}

template <class Operation>
SurfaceResult HeadlessSurface::Blit(Operation&& operation) {
  if (failBlits && !lost_) return SurfaceResult::Failed;
  return operation();
}

SurfaceResult HeadlessSurface::Fill(const Rect* area, uint32_t pixel) {
  return Blit([&] { return MemorySurface::Fill(area, pixel); });
}

SurfaceResult HeadlessSurface::Copy(int x, int y, Surface& source, const Rect& from, bool keyed) {
  return Blit([&] { return MemorySurface::Copy(x, y, source, from, keyed); });
}

SurfaceResult HeadlessSurface::Stretch(const Rect& to, Surface& source, const Rect& from, bool keyed) {
  return Blit([&] { return MemorySurface::Stretch(to, source, from, keyed); });
}

SurfaceResult HeadlessSurface::Transfer(const Picture& picture) {
  return Blit([&] { return MemorySurface::Transfer(picture); });
}

HeadlessDisplayDevice::HeadlessDisplayDevice(PictureReader readPicture) : readPicture_(readPicture) {}

HeadlessDisplayDevice::~HeadlessDisplayDevice() {
  // Surfaces that outlive the device no longer report to it.
  for (HeadlessSurface* s : surfaces_) s->device_ = nullptr;
}

bool HeadlessDisplayDevice::Open(Window* w, bool full, int width, int height, int bitsPerPixel) {
  if (refuseOpen) return false;
  window = w;
  fullScreen = full;
  openWidth = width;
  openHeight = height;
  openBits = bitsPerPixel;
  format_ = full ? FormatOfDepth(bitsPerPixel) : desktopFormat;
  if (window) window->SetFullScreen(full);
  open_ = true;
  return true;
}

void HeadlessDisplayDevice::Close() {
  open_ = false;
  scaler = nullptr;
}

bool HeadlessDisplayDevice::CreationFails() {
  if (failCreation < 0) return false;
  return failCreation-- == 0;
}

std::unique_ptr<Surface> HeadlessDisplayDevice::CreatePrimary() {
  if (!open_ || CreationFails()) return nullptr;
  int w = openWidth, h = openHeight;
  if (!fullScreen && window) {
    w = window->ClientWidth();
    h = window->ClientHeight();
  }
  return std::make_unique<HeadlessSurface>(this, w, h, format_, true, true);
}

std::unique_ptr<Surface> HeadlessDisplayDevice::CreateSurface(int width, int height, bool videoMemory) {
  if (!open_ || width <= 0 || height <= 0 || CreationFails()) return nullptr;
  return std::make_unique<HeadlessSurface>(this, width, height, format_, videoMemory, false);
}

SurfaceResult HeadlessDisplayDevice::Present(Surface& primary, Surface& source, const Rect& from, const Rect& to) {
  SurfaceResult result = from.Width() == to.Width() && from.Height() == to.Height()
                             ? primary.Copy(to.left, to.top, source, from, false)
                             : primary.Stretch(to, source, from, false);
  if (result != SurfaceResult::Ok) return result;
  lastFrom = from;
  lastTo = to;
  ++presents;
  // Keep the picture: the primary goes away with the draw component.
  if (!frame_ || frame_->Width() != primary.Width() || frame_->Height() != primary.Height() ||
      frame_->Format() != primary.Format())
    frame_ = std::make_unique<sdl::MemorySurface>(primary.Width(), primary.Height(), primary.Format());
  return frame_->Copy(0, 0, primary, Rect{0, 0, primary.Width(), primary.Height()}, false);
}

Frame HeadlessDisplayDevice::LastFrame() const {
  Frame out;
  if (!frame_) return out;
  out.width = frame_->Width();
  out.height = frame_->Height();
  out.rgb.resize(size_t(out.width) * out.height * 3);
  int bytes = LayoutOf(frame_->Format()).bytesPerPixel;
  uint8_t* o = out.rgb.data();
  for (int y = 0; y < out.height; ++y) {
    const uint8_t* p = frame_->Pixels() + size_t(y) * frame_->Pitch();
    for (int x = 0; x < out.width; ++x, p += bytes, o += 3) {
      uint32_t v = 0;
      for (int i = 0; i < bytes; ++i) v |= uint32_t(p[i]) << (8 * i);
      Rgb c = UnpackPixel(frame_->Format(), v);
      o[0] = c.r;
      o[1] = c.g;
      o[2] = c.b;
    }
  }
  return out;
}

bool HeadlessDisplayDevice::LoadPicture(const std::string& hostPath, Picture& picture) {
  return readPicture_ && readPicture_(hostPath, picture);
}

}  // namespace platform::headless
