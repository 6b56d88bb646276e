#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace assetgen {

// Little helper shared by the BMP, MIDI and WAV writers: bytes in either order, then one file write.
class ByteWriter {
 public:
  void U8(std::uint32_t v) { bytes_.push_back(static_cast<std::uint8_t>(v)); }
  void U16le(std::uint32_t v) { U8(v); U8(v >> 8); }
  void U32le(std::uint32_t v) { U16le(v); U16le(v >> 16); }
  void U16be(std::uint32_t v) { U8(v >> 8); U8(v); }
  void U32be(std::uint32_t v) { U16be(v >> 16); U16be(v); }
  void Text(std::string_view s) {
    for (char c : s) U8(static_cast<std::uint8_t>(c));
  }
  void Append(const std::vector<std::uint8_t>& b) { bytes_.insert(bytes_.end(), b.begin(), b.end()); }
  void Reserve(std::size_t n) { bytes_.reserve(n); }
  // Writes a variable-length quantity as used by Standard MIDI Files.
  void VarLen(std::uint32_t v);

  std::size_t Size() const { return bytes_.size(); }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  void Save(const std::string& path) const;

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace assetgen
