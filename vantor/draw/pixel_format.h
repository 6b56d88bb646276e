#pragma once
// The display's pixel format as the blend and rotate-zoom kernels see it: one
// global state per program, filled by TVantorDraw::CheckPixelMode (the last
// call wins), and the sine and cosine tables of the rotation.
#include <cstdint>

#include "vantor/system/text.h"

namespace VantorDrawSystem {

// Colour key of all picture surfaces (the component's TransparentColor).
enum TTransparentColor : uint8_t { tcBlack, tcWhite, tcRed, tcGreen, tcBlue };

struct TPixelFormat {
  bool HasMMX = false;  // set once detected, never cleared
  uint32_t PixelBytes = 0;
  uint32_t RMask = 0, GMask = 0, BMask = 0;
  uint32_t OtherMask = 0xFFFFFFFF;  // bits that are no colour
  uint32_t ColorMask = 0;
  // Normalised shifts: each addresses the top m bits of its channel, m being
  // the narrowest channel's width (5-6-5: 11, 6, 0).
  uint32_t RShift = 0, GShift = 0, BShift = 0;
  uint32_t RBits = 0, GBits = 0, BBits = 0;
  uint32_t KeyColor = 0;
  // The back surface's size: the rotate-zoom kernels clip against it. Whoever
  // rebuilds the working surfaces with a new size updates these two.
  int32_t ScreenWidth = 0, ScreenHeight = 0;
};

extern TPixelFormat PixelFormat;

constexpr int AngleSteps = 65536;  // angles are 1/65536 of a full turn
// sin and cos of 2*pi*i/65536, times 65536, truncated toward zero.
extern int32_t SinTable[AngleSteps];
extern int32_t CosTable[AngleSteps];

// What the display device reports about its surfaces' format.
struct TDisplayFormat {
  uint32_t BitCount;
  uint32_t RMask, GMask, BMask;
};

// The key colour as a pixel value for the given channel masks.
uint32_t KeyColorFor(TTransparentColor color, uint32_t rMask, uint32_t gMask, uint32_t bMask);

// Steps 3 to 6 of CheckPixelMode: key colour, the global state with its
// normalised shifts, processor detection and the sine/cosine tables.
// PixelFormat.PixelBytes is the component's FBytesPerPixel afterwards and
// PixelFormat.KeyColor its FColorKey.
void SetPixelFormat(const TDisplayFormat& format, TTransparentColor color, int32_t width,
                    int32_t height);

// CheckPixelMode's debug line about the detected format (two log lines in
// one text): "TVantorDraw(Ex)::HasMMX:Yes  Width:640 ...".
AnsiString PixelFormatReport();

}  // namespace VantorDrawSystem
