#pragma once

#include <algorithm>

namespace assetgen {

// Colours as 0..1 components. The art direction: light from the upper left, a dark navy
// outline around every craft, cool blues and white for the player, warm metals for the
// enemies, hot magenta for enemy fire and saturated, ringed capsules for items.
struct Colour {
  double r, g, b;

  Colour Mix(const Colour& o, double t) const {
    return {r + (o.r - r) * t, g + (o.g - g) * t, b + (o.b - b) * t};
  }
  Colour Lighter(double t) const { return Mix({1, 1, 1}, t); }
  Colour Darker(double t) const { return Mix({0, 0, 0}, t); }
  Colour Scaled(double k) const {
    return {std::min(1.0, r * k), std::min(1.0, g * k), std::min(1.0, b * k)};
  }
};

constexpr Colour Rgb(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0}; }

namespace palette {
inline constexpr Colour kOutline = Rgb(18, 16, 40);
inline constexpr Colour kWhite = Rgb(255, 255, 255);

// Player side.
inline constexpr Colour kPlayerHull = Rgb(206, 218, 236);
inline constexpr Colour kPlayerTrim = Rgb(40, 110, 230);
inline constexpr Colour kPlayerGlass = Rgb(90, 230, 255);
inline constexpr Colour kPlayerFlame = Rgb(110, 200, 255);
inline constexpr Colour kPlayerShot = Rgb(80, 220, 255);

// Enemy side.
inline constexpr Colour kRust = Rgb(176, 92, 52);
inline constexpr Colour kOlive = Rgb(120, 128, 60);
inline constexpr Colour kCrimson = Rgb(178, 40, 56);
inline constexpr Colour kBronze = Rgb(184, 140, 70);
inline constexpr Colour kViolet = Rgb(120, 70, 160);
inline constexpr Colour kGunmetal = Rgb(96, 104, 120);
inline constexpr Colour kTeal = Rgb(50, 130, 130);
inline constexpr Colour kEnemyLight = Rgb(255, 70, 40);
inline constexpr Colour kEnemyFlame = Rgb(255, 160, 60);

// Enemy fire.
inline constexpr Colour kBullet = Rgb(255, 60, 170);
inline constexpr Colour kBulletRim = Rgb(140, 10, 90);

// Items.
inline constexpr Colour kPowerItem = Rgb(60, 220, 80);
inline constexpr Colour kLifeItem = Rgb(60, 140, 255);
inline constexpr Colour kBonusItem = Rgb(255, 200, 40);

// Fire and smoke.
inline constexpr Colour kFireWhite = Rgb(255, 250, 220);
inline constexpr Colour kFireYellow = Rgb(255, 220, 80);
inline constexpr Colour kFireOrange = Rgb(255, 130, 30);
inline constexpr Colour kFireRed = Rgb(200, 40, 20);
inline constexpr Colour kSmoke = Rgb(70, 60, 64);

// Lettering.
inline constexpr Colour kGoldTop = Rgb(255, 236, 140);
inline constexpr Colour kGoldBottom = Rgb(220, 110, 20);
}  // namespace palette

}  // namespace assetgen
