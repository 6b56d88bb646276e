#include <cmath>

#include "game/form.h"
#include "platform/random.h"

namespace game {
namespace {

struct SpriteGroup {
  const char* prefix;
  int count;
  // 1 or 2: the frame number with that many digits follows the prefix;
  // 0: the entry's glyph character ("0" ... "[") precedes the prefix.
  int digits;
};

// The groups of SpriteNames in table order.
constexpr SpriteGroup kGroups[] = {
    {"5_", 8, 1},     {"s", 10, 0},     {"", 37, 0},      {"24_", 7, 2},    {"32_", 19, 2},
    {"40_", 12, 2},   {"62_", 18, 2},   {"60_", 7, 2},    {"64_", 16, 2},   {"70_", 15, 2},
    {"80_", 77, 2},   {"96_", 48, 2},   {"100_", 75, 2},  {"120_", 21, 2},  {"150_", 15, 2},
    {"1507_", 10, 2}, {"180_", 20, 2},  {"200_", 52, 2},  {"300_", 2, 2},
};

constexpr char kGlyphs[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ[";

std::array<AnsiString, kSpriteCount> BuildSpriteNames() {
  std::array<AnsiString, kSpriteCount> names;
  size_t i = 0;
  for (const SpriteGroup& g : kGroups) {
    for (int n = 0; n < g.count; ++n) {
      AnsiString name;
      if (g.digits == 0) {
        name = AnsiString(1, kGlyphs[n]) + g.prefix;
      } else {
        name = g.prefix;
        if (g.digits == 2 && n < 10) name += '0';
        name += std::to_string(n);
      }
      names[i++] = name;
    }
  }
  return names;
}

}  // namespace

const std::array<AnsiString, kSpriteCount> SpriteNames = BuildSpriteNames();

void FillDirectionTables(int32_t dirCos[16], int32_t dirSin[16]) {
  for (int d = 0; d < 16; ++d) {
    double angle = d * 6.28318 / 16;
    dirCos[d] = static_cast<int32_t>(std::cos(angle) * 16);
    dirSin[d] = static_cast<int32_t>(std::sin(angle) * 16);
  }
}

namespace {

// The octant step of a shallow slope a / b (a < b).
int Octant(int a, int b) {
  int q = a / (b / 16);
  return kOctant[q < 16 ? q : 16];
}

}  // namespace

int AimDirection(int fromX, int fromY, int toX, int toY) {
  const int dx = static_cast<int16_t>(toX - fromX);
  const int dy = static_cast<int16_t>(toY - fromY);
  if (dx >= -31 && dx <= 31) return dy > 0 ? 4 : 12;
  if (dy >= -1 && dy <= 31) return dx > 0 ? 0 : 8;
  if (dx > 0) {
    if (dy < 0) {
      const int e = -dy;
      return dx < e ? 12 + Octant(dx, e) : (16 - Octant(e, dx)) % 16;
    }
    return dx < dy ? 4 - Octant(dx, dy) : Octant(dy, dx);
  }
  const int a = -dx;
  if (dy > 0) return a < dy ? 4 + Octant(a, dy) : 8 - Octant(dy, a);
  const int e = -dy;
  return a < e ? 12 - Octant(a, e) : 8 + Octant(e, a);
}

int Random(int n) { return platform::Rand().Next() % n; }

void TForm1::ResetRun() {
  GameState.stage = 0;
  PlayerShip.power = 0;
  PlayerShip.powerCounter = 0;
  GameState.lives = 2;
  GameState.score = 0;
  for (int32_t& x : GameState.layerX) x = 0;
}

// The ship, back at (x, 240) with its trail, flying in at `speed`.
void TForm1::StartFlyIn(int x, int speed) {
  PlayerShip.x = x;
  PlayerShip.y = 240;
  PlayerShip.tilt = 5;
  PlayerShip.deathTimer = 0;
  PlayerShip.mode = 0;
  PlayerShip.spin = 0;
  GameState.autopilot = 1;
  GameState.autopilotSpeed = speed;
  GameState.shotCadence = 0;
  GameState.firingPose = 0;
  GameState.dying = 0;
  SetTrail(x, 240);
}

void TForm1::ResetStage() {
  StartFlyIn(-1600, 58);
  PlayerShip.optionFrame = 0;
  GameState.invincible = 0;
  GameState.gameOver = 0;
  GameState.scriptDivider = 0;
  GameState.scriptWait = 0;
  GameState.scriptPos = 0;
  FreeAll(Shot);
  FreeAll(Enemy);
  FreeAll(EnemyBullet);
  FreeAll(Effect);
  FreeAll(Banner);
}

void TForm1::StartNewLife() {
  StartFlyIn(-600, 38);
  GameState.invincible = 120;
}

void TForm1::SetTrail(int x, int y) {
  for (TrailPoint& p : Trail) p = {x, y};
}

void TForm1::UpdateTrail() {
  Trail[0] = {PlayerShip.x, PlayerShip.y};
  for (int k = kTrailLength - 2; k >= 0; --k) Trail[k + 1] = Trail[k];
}

}  // namespace game
