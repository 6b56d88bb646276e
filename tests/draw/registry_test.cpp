// Named pictures: registry rules, cell geometry, loading failures, exact key
// colours and the restoring of lost pictures.
#include "draw_fixture.h"

namespace drawtest {
namespace {

using platform::SurfaceResult;

TEST_F(DrawTest, CellGeometryOfASheet) {
  draw->Init();
  AddPicture("sheet", Bitmap(100, 50), 32, 32);
  TVantorDrawSurfaceInfo info = draw->GetSurfaceInfo("sheet");
  EXPECT_EQ(info.Width, 100);
  EXPECT_EQ(info.Height, 50);
  EXPECT_EQ(info.CellWidth, 32);
  EXPECT_EQ(info.CellHeight, 32);
  EXPECT_EQ(info.CellsPerLine, 3);
  EXPECT_EQ(info.CellCount, 3);
  EXPECT_EQ(info.SurfaceName, "sheet");
  EXPECT_EQ(info.FileName, "bmp\\sheet.bmp");

  AddPicture("whole", Bitmap(30, 20));  // cells 0 x 0: the whole picture
  info = draw->GetSurfaceInfo("whole");
  EXPECT_EQ(info.CellWidth, 30);
  EXPECT_EQ(info.CellHeight, 20);
  EXPECT_EQ(info.CellCount, 1);

  AddPicture("wide", Bitmap(30, 20), 40, 0);  // cells wider than the picture: none
  EXPECT_EQ(draw->GetSurfaceInfo("wide").CellCount, 0);
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->Draw(0, 0, "wide", 0); }),
            DrawError("スプライトが存在しません。\nスプライト名：wide"));
}

TEST_F(DrawTest, ARegisteredNameKeepsItsFirstPicture) {
  draw->Init();
  AddPicture("p", Bitmap(8, 8, kRed), 4, 4);
  platform::Surface* first = draw->FSurfaces->at("p")->PixelSurface();
  WriteBmp(dir + "/other.bmp", Bitmap(16, 16, kBlue));
  draw->CreateSurface("p", "bmp\\other.bmp", 8, 8);
  EXPECT_EQ(draw->FSurfaces->at("p")->PixelSurface(), first);
  EXPECT_EQ(draw->GetSurfaceInfo("p").CellWidth, 4);
  EXPECT_EQ(draw->GetSurfaceInfo("p").FileName, "bmp\\p.bmp");
}

TEST_F(DrawTest, NamesAreCaseSensitiveAndOrderedByUnsignedBytes) {
  draw->Init();
  AddPicture("ship", Bitmap(2, 2));
  WriteBmp(dir + "/x.bmp", Bitmap(4, 4));
  draw->CreateSurface("Ship", "bmp\\x.bmp", 0, 0);
  draw->CreateSurface(Sjis("自機"), "bmp\\x.bmp", 0, 0);  // lead byte above 0x7F
  draw->CreateSurface("shi", "bmp\\x.bmp", 0, 0);
  EXPECT_EQ(draw->GetSurfaceInfo("ship").Width, 2);
  EXPECT_EQ(draw->GetSurfaceInfo("Ship").Width, 4);
  std::vector<AnsiString> order;
  for (auto& [name, surface] : *draw->FSurfaces) order.push_back(name);
  EXPECT_EQ(order, (std::vector<AnsiString>{"Ship", "shi", "ship", Sjis("自機")}));
}

TEST_F(DrawTest, AFailedLoadLeavesNoEntry) {
  draw->Init();
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDrawSurface>([&] { draw->CreateSurface("gone", "bmp\\gone.bmp", 0, 0); }),
            SurfaceError("BMPの読み込みに失敗しました。\nファイル名：bmp\\gone.bmp"));
  EXPECT_EQ(draw->FSurfaces->count("gone"), 0u);
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->GetSurfaceInfo("gone"); }),
            DrawError("サーフェイスが存在しません。\nサーフェイス名：gone"));

  std::ofstream(dir + "/bad.bmp") << "BM not really a bitmap";
  EXPECT_THROW(draw->CreateSurface("bad", "bmp\\bad.bmp", 0, 0), VantorSystem::EVnDrawSurface);
  EXPECT_EQ(draw->FSurfaces->count("bad"), 0u);

  WriteBmp(dir + "/ok.bmp", Bitmap(4, 4));
  backend.display.failCreation = 0;
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDrawSurface>([&] { draw->CreateSurface("ok", "bmp\\ok.bmp", 0, 0); }),
            SurfaceError("サーフェイスの作成に失敗しました。\nファイル名：bmp\\ok.bmp"));
  EXPECT_EQ(draw->FSurfaces->count("ok"), 0u);
}

TEST_F(DrawTest, NegativeCellSizesAreRejectedAndRegisterNothing) {
  draw->Init();
  WriteBmp(dir + "/p.bmp", Bitmap(8, 8));
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->CreateSurface("p", "bmp\\p.bmp", -4, 4); }),
            DrawError("セルの大きさが負の値です。\nサーフェイス名：p"));
  EXPECT_THROW(draw->CreateSurface("p", "bmp\\p.bmp", 4, -1), VantorSystem::EVnDraw);
  EXPECT_TRUE(draw->FSurfaces->empty());
}

TEST_F(DrawTest, DeletingAndTheRegistrysOwnership) {
  draw->Init();
  AddPicture("a", Bitmap(2, 2));
  AddPicture("b", Bitmap(2, 2));
  TVantorDrawSurface* a = draw->FSurfaces->at("a").get();
  EXPECT_EQ(VantorSystem::AutoPtrRegistry::Count(a), 1u);
  draw->DeleteSurface("missing");  // no error
  draw->DeleteSurface("a");
  EXPECT_EQ(VantorSystem::AutoPtrRegistry::Count(a), 0u);
  EXPECT_EQ(draw->FSurfaces->size(), 1u);
  draw->DeleteAllSurface();
  EXPECT_TRUE(draw->FSurfaces->empty());
  EXPECT_EQ(backend.display.Surfaces().size(), 4u);  // primary and the three working surfaces
}

TEST_F(DrawTest, PureColoursLandExactlyOnTheKeyValuesInEveryFormat) {
  Bitmap colours(5, 1);
  const Rgb pure[] = {kBlack, kWhite, kRed, kGreen, kBlue};
  for (int i = 0; i < 5; ++i) colours.at(i, 0) = pure[i];
  for (TColorDepth depth : {cd16bpp, cd24bpp, cd32bpp}) {
    for (int key = tcBlack; key <= tcBlue; ++key) {
      SCOPED_TRACE(testing::Message() << "depth " << int(depth) << " key " << key);
      InitFullScreen(depth, TTransparentColor(key));
      AddPicture("c", colours);
      platform::Surface& picture = PictureSurface("c");
      // The picture pixel of the chosen pure colour is the key value itself.
      EXPECT_EQ(ReadPixel(picture, key, 0), draw->FColorKey);
      EXPECT_EQ(picture.ColorKey(), draw->FColorKey);

      // A keyed copy leaves exactly that pixel out.
      draw->Clear();
      Rgb grey{100, 100, 100};
      FillBack(grey);
      draw->Draw(10, 10, "c", 0);
      for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Back(10 + i, 10), i == key ? Pixel(grey) : Pixel(pure[i])) << i;
      draw->CleanUp();
    }
  }
}

TEST_F(DrawTest, ALostPictureIsRestoredFromItsFileOnItsNextUse) {
  InitFullScreen(cd16bpp);
  AddPicture("p", Bitmap(4, 4, kRed));
  auto& picture = PictureSurface("p");
  picture.MakeLost();
  draw->Draw(0, 0, "p", 0);  // finds it lost: restores it, draws nothing this time
  EXPECT_EQ(picture.restores, 1);
  EXPECT_FALSE(picture.IsLost());
  EXPECT_EQ(ReadPixel(picture, 1, 1), Pixel(kRed));  // the pixels are back
  EXPECT_EQ(Back(1, 1), 0u);
  draw->Draw(0, 0, "p", 0);
  EXPECT_EQ(Back(1, 1), Pixel(kRed));

  // Effects, zoom, rotation and the stretch restore it the same way.
  picture.MakeLost();
  draw->Draw(0, 0, "p", 0, beAdd, 255);
  EXPECT_FALSE(picture.IsLost());
  picture.MakeLost();
  draw->ZoomDraw(0, 0, 512, 512, "p", 0);
  EXPECT_FALSE(picture.IsLost());
  picture.MakeLost();
  draw->RotZoomDraw(20, 20, 100, 256, "p", 0);
  EXPECT_FALSE(picture.IsLost());
  picture.MakeLost();
  draw->DirectDraw({0, 0, 4, 4}, {0, 0, 4, 4}, "p");
  EXPECT_FALSE(picture.IsLost());
  picture.MakeLost();
  draw->WindDraw(0, 0, "p", 0, beNormal, -1, 0);
  EXPECT_FALSE(picture.IsLost());
  EXPECT_EQ(picture.restores, 6);
}

TEST_F(DrawTest, RestoreFailures) {
  InitFullScreen(cd16bpp);
  AddPicture("p", Bitmap(4, 4, kRed));
  auto& picture = PictureSurface("p");

  // A refused restore is quiet: the next use tries again.
  picture.MakeLost();
  picture.refuseRestore = true;
  draw->Draw(0, 0, "p", 0);
  EXPECT_TRUE(picture.IsLost());
  picture.refuseRestore = false;

  std::filesystem::remove(dir + "/p.bmp");
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDrawSurface>([&] { draw->Draw(0, 0, "p", 0); }),
            SurfaceError("BMPの読み込みに失敗しました。\nファイル名：bmp\\p.bmp"));

  WriteBmp(dir + "/p.bmp", Bitmap(4, 4, kRed));
  picture.MakeLost();
  picture.failBlits = true;  // the reload cannot be written
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDrawSurface>([&] { draw->Draw(0, 0, "p", 0); }),
            SurfaceError("サーフェイスの復帰に失敗しました。\nサーフェイス名：p"));
  // The picture lost its pixels but keeps its name and record.
  EXPECT_EQ(draw->FSurfaces->at("p")->PixelSurface(), nullptr);
  EXPECT_EQ(draw->GetSurfaceInfo("p").CellWidth, 4);
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDraw>([&] { draw->Draw(0, 0, "p", 0); }),
            DrawError("サーフェイスが存在しません。\nスプライト名：p"));
  EXPECT_EQ(ErrorOf<VantorSystem::EVnDrawSurface>([&] { draw->FSurfaces->at("p")->Restore(); }),
            SurfaceError("サーフェイスが存在しません\nサーフェイス名：p"));
}

}  // namespace
}  // namespace drawtest
