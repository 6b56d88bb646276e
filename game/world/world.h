#pragma once
// The game world: every record of a running game, the fixed pools they live
// in, the sprite-name table and the constant tables all movement uses. All of
// it sits in fixed arrays inside the form; nothing here allocates during play.
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "vantor/system/text.h"

namespace game {

// ---------------------------------------------------------------- screens

enum ScreenCode : int32_t {
  ScreenTitle = 0,
  ScreenPlay = 1,
  ScreenGameOver = 2,
  ScreenResults = 8,
  ScreenRanking = 9,
  ScreenHowToPlay = 10,
};

// ---------------------------------------------------------------- records

struct GameState {
  int32_t screen;
  int32_t showHowToPlayNext;
  int32_t musicRequest;
  int32_t titleSongNeeded;
  int32_t screenCounter;
  int32_t titleAngle;
  int32_t titleZoom;
  int32_t titleZoomDir;
  int32_t layerX[4];
  int32_t autopilot;
  int32_t autopilotSpeed;
  int32_t shotCadence;
  int32_t firingPose;
  int32_t pressLatch;
  int32_t score;
  int32_t lives;
  int32_t stage;
  int32_t scriptDivider;
  int32_t scriptWait;
  int32_t scriptPos;
  int32_t scriptOp;
  int32_t invincible;
  int32_t gameOver;
  int32_t dying;
  int32_t gameOverGrow;
  int32_t soundRequest;
  // Seven caption flags (button 1-3, up, left, right, down), then seven
  // simulated keys (button 1-3, down, left, right, up).
  int32_t howToPlay[14];
};
static_assert(sizeof(GameState) == 43 * 4);

struct PlayerShip {
  int32_t x, y;
  int32_t tilt;
  int32_t mode;
  int32_t spin;
  int32_t blastZoom, blastZoom2;
  int32_t power;
  int32_t powerCounter;
  int32_t deathTimer;
  int32_t blink;
  int32_t optionFrame;
  int32_t optionX[2];
  int32_t optionY[2];
};
static_assert(sizeof(PlayerShip) == 16 * 4);

struct TrailPoint {
  int32_t x, y;
};
constexpr int kTrailLength = 21;
// The two option satellites sit on these trail entries.
constexpr int kOptionTrail[2] = {11, 20};

struct Shot {
  int32_t active;
  int32_t x, y;
  int32_t frame;
  int32_t kind;  // 0 forward, 1 spin, 2 option forward, 3 option spin
  int32_t dir;
  int32_t halfW, halfH;
  int32_t angleStep;
  int32_t damage;
};

struct Enemy {
  int32_t state;  // 0 free, 1 alive, 2 exploding
  int32_t x, y;
  int32_t frame;
  int32_t behaviour;
  int32_t hp;
  int32_t halfW, halfH;
  int32_t timer;
  int32_t speed;
  int32_t aux1, aux2, aux3, aux4, aux5, aux6;
  int32_t spriteSet;
  int32_t points;
};

struct EnemyBullet {
  int32_t active;
  int32_t x, y;
  int32_t frame;
  int32_t kind;
  int32_t halfW, halfH;
  int32_t dx, dy;
  int32_t aux1, aux2;
  int32_t dir;
};

struct Effect {
  int32_t x, y;
  int32_t active;
  int32_t kind;
  int32_t frame;
  int32_t life;
  int32_t dx, dy;
  int32_t slow;
  int32_t grow;
};

struct Banner {
  int32_t x, y;
  int32_t timer;  // frames left; 0 = free
  int32_t kind;
  int32_t zoomY;
  int32_t drift;
};

// One row of the ranking, byte for byte as it is stored in "score.dat".
struct RankEntry {
  int32_t score;
  char text[40];
};
static_assert(sizeof(RankEntry) == 44);

// ---------------------------------------------------------------- pools

constexpr size_t kShotCapacity = 40;
constexpr size_t kEnemyCapacity = 40;
constexpr size_t kEnemyBulletCapacity = 121;
constexpr size_t kEffectCapacity = 221;
constexpr size_t kBannerCapacity = 21;

using ShotPool = std::array<Shot, kShotCapacity>;
using EnemyPool = std::array<Enemy, kEnemyCapacity>;
using EnemyBulletPool = std::array<EnemyBullet, kEnemyBulletCapacity>;
using EffectPool = std::array<Effect, kEffectCapacity>;
using BannerPool = std::array<Banner, kBannerCapacity>;

// The field that tells whether a record is free (0) or in use.
inline int32_t& StateOf(Shot& r) { return r.active; }
inline int32_t& StateOf(Enemy& r) { return r.state; }
inline int32_t& StateOf(EnemyBullet& r) { return r.active; }
inline int32_t& StateOf(Effect& r) { return r.active; }
inline int32_t& StateOf(Banner& r) { return r.timer; }
inline int32_t StateOf(const Shot& r) { return r.active; }
inline int32_t StateOf(const Enemy& r) { return r.state; }
inline int32_t StateOf(const EnemyBullet& r) { return r.active; }
inline int32_t StateOf(const Effect& r) { return r.active; }
inline int32_t StateOf(const Banner& r) { return r.timer; }

// The lowest-index free record, or null when the pool is full (the spawn is
// then dropped). The record keeps its old fields: the caller sets every
// field it uses.
template <class Record, size_t N>
Record* TakeFree(std::array<Record, N>& pool) {
  for (Record& r : pool)
    if (StateOf(r) == 0) return &r;
  return nullptr;
}

template <class Record, size_t N>
int LiveCount(std::array<Record, N>& pool) {
  int n = 0;
  for (Record& r : pool)
    if (StateOf(r) != 0) ++n;
  return n;
}

template <class Record, size_t N>
void FreeAll(std::array<Record, N>& pool) {
  for (Record& r : pool) StateOf(r) = 0;
}

// ---------------------------------------------------------------- sprites

constexpr size_t kSpriteCount = 469;

// Index of the first name of each group of SpriteNames; a picture is chosen
// as group start + frame ("100_00" + 12 is "100_12").
namespace sprite {
constexpr int k5_0 = 0;
constexpr int k0s = 8;      // small digits
constexpr int kGlyph = 18;  // "0" ... "9", "A" ... "Z", "["
constexpr int k24_00 = 55;
constexpr int k32_00 = 62;
constexpr int k40_00 = 81;
constexpr int k62_00 = 93;
constexpr int k60_00 = 111;
constexpr int k64_00 = 118;
constexpr int k70_00 = 134;
constexpr int k80_00 = 149;
constexpr int k96_00 = 226;
constexpr int k100_00 = 274;
constexpr int k120_00 = 349;
constexpr int k150_00 = 370;
constexpr int k1507_00 = 385;
constexpr int k180_00 = 395;
constexpr int k200_00 = 415;
constexpr int k300_00 = 467;
}  // namespace sprite

// The 469 sprite surface names, in table order (filled at program start).
extern const std::array<AnsiString, kSpriteCount> SpriteNames;

// ---------------------------------------------------------------- constant tables

// Direction of spin shots by spin step.
inline constexpr int16_t kMirror[16] = {8, 7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11, 10, 9};
// Octant steps of AimDirection.
inline constexpr int16_t kOctant[17] = {0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2};

// The two wobble tables of the first boss's fans.
inline constexpr int16_t kWobbleX[24] = {0, 1, 2, 3, 4, 5, 6, 5, 4, 3, 2, 1,
                                         0, -1, -2, -3, -4, -5, -6, -5, -4, -3, -2, -1};
inline constexpr int16_t kWobbleY[24] = {6, 5, 4, 3, 2, 1, 0, -1, -2, -3, -4, -5,
                                         -6, -5, -4, -3, -2, -1, 0, 1, 2, 3, 4, 5};

// A direction script written as runs of (direction, count), expanded into
// one direction per step.
struct Run {
  int16_t value;
  int16_t count;
};

template <size_t N>
constexpr std::array<int16_t, N> ExpandRuns(std::initializer_list<Run> runs) {
  std::array<int16_t, N> out{};
  size_t i = 0;
  for (const Run& r : runs)
    for (int16_t k = 0; k < r.count; ++k) {
      if (i >= N) throw "direction script longer than its table";
      out[i++] = r.value;
    }
  if (i != N) throw "direction script shorter than its table";
  return out;
}

namespace path {
inline constexpr auto P1 = ExpandRuns<60>({{4, 4}, {5, 1}, {6, 3}, {7, 1}, {8, 11}, {7, 1}, {6, 3}, {5, 1}, {4, 35}});
inline constexpr auto P2 = ExpandRuns<60>({{8, 12}, {9, 1}, {10, 2}, {11, 1}, {12, 44}});
inline constexpr auto P3 = ExpandRuns<60>({{12, 17}, {13, 1}, {14, 1}, {15, 1}, {0, 40}});
inline constexpr auto P4 = ExpandRuns<60>({{4, 4}, {3, 1}, {2, 1}, {1, 1}, {0, 4}, {1, 1}, {2, 1}, {3, 1}, {4, 2},
                                          {5, 1}, {6, 1}, {7, 1}, {8, 4}, {7, 1}, {6, 1}, {5, 1}, {4, 34}});
inline constexpr auto L = ExpandRuns<220>({{12, 14}, {13, 3}, {14, 3}, {15, 3}, {0, 12}, {1, 3}, {2, 3}, {3, 3},
                                          {4, 27}, {5, 3}, {6, 3}, {7, 3}, {8, 48}, {9, 3}, {10, 3}, {11, 3},
                                          {12, 32}, {13, 3}, {14, 3}, {15, 3}, {0, 17}, {1, 3}, {2, 3}, {3, 3},
                                          {4, 16}});
inline constexpr auto Q1 = ExpandRuns<40>({{0, 4}, {12, 16}, {11, 4}, {10, 4}, {9, 4}, {8, 8}});
inline constexpr auto Q2 = ExpandRuns<40>({{8, 12}, {7, 4}, {6, 4}, {5, 4}, {4, 16}});
inline constexpr auto Q3 = ExpandRuns<40>({{4, 20}, {3, 4}, {2, 4}, {1, 4}, {0, 8}});
inline constexpr auto Q4 = ExpandRuns<40>({{0, 11}, {15, 4}, {14, 4}, {13, 4}, {12, 17}});
inline constexpr auto Q5 = ExpandRuns<40>({{4, 12}, {3, 1}, {2, 1}, {1, 1}, {0, 1}, {15, 1}, {14, 1}, {13, 1}, {12, 21}});
inline constexpr auto Q6 = ExpandRuns<40>({{12, 14}, {11, 1}, {10, 1}, {9, 1}, {8, 1}, {7, 1}, {6, 1}, {5, 1}, {4, 19}});
inline constexpr auto Q7 = ExpandRuns<40>({{0, 14}, {1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}, {8, 19}});
inline constexpr auto R1 = ExpandRuns<60>({{4, 7}, {5, 3}, {6, 3}, {7, 3}, {8, 44}});
inline constexpr auto R2 = ExpandRuns<60>({{12, 7}, {11, 3}, {10, 3}, {9, 3}, {8, 44}});
}  // namespace path

// The 16-direction tables: cos and sin of d * 6.28318 / 16, times 16,
// truncated toward zero (the short 2 pi gives -15 at direction 8).
void FillDirectionTables(int32_t dirCos[16], int32_t dirSin[16]);

// Direction 0-15 from one point toward another.
int AimDirection(int fromX, int fromY, int toX, int toY);

// r(n): a fresh random number 0 ... n - 1 from the platform generator.
int Random(int n);

}  // namespace game
