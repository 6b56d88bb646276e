#include "vantor/draw/pixel_format.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "platform/processor.h"

namespace VantorDrawSystem {

TPixelFormat PixelFormat;
int32_t SinTable[AngleSteps];
int32_t CosTable[AngleSteps];

namespace {

struct Channel {
  uint32_t shift = 0;
  uint32_t bits = 0;
};

// Lowest set bit and the run of set bits from there.
Channel MeasureChannel(uint32_t mask) {
  if (mask == 0) return {};
  const uint32_t low = static_cast<uint32_t>(std::countr_zero(mask));
  return {low, static_cast<uint32_t>(std::countr_one(mask >> low))};
}

bool ProcessorHasMMX() {
  constexpr uint32_t kMmxBit = 1u << 23;
  return (platform::Cpuid(1).edx & kMmxBit) != 0;
}

void BuildTrigTables() {
  const long double step = std::numbers::pi_v<long double> * 2 * (1.0L / AngleSteps);
  for (int i = 0; i < AngleSteps; ++i) {
    const long double angle = static_cast<long double>(i) * step;
    SinTable[i] = static_cast<int32_t>(std::sin(angle) * 65536);
    CosTable[i] = static_cast<int32_t>(std::cos(angle) * 65536);
  }
}

}  // namespace

uint32_t KeyColorFor(TTransparentColor color, uint32_t rMask, uint32_t gMask, uint32_t bMask) {
  switch (color) {
    case tcWhite: return rMask | gMask | bMask;
    case tcRed: return rMask;
    case tcGreen: return gMask;
    case tcBlue: return bMask;
    case tcBlack: break;
  }
  return 0;
}

void SetPixelFormat(const TDisplayFormat& format, TTransparentColor color, int32_t width,
                    int32_t height) {
  TPixelFormat& pf = PixelFormat;
  pf.PixelBytes = format.BitCount / 8;
  pf.RMask = format.RMask;
  pf.GMask = format.GMask;
  pf.BMask = format.BMask;
  pf.ColorMask = format.RMask | format.GMask | format.BMask;
  pf.OtherMask = ~pf.ColorMask;
  pf.KeyColor = KeyColorFor(color, format.RMask, format.GMask, format.BMask);
  pf.ScreenWidth = width;
  pf.ScreenHeight = height;

  Channel r = MeasureChannel(format.RMask), g = MeasureChannel(format.GMask),
          b = MeasureChannel(format.BMask);
  if (pf.PixelBytes == 1) r = g = b = Channel{};  // palette: no channels
  const uint32_t narrowest = std::min({r.bits, g.bits, b.bits});
  pf.RShift = r.shift + (r.bits - narrowest);
  pf.GShift = g.shift + (g.bits - narrowest);
  pf.BShift = b.shift + (b.bits - narrowest);
  pf.RBits = r.bits;
  pf.GBits = g.bits;
  pf.BBits = b.bits;

  if (ProcessorHasMMX()) pf.HasMMX = true;
  BuildTrigTables();
}

AnsiString PixelFormatReport() {
  const TPixelFormat& pf = PixelFormat;
  char line[256];
  std::snprintf(line, sizeof line,
                "TVantorDraw(Ex)::HasMMX:%s  Width:%d  Height:%d  ColorBit:%u\n"
                "TVantorDraw(Ex)::RMask:%08X  GMask:%08X  BMask:%08X  Key:%08X",
                pf.HasMMX ? "Yes" : "No", pf.ScreenWidth, pf.ScreenHeight, pf.PixelBytes * 8,
                pf.RMask, pf.GMask, pf.BMask, pf.KeyColor);
  return line;
}

}  // namespace VantorDrawSystem
