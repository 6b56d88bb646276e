#include "bmp_writer.h"

#include "byte_writer.h"

namespace assetgen {

void WriteBmp(const std::string& path, const Picture& picture) {
  const std::uint32_t rowBytes = (static_cast<std::uint32_t>(picture.width) * 3 + 3) & ~3u;
  const std::uint32_t imageBytes = rowBytes * static_cast<std::uint32_t>(picture.height);
  ByteWriter out;
  out.Reserve(14 + 40 + imageBytes);
  out.Text("BM");
  out.U32le(14 + 40 + imageBytes);
  out.U32le(0);
  out.U32le(14 + 40);
  out.U32le(40);
  out.U32le(static_cast<std::uint32_t>(picture.width));
  out.U32le(static_cast<std::uint32_t>(picture.height));
  out.U16le(1);
  out.U16le(24);
  out.U32le(0);
  out.U32le(imageBytes);
  out.U32le(2835);  // 72 dpi
  out.U32le(2835);
  out.U32le(0);
  out.U32le(0);
  for (int y = picture.height - 1; y >= 0; --y) {
    for (int x = 0; x < picture.width; ++x) {
      const std::uint8_t* p = picture.At(x, y);
      out.U8(p[2]);
      out.U8(p[1]);
      out.U8(p[0]);
    }
    for (std::uint32_t pad = static_cast<std::uint32_t>(picture.width) * 3; pad < rowBytes; ++pad) out.U8(0);
  }
  out.Save(path);
}

}  // namespace assetgen
