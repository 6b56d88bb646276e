#include "wav_reader.h"

#include <filesystem>
#include <vector>

#include "vantor/sound/wave_source.h"

namespace loudness {

// The chunk walk is the sound component's own, so the tool reads every file
// the game reads (odd chunks with or without their pad byte) and no other.
bool ReadWav(const std::string& path, Audio& audio, std::string& error) {
  using namespace VantorSoundSystem;
  std::error_code ignored;
  auto source = WaveSource::Open(std::filesystem::absolute(path, ignored).string());
  if (!source) {
    error = "cannot read the file";
    return false;
  }
  WaveLayout layout;
  const WaveError walked = ReadWaveLayout(*source, layout);
  if (walked == WaveError::NotRiff || walked == WaveError::NotWave) {
    error = "not a RIFF WAVE file";
    return false;
  }
  const platform::WaveFormat& format = layout.format;
  const int bits = format.bitsPerSample;
  if (walked != WaveError::None || format.formatTag != platform::kWaveFormatPcm || (bits != 8 && bits != 16) ||
      format.channels < 1) {
    error = "not an 8 or 16-bit PCM WAV file";
    return false;
  }
  std::vector<uint8_t> data(layout.dataSize);
  if (!source->Seek(layout.dataOffset)) {
    error = "cannot read the file";
    return false;
  }
  data.resize(source->Read(data.data(), layout.dataSize));
  audio = Audio{};
  audio.channels = format.channels;
  audio.rate = format.samplesPerSec;
  const size_t step = static_cast<size_t>(bits / 8);
  audio.samples.reserve(data.size() / step);
  for (size_t p = 0; p + step <= data.size(); p += step)
    audio.samples.push_back(bits == 8 ? static_cast<int16_t>((data[p] - 128) * 256)
                                      : static_cast<int16_t>(data[p] | data[p + 1] << 8));
  return true;
}

}  // namespace loudness
