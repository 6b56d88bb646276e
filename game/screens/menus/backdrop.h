#pragma once
// The picture frozen under the menus, dimmed once when they open.
#include "vantor/draw/kernels.h"

namespace game {

// How much of the frozen picture under a menu is taken away (of 255).
constexpr int kMenuDimming = 224;

// EffectDraw's routine (without a picture) that dims the back surface in
// place: each channel becomes its value times (255 - Param1) / 255 at its
// whole precision, in the display format's own levels. (The 16-bit blend
// kernels drop green's low bit and cut every product, which turns a dark
// picture into a few flat patches.) Channels of fewer than 8 bits are
// dithered with a 4 x 4 ordered pattern fixed to the picture, so a frozen
// picture stays still: each result is within one level of the product, and
// every 4 x 4 cell of one colour averages within half a level of it. 8-bit
// channels are rounded, each within half a level.
void DimPicture(const VantorDrawSystem::TVantorDrawDirect& direct);

}  // namespace game
