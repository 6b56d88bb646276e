#pragma once
// TVantorDraw: the graphics component. It sets up the display, owns the flip,
// back and temporary surfaces of the logical picture size and the registry of
// named pictures, draws into the back surface with the kernels of the display
// format and presents the finished frame.
#include <cstdint>
#include <map>
#include <memory>

#include "vantor/draw/font.h"
#include "vantor/draw/kernels.h"
#include "vantor/draw/pixel_format.h"
#include "vantor/draw/surface.h"
#include "vantor/system/autoptr.h"
#include "vantor/system/component.h"
#include "vantor/system/text.h"

namespace platform {
enum class Scaling : uint8_t;
class DisplayDevice;
class FrameScaler;
class MessageWindow;
class Surface;
class Window;
struct Message;
struct Rect;
}  // namespace platform

// The framework's rectangle (right and bottom exclusive).
struct TRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

namespace VantorDrawSystem {

enum TColorDepth : uint8_t { cd16bpp, cd24bpp, cd32bpp };

enum TBlendEffect : uint8_t { beNormal, beAlpha, beAdd, beSubInverse, beSub, beColorAdd, beColorMul };

// The routine EffectDraw hands the locked memory to.
using TVantorEffectProc = void (*)(const TVantorDrawDirect& direct);

// UpdateEx's mode: a fill request in the low byte, a present mode above.
constexpr int ueFillBlack = 2;
constexpr int ueFillWhite = 4;
constexpr int uePresent = 0x100;
constexpr int ueWave = 0x200;
constexpr int ueBlendAlpha = 0x400;
constexpr int ueBlendAdd = 0x800;

// The display-change notification WndProc answers (first parameter: the new
// desktop depth in bits per pixel).
constexpr uint32_t WM_DISPLAYCHANGE = 0x7E;

class TVantorDraw : public TComponent {
 public:
  explicit TVantorDraw(TComponent* owner);
  ~TVantorDraw() override;

  bool GetInitialized() const { return FInitialized; }
  bool GetFullScreen() const { return FFullScreen; }
  bool GetDouble() const { return FDouble; }
  bool GetVideoMemory() const { return FVideoMemory; }
  bool GetTransparent() const { return FTransparent; }
  TTransparentColor GetTransparentColor() const { return FTransparentColor; }
  int GetWidth() const { return FWidth; }
  int GetHeight() const { return FHeight; }
  int GetDisplayWidth() const { return FDisplayWidth; }
  int GetDisplayHeight() const { return FDisplayHeight; }
  TColorDepth GetColorDepth() const { return FColorDepth; }
  // The owned font: set its attributes directly or copy another with SetFont.
  TFont* GetFont() const { return FFont.get(); }

  virtual void WndProc(platform::Message& message);
  virtual void SetFullScreen(bool value);
  virtual void SetDouble(bool value);
  virtual void SetVideoMemory(bool value);
  virtual void SetTransparent(bool value);
  virtual void SetTransparentColor(TTransparentColor value);
  virtual void SetWidth(int value);
  virtual void SetHeight(int value);
  virtual void SetDisplayWidth(int value);
  virtual void SetDisplayHeight(int value);
  virtual void SetColorDepth(TColorDepth value);
  virtual void SetFont(const TFont* value);

  virtual void CreateBackSurface();
  virtual void CheckPixelMode();
  // `window` replaces the owner's window when not null.
  virtual void Init(platform::Window* window = nullptr);
  virtual void Reset();
  virtual void ResetAll();
  virtual void CleanUp();
  virtual void Update();
  virtual void UpdateEx(int amount, int mode);
  virtual void UpdateTmp();
  // The display's refresh, for whoever paces the frames: its rate in Hz (0
  // when unknown or before Init); vertical sync on or off, true when presents
  // now wait for the display's own blank; and a wait for the next blank.
  virtual int RefreshRate();
  virtual bool SetVSync(bool on);
  virtual void WaitVSync();
  // How the picture is fitted to the window, from the next frame on: the
  // largest picture with the aspect kept, or whole multiples only.
  virtual void SetScaling(platform::Scaling scaling);

  virtual void CreateSurface(const AnsiString& name, const AnsiString& file, int cellWidth, int cellHeight);
  virtual TVantorDrawSurfaceInfo GetSurfaceInfo(const AnsiString& name);
  virtual void DeleteSurface(const AnsiString& name);
  virtual void DeleteAllSurface();

  virtual void Draw(int x, int y, const AnsiString& name, int pattern, TBlendEffect effect = beNormal,
                    int level = -1);
  virtual void EffectDraw(int x, int y, TVantorEffectProc routine, const AnsiString& name, int pattern,
                          int param1, int param2);
  virtual void WindDraw(int x, int y, const AnsiString& name, int pattern, TBlendEffect effect, int level,
                        int amplitude);
  virtual void ZoomDraw(int x, int y, int zoomX, int zoomY, const AnsiString& name, int pattern);
  virtual void RotZoomDraw(int x, int y, int angle, int zoom, const AnsiString& name, int pattern);
  virtual void DirectDraw(const TRect& destination, const TRect& source, const AnsiString& name);
  virtual void TextOutA(int x, int y, const AnsiString& text);

  void Clear();

  // Discarding: every drawing operation still checks its arguments and fails
  // as it always does (a missing picture, a pattern outside its sheet), but
  // writes no pixel; Clear, Update, UpdateEx and UpdateTmp do nothing. For
  // frames that are played but never shown: fast play, a verifier stepping
  // a world it does not look at.
  void SetDiscarding(bool on) { FDiscarding = on; }
  bool GetDiscarding() const { return FDiscarding; }

 protected:
  // std::string orders by unsigned bytes, shorter before longer.
  using TSurfaceRegistry = std::map<AnsiString, VantorSystem::TVantorAutoPtr<TVantorDrawSurface>>;

  // The registered picture with a pixel surface, or the missing-surface failure.
  TVantorDrawSurface& FindPicture(const AnsiString& name);
  // The source rectangle of a valid pattern, or the missing-sprite failure.
  void CellRect(const TVantorDrawSurface& picture, const AnsiString& name, int pattern, int& left,
                int& top) const;
  void DrawArea(int x, int y, TVantorDrawSurface& picture, const AnsiString& name, int sx, int sy, int cw,
                int ch, TBlendEffect effect, int level);
  // Where the flip surface goes on the primary, and showing it there.
  platform::Rect PresentTarget() const;
  void Present();
  void ReleaseWorkingSurfaces();
  void RestoreSurface(platform::Surface* surface);
  void RequireInitialized() const;
  bool OwnerIsWindowed() const;
  void UpdateOuterSize();
  void SetLogicalSize(int& size, int value, int displaySize);
  void WriteVideoMemoryLine();

  bool FInitialized = false;
  bool FFirstCleanUp = true;
  bool FFullScreen = false;
  bool FDouble = false;
  bool FVideoMemory = false;
  bool FTransparent = true;
  bool FDiscarding = false;
  int FWidth = 640;
  int FHeight = 480;
  int FDisplayWidth = 640;
  int FDisplayHeight = 480;
  int FOuterWidth = 0;
  int FOuterHeight = 0;
  std::unique_ptr<TFont> FFont;
  TColorDepth FColorDepth = cd16bpp;
  TTransparentColor FTransparentColor = tcBlack;
  platform::DisplayDevice* FDevice = nullptr;  // the platform's; open while initialised
  std::unique_ptr<platform::Surface> FPrimary;
  std::unique_ptr<platform::Surface> FFlipSurface;
  std::unique_ptr<platform::Surface> FBackSurface;
  std::unique_ptr<platform::Surface> FTempSurface;
  platform::Window* FWindow = nullptr;
  std::unique_ptr<platform::MessageWindow> FMessageWindow;
  int8_t FBytesPerPixel = 0;
  uint32_t FColorKey = 0;
  int32_t FWaveCounter = 0;
  int32_t FWaveTable[256] = {};
  std::unique_ptr<TSurfaceRegistry> FSurfaces;
  TVantorDrawKernel FRotZoomKernel = nullptr;
  TVantorDrawKernel FRotZoomKeyKernel = nullptr;
  TVantorDrawKernel FBlendKernels[BlendKernelCount] = {};
  // Scales finished frames to the window where no graphics processor does;
  // its kernels are chosen once, for this processor.
  std::unique_ptr<platform::FrameScaler> FScaler;
};

// Puts TVantorDraw on the component palette page "Vantor".
void Register();

}  // namespace VantorDrawSystem
