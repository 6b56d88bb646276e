#include "vantor/sound/wave_source.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "platform/files.h"

namespace VantorSoundSystem {

std::unique_ptr<WaveSource> WaveSource::Open(const AnsiString& fileName) {
  std::FILE* file = std::fopen(platform::ResolvePath(fileName).c_str(), "rb");
  if (!file) return nullptr;
  // A folder opens too, and only its reads fail: it is no sound file.
  struct stat status;
  if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode)) {
    std::fclose(file);
    return nullptr;
  }
  // Reads are either a few header bytes or whole halves of a stream: no
  // buffer, so a stream always reads what the file holds now.
  std::setvbuf(file, nullptr, _IONBF, 0);
  if (std::fseek(file, 0, SEEK_END) != 0) {
    std::fclose(file);
    return nullptr;
  }
  long size = std::ftell(file);
  if (size < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
    std::fclose(file);
    return nullptr;
  }
  return std::unique_ptr<WaveSource>(new WaveSource(file, static_cast<uint64_t>(size)));
}

WaveSource::~WaveSource() { std::fclose(file_); }

uint32_t WaveSource::Read(void* to, uint32_t bytes) {
  return static_cast<uint32_t>(std::fread(to, 1, bytes, file_));
}

bool WaveSource::Seek(uint64_t position) {
  // Past the end is allowed: the next read then delivers nothing.
  return std::fseek(file_, static_cast<long>(std::min<uint64_t>(position, size_)), SEEK_SET) == 0;
}

uint64_t WaveSource::Position() const {
  long position = std::ftell(file_);
  return position < 0 ? size_ : static_cast<uint64_t>(position);
}

namespace {

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

// The format record as it lies in the file; a short "fmt " chunk leaves the
// missing fields zero.
platform::WaveFormat DecodeFormat(const uint8_t (&record)[18]) {
  platform::WaveFormat f;
  f.formatTag = Le16(record);
  f.channels = Le16(record + 2);
  f.samplesPerSec = Le32(record + 4);
  f.avgBytesPerSec = Le32(record + 8);
  f.blockAlign = Le16(record + 12);
  f.bitsPerSample = Le16(record + 14);
  f.extraSize = Le16(record + 16);
  return f;
}

constexpr uint32_t kFormatRecordBytes = 18;

// True when a chunk identifier starts at `position`: four printable
// characters, as every chunk identifier is.
bool ChunkFollows(WaveSource& source, uint64_t position) {
  uint8_t id[4];
  if (!source.Seek(position) || source.Read(id, 4) < 4) return false;
  return std::all_of(std::begin(id), std::end(id), [](uint8_t c) { return c >= 0x20 && c <= 0x7E; });
}

// Where the chunk after one of `size` bytes from `start` begins. RIFF pads a
// chunk of odd size with a zero byte, but files written without the pad byte
// exist too: the next chunk begins right after the data when an identifier
// starts there (a zero pad byte never starts one), else after the pad byte.
uint64_t NextChunk(WaveSource& source, uint64_t start, uint32_t size) {
  const uint64_t end = start + size;
  if (size % 2 == 0 || ChunkFollows(source, end)) return end;
  return end + 1;
}

}  // namespace

WaveError ReadWaveLayout(WaveSource& source, WaveLayout& layout) {
  layout = WaveLayout{};
  uint8_t header[8];
  if (!source.Seek(0) || source.Read(header, 8) < 8 || std::memcmp(header, "RIFF", 4) != 0)
    return WaveError::NotRiff;
  if (source.Read(header, 4) < 4 || std::memcmp(header, "WAVE", 4) != 0) return WaveError::NotWave;

  bool formatSeen = false;
  while (source.Read(header, 8) == 8) {
    uint32_t chunkSize = Le32(header + 4);
    uint64_t chunkStart = source.Position();
    if (std::memcmp(header, "fmt ", 4) == 0) {
      uint8_t record[kFormatRecordBytes] = {};
      source.Read(record, std::min(kFormatRecordBytes, chunkSize));
      layout.format = DecodeFormat(record);
      formatSeen = true;
    } else if (std::memcmp(header, "data", 4) == 0) {
      // A data chunk may come before the format: note it and walk on.
      if (chunkStart > UINT32_MAX) break;
      layout.dataOffset = static_cast<uint32_t>(chunkStart);
      layout.dataSize = chunkSize;
    }
    if (formatSeen && layout.dataOffset != 0 && layout.dataSize != 0) break;
    if (!source.Seek(NextChunk(source, chunkStart, chunkSize))) break;
  }

  if (layout.dataOffset != 0 && layout.dataOffset + uint64_t{layout.dataSize} > source.Size())
    layout.dataSize = static_cast<uint32_t>(source.Size() - std::min<uint64_t>(source.Size(), layout.dataOffset));
  if (!formatSeen || layout.dataOffset == 0 || layout.dataSize == 0) return WaveError::BadFormat;
  return WaveError::None;
}

}  // namespace VantorSoundSystem
