// The how-to-play demonstration: a scripted ship steered by simulated keys
// through the real control rules, a few scripted enemies, and key captions
// that light while their keys are held.
#include <algorithm>
#include <array>
#include <cstdint>

#include "game/form.h"
#include "game/play/play.h"
#include "game/world/stage_data.h"
#include "vantor/draw/draw.h"

namespace game {
namespace {

// The demonstration's script: one code per step, a step every fourth frame.
constexpr std::array<uint8_t, 200> kDemoScript = {
    0,  0,  0,  6,  6,  6,  6,  6,  6,  6,  6,  6,  6,  6,  5,  5,  5,  5,  5,  5,  4,  4,  4,  4,  4,
    4,  4,  4,  4,  4,  4,  4,  4,  4,  7,  7,  7,  7,  7,  7,  10, 10, 10, 10, 10, 10, 10, 10, 0,  0,
    0,  2,  2,  2,  2,  0,  0,  0,  10, 10, 18, 18, 18, 13, 13, 13, 2,  2,  0,  6,  6,  16, 16, 1,  8,
    8,  8,  4,  4,  4,  0,  3,  3,  3,  6,  6,  6,  6,  6,  6,  6,  0,  1,  1,  1,  0,  2,  2,  14, 16,
    16, 16, 12, 12, 12, 0,  0,  0,  10, 10, 10, 10, 0,  20, 0,  18, 18, 18, 18, 0,  0,  0,  21, 0,  1,
    1,  1,  5,  13, 18, 2,  22, 6,  14, 14, 14, 2,  2,  2,  2,  0,  20, 0,  14, 2,  2,  2,  4,  4,  4,
    4,  0,  0,  21, 1,  1,  1,  11, 11, 11, 11, 11, 11, 11, 3,  3,  3,  0,  0,  24, 10, 10, 10, 18, 15,
    15, 15, 13, 13, 2,  2,  2,  2,  2,  9,  9,  6,  6,  0,  0,  0,  0,  0,  0,  0,  0,  23, 0,  0,  0,
};

// The keys of a code, as bits.
enum Key : uint8_t { kB1 = 1, kB2 = 2, kB3 = 4, kUp = 8, kDown = 16, kLeft = 32, kRight = 64 };
constexpr uint8_t kCodeKeys[20] = {
    0,           kB1,          kB2,           kB3,          kUp,          kDown,         kRight,
    kLeft,       kUp | kRight, kDown | kRight, kDown | kLeft, kUp | kLeft,  kB2 | kUp,     kB2 | kDown,
    kB2 | kRight, kB2 | kLeft, kB2 | kUp | kRight, kB2 | kDown | kRight, kB2 | kDown | kLeft, kB2 | kUp | kLeft,
};
constexpr int kEndCode = 23;

// The caption flags and the simulated keys in the order of the game state's
// how-to-play flags.
constexpr uint8_t kCaptionKeys[7] = {kB1, kB2, kB3, kUp, kLeft, kRight, kDown};
constexpr uint8_t kSimulatedKeys[7] = {kB1, kB2, kB3, kDown, kLeft, kRight, kUp};

struct Caption {
  int x, y;
  const char* text;
};
constexpr Caption kCaptions[7] = {
    {30, 190, "Shot  [Z]"},
    {80, 240, "Shot  [X]"},
    {130, 290, "Shot  [C]"},
    {305, 160, "Movement (Up)  [Up Arrow]"},
    {230, 220, "Movement (Left)  [Left Arrow]"},
    {350, 260, "Movement (Right)  [Right Arrow]"},
    {280, 320, "Movement (Down)  [Down Arrow]"},
};
constexpr TColor kLit = 0x66EEFD;
constexpr TColor kUnlit = 0x115050;

// The code at a step: past the end the demonstration ends.
int CodeAt(int step) {
  return step >= 0 && step < static_cast<int>(kDemoScript.size()) ? kDemoScript[step] : kEndCode;
}

}  // namespace

void TForm1::RunHowToPlay() {
  game::GameState& g = GameState;
  int32_t* captions = g.howToPlay;
  int32_t* simulated = g.howToPlay + 7;
  for (int i = 0; i < 7; ++i) captions[i] = 0;
  g.scriptDivider += 1;
  if (g.scriptDivider > 3) {
    g.scriptDivider = 0;
    g.scriptPos += 1;
  }
  for (int i = 0; i < 7; ++i) simulated[i] = 0;

  // spawn codes take no time of their own: the next step runs at once
  int code = CodeAt(g.scriptPos);
  while (!DemoSpawnRows(code).empty()) {
    SpawnMembers(Enemy, DemoSpawnRows(code));
    g.scriptPos += 1;
    g.scriptDivider = 0;
    code = CodeAt(g.scriptPos);
  }
  if (code == kEndCode) {
    g.screen = ScreenTitle;
    g.screenCounter = 0;
    g.shotCadence = 1;
    return;
  }
  const uint8_t held = code < 20 ? kCodeKeys[code] : 0;
  for (int i = 0; i < 7; ++i) {
    captions[i] = (held & kCaptionKeys[i]) != 0;
    simulated[i] = (held & kSimulatedKeys[i]) != 0;
  }

  ControlKeys keys;
  keys.button1 = simulated[0] != 0;
  keys.button2 = simulated[1] != 0;
  keys.button3 = simulated[2] != 0;
  keys.down = simulated[3] != 0;
  keys.left = simulated[4] != 0;
  keys.right = simulated[5] != 0;
  keys.up = simulated[6] != 0;
  // As in play, a new ship flies in from the left before it obeys the keys
  // (the demonstration ship is lined up with an enemy's shot once, and
  // without the fly-in its successor would crawl in at 7 pixels a step),
  // and an exploding ship neither steers nor fires.
  if (g.autopilot == 1) FlyIn(*this);
  else if (g.dying == 0) SteerShip(*this, keys, kDemoMaxX);

  UpdatePlayer();
  UpdateEnemies();
  UpdateEnemyBullets();

  TFont* font = cdraw->GetFont();
  font->SetSize(15);
  for (int i = 0; i < 7; ++i) {
    font->Color = captions[i] ? kLit : kUnlit;
    // A caption wider than the room right of its place (the face found may
    // be wider than the one the places were chosen for) moves left by what
    // it would overflow.
    const int x = std::min(kCaptions[i].x, cdraw->GetWidth() - TextWidth(*font, kCaptions[i].text));
    cdraw->TextOutA(x, kCaptions[i].y, kCaptions[i].text);
  }
}

}  // namespace game
