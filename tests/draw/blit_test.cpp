// The drawing operations: clipping, effect levels, zoom and rotation
// arithmetic, slices, effect routines, the rectangle stretch and text.
#include <climits>
#include <cstring>
#include <functional>
#include <utility>

#include "draw_fixture.h"

namespace drawtest {
namespace {

using platform::SurfaceResult;

// Pixels that name their own position: (x + 1, y + 1, 77), never black.
Bitmap CoordinatePicture(int w, int h) {
  Bitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.at(x, y) = Rgb{uint8_t(x + 1), uint8_t(y + 1), 77};
  return b;
}

class BlitTest : public DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    InitFullScreen(cd32bpp);
    draw->Clear();
    AddPicture("coord", CoordinatePicture(8, 6));
    AddPicture("sheet", CoordinatePicture(16, 12), 8, 6);
  }
  uint32_t At(int x, int y) { return Pixel(Rgb{uint8_t(x + 1), uint8_t(y + 1), 77}); }
};

TEST_F(BlitTest, DrawClipsAtEveryEdge) {
  draw->Draw(-7, 0, "coord", 0);  // only the last column, at x = 0
  EXPECT_EQ(Back(0, 0), At(7, 0));
  EXPECT_EQ(Back(0, 5), At(7, 5));
  EXPECT_EQ(Back(1, 0), 0u);
  draw->Draw(-8, 20, "coord", 0);  // entirely left of the surface
  EXPECT_EQ(Back(0, 20), 0u);

  draw->Draw(100, -5, "coord", 0);  // only the bottom row, at y = 0
  EXPECT_EQ(Back(100, 0), At(0, 5));
  EXPECT_EQ(Back(100, 1), 0u);

  draw->Draw(639, 479, "coord", 0);  // only the top-left pixel
  EXPECT_EQ(Back(639, 479), At(0, 0));
  draw->Draw(640, 100, "coord", 0);
  draw->Draw(100, 480, "coord", 0);
  EXPECT_EQ(Back(639, 100), 0u);
}

TEST_F(BlitTest, PositionsAtTheEndsOfIntDrawNothing) {
  const int far[] = {INT_MIN, INT_MIN + 3, INT_MAX - 3, INT_MAX};
  for (int x : far) {
    draw->Draw(x, 10, "coord", 0);
    draw->Draw(10, x, "coord", 0, beAdd, 255);
    draw->ZoomDraw(x, 10, 512, 512, "coord", 0);
    draw->ZoomDraw(10, x, 512, 512, "coord", 0);
  }
  for (int y = 0; y < 480; y += 7)
    for (int x = 0; x < 640; x += 7) ASSERT_EQ(Back(x, y), 0u);
}

TEST_F(BlitTest, DrawTakesTheCellOfThePatternNumber) {
  draw->Draw(0, 0, "sheet", 3);  // column 1, row 1
  EXPECT_EQ(Back(0, 0), At(8, 6));
  EXPECT_EQ(Back(7, 5), At(15, 11));
  EXPECT_EQ(Back(8, 0), 0u);
}

TEST_F(BlitTest, EffectKernelsGetTheSameClippedArea) {
  FillBack(Rgb{40, 40, 40});
  draw->Draw(100, 100, "coord", 0, beAdd, 200);
  draw->Draw(-7, 0, "coord", 0, beAdd, 200);
  EXPECT_EQ(Back(0, 0), Back(107, 100));
  EXPECT_EQ(Back(0, 5), Back(107, 105));
  EXPECT_EQ(Back(1, 0), Pixel(Rgb{40, 40, 40}));
  EXPECT_EQ(Back(0, 6), Pixel(Rgb{40, 40, 40}));
}

TEST_F(BlitTest, LevelMinusOneMeansHalfForAlphaAndFullForTheOthers) {
  const struct {
    TBlendEffect effect;
    int level;
  } cases[] = {{beAlpha, 128}, {beAdd, 255}, {beSubInverse, 255}, {beSub, 255}, {beColorAdd, 255}, {beColorMul, 255}};
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.effect));
    FillBack(Rgb{90, 160, 220});
    draw->Draw(0, 0, "coord", 0, c.effect, -1);
    draw->Draw(20, 0, "coord", 0, c.effect, c.level);
    for (int x = 0; x < 8; ++x) EXPECT_EQ(Back(x, 3), Back(20 + x, 3));
  }
}

TEST_F(BlitTest, ColourAddBrightensTheCellWithoutReadingTheDestination) {
  draw->SetTransparent(false);
  FillBack(kWhite);
  draw->Draw(0, 0, "coord", 0, beColorAdd, 0x777777);
  // Each channel gets (0x77 * max) / 256 cut to the channel: 0x76.
  EXPECT_EQ(Back(0, 0), 0x7777C3u);
  FillBack(kBlack);
  draw->Draw(0, 0, "coord", 0, beColorAdd, 0x777777);
  EXPECT_EQ(Back(0, 0), 0x7777C3u);
}

TEST_F(BlitTest, PatternsAndNamesThatDoNotExist) {
  // Drawing into nothing fails as drawing does.
  for (const bool discarding : {false, true}) {
    SCOPED_TRACE(discarding);
    draw->SetDiscarding(discarding);
    const std::string noSprite = DrawError("スプライトが存在しません。\nスプライト名：sheet");
    EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->Draw(0, 0, "sheet", 4); }), noSprite);
    EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->Draw(0, 0, "sheet", -1); }), noSprite);
    EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->ZoomDraw(0, 0, 256, 256, "sheet", -2); }), noSprite);
    EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->RotZoomDraw(0, 0, 0, 256, "sheet", -4); }), noSprite);
    EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->WindDraw(0, 0, "sheet", -1, beNormal, -1, 3); }), noSprite);
    EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->EffectDraw(0, 0, nullptr, "sheet", -1, 0, 0); }), noSprite);
    EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->Draw(0, 0, "nope", 0); }),
              DrawError("サーフェイスが存在しません。\nスプライト名：nope"));
    // Zoom 0 returns before any lookup.
    draw->RotZoomDraw(0, 0, 0, 0, "nope", 0);
  }
}

// Discarding, no operation writes a pixel or presents one; the wave of
// WindDraw moves on as if it had drawn, one entry a slice.
TEST_F(BlitTest, DiscardingWritesNoPixelAndPresentsNothing) {
  const std::function<void()> operations[] = {
      [&] { draw->Draw(0, 0, "coord", 0); },
      [&] { draw->Draw(0, 0, "coord", 0, beAdd, 255); },
      [&] { draw->ZoomDraw(0, 0, 512, 512, "sheet", 1); },
      [&] { draw->RotZoomDraw(4, 4, 1000, 256, "coord", 0); },
      [&] { draw->WindDraw(0, 0, "sheet", 0, beNormal, -1, 4); },
      [&] { draw->EffectDraw(0, 0, [](const TVantorDrawDirect& d) { d.Dst[0] = 0x11; }, "coord", 0, 0, 0); },
      [&] { draw->DirectDraw({0, 0, 20, 20}, {0, 0, 8, 6}, "coord"); },
      [&] { draw->TextOutA(0, 0, "WWWW"); },
      [&] { draw->Clear(); },
      [&] { draw->Update(); },
      [&] { draw->UpdateEx(0, uePresent | ueFillWhite); },
      [&] { draw->UpdateTmp(); },
  };
  FillBack(kBlue);
  draw->SetDiscarding(true);
  const int presents = backend.display.presents;
  const int32_t wave = draw->FWaveCounter;
  for (size_t i = 0; i < std::size(operations); ++i) {
    operations[i]();
    for (const auto& [x, y] : {std::pair{0, 0}, {3, 3}, {10, 10}}) ASSERT_EQ(Back(x, y), Pixel(kBlue)) << i;
  }
  EXPECT_EQ(backend.display.presents, presents);
  EXPECT_EQ(draw->FWaveCounter, wave + 6);
  draw->SetDiscarding(false);
  draw->Draw(0, 0, "coord", 0);
  EXPECT_EQ(Back(3, 3), At(3, 3));
}

TEST_F(BlitTest, FailedLocksAndCopiesAreReportedAndNoLockIsLeft) {
  auto& back = Headless(draw->FBackSurface.get());
  auto& sheet = PictureSurface("sheet");
  back.failLocks = true;
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->Draw(0, 0, "sheet", 0, beAlpha, 100); }),
            DrawError("バックサーフェイスのロックに失敗"));
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->RotZoomDraw(9, 9, 0, 256, "sheet", 0); }),
            DrawError("バックサーフェイスのロックに失敗"));
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->TextOutA(0, 0, "x"); }),
            DrawError("デバイスコンテキストの取得に失敗。"));
  back.failLocks = false;

  sheet.failLocks = true;
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->Draw(0, 0, "sheet", 0, beAlpha, 100); }),
            DrawError("スプライトのロックに敗しました。\nスプライト名：sheet"));
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->EffectDraw(0, 0, nullptr, "sheet", 0, 0, 0); }),
            DrawError("スプライトのロックに敗しました。\nスプライト名：sheet"));
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->RotZoomDraw(9, 9, 0, 256, "sheet", 0); }),
            DrawError("スプライトのロックに失敗"));
  EXPECT_EQ(back.LockCount(), 0);
  sheet.failLocks = false;

  back.failBlits = true;
  const std::string failed = DrawError("スプライトの描画に失敗しました。\nスプライト名：sheet");
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->Draw(0, 0, "sheet", 0); }), failed);
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->ZoomDraw(0, 0, 300, 300, "sheet", 0); }), failed);
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->DirectDraw({0, 0, 4, 4}, {0, 0, 4, 4}, "sheet"); }), failed);
}

TEST_F(BlitTest, ALostBackSurfaceIsRestoredAndTheDrawingSkipped) {
  auto& back = Headless(draw->FBackSurface.get());
  for (TBlendEffect effect : {beNormal, beAlpha}) {
    back.MakeLost();
    draw->Draw(0, 0, "coord", 0, effect, -1);
    EXPECT_FALSE(back.IsLost());
    EXPECT_EQ(Back(0, 0), 0u);
  }
  back.MakeLost();
  draw->TextOutA(0, 0, "x");
  EXPECT_FALSE(back.IsLost());
}

TEST_F(BlitTest, ZoomDrawScalesAndClipsByTheZoomArithmetic) {
  draw->ZoomDraw(100, 100, 256, 128, "coord", 0);  // half height: rows 0, 2, 4
  EXPECT_EQ(Back(100, 100), At(0, 0));
  EXPECT_EQ(Back(107, 101), At(7, 2));
  EXPECT_EQ(Back(100, 102), At(0, 4));
  EXPECT_EQ(Back(100, 103), 0u);

  draw->ZoomDraw(-10, 200, 512, 512, "coord", 0);  // source from column 10 * 256 / 512 = 5
  EXPECT_EQ(Back(0, 200), At(5, 0));
  EXPECT_EQ(Back(1, 200), At(5, 0));
  EXPECT_EQ(Back(5, 200), At(7, 0));
  EXPECT_EQ(Back(6, 200), 0u);

  draw->ZoomDraw(636, 300, 512, 512, "coord", 0);  // source up to column 4 * 256 / 512 = 2
  EXPECT_EQ(Back(636, 300), At(0, 0));
  EXPECT_EQ(Back(639, 300), At(1, 0));

  draw->ZoomDraw(-16, 400, 512, 512, "coord", 0);  // x + width = 0: nothing
  draw->ZoomDraw(50, 400, 0, 256, "coord", 0);     // zoom 0: nothing, no failure
  draw->ZoomDraw(50, 400, 256, -5, "coord", 0);
  EXPECT_EQ(Back(0, 400), 0u);
  EXPECT_EQ(Back(50, 400), 0u);
}

TEST_F(BlitTest, RotZoomDrawCentresTheCellAndDropsTheOddLastColumn) {
  draw->RotZoomDraw(100, 100, 0, 256, "coord", 0);
  EXPECT_EQ(Back(100, 100), At(4, 3));  // the centre pixel (W/2, H/2)
  EXPECT_EQ(Back(96, 97), At(0, 0));
  EXPECT_EQ(Back(103, 102), At(7, 5));
  EXPECT_EQ(Back(95, 100), 0u);
  EXPECT_EQ(Back(104, 100), 0u);

  AddPicture("five", CoordinatePicture(5, 5));
  draw->RotZoomDraw(200, 200, 0, 256, "five", 0);  // hw = 2: columns cx - 2 .. cx + 1
  EXPECT_EQ(Back(198, 200), At(0, 2));
  EXPECT_EQ(Back(201, 200), At(3, 2));
  EXPECT_EQ(Back(202, 200), 0u);

  draw->RotZoomDraw(300, 300, 0, 512, "coord", 0);  // twice the size
  EXPECT_EQ(Back(292, 294), At(0, 0));
  EXPECT_EQ(Back(307, 305), At(7, 5));
}

TEST_F(BlitTest, RotZoomDrawQuarterTurnAndFullTurns) {
  // Offset (dx, dy) from the centre samples (W/2 - dy, H/2 + dx).
  draw->RotZoomDraw(100, 100, 16384, 256, "coord", 0);
  EXPECT_EQ(Back(100, 100), At(4, 3));
  EXPECT_EQ(Back(101, 100), At(4, 4));
  EXPECT_EQ(Back(100, 101), At(3, 3));
  EXPECT_EQ(Back(97, 97), At(7, 0));
  EXPECT_EQ(Back(100, 96), 0u);  // the box's top row samples column 8, outside

  draw->RotZoomDraw(300, 100, 5000, 300, "sheet", 2);
  draw->RotZoomDraw(300, 300, 5000 + 65536, 300, "sheet", 2);
  for (int dy = -8; dy <= 8; ++dy)
    for (int dx = -8; dx <= 8; ++dx) ASSERT_EQ(Back(300 + dx, 100 + dy), Back(300 + dx, 300 + dy));
}

TEST_F(BlitTest, RotZoomDrawClipsAtTheSurfaceEdges) {
  draw->RotZoomDraw(0, 0, 0, 256, "coord", 0);  // box from (-4, -3)
  EXPECT_EQ(Back(0, 0), At(4, 3));
  EXPECT_EQ(Back(3, 2), At(7, 5));
  draw->RotZoomDraw(639, 479, 0, 256, "coord", 0);
  EXPECT_EQ(Back(639, 479), At(4, 3));
}

TEST_F(BlitTest, WindDrawShiftsEachSliceByTheWaveTable) {
  for (int i = 0; i < 8; ++i) draw->FWaveTable[i] = 0;
  draw->FWaveCounter = 0;
  draw->WindDraw(100, 100, "coord", 0, beNormal, -1, 0);  // amplitude 0: unshifted
  EXPECT_EQ(draw->FWaveCounter, 6);
  EXPECT_EQ(Back(100, 100), At(0, 0));
  EXPECT_EQ(Back(107, 105), At(7, 5));

  draw->FWaveCounter = 0;
  draw->WindDraw(200, 200, "sheet", 3, beNormal, -1, 64);  // rows moved by 0 - 32
  EXPECT_EQ(Back(168, 200), At(8, 6));
  EXPECT_EQ(Back(175, 205), At(15, 11));
  EXPECT_EQ(Back(200, 200), 0u);

  for (int i = 0; i < 8; ++i) draw->FWaveTable[i] = 255;
  draw->FWaveCounter = 0;
  draw->WindDraw(300, 300, "sheet", 1, beNormal, -1, -64);  // columns moved by -64 + 32
  EXPECT_EQ(draw->FWaveCounter, 8);
  EXPECT_EQ(Back(300, 268), At(8, 0));
  EXPECT_EQ(Back(307, 273), At(15, 5));

  TVantorDrawSurfaceInfo info = draw->GetSurfaceInfo("sheet");
  EXPECT_EQ(info.CellWidth, 8);
  EXPECT_EQ(info.CellHeight, 6);
  EXPECT_EQ(info.CellCount, 4);
}

TVantorDrawDirect g_seen;
int g_calls = 0;
void Record(const TVantorDrawDirect& direct) {
  g_seen = direct;
  ++g_calls;
  direct.Dst[0] = 0x55;  // the routine may write the back surface
}

TEST_F(BlitTest, EffectDrawHandsTheLockedMemoryToTheRoutine) {
  g_calls = 0;
  draw->EffectDraw(12, 34, Record, "sheet", 3, 5, 6);
  ASSERT_EQ(g_calls, 1);
  EXPECT_EQ(g_seen.Width, 8);
  EXPECT_EQ(g_seen.Height, 6);
  EXPECT_EQ(g_seen.X, 12);
  EXPECT_EQ(g_seen.Y, 34);
  EXPECT_EQ(g_seen.Param1, 5);
  EXPECT_EQ(g_seen.Param2, 6);
  uint32_t first;
  std::memcpy(&first, g_seen.Src, 4);
  EXPECT_EQ(first, At(8, 6));
  EXPECT_EQ(Back(0, 0) & 0xFF, 0x55u);

  // Without a name: the back surface alone, sized as the logical picture.
  draw->EffectDraw(0, 0, Record, "", 0, 0, 0);
  EXPECT_EQ(g_seen.Width, 640);
  EXPECT_EQ(g_seen.Height, 480);
  EXPECT_EQ(g_seen.Src, nullptr);

  draw->EffectDraw(0, 0, nullptr, "sheet", 0, 0, 0);  // only locks and unlocks
  EXPECT_EQ(g_calls, 2);
  EXPECT_EQ(Headless(draw->FBackSurface.get()).LockCount(), 0);
  EXPECT_EQ(PictureSurface("sheet").LockCount(), 0);
}

TEST_F(BlitTest, DirectDrawStretchesRectanglesThatLieInsideAndRefusesOthers) {
  draw->DirectDraw({10, 10, 26, 22}, {0, 0, 8, 6}, "coord");
  EXPECT_EQ(Back(10, 10), At(0, 0));
  EXPECT_EQ(Back(11, 11), At(0, 0));
  EXPECT_EQ(Back(25, 21), At(7, 5));
  EXPECT_EQ(Back(26, 10), 0u);

  const std::string failed = DrawError("スプライトの描画に失敗しました。\nスプライト名：coord");
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->DirectDraw({630, 0, 650, 10}, {0, 0, 8, 6}, "coord"); }),
            failed);
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->DirectDraw({0, 0, 9, 6}, {0, 0, 9, 6}, "coord"); }), failed);
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->DirectDraw({0, 0, 8, 6}, {-1, 0, 7, 6}, "coord"); }),
            failed);
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->DirectDraw({8, 0, 0, 6}, {0, 0, 8, 6}, "coord"); }), failed);
  EXPECT_EQ(Back(639, 0), 0u);
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->DirectDraw({}, {}, "x"); }),
            DrawError("サーフェイスが存在しません。\nスプライト名：x"));
}

TEST_F(BlitTest, TextOutWritesTheFontsColourOnlyAroundItsPosition) {
  TFont* font = draw->GetFont();
  font->Name = Sjis("ＭＳ Ｐゴシック");
  font->Height = -16;
  font->Color = 0x0000FF;  // 0x00BBGGRR: red
  FillBack(kBlue);
  draw->TextOutA(100, 100, Sjis("Aあ"));
  int inked = 0;
  for (int y = 90; y < 140; ++y) {
    for (int x = 90; x < 160; ++x) {
      uint32_t p = Back(x, y);
      if (p == Pixel(kBlue)) continue;
      EXPECT_TRUE(x >= 100 && y >= 100 && x < 140 && y < 122) << x << "," << y;
      platform::Rgb c = platform::UnpackPixel(Format(), p);
      EXPECT_EQ(c.g, 0);            // only red over blue
      EXPECT_NEAR(c.r + c.b, 255, 1);  // coverage mixes the two
      ++inked;
    }
  }
  EXPECT_GT(inked, 20);

  size_t cached = backend.text.CachedTexts();
  draw->TextOutA(100, 200, Sjis("Aあ"));
  EXPECT_EQ(backend.text.CachedTexts(), cached);
}

TEST(TextFaces, TheWindowsGothicMapsToIpaPGothic) {
  platform::sdl::TtfTextRenderer text;
  std::string file = text.FaceFile(Sjis("ＭＳ Ｐゴシック"));
  ASSERT_FALSE(file.empty());
  if (!std::filesystem::exists("/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf"))
    GTEST_SKIP() << "fonts-ipafont-gothic is not installed";
  EXPECT_NE(file.find("ipagp"), std::string::npos) << file;
  EXPECT_FALSE(text.FaceFile("No Such Face At All").empty());  // any match stands in
}

}  // namespace
}  // namespace drawtest
