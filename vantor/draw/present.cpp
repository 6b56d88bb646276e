// Presentation: Update, UpdateEx, UpdateTmp, Clear, the display's refresh
// (RefreshRate, SetVSync, WaitVSync) and the picture's scaling.
#include <algorithm>

#include "platform/app.h"
#include "platform/display.h"
#include "vantor/draw/draw.h"
#include "vantor/system/frame.h"

namespace VantorDrawSystem {

using platform::SurfaceResult;
using VantorSystem::EVnDraw;
using VantorSystem::RunMethod;

platform::Rect TVantorDraw::PresentTarget() const {
  if (!FFullScreen) {
    if (FWindow) return {0, 0, FWindow->ClientWidth(), FWindow->ClientHeight()};
    return {0, 0, FWidth, FHeight};
  }
  if (FDouble) {
    int cx = FDisplayWidth / 2, cy = FDisplayHeight / 2;
    return {cx - FWidth, cy - FHeight, cx + FWidth, cy + FHeight};
  }
  int x = (FDisplayWidth - FWidth) / 2, y = (FDisplayHeight - FHeight) / 2;
  return {x, y, x + FWidth, y + FHeight};
}

// Other failures of the presentation are ignored: the next frame tries again.
void TVantorDraw::Present() {
  SurfaceResult result = FDevice->Present(*FPrimary, *FFlipSurface, {0, 0, FWidth, FHeight}, PresentTarget());
  if (result == SurfaceResult::Lost) {
    RestoreSurface(FPrimary.get());
    RestoreSurface(FFlipSurface.get());
  }
}

void TVantorDraw::Update() {
  RunMethod("TVantorDraw::Update", [&] {
    RequireInitialized();
    if (FDiscarding) return;
    SurfaceResult result = FFlipSurface->Copy(0, 0, *FBackSurface, {0, 0, FWidth, FHeight}, false);
    if (result == SurfaceResult::Lost) {
      RestoreSurface(FFlipSurface.get());
      RestoreSurface(FBackSurface.get());
    } else if (result == SurfaceResult::Failed) {
      throw EVnDraw(VN_TEXT("画面の更新に失敗しました。"));
    }
    Present();
  });
}

void TVantorDraw::UpdateEx(int amount, int mode) {
  RunMethod("TVantorDraw::UpdateEx", [&] {
    RequireInitialized();
    if (FDiscarding) return;
    const platform::Rect whole{0, 0, FWidth, FHeight};
    int fill = mode & 0xFF;
    if (fill == ueFillBlack || fill == ueFillWhite) {
      uint32_t pixel = fill == ueFillBlack ? 0 : 0xFFFFFFFF;
      if (FTempSurface->Fill(nullptr, pixel) == SurfaceResult::Lost) RestoreSurface(FTempSurface.get());
    }

    int present = mode & 0xFF00;
    if (present == uePresent) {
      Update();
      return;
    }
    // Unknown modes and a blend whose locks fail show the back surface.
    platform::Surface* source = FBackSurface.get();
    bool lost = false;
    if (present == ueWave) {
      for (int y = 0; y < FHeight; ++y) {
        int64_t r = FWaveTable[FWaveCounter & 255];
        ++FWaveCounter;
        int offset = int(((r * amount) >> 8) - (amount >> 1));
        // A row moved by the whole width or more has nothing left to copy.
        if (offset <= -FWidth || offset >= FWidth) continue;
        platform::Rect from = offset < 0 ? platform::Rect{-offset, y, FWidth, y + 1}
                                         : platform::Rect{0, y, FWidth - offset, y + 1};
        SurfaceResult result = FTempSurface->Copy(std::max(offset, 0), y, *FBackSurface, from, false);
        lost = lost || result == SurfaceResult::Lost;
      }
      source = FTempSurface.get();
    } else if (present == ueBlendAlpha || present == ueBlendAdd) {
      platform::PixelMemory back, saved;
      SurfaceResult first = FBackSurface->Lock(nullptr, back);
      if (first == SurfaceResult::Ok) {
        SurfaceResult second = FTempSurface->Lock(nullptr, saved);
        if (second == SurfaceResult::Ok) {
          // A negative amount would give a level above 255, which the
          // kernels' arithmetic does not allow.
          int level = 255 - std::clamp(amount, 0, 255);
          TVantorDrawKernel kernel = FBlendKernels[present == ueBlendAlpha ? beAlpha : beAdd];
          TVantorDrawDirect direct{back.bits, saved.bits, back.pitch, saved.pitch, FWidth, FHeight, 0, 0, level, 0};
          if (kernel) kernel(direct);
          FTempSurface->Unlock();
        }
        lost = second == SurfaceResult::Lost;
        FBackSurface->Unlock();
      }
      lost = lost || first == SurfaceResult::Lost;
    }
    if (lost) {
      RestoreSurface(FBackSurface.get());
      RestoreSurface(FTempSurface.get());
    }
    if (FFlipSurface->Copy(0, 0, *source, whole, false) == SurfaceResult::Lost) {
      RestoreSurface(FFlipSurface.get());
      RestoreSurface(FTempSurface.get());
    }
    Present();
  });
}

void TVantorDraw::UpdateTmp() {
  RunMethod("TVantorDraw::UpdateTmp", [&] {
    RequireInitialized();
    if (FDiscarding) return;
    SurfaceResult result = FTempSurface->Copy(0, 0, *FBackSurface, {0, 0, FWidth, FHeight}, false);
    if (result == SurfaceResult::Lost) RestoreSurface(FTempSurface.get());
    else if (result == SurfaceResult::Failed) throw EVnDraw(VN_TEXT("テンポラリサーフェイスの更新に失敗しました。"));
  });
}

void TVantorDraw::Clear() {
  RunMethod("TVantorDraw::Clear", [&] {
    RequireInitialized();
    if (FDiscarding) return;
    SurfaceResult result = FBackSurface->Fill(nullptr, 0);
    if (result == SurfaceResult::Lost) RestoreSurface(FBackSurface.get());
    else if (result == SurfaceResult::Failed) throw EVnDraw(VN_TEXT("バックバッファの初期化に失敗しました。"));
  });
}

int TVantorDraw::RefreshRate() {
  return RunMethod("TVantorDraw::RefreshRate", [&] { return FDevice ? FDevice->RefreshRate() : 0; });
}

bool TVantorDraw::SetVSync(bool on) {
  return RunMethod("TVantorDraw::SetVSync", [&] { return FDevice && FDevice->SetVSync(on); });
}

void TVantorDraw::SetScaling(platform::Scaling scaling) {
  RunMethod("TVantorDraw::SetScaling", [&] {
    if (FDevice) FDevice->SetScaling(scaling);
  });
}

void TVantorDraw::WaitVSync() {
  RunMethod("TVantorDraw::WaitVSync", [&] {
    // Without a device there is no display to wait for.
    if (FDevice) FDevice->WaitVSync();
  });
}

}  // namespace VantorDrawSystem
