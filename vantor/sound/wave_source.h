#pragma once
// The WAV file behind a sound buffer: the opened source and the chunk walk
// that finds its format record and sample data.
#include <cstdint>
#include <cstdio>
#include <memory>

#include "platform/sound.h"
#include "vantor/system/text.h"

namespace VantorSoundSystem {

// A file opened for reading, read sequentially with explicit seeks.
class WaveSource {
 public:
  // Null when the file cannot be opened.
  static std::unique_ptr<WaveSource> Open(const AnsiString& fileName);
  ~WaveSource();
  WaveSource(const WaveSource&) = delete;
  WaveSource& operator=(const WaveSource&) = delete;

  // The number of bytes read (fewer at the end of the file).
  uint32_t Read(void* to, uint32_t bytes);
  bool Seek(uint64_t position);
  uint64_t Position() const;
  uint64_t Size() const { return size_; }

 private:
  WaveSource(std::FILE* file, uint64_t size) : file_(file), size_(size) {}
  std::FILE* file_;
  uint64_t size_;
};

enum class WaveError { None, NotRiff, NotWave, BadFormat };

struct WaveLayout {
  platform::WaveFormat format;
  uint32_t dataOffset = 0;
  uint32_t dataSize = 0;
};

// Walks the RIFF chunks from the start of `source`. A "data" chunk that claims
// more bytes than the file holds is cut to what is there.
WaveError ReadWaveLayout(WaveSource& source, WaveLayout& layout);

}  // namespace VantorSoundSystem
