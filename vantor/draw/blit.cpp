// The drawing operations: Draw, WindDraw, EffectDraw, ZoomDraw, RotZoomDraw,
// DirectDraw and TextOutA, all onto the back surface.
#include <algorithm>
#include <optional>

#include "platform/display.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "vantor/draw/draw.h"
#include "vantor/system/frame.h"

namespace VantorDrawSystem {

using platform::SurfaceResult;
using VantorSystem::EVnDraw;
using VantorSystem::RunMethod;

namespace {

// A lock that is given back on every way out of the operation.
class SurfaceLock {
 public:
  SurfaceLock(platform::Surface& surface, const platform::Rect* area)
      : surface_(surface), result_(surface.Lock(area, memory_)) {}
  ~SurfaceLock() {
    if (result_ == SurfaceResult::Ok) surface_.Unlock();
  }
  SurfaceLock(const SurfaceLock&) = delete;
  SurfaceLock& operator=(const SurfaceLock&) = delete;

  SurfaceResult Result() const { return result_; }
  const platform::PixelMemory& Memory() const { return memory_; }

 private:
  platform::Surface& surface_;
  platform::PixelMemory memory_;
  SurfaceResult result_;
};

AnsiString SpriteName(const AnsiString& name) { return VN_TEXT("\nスプライト名：") + name; }

[[noreturn]] void DrawFailed(const AnsiString& name) {
  throw EVnDraw(VN_TEXT("スプライトの描画に失敗しました。") + SpriteName(name));
}

}  // namespace

TVantorDrawSurface& TVantorDraw::FindPicture(const AnsiString& name) {
  auto found = FSurfaces->find(name);
  if (found == FSurfaces->end() || !found->second->PixelSurface())
    throw EVnDraw(VN_TEXT("サーフェイスが存在しません。") + SpriteName(name));
  return *found->second;
}

void TVantorDraw::CellRect(const TVantorDrawSurface& picture, const AnsiString& name, int pattern, int& left,
                           int& top) const {
  const TVantorDrawSurfaceInfo& info = picture.Info();
  // A negative pattern would address cells above and left of the sheet.
  if (pattern < 0 || pattern >= info.CellCount)
    throw EVnDraw(VN_TEXT("スプライトが存在しません。") + SpriteName(name));
  left = (pattern % info.CellsPerLine) * info.CellWidth;
  top = (pattern / info.CellsPerLine) * info.CellHeight;
}

void TVantorDraw::Draw(int x, int y, const AnsiString& name, int pattern, TBlendEffect effect, int level) {
  RunMethod("TVantorDraw::Draw", [&] {
    RequireInitialized();
    TVantorDrawSurface& picture = FindPicture(name);
    int sx, sy;
    CellRect(picture, name, pattern, sx, sy);
    if (FDiscarding) return;
    DrawArea(x, y, picture, name, sx, sy, picture.Info().CellWidth, picture.Info().CellHeight, effect, level);
  });
}

void TVantorDraw::DrawArea(int x, int y, TVantorDrawSurface& picture, const AnsiString& name, int sx, int sy,
                           int cw, int ch, TBlendEffect effect, int level) {
  // Widened so that positions near the ends of int cannot overflow.
  if (int64_t(x) + cw < 1 || x >= FWidth || int64_t(y) + ch < 1 || y >= FHeight) return;
  platform::Rect from{sx + std::max(0, -x), sy + std::max(0, -y), sx + std::min(cw, FWidth - x),
                      sy + std::min(ch, FHeight - y)};
  int dx = std::max(0, x), dy = std::max(0, y);
  platform::Surface& source = *picture.PixelSurface();

  // Values outside the effect type have no kernel and copy like effect 0.
  TVantorDrawKernel kernel =
      effect <= beColorMul ? FBlendKernels[effect + (FTransparent ? KeyedBlendOffset : 0)] : nullptr;
  if (!kernel) {
    SurfaceResult result = FBackSurface->Copy(dx, dy, source, from, FTransparent);
    if (result == SurfaceResult::Lost) {
      RestoreSurface(FBackSurface.get());
      if (source.IsLost()) picture.Restore();
    } else if (result == SurfaceResult::Failed) {
      DrawFailed(name);
    }
    return;
  }

  SurfaceLock back(*FBackSurface, nullptr);
  if (back.Result() == SurfaceResult::Lost) {
    RestoreSurface(FBackSurface.get());
    return;
  }
  if (back.Result() != SurfaceResult::Ok) throw EVnDraw(VN_TEXT("バックサーフェイスのロックに失敗"));
  SurfaceLock cell(source, &from);
  if (cell.Result() == SurfaceResult::Lost) {
    picture.Restore();
    return;
  }
  if (cell.Result() != SurfaceResult::Ok)
    throw EVnDraw(VN_TEXT("スプライトのロックに敗しました。") + SpriteName(name));

  if (level == -1) level = effect == beAlpha ? 128 : 255;
  const platform::PixelMemory& b = back.Memory();
  TVantorDrawDirect direct{b.bits + dy * b.pitch + dx * FBytesPerPixel,
                           cell.Memory().bits,
                           b.pitch,
                           cell.Memory().pitch,
                           from.Width(),
                           from.Height(),
                           x,
                           y,
                           level,
                           0};
  kernel(direct);
}

void TVantorDraw::WindDraw(int x, int y, const AnsiString& name, int pattern, TBlendEffect effect, int level,
                           int amplitude) {
  RunMethod("TVantorDraw::WindDraw", [&] {
    RequireInitialized();
    TVantorDrawSurface& picture = FindPicture(name);
    int sx, sy;
    CellRect(picture, name, pattern, sx, sy);
    const int cw = picture.Info().CellWidth, ch = picture.Info().CellHeight;
    const bool rows = amplitude >= 0;
    if (FDiscarding) {
      // The wave moves on as if drawn, so the frames shown look the same.
      FWaveCounter += rows ? ch : cw;
      return;
    }
    RestoreSurface(FBackSurface.get());
    if (picture.PixelSurface()->IsLost()) picture.Restore();
    // Each slice is a one-pixel row (or column) of the cell drawn as a Draw
    // of its own, moved by the next wave table entry.
    for (int i = 0; i < (rows ? ch : cw); ++i) {
      int64_t r = FWaveTable[FWaveCounter & 255];
      ++FWaveCounter;
      int offset = int(((r * amplitude) >> 8) - (amplitude >> 1));
      RunMethod("TVantorDraw::Draw", [&] {
        if (rows) DrawArea(x + offset, y + i, picture, name, sx, sy + i, cw, 1, effect, level);
        else DrawArea(x + i, y + offset, picture, name, sx + i, sy, 1, ch, effect, level);
      });
    }
  });
}

void TVantorDraw::EffectDraw(int x, int y, TVantorEffectProc routine, const AnsiString& name, int pattern,
                             int param1, int param2) {
  RunMethod("TVantorDraw::EffectDraw", [&] {
    RequireInitialized();
    TVantorDrawSurface* picture = nullptr;
    platform::Rect cell;
    if (!name.empty()) {
      picture = &FindPicture(name);
      CellRect(*picture, name, pattern, cell.left, cell.top);
      cell.right = cell.left + picture->Info().CellWidth;
      cell.bottom = cell.top + picture->Info().CellHeight;
    }
    if (FDiscarding) return;
    SurfaceLock back(*FBackSurface, nullptr);
    if (back.Result() == SurfaceResult::Lost) {
      RestoreSurface(FBackSurface.get());
      return;
    }
    if (back.Result() != SurfaceResult::Ok) throw EVnDraw(VN_TEXT("バックサーフェイスのロックに失敗"));

    // Without a picture the routine gets the back surface alone, sized as
    // the logical picture.
    TVantorDrawDirect direct{back.Memory().bits, nullptr, back.Memory().pitch, 0, FWidth, FHeight, x, y, param1,
                             param2};
    std::optional<SurfaceLock> source;
    if (picture) {
      source.emplace(*picture->PixelSurface(), &cell);
      if (source->Result() == SurfaceResult::Lost) {
        picture->Restore();
        return;
      }
      if (source->Result() != SurfaceResult::Ok)
        throw EVnDraw(VN_TEXT("スプライトのロックに敗しました。") + SpriteName(name));
      direct.Src = source->Memory().bits;
      direct.SrcPitch = source->Memory().pitch;
      direct.Width = cell.Width();
      direct.Height = cell.Height();
    }
    if (routine) routine(direct);
  });
}

void TVantorDraw::ZoomDraw(int x, int y, int zoomX, int zoomY, const AnsiString& name, int pattern) {
  RunMethod("TVantorDraw::ZoomDraw", [&] {
    RequireInitialized();
    TVantorDrawSurface& picture = FindPicture(name);
    int sx, sy;
    CellRect(picture, name, pattern, sx, sy);
    if (zoomX <= 0 || zoomY <= 0 || FDiscarding) return;
    const int cw = picture.Info().CellWidth, ch = picture.Info().CellHeight;
    const int64_t dw = int64_t(zoomX) * cw / 256, dh = int64_t(zoomY) * ch / 256;
    if (!(x + dw > 0 && x < FWidth && y + dh > 0 && y < FHeight)) return;

    platform::Rect to, from;
    if (x < 0) {
      to.left = 0;
      from.left = sx + int(int64_t(x) * -256 / zoomX);
    } else {
      to.left = x;
      from.left = sx;
    }
    if (y < 0) {
      to.top = 0;
      from.top = sy + int(int64_t(y) * -256 / zoomY);
    } else {
      to.top = y;
      from.top = sy;
    }
    if (x + dw < FWidth) {
      to.right = int(x + dw);
      from.right = sx + cw;
    } else {
      to.right = FWidth;
      from.right = sx + int((int64_t(FWidth) - x) * 256 / zoomX);
    }
    if (y + dh < FHeight) {
      to.bottom = int(y + dh);
      from.bottom = sy + ch;
    } else {
      to.bottom = FHeight;
      from.bottom = sy + int((int64_t(FHeight) - y) * 256 / zoomY);
    }
    if (to.Width() <= 0 || to.Height() <= 0 || from.Width() <= 0 || from.Height() <= 0) return;

    platform::Surface& source = *picture.PixelSurface();
    SurfaceResult result = FBackSurface->Stretch(to, source, from, FTransparent);
    if (result == SurfaceResult::Lost) {
      RestoreSurface(FBackSurface.get());
      if (source.IsLost()) picture.Restore();
    } else if (result == SurfaceResult::Failed) {
      DrawFailed(name);
    }
  });
}

void TVantorDraw::RotZoomDraw(int x, int y, int angle, int zoom, const AnsiString& name, int pattern) {
  RunMethod("TVantorDraw::RotZoomDraw", [&] {
    RequireInitialized();
    if (zoom == 0) return;
    TVantorDrawSurface& picture = FindPicture(name);
    platform::Rect cell;
    CellRect(picture, name, pattern, cell.left, cell.top);
    cell.right = cell.left + picture.Info().CellWidth;
    cell.bottom = cell.top + picture.Info().CellHeight;
    if (FDiscarding) return;

    SurfaceLock back(*FBackSurface, nullptr);
    if (back.Result() == SurfaceResult::Lost) {
      RestoreSurface(FBackSurface.get());
      return;
    }
    if (back.Result() != SurfaceResult::Ok) throw EVnDraw(VN_TEXT("バックサーフェイスのロックに失敗"));
    SurfaceLock source(*picture.PixelSurface(), &cell);
    if (source.Result() == SurfaceResult::Lost) {
      picture.Restore();
      return;
    }
    if (source.Result() != SurfaceResult::Ok) throw EVnDraw(VN_TEXT("スプライトのロックに失敗"));

    TVantorDrawDirect direct{back.Memory().bits, source.Memory().bits, back.Memory().pitch,
                             source.Memory().pitch, cell.Width(), cell.Height(), x, y, angle, zoom};
    TVantorDrawKernel kernel = FTransparent ? FRotZoomKeyKernel : FRotZoomKernel;
    if (kernel) kernel(direct);
  });
}

void TVantorDraw::DirectDraw(const TRect& destination, const TRect& source, const AnsiString& name) {
  RunMethod("TVantorDraw::DirectDraw", [&] {
    RequireInitialized();
    // A name without pixels has nothing to stretch: treated as missing.
    TVantorDrawSurface& picture = FindPicture(name);
    if (FDiscarding) return;
    platform::Surface& pixels = *picture.PixelSurface();
    RestoreSurface(FBackSurface.get());
    if (pixels.IsLost()) picture.Restore();
    // The device checks both rectangles against their surfaces and refuses
    // what lies outside, so nothing outside a surface is touched.
    SurfaceResult result = FBackSurface->Stretch({destination.left, destination.top, destination.right,
                                                  destination.bottom},
                                                 pixels, {source.left, source.top, source.right, source.bottom},
                                                 FTransparent);
    if (result == SurfaceResult::Lost) {
      RestoreSurface(FBackSurface.get());
      if (pixels.IsLost()) picture.Restore();
    } else if (result == SurfaceResult::Failed) {
      DrawFailed(name);
    }
  });
}

void TVantorDraw::TextOutA(int x, int y, const AnsiString& text) {
  RunMethod("TVantorDraw::TextOutA", [&] {
    RequireInitialized();
    if (FDiscarding) return;
    SurfaceLock back(*FBackSurface, nullptr);
    if (back.Result() == SurfaceResult::Lost) {
      RestoreSurface(FBackSurface.get());
      return;
    }
    if (back.Result() != SurfaceResult::Ok) throw EVnDraw(VN_TEXT("デバイスコンテキストの取得に失敗。"));
    platform::TextRenderer* renderer = platform::Current().text;
    if (!renderer) return;
    renderer->Draw({back.Memory().bits, back.Memory().pitch, FBackSurface->Width(), FBackSurface->Height(),
                    FBackSurface->Format()},
                   x, y, text, FontSpecOf(*FFont));
  });
}

}  // namespace VantorDrawSystem
