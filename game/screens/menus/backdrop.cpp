#include "game/screens/menus/backdrop.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstring>

#include "vantor/draw/pixel_format.h"

namespace game {
namespace {

using VantorDrawSystem::PixelFormat;
using VantorDrawSystem::TVantorDrawDirect;

// The ordered dither's thresholds in sixteenths (Bayer's 4 x 4 matrix): over
// a cell every threshold comes once.
constexpr uint32_t kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

// One channel of the display format and its dimmed values, by dither
// threshold and by value.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  std::array<std::array<uint8_t, 256>, 16> dimmed{};
};

// False for a channel of no bits or more than 8.
bool Prepare(Channel& channel, uint32_t mask, uint32_t keep) {
  const int bits = std::popcount(mask);
  if (bits == 0 || bits > 8) return false;
  channel.mask = mask;
  channel.shift = std::countr_zero(mask);
  const uint32_t top = (1u << bits) - 1;
  for (uint32_t t = 0; t < 16; ++t)
    for (uint32_t value = 0; value <= top; ++value) {
      // value * keep / 255 in the channel's own levels, plus the threshold
      // in 32nds (a half where the channel has 8 bits), cut.
      const uint32_t threshold = bits < 8 ? 2 * t + 1 : 16;
      channel.dimmed[t][value] = uint8_t(std::min(top, (32 * value * keep + threshold * 255) / (32 * 255)));
    }
  return true;
}

template <int Bytes>
void DimRows(const TVantorDrawDirect& direct, const std::array<Channel, 3>& channels) {
  const uint32_t other = PixelFormat.OtherMask;
  for (int y = 0; y < direct.Height; ++y) {
    uint8_t* pixel = direct.Dst + std::ptrdiff_t(y) * direct.DstPitch;
    const uint32_t* thresholds = kBayer[y & 3];
    for (int x = 0; x < direct.Width; ++x, pixel += Bytes) {
      uint32_t value = 0;
      std::memcpy(&value, pixel, Bytes);
      const uint32_t t = thresholds[x & 3];
      uint32_t dimmed = value & other;
      for (const Channel& channel : channels)
        dimmed |= uint32_t(channel.dimmed[t][(value & channel.mask) >> channel.shift]) << channel.shift;
      std::memcpy(pixel, &dimmed, Bytes);
    }
  }
}

}  // namespace

void DimPicture(const TVantorDrawDirect& direct) {
  if (!direct.Dst) return;
  const uint32_t keep = uint32_t(255 - std::clamp(direct.Param1, 0, 255));
  std::array<Channel, 3> channels;
  const uint32_t masks[3] = {PixelFormat.RMask, PixelFormat.GMask, PixelFormat.BMask};
  for (int c = 0; c < 3; ++c)
    if (!Prepare(channels[c], masks[c], keep)) return;
  switch (PixelFormat.PixelBytes) {
    case 2: DimRows<2>(direct, channels); break;
    case 3: DimRows<3>(direct, channels); break;
    case 4: DimRows<4>(direct, channels); break;
    default: break;
  }
}

}  // namespace game
