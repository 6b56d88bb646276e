#include "vantor/draw/surface.h"

#include "platform/display.h"
#include "platform/files.h"
#include "vantor/system/frame.h"

namespace VantorDrawSystem {

using VantorSystem::EVnDrawSurface;
using VantorSystem::RunMethod;

namespace {

// The program has no built-in pictures: the file beside the program is the
// only source.
bool LoadPicture(platform::DisplayDevice* device, const AnsiString& file, platform::Picture& picture) {
  return device && device->LoadPicture(platform::ResolvePath(file), picture);
}

}  // namespace

TVantorDrawSurface::TVantorDrawSurface(platform::DisplayDevice* device) : FDevice(device) {
  RunMethod("TVantorDrawSurface::TVantorDrawSurface", [] {});
}

TVantorDrawSurface::~TVantorDrawSurface() {
  RunMethod("TVantorDrawSurface::~TVantorDrawSurface", [&] { FSurface.reset(); });
}

void TVantorDrawSurface::LoadFile(const AnsiString& name, const AnsiString& file, bool videoMemory, uint32_t key,
                                  int cellWidth, int cellHeight) {
  RunMethod("TVantorDrawSurface::LoadFile", [&] {
    FSurface.reset();
    FInfo.SurfaceName.clear();
    FInfo.FileName.clear();
    // Negative cells would give negative cell counts and cells outside the
    // picture.
    if (cellWidth < 0 || cellHeight < 0)
      throw EVnDrawSurface(VN_TEXT("セルの大きさが負の値です。\nファイル名：") + file);

    platform::Picture picture;
    if (!LoadPicture(FDevice, file, picture))
      throw EVnDrawSurface(VN_TEXT("BMPの読み込みに失敗しました。\nファイル名：") + file);
    FInfo.Width = picture.width;
    FInfo.Height = picture.height;
    FInfo.CellWidth = cellWidth ? cellWidth : picture.width;
    FInfo.CellHeight = cellHeight ? cellHeight : picture.height;
    FInfo.CellsPerLine = FInfo.Width / FInfo.CellWidth;
    FInfo.CellCount = (FInfo.Height / FInfo.CellHeight) * FInfo.CellsPerLine;

    FSurface = FDevice->CreateSurface(picture.width, picture.height, videoMemory);
    if (!FSurface) throw EVnDrawSurface(VN_TEXT("サーフェイスの作成に失敗しました。\nファイル名：") + file);
    if (FSurface->Transfer(picture) != platform::SurfaceResult::Ok) {
      FSurface.reset();
      throw EVnDrawSurface(VN_TEXT("BMPの転送に失敗しました。\nファイル名：") + file);
    }
    FSurface->SetColorKey(key);
    FInfo.SurfaceName = name;
    FInfo.FileName = file;
  });
}

void TVantorDrawSurface::Restore() {
  RunMethod("TVantorDrawSurface::Restore", [&] {
    if (!FSurface)
      throw EVnDrawSurface(VN_TEXT("サーフェイスが存在しません\nサーフェイス名：") + FInfo.SurfaceName);
    // A refused restore is tried again at the next use.
    if (FSurface->Restore() != platform::SurfaceResult::Ok) return;
    platform::Picture picture;
    if (!LoadPicture(FDevice, FInfo.FileName, picture))
      throw EVnDrawSurface(VN_TEXT("BMPの読み込みに失敗しました。\nファイル名：") + FInfo.FileName);
    if (FSurface->Transfer(picture) != platform::SurfaceResult::Ok) {
      FSurface.reset();
      throw EVnDrawSurface(VN_TEXT("サーフェイスの復帰に失敗しました。\nサーフェイス名：") + FInfo.SurfaceName);
    }
  });
}

}  // namespace VantorDrawSystem
