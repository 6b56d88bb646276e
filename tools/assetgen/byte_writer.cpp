#include "byte_writer.h"

#include <cstdio>
#include <stdexcept>

namespace assetgen {

void ByteWriter::VarLen(std::uint32_t v) {
  std::uint8_t groups[5];
  int n = 0;
  do {
    groups[n++] = static_cast<std::uint8_t>(v & 0x7F);
    v >>= 7;
  } while (v != 0);
  while (n > 1) U8(groups[--n] | 0x80);
  U8(groups[0]);
}

void ByteWriter::Save(const std::string& path) const {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) throw std::runtime_error("cannot create " + path);
  const bool ok = std::fwrite(bytes_.data(), 1, bytes_.size(), f) == bytes_.size();
  if (std::fclose(f) != 0 || !ok) throw std::runtime_error("cannot write " + path);
}

}  // namespace assetgen
