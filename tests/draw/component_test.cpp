// The draw component's states, properties, set-up failures and presentation.
#include <fstream>
#include <sstream>

#include "draw_fixture.h"
#include "platform/platform.h"
#include "platform/random.h"
#include "vantor/system/debug.h"

namespace drawtest {
namespace {

using platform::Rect;
using platform::SurfaceResult;

// A pixel value no picture or fill of these tests produces: it survives only
// as long as the surface it was written into.
constexpr uint32_t kMark = 0x123;
void Mark(platform::Surface& surface) {
  Rect corner{0, 0, 1, 1};
  surface.Fill(&corner, kMark);
}
bool Marked(platform::Surface& surface) { return ReadPixel(surface, 0, 0) == kMark; }

TEST_F(DrawTest, ConstructedWithTheDocumentedDefaultsAndNotInitialised) {
  EXPECT_FALSE(draw->GetInitialized());
  EXPECT_FALSE(draw->GetFullScreen());
  EXPECT_FALSE(draw->GetDouble());
  EXPECT_FALSE(draw->GetVideoMemory());
  EXPECT_TRUE(draw->GetTransparent());
  EXPECT_EQ(draw->GetTransparentColor(), tcBlack);
  EXPECT_EQ(draw->GetWidth(), 640);
  EXPECT_EQ(draw->GetHeight(), 480);
  EXPECT_EQ(draw->GetDisplayWidth(), 640);
  EXPECT_EQ(draw->GetDisplayHeight(), 480);
  EXPECT_EQ(draw->GetColorDepth(), cd16bpp);
  ASSERT_NE(draw->GetFont(), nullptr);
  for (int32_t entry : draw->FWaveTable) {
    EXPECT_GE(entry, 0);
    EXPECT_LE(entry, 255);
  }
}

TEST_F(DrawTest, WaveTableComesFromTheProgramsGenerator) {
  platform::Rand().Seed(7);
  TestDraw first(nullptr);
  platform::Rand().Seed(7);
  platform::Random expected;
  expected.Seed(7);
  TestDraw second(nullptr);
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(first.FWaveTable[i], second.FWaveTable[i]);
    EXPECT_EQ(first.FWaveTable[i], expected.Next() % 256);
  }
}

TEST_F(DrawTest, EveryOperationNeedsInit) {
  const std::string notReady = DrawError("まだ初期化されてません。");
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->Update(); }), notReady);
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->UpdateEx(0, 0x100); }), notReady);
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->UpdateTmp(); }), notReady);
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->Clear(); }), notReady);
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->Reset(); }), notReady);
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->ResetAll(); }), notReady);
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->CreateSurface("a", "bmp\\a.bmp", 0, 0); }), notReady);
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->Draw(0, 0, "a", 0); }), notReady);
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->RotZoomDraw(0, 0, 0, 0, "a", 0); }), notReady);
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->TextOutA(0, 0, "a"); }), notReady);
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->DirectDraw({}, {}, "a"); }), notReady);
  // The registry works in any state, and waiting for the blank needs no device.
  draw->DeleteSurface("a");
  draw->DeleteAllSurface();
  draw->WaitVSync();
}

struct FormatCase {
  TColorDepth depth;
  platform::PixelFormat format;
  int bytes;
  uint32_t keys[5];  // tcBlack .. tcBlue
};

TEST_F(DrawTest, InitDerivesTheFormatAndTheKeyColourOfEachTransparentColour) {
  const FormatCase cases[] = {
      {cd16bpp, platform::PixelFormat::Rgb565, 2, {0, 0xFFFF, 0xF800, 0x07E0, 0x001F}},
      {cd24bpp, platform::PixelFormat::Rgb888, 3, {0, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF}},
      {cd32bpp, platform::PixelFormat::Xrgb8888, 4, {0, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF}},
  };
  for (const FormatCase& c : cases) {
    for (int key = tcBlack; key <= tcBlue; ++key) {
      SCOPED_TRACE(testing::Message() << "depth " << int(c.depth) << " key " << key);
      InitFullScreen(c.depth, TTransparentColor(key));
      EXPECT_TRUE(draw->GetInitialized());
      EXPECT_EQ(draw->FBackSurface->Format(), c.format);
      EXPECT_EQ(draw->FBytesPerPixel, c.bytes);
      EXPECT_EQ(draw->FColorKey, c.keys[key]);
      EXPECT_EQ(PixelFormat.KeyColor, c.keys[key]);
      EXPECT_EQ(PixelFormat.ScreenWidth, 640);
      draw->CleanUp();
    }
  }
}

TEST_F(DrawTest, WindowedTakesTheDesktopFormatAndAllThreeWorkingSurfaces) {
  backend.display.desktopFormat = platform::PixelFormat::Rgb565;
  draw->Init();
  EXPECT_FALSE(backend.display.fullScreen);
  EXPECT_EQ(draw->FBytesPerPixel, 2);
  for (platform::Surface* s : {draw->FFlipSurface.get(), draw->FBackSurface.get(), draw->FTempSurface.get()}) {
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Width(), 640);
    EXPECT_EQ(s->Height(), 480);
  }
}

TEST_F(DrawTest, VideoMemoryPlacesTheBackAndTemporarySurfacesOnly) {
  draw->SetVideoMemory(true);
  draw->Init();
  EXPECT_FALSE(Headless(draw->FFlipSurface.get()).VideoMemory());
  EXPECT_TRUE(Headless(draw->FBackSurface.get()).VideoMemory());
  EXPECT_TRUE(Headless(draw->FTempSurface.get()).VideoMemory());
}

TEST_F(DrawTest, EachFailedSetUpStepCleansUpAndSaysWhichStep) {
  struct Case {
    int failCreation;
    const char* text;
  };
  const Case cases[] = {{0, "プライマリサーフェイスの作成に失敗しました。"},
                        {1, "フリップサーフェイスの作成に失敗しました。"},
                        {2, "バックサーフェイスの作成に失敗しました。"},
                        {3, "テンポラリサーフェイスの作成に失敗しました。"}};
  for (const Case& c : cases) {
    backend.display.failCreation = c.failCreation;
    EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->Init(); }), DrawError(c.text));
    EXPECT_FALSE(draw->GetInitialized());
    EXPECT_FALSE(backend.display.IsOpen());
    EXPECT_TRUE(backend.display.Surfaces().empty());
  }
  backend.display.refuseOpen = true;
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->Init(); }), DrawError("協調レベルの設定に失敗しました。"));
  draw->SetFullScreen(true);
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->Init(); }), DrawError("画面の変更に失敗しました。"));
  platform::Current().display = nullptr;
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->Init(); }), DrawError("COMオブジェクトの作成に失敗しました。"));
  EXPECT_FALSE(draw->GetInitialized());
}

TEST_F(DrawTest, FailingInitTracesItsStepsTheCleanUpAndTheMessage) {
  std::string log = dir + "/draw.log";
  VantorDebugSystem::TVantorDebug::SetDebug(log.c_str(), true, false);
  backend.display.failCreation = 2;  // the back surface
  EXPECT_THROW(draw->Init(), VantorSystem::EVnDraw);
  VantorDebugSystem::TVantorDebug::SetDebug(nullptr, false, false);
  std::ifstream in(log, std::ios::binary);
  std::string text(std::istreambuf_iterator<char>(in), {});
  const char* inOrder[] = {"TVantorDraw(Ex)::初期化開始",
                           "TVantorDraw(Ex)::クリーンアップ",
                           "TVantorDraw(Ex)::COMオブジェクトの生成に成功",
                           "TVantorDraw(Ex)::プライマリサーフェイスの作成に成功",
                           "TVantorDraw(Ex)::フリップサーフェイスの作成に成功",
                           "TVantorDraw(Ex)::クリーンアップ",
                           "TVantorDraw(Ex) エラー\n\nバックサーフェイスの作成に失敗しました。"};
  size_t at = 0;
  for (const char* line : inOrder) {
    size_t found = text.find(line, at);
    ASSERT_NE(found, std::string::npos) << line;
    at = found + 1;
  }
  EXPECT_EQ(text.find("バックサーフェイスの作成に成功"), std::string::npos);
}

TEST_F(DrawTest, InitAgainEmptiesTheRegistryWhileResetKeepsPicturesAndResetAllReloadsThem) {
  draw->Init();
  AddPicture("ship", Bitmap(8, 8, kRed), 4, 4);
  Mark(PictureSurface("ship"));
  Mark(*draw->FBackSurface);

  draw->Reset();
  EXPECT_FALSE(Marked(*draw->FBackSurface));
  EXPECT_TRUE(Marked(PictureSurface("ship")));

  draw->ResetAll();
  ASSERT_EQ(draw->FSurfaces->count("ship"), 1u);
  EXPECT_FALSE(Marked(PictureSurface("ship")));
  EXPECT_EQ(ReadPixel(PictureSurface("ship"), 0, 0), Pixel(kRed));
  TVantorDrawSurfaceInfo info = draw->GetSurfaceInfo("ship");
  EXPECT_EQ(info.CellWidth, 4);
  EXPECT_EQ(info.CellCount, 4);
  EXPECT_EQ(info.FileName, "bmp\\ship.bmp");

  draw->Init();
  EXPECT_TRUE(draw->FSurfaces->empty());
}

TEST_F(DrawTest, SettersRebuildWhatTheyMust) {
  draw->Init();
  AddPicture("p", Bitmap(4, 4, kRed));
  Mark(PictureSurface("p"));
  Mark(*draw->FBackSurface);

  draw->SetTransparent(false);  // stored only
  EXPECT_TRUE(Marked(*draw->FBackSurface));
  draw->SetWidth(320);  // Reset: new working surfaces, same pictures
  EXPECT_EQ(draw->FBackSurface->Width(), 320);
  EXPECT_EQ(PixelFormat.ScreenWidth, 320);
  EXPECT_TRUE(Marked(PictureSurface("p")));
  draw->SetWidth(1000);  // never wider than the display
  EXPECT_EQ(draw->GetWidth(), 640);

  draw->SetFullScreen(true);  // ResetAll: pictures reloaded
  EXPECT_TRUE(backend.display.fullScreen);
  EXPECT_FALSE(Marked(PictureSurface("p")));
  draw->SetColorDepth(cd32bpp);
  EXPECT_EQ(draw->FBytesPerPixel, 4);
  EXPECT_EQ(PictureSurface("p").Format(), platform::PixelFormat::Xrgb8888);
}

TEST_F(DrawTest, DoubleHalvesTheLogicalSizeAndRebuildsTheWorkingSurfaces) {
  draw->SetFullScreen(true);
  draw->Init();
  draw->SetDouble(true);
  EXPECT_EQ(draw->GetWidth(), 320);
  EXPECT_EQ(draw->GetHeight(), 240);
  EXPECT_EQ(draw->FBackSurface->Width(), 320);
  EXPECT_EQ(draw->FTempSurface->Height(), 240);
  EXPECT_EQ(draw->PresentTarget(), (Rect{0, 0, 640, 480}));

  draw->SetWidth(400);  // twice that no longer fits the display
  EXPECT_FALSE(draw->GetDouble());
}

TEST_F(DrawTest, PresentationGeometry) {
  draw->SetFullScreen(true);
  draw->SetDisplayWidth(800);
  draw->SetDisplayHeight(600);
  draw->Init();
  EXPECT_EQ(draw->PresentTarget(), (Rect{80, 60, 720, 540}));
  draw->SetDisplayWidth(801);  // halves round toward zero
  EXPECT_EQ(draw->PresentTarget(), (Rect{80, 60, 720, 540}));

  draw->SetDouble(true);
  EXPECT_EQ(draw->GetWidth(), 400);
  EXPECT_EQ(draw->GetHeight(), 300);
  EXPECT_EQ(draw->PresentTarget(), (Rect{0, 0, 800, 600}));

  platform::Window& window = backend.app.CreateMainWindow("w", 1280, 960);
  draw->SetFullScreen(false);
  draw->Init(&window);
  EXPECT_EQ(draw->PresentTarget(), (Rect{0, 0, 1280, 960}));
}

TEST(ScaledRect, FitKeepsTheAspectAndIntegerWholeMultiples) {
  using platform::Scaling;
  struct Case {
    int outWidth, outHeight;
    Scaling scaling;
    Rect want;
  };
  const Case cases[] = {
      {1366, 768, Scaling::Fit, {171, 0, 1195, 768}},       {1366, 768, Scaling::Integer, {363, 144, 1003, 624}},
      {1920, 1080, Scaling::Fit, {240, 0, 1680, 1080}},     {1920, 1080, Scaling::Integer, {320, 60, 1600, 1020}},
      {1280, 800, Scaling::Fit, {107, 0, 1173, 800}},       {1280, 960, Scaling::Integer, {0, 0, 1280, 960}},
      {800, 600, Scaling::Fit, {0, 0, 800, 600}},           {600, 600, Scaling::Fit, {0, 75, 600, 525}},
      {600, 600, Scaling::Integer, {0, 75, 600, 525}},      {0, 0, Scaling::Fit, {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(platform::ScaledRect(640, 480, c.outWidth, c.outHeight, c.scaling), c.want)
        << c.outWidth << "x" << c.outHeight << " " << int(c.scaling);
}

TEST_F(DrawTest, UpdatePresentsTheBackSurfaceCentredOnTheDisplay) {
  draw->SetFullScreen(true);
  draw->SetDisplayWidth(800);
  draw->SetDisplayHeight(600);
  draw->Init();
  draw->Clear();
  draw->FBackSurface->Fill(nullptr, Pixel(kBlue));
  Rect corner{0, 0, 1, 1};
  draw->FBackSurface->Fill(&corner, Pixel(kRed));
  draw->Update();
  platform::headless::Frame frame = backend.display.LastFrame();
  ASSERT_EQ(frame.width, 800);
  auto at = [&](int x, int y) {
    const uint8_t* p = &frame.rgb[(size_t(y) * frame.width + x) * 3];
    return Rgb{p[0], p[1], p[2]};
  };
  EXPECT_EQ(at(80, 60).r, 255);
  EXPECT_EQ(at(81, 60).b, 255);
  EXPECT_EQ(at(79, 60).b, 0);  // the bars stay black
  EXPECT_EQ(backend.display.lastTo, (Rect{80, 60, 720, 540}));
}

TEST_F(DrawTest, UpdateExModes) {
  InitFullScreen(cd32bpp);
  draw->FTempSurface->Fill(nullptr, Pixel(kGreen));
  FillBack(kRed);

  // Present mode with a fill request: the fill happens, then a plain Update.
  draw->UpdateEx(0, 0x100 | 2);
  EXPECT_EQ(ReadPixel(*draw->FTempSurface, 5, 5), 0u);
  EXPECT_EQ(ReadPixel(*draw->FFlipSurface, 5, 5), Pixel(kRed));

  // Wave with amount 0 copies every row unshifted and runs the counter.
  int32_t counter = draw->FWaveCounter;
  draw->UpdateEx(0, 0x200);
  EXPECT_EQ(draw->FWaveCounter, counter + 480);
  EXPECT_EQ(ReadPixel(*draw->FFlipSurface, 0, 100), Pixel(kRed));
  EXPECT_EQ(ReadPixel(*draw->FFlipSurface, 639, 479), Pixel(kRed));

  // Alpha blend of the saved frame at amount 255 or more: level 0.
  draw->UpdateEx(0, 0x400 | 4);  // white saved frame
  FillBack(Rgb{0, 0, 200});
  draw->UpdateEx(300, 0x400);
  EXPECT_EQ(ReadPixel(*draw->FFlipSurface, 3, 3), Pixel(Rgb{0, 0, 199}));  // (200 * 255) >> 8

  // An unknown present mode shows the back surface.
  FillBack(kBlue);
  draw->UpdateEx(0, 0x1000);
  EXPECT_EQ(ReadPixel(*draw->FFlipSurface, 3, 3), Pixel(kBlue));
}

TEST_F(DrawTest, UpdateExWaveShiftsRowsByTheTableWithinHalfTheAmount) {
  InitFullScreen(cd16bpp);
  draw->FWaveCounter = 0;
  draw->FWaveTable[0] = 0;    // offset (0 * 64 >> 8) - 32 = -32
  draw->FWaveTable[1] = 255;  // offset (255 * 64 >> 8) - 32 = 31
  FillBack(kBlack);
  for (int y = 0; y < 2; ++y) {
    Rect mark{40, y, 41, y + 1};
    draw->FBackSurface->Fill(&mark, Pixel(kWhite));
  }
  draw->UpdateEx(64, 0x200 | 2);
  EXPECT_EQ(ReadPixel(*draw->FTempSurface, 8, 0), Pixel(kWhite));
  EXPECT_EQ(ReadPixel(*draw->FTempSurface, 71, 1), Pixel(kWhite));
  EXPECT_EQ(ReadPixel(*draw->FFlipSurface, 71, 1), Pixel(kWhite));
}

TEST_F(DrawTest, UpdateExWithAFailedLockPresentsTheBackSurface) {
  InitFullScreen(cd16bpp);
  FillBack(kGreen);
  draw->FTempSurface->Fill(nullptr, Pixel(kRed));
  Headless(draw->FTempSurface.get()).failLocks = true;
  draw->UpdateEx(128, 0x800);
  EXPECT_EQ(ReadPixel(*draw->FFlipSurface, 1, 1), Pixel(kGreen));
  EXPECT_EQ(Headless(draw->FBackSurface.get()).LockCount(), 0);
}

TEST_F(DrawTest, LostWorkingSurfacesAreRestoredAndOtherFailuresReported) {
  InitFullScreen(cd16bpp);
  auto& back = Headless(draw->FBackSurface.get());
  back.MakeLost();
  draw->Clear();  // restores instead of failing
  EXPECT_FALSE(back.IsLost());
  EXPECT_EQ(back.restores, 1);

  auto& flip = Headless(draw->FFlipSurface.get());
  flip.MakeLost();
  draw->Update();
  EXPECT_FALSE(flip.IsLost());

  Headless(draw->FPrimary.get()).MakeLost();
  draw->Update();
  EXPECT_FALSE(draw->FPrimary->IsLost());

  back.failBlits = true;
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->Clear(); }), DrawError("バックバッファの初期化に失敗しました。"));
  flip.failBlits = true;
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->Update(); }), DrawError("画面の更新に失敗しました。"));
  Headless(draw->FTempSurface.get()).failBlits = true;
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->UpdateTmp(); }),
            DrawError("テンポラリサーフェイスの更新に失敗しました。"));
}

TEST_F(DrawTest, DisplayChangeResetsOnlyAWindowedInitialisedComponentOfAnotherDepth) {
  platform::Message change{WM_DISPLAYCHANGE, 16, 0, 0};
  draw->WndProc(change);  // not initialised: nothing
  EXPECT_FALSE(draw->GetInitialized());

  draw->Init();  // windowed, 32-bit desktop
  AddPicture("p", Bitmap(2, 2, kRed));
  Mark(PictureSurface("p"));
  platform::Message same{WM_DISPLAYCHANGE, 32, 0, 0};
  draw->WndProc(same);
  EXPECT_TRUE(Marked(PictureSurface("p")));
  draw->WndProc(change);  // ResetAll reloads the picture
  EXPECT_FALSE(Marked(PictureSurface("p")));

  draw->SetFullScreen(true);
  Mark(PictureSurface("p"));
  draw->WndProc(change);
  EXPECT_TRUE(Marked(PictureSurface("p")));
}

// A form: a windowed owner.
class Form : public TComponent {
 public:
  explicit Form(platform::Window* window) : TComponent(nullptr), window_(window) {}
  platform::Window* WindowHandle() const override { return window_; }

 private:
  platform::Window* window_;
};

TEST_F(DrawTest, FullScreenOnTheOwnersWindowHidesTheCursorUntilCleanUp) {
  auto& window = static_cast<platform::headless::HeadlessWindow&>(backend.app.CreateMainWindow("w", 640, 480));
  Form form(&window);
  TestDraw owned(&form);
  EXPECT_EQ(owned.FOuterWidth, 640);
  owned.SetFullScreen(true);
  owned.Init();
  EXPECT_EQ(backend.display.window, &window);
  EXPECT_TRUE(window.FullScreen());
  EXPECT_FALSE(window.CursorShown());
  owned.CleanUp();
  EXPECT_TRUE(window.CursorShown());
  EXPECT_FALSE(window.FullScreen());
}

TEST(DrawRegistration, PutsTheComponentOnThePalettePageVantor) {
  Register();
  EXPECT_TRUE(platform::IsComponentRegistered("Vantor", "TVantorDraw"));
}

TEST(Font, SizeAndHeightAreTheSameMeasureInPointsAndPixels) {
  TFont font;
  font.SetSize(15);
  EXPECT_EQ(font.Height, -20);
  EXPECT_EQ(font.GetSize(), 15);
  font.Height = -16;
  EXPECT_EQ(font.GetSize(), 12);
  TFont copy;
  font.Color = 0x123456;
  copy.Assign(font);
  EXPECT_EQ(copy.Color, 0x123456u);
  EXPECT_EQ(copy.Height, -16);
}

}  // namespace
}  // namespace drawtest
