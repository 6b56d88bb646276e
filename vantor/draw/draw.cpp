#include "vantor/draw/draw.h"

#include <string>
#include <vector>

#include "platform/app.h"
#include "platform/display.h"
#include "platform/platform.h"
#include "platform/random.h"
#include "vantor/draw/scale.h"
#include "vantor/system/frame.h"

namespace VantorDrawSystem {

using VantorSystem::EVnDraw;
using VantorSystem::RunMethod;
using VantorSystem::VnTrace;

namespace {
constexpr int kDepthBits[] = {16, 24, 32};

// Stores a property; false when it already held the value.
template <class T>
bool Change(T& field, T value) {
  if (field == value) return false;
  field = value;
  return true;
}
}  // namespace

TVantorDraw::TVantorDraw(TComponent* owner) : TComponent(owner) {
  RunMethod("TVantorDraw::TVantorDraw", [&] {
    for (int32_t& entry : FWaveTable) entry = platform::Rand().Next() % 256;
    FSurfaces = std::make_unique<TSurfaceRegistry>();
    FFont = std::make_unique<TFont>();
    if (OwnerIsWindowed()) {
      FWindow = Owner()->WindowHandle();
      UpdateOuterSize();
    }
    FMessageWindow = std::make_unique<platform::MessageWindow>([this](platform::Message& m) { WndProc(m); });
    FScaler = std::make_unique<KernelScaler>(AcceleratedKernelSet());
  });
}

TVantorDraw::~TVantorDraw() {
  RunMethod("TVantorDraw::~TVantorDraw", [&] {
    FSurfaces->clear();
    ReleaseWorkingSurfaces();
    FPrimary.reset();
    if (FDevice) FDevice->Close();
    FDevice = nullptr;
    if (FWindow) FWindow->ShowCursor(true);
    FMessageWindow.reset();
  });
}

bool TVantorDraw::OwnerIsWindowed() const { return Owner() && Owner()->WindowHandle(); }

// Our windows have no frame of their own, so the outer size that gives a
// client area of Width x Height is that size.
void TVantorDraw::UpdateOuterSize() {
  FOuterWidth = FWidth;
  FOuterHeight = FHeight;
}

void TVantorDraw::RequireInitialized() const {
  if (!FInitialized) throw EVnDraw(VN_TEXT("まだ初期化されてません。"));
}

void TVantorDraw::WriteVideoMemoryLine() {
  if (!VantorDebugSystem::TVantorDebug::GetDebug() || !FDevice) return;
  VnTrace(VN_TEXT("TVantorDraw(Ex)::ビデオメモリ容量 Total:") + std::to_string(FDevice->TotalVideoMemory()) +
          "  Free:" + std::to_string(FDevice->FreeVideoMemory()));
}

void TVantorDraw::RestoreSurface(platform::Surface* surface) {
  if (surface && surface->IsLost()) surface->Restore();
}

void TVantorDraw::ReleaseWorkingSurfaces() {
  FTempSurface.reset();
  FBackSurface.reset();
  FFlipSurface.reset();
}

void TVantorDraw::WndProc(platform::Message& message) {
  RunMethod("TVantorDraw::WndProc", [&] {
    if (message.id != WM_DISPLAYCHANGE) {
      message.result = 0;  // the default procedure answers nothing
      return;
    }
    if (FInitialized && !FFullScreen && int(message.wparam) != FBytesPerPixel * 8) {
      VnTrace(VN_TEXT("TVantorDraw(Ex)::ディスプレイ状態の変更"));
      ResetAll();
    }
  });
}

void TVantorDraw::SetFullScreen(bool value) {
  RunMethod("TVantorDraw::SetFullScreen", [&] {
    if (Change(FFullScreen, value) && FInitialized) ResetAll();
  });
}

void TVantorDraw::SetDouble(bool value) {
  RunMethod("TVantorDraw::SetDouble", [&] {
    if (!Change(FDouble, value)) return;
    if (value) {
      if (FDisplayWidth < 2 * FWidth) FWidth = FDisplayWidth / 2;
      if (FDisplayHeight < 2 * FHeight) FHeight = FDisplayHeight / 2;
    }
    // The working surfaces must follow a size changed here, or every draw
    // would clip against one size and write into surfaces of another.
    if (FInitialized) Reset();
  });
}

void TVantorDraw::SetVideoMemory(bool value) {
  RunMethod("TVantorDraw::SetVideoMemory", [&] {
    if (Change(FVideoMemory, value) && FInitialized) Reset();
  });
}

void TVantorDraw::SetTransparent(bool value) {
  RunMethod("TVantorDraw::SetTransparent", [&] { FTransparent = value; });
}

void TVantorDraw::SetTransparentColor(TTransparentColor value) {
  RunMethod("TVantorDraw::SetTransparentColor", [&] {
    if (Change(FTransparentColor, value) && FInitialized) Reset();
  });
}

// One axis of SetWidth / SetHeight.
void TVantorDraw::SetLogicalSize(int& size, int value, int displaySize) {
  if (!Change(size, value)) return;
  if (FDouble && displaySize < 2 * value) FDouble = false;
  if (displaySize < size) size = displaySize;
  if (OwnerIsWindowed()) UpdateOuterSize();
  if (FInitialized) Reset();
}

void TVantorDraw::SetWidth(int value) {
  RunMethod("TVantorDraw::SetWidth", [&] { SetLogicalSize(FWidth, value, FDisplayWidth); });
}

void TVantorDraw::SetHeight(int value) {
  RunMethod("TVantorDraw::SetHeight", [&] { SetLogicalSize(FHeight, value, FDisplayHeight); });
}

void TVantorDraw::SetDisplayWidth(int value) {
  RunMethod("TVantorDraw::SetDisplayWidth", [&] { FDisplayWidth = value; });
}

void TVantorDraw::SetDisplayHeight(int value) {
  RunMethod("TVantorDraw::SetDisplayHeight", [&] { FDisplayHeight = value; });
}

void TVantorDraw::SetColorDepth(TColorDepth value) {
  RunMethod("TVantorDraw::SetColorDepth", [&] {
    if (Change(FColorDepth, value) && FInitialized && FFullScreen) ResetAll();
  });
}

void TVantorDraw::SetFont(const TFont* value) {
  RunMethod("TVantorDraw::SetFont", [&] {
    if (value) FFont->Assign(*value);
  });
}

void TVantorDraw::Init(platform::Window* window) {
  RunMethod("TVantorDraw::Init", [&] {
    VnTrace(VN_TEXT("TVantorDraw(Ex)::初期化開始"));
    if (window) FWindow = window;
    CleanUp();
    if (FFullScreen && FWindow) FWindow->ShowCursor(false);

    FDevice = platform::Current().display;
    if (!FDevice) {
      CleanUp();
      throw EVnDraw(VN_TEXT("COMオブジェクトの作成に失敗しました。"));
    }
    VnTrace(VN_TEXT("TVantorDraw(Ex)::COMオブジェクトの生成に成功"));
    VnTrace(VN_TEXT("TVantorDraw(Ex)::DirectDrawの初期化に成功"));

    FDevice->SetScaler(FScaler.get());
    if (!FDevice->Open(FWindow, FFullScreen, FDisplayWidth, FDisplayHeight, kDepthBits[FColorDepth])) {
      CleanUp();
      throw EVnDraw(FFullScreen ? VN_TEXT("画面の変更に失敗しました。") : VN_TEXT("協調レベルの設定に失敗しました。"));
    }

    FPrimary = FDevice->CreatePrimary();
    if (!FPrimary) {
      CleanUp();
      throw EVnDraw(VN_TEXT("プライマリサーフェイスの作成に失敗しました。"));
    }
    VnTrace(VN_TEXT("TVantorDraw(Ex)::プライマリサーフェイスの作成に成功"));
    WriteVideoMemoryLine();

    CreateBackSurface();
    CheckPixelMode();
    // Windowed presentation is confined to the window by the platform; no
    // clipper object is needed.
    if (!FFullScreen) VnTrace(VN_TEXT("TVantorDraw(Ex)::クリッパーの作成に成功"));

    FInitialized = true;
    if (VantorDebugSystem::TVantorDebug::GetDebug())
      VnTrace(VN_TEXT("TVantorDraw(Ex)::デバイス名:") + FDevice->Description());
  });
}

void TVantorDraw::CreateBackSurface() {
  RunMethod("TVantorDraw::CreateBackSurface", [&] {
    struct Step {
      std::unique_ptr<platform::Surface>* surface;
      bool videoMemory;
      const AnsiString& failure;
      const AnsiString& success;
    };
    const Step steps[] = {
        {&FFlipSurface, false, VN_TEXT("フリップサーフェイスの作成に失敗しました。"),
         VN_TEXT("TVantorDraw(Ex)::フリップサーフェイスの作成に成功")},
        {&FBackSurface, FVideoMemory, VN_TEXT("バックサーフェイスの作成に失敗しました。"),
         VN_TEXT("TVantorDraw(Ex)::バックサーフェイスの作成に成功")},
        {&FTempSurface, FVideoMemory, VN_TEXT("テンポラリサーフェイスの作成に失敗しました。"),
         VN_TEXT("TVantorDraw(Ex)::テンポラリサーフェイスの作成に成功")},
    };
    for (const Step& step : steps) {
      *step.surface = FDevice ? FDevice->CreateSurface(FWidth, FHeight, step.videoMemory) : nullptr;
      if (!*step.surface) {
        CleanUp();
        throw EVnDraw(step.failure);
      }
      VnTrace(step.success);
      WriteVideoMemoryLine();
    }
    // The rotate-zoom kernels clip against the back surface's size.
    PixelFormat.ScreenWidth = FWidth;
    PixelFormat.ScreenHeight = FHeight;
  });
}

void TVantorDraw::CheckPixelMode() {
  RunMethod("TVantorDraw::CheckPixelMode", [&] {
    platform::PixelMemory memory;
    if (!FPrimary || FPrimary->Lock(nullptr, memory) != platform::SurfaceResult::Ok) {
      CleanUp();
      throw EVnDraw(VN_TEXT("ピクセルモードのチェックに失敗しました。"));
    }
    FPrimary->Unlock();
    for (TVantorDrawKernel& kernel : FBlendKernels) kernel = nullptr;
    FRotZoomKernel = FRotZoomKeyKernel = nullptr;

    platform::PixelLayout layout = platform::LayoutOf(FPrimary->Format());
    SetPixelFormat({uint32_t(layout.bytesPerPixel * 8), layout.redMask, layout.greenMask, layout.blueMask},
                   FTransparentColor, FWidth, FHeight);
    FBytesPerPixel = int8_t(PixelFormat.PixelBytes);
    FColorKey = PixelFormat.KeyColor;

    TVantorKernelTable kernels = SelectKernels();
    for (int i = 0; i < BlendKernelCount; ++i) FBlendKernels[i] = kernels.Blend[i];
    FRotZoomKernel = kernels.RotZoom;
    FRotZoomKeyKernel = kernels.RotZoomKey;

    VnTrace(VN_TEXT("TVantorDraw(Ex)::サーフェイス情報の取得に成功"));
    if (VantorDebugSystem::TVantorDebug::GetDebug()) VnTrace(PixelFormatReport());
  });
}

void TVantorDraw::CleanUp() {
  RunMethod("TVantorDraw::CleanUp", [&] {
    VnTrace(VN_TEXT("TVantorDraw(Ex)::クリーンアップ"));
    FInitialized = false;
    FSurfaces->clear();
    ReleaseWorkingSurfaces();
    FPrimary.reset();
    if (FDevice) FDevice->Close();
    FDevice = nullptr;
    if (FWindow) FWindow->ShowCursor(true);
    // Giving up the display leaves full screen; the window keeps its own
    // windowed size, since presentation scales to whatever it is.
    if (OwnerIsWindowed() && Owner()->WindowHandle() == FWindow) FWindow->SetFullScreen(false);
    FFirstCleanUp = false;
  });
}

void TVantorDraw::Reset() {
  RunMethod("TVantorDraw::Reset", [&] {
    RequireInitialized();
    VnTrace(VN_TEXT("TVantorDraw(Ex)::DirectDrawリセット（一部）"));
    std::vector<TVantorDrawSurfaceInfo> records;
    for (auto& [name, surface] : *FSurfaces) records.push_back(surface->Info());
    ReleaseWorkingSurfaces();
    CreateBackSurface();
    for (const TVantorDrawSurfaceInfo& r : records)
      CreateSurface(r.SurfaceName, r.FileName, r.CellWidth, r.CellHeight);
  });
}

void TVantorDraw::ResetAll() {
  RunMethod("TVantorDraw::ResetAll", [&] {
    RequireInitialized();
    VnTrace(VN_TEXT("TVantorDraw(Ex)::DirectDrawリセット（完全）"));
    std::vector<TVantorDrawSurfaceInfo> records;
    for (auto& [name, surface] : *FSurfaces) records.push_back(surface->Info());
    Init(nullptr);
    for (const TVantorDrawSurfaceInfo& r : records)
      CreateSurface(r.SurfaceName, r.FileName, r.CellWidth, r.CellHeight);
  });
}

void Register() { platform::RegisterComponent("Vantor", "TVantorDraw"); }

}  // namespace VantorDrawSystem
