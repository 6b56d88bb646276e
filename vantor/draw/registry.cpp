// The registry of named pictures: CreateSurface, GetSurfaceInfo,
// DeleteSurface, DeleteAllSurface.
#include <string>

#include "vantor/draw/draw.h"
#include "vantor/system/frame.h"

namespace VantorDrawSystem {

using VantorSystem::EVnDraw;
using VantorSystem::RunMethod;
using VantorSystem::VnTrace;

void TVantorDraw::CreateSurface(const AnsiString& name, const AnsiString& file, int cellWidth, int cellHeight) {
  RunMethod("TVantorDraw::CreateSurface", [&] {
    RequireInitialized();
    if (cellWidth < 0 || cellHeight < 0)
      throw EVnDraw(VN_TEXT("セルの大きさが負の値です。\nサーフェイス名：") + name);
    if (FSurfaces->count(name)) return;
    auto* surface = new TVantorDrawSurface(FDevice);
    FSurfaces->try_emplace(name, surface);
    try {
      surface->LoadFile(name, file, FVideoMemory, FColorKey, cellWidth, cellHeight);
    } catch (...) {
      FSurfaces->erase(name);
      throw;
    }
    if (VantorDebugSystem::TVantorDebug::GetDebug()) {
      TVantorDrawSurfaceInfo info = GetSurfaceInfo(name);
      VnTrace(VN_TEXT("TVantorDraw(Ex)::サーフェイス作成") + "  FileName:" + file + "  SurfaceName:" + name +
              "\nTVantorDraw(Ex)::BMPWidth:" + std::to_string(info.CellWidth) +
              "  BMPHeight:" + std::to_string(info.CellHeight) + "  Line:" + std::to_string(info.CellsPerLine) +
              "  Count:" + std::to_string(info.CellCount));
      WriteVideoMemoryLine();
    }
  });
}

TVantorDrawSurfaceInfo TVantorDraw::GetSurfaceInfo(const AnsiString& name) {
  return RunMethod("TVantorDraw::GetSurfaceInfo", [&] {
    auto found = FSurfaces->find(name);
    if (found == FSurfaces->end()) throw EVnDraw(VN_TEXT("サーフェイスが存在しません。\nサーフェイス名：") + name);
    return found->second->Info();
  });
}

void TVantorDraw::DeleteSurface(const AnsiString& name) {
  RunMethod("TVantorDraw::DeleteSurface", [&] {
    FSurfaces->erase(name);
    if (VantorDebugSystem::TVantorDebug::GetDebug()) {
      VnTrace(VN_TEXT("TVantorDraw(Ex)::サーフェイス削除") + "SurfaceName:" + name);
      WriteVideoMemoryLine();
    }
  });
}

void TVantorDraw::DeleteAllSurface() {
  RunMethod("TVantorDraw::DeleteAllSurface", [&] {
    FSurfaces->clear();
    VnTrace(VN_TEXT("TVantorDraw(Ex)::全サーフェイスの削除"));
    WriteVideoMemoryLine();
  });
}

}  // namespace VantorDrawSystem
