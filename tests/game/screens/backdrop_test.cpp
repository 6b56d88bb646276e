// The picture under the menus, dimmed: every channel of a gradient against
// its value times the dimming factor, in each display format; and the
// menus showing the frozen picture dimmed once, not twice.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "game/screens/menus/backdrop.h"
#include "tests/game/form_fixture.h"
#include "vantor/draw/pixel_format.h"

namespace game::testing {
namespace {

using VantorDrawSystem::TDisplayFormat;
using VantorDrawSystem::TVantorDrawDirect;

struct Format {
  const char* name;
  TDisplayFormat display;
};
constexpr Format kFormats[] = {
    {"5-6-5", {16, 0xF800, 0x07E0, 0x001F}},
    {"8-8-8", {24, 0xFF0000, 0x00FF00, 0x0000FF}},
    {"X-8-8-8", {32, 0xFF0000, 0x00FF00, 0x0000FF}},
};

// 256 cells of 4 x 4 pixels side by side, each of one colour: red runs up
// through every value of its channel, green down, blue in steps of 97, and
// the bits outside the channels are set.
constexpr int kCells = 256, kCell = 4, kWidth = kCells * kCell;

uint32_t ChannelValue(uint32_t mask, int cell, int channel) {
  const uint32_t top = mask >> std::countr_zero(mask);
  const uint32_t ramps[3] = {uint32_t(cell), uint32_t(255 - cell), uint32_t(cell * 97 % 256)};
  return ramps[channel] * top / 255;
}

TEST(MenuBackdrop, EveryChannelIsItsValueTimesTheFactor) {
  for (const Format& f : kFormats) {
    VantorDrawSystem::SetPixelFormat(f.display, VantorDrawSystem::tcBlack, 640, 480);
    const auto& format = VantorDrawSystem::PixelFormat;
    const uint32_t masks[3] = {format.RMask, format.GMask, format.BMask};
    const int bytes = int(format.PixelBytes);
    for (int amount : {kMenuDimming, 0, 100, 255}) {
      SCOPED_TRACE(std::string(f.name) + ", amount " + std::to_string(amount));
      const int pitch = kWidth * bytes + 6;  // rows with room after them
      std::vector<uint8_t> picture(size_t(pitch) * kCell);
      for (int y = 0; y < kCell; ++y)
        for (int x = 0; x < kWidth; ++x) {
          uint32_t pixel = format.OtherMask;
          for (int c = 0; c < 3; ++c) pixel |= ChannelValue(masks[c], x / kCell, c) << std::countr_zero(masks[c]);
          std::memcpy(&picture[size_t(y) * pitch + size_t(x) * bytes], &pixel, size_t(bytes));
        }
      const std::vector<uint8_t> before = picture;
      DimPicture(TVantorDrawDirect{picture.data(), nullptr, pitch, 0, kWidth, kCell, 0, 0, amount, 0});

      const double factor = (255 - amount) / 255.0;
      for (int cell = 0; cell < kCells; ++cell)
        for (int c = 0; c < 3; ++c) {
          const uint32_t mask = masks[c];
          const int shift = std::countr_zero(mask);
          const bool eightBit = std::popcount(mask) == 8;
          const double wanted = ChannelValue(mask, cell, c) * factor;
          double sum = 0;
          for (int y = 0; y < kCell; ++y)
            for (int x = cell * kCell; x < (cell + 1) * kCell; ++x) {
              uint32_t pixel = 0;
              std::memcpy(&pixel, &picture[size_t(y) * pitch + size_t(x) * bytes], size_t(bytes));
              ASSERT_EQ(pixel & format.OtherMask, format.OtherMask & (bytes == 4 ? ~0u : (1u << 8 * bytes) - 1));
              const double got = (pixel & mask) >> shift;
              // Rounded where the channel has 8 bits, dithered where fewer.
              ASSERT_LE(std::abs(got - wanted), eightBit ? 0.5 : 0.999) << "cell " << cell << " channel " << c;
              sum += got;
            }
          ASSERT_LE(std::abs(sum / (kCell * kCell) - wanted), 0.5) << "cell " << cell << " channel " << c;
        }
      // Nothing after the rows is touched; amount 0 changes nothing.
      for (int y = 0; y < kCell; ++y)
        ASSERT_EQ(std::memcmp(&picture[size_t(y) * pitch + size_t(kWidth) * bytes],
                              &before[size_t(y) * pitch + size_t(kWidth) * bytes], 6),
                  0);
      if (amount == 0) {
        EXPECT_EQ(picture, before);
      }
    }
  }
}

// Under a menu the frozen picture shows dimmed by the factor (the top of
// the screen, where the title menu draws nothing), each 4 x 4 cell's mean
// within half a 5-bit level, as the screen shows it in 8-bit channels.
TEST_F(FormTest, TheMenusShowTheFrozenPictureDimmedOnce) {
  CreateForm();
  for (int frame = 0; frame < 10; ++frame) backend.app.Step();
  const platform::headless::Frame frozen = backend.display.LastFrame();
  backend.app.PressKey({platform::kVirtualKeyPause, 0xC5});
  for (int frame = 0; frame < 3; ++frame) backend.app.Step();
  ASSERT_EQ(form->menus.TraceName(), "title:START");
  const platform::headless::Frame shown = backend.display.LastFrame();
  ASSERT_EQ(shown.width, frozen.width);
  ASSERT_GE(shown.height, 64);
  const double factor = (255 - kMenuDimming) / 255.0, halfLevel = 255.0 / 31 / 2;
  double brightest = 0;
  for (int top = 0; top < 64; top += kCell)
    for (int left = 0; left < shown.width; left += kCell)
      for (int c = 0; c < 3; ++c) {
        double was = 0, is = 0;
        for (int y = top; y < top + kCell; ++y)
          for (int x = left; x < left + kCell; ++x) {
            const size_t at = (size_t(y) * shown.width + x) * 3 + c;
            was += frozen.rgb[at];
            is += shown.rgb[at];
          }
        was /= kCell * kCell;
        is /= kCell * kCell;
        brightest = std::max(brightest, was);
        ASSERT_LE(std::abs(is - was * factor), halfLevel) << "cell at " << left << "," << top << " channel " << c;
      }
  // The comparison meant something: the top of the title is not black.
  EXPECT_GT(brightest, 100);
}

}  // namespace
}  // namespace game::testing
