#include "wav_writer.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "byte_writer.h"

namespace assetgen {

void WriteWav(const std::string& path, const std::vector<double>& samples, int rate, int bits) {
  if (bits != 8 && bits != 16) throw std::runtime_error("unsupported sample size");
  const std::uint32_t bytesPerSample = bits / 8;
  std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size()) * bytesPerSample;
  const bool pad = dataBytes % 2 != 0;  // keep every chunk even-sized
  ByteWriter out;
  out.Text("RIFF");
  out.U32le(4 + 8 + 16 + 8 + dataBytes + (pad ? 1 : 0));
  out.Text("WAVE");
  out.Text("fmt ");
  out.U32le(16);
  out.U16le(1);  // PCM
  out.U16le(1);  // mono
  out.U32le(static_cast<std::uint32_t>(rate));
  out.U32le(static_cast<std::uint32_t>(rate) * bytesPerSample);
  out.U16le(bytesPerSample);
  out.U16le(static_cast<std::uint32_t>(bits));
  out.Text("data");
  out.U32le(dataBytes);
  for (double s : samples) {
    const double v = std::clamp(s, -1.0, 1.0);
    if (bits == 8) {
      out.U8(static_cast<std::uint32_t>(std::lround(128 + v * 127)));
    } else {
      out.U16le(static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(v * 32767))));
    }
  }
  if (pad) out.U8(0x80);
  out.Save(path);
}

}  // namespace assetgen
