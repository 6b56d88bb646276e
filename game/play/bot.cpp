#include "game/play/bot.h"

#include "game/form.h"

namespace game {
namespace {

// Every kSpinEvery frames the pilot lets go of the gun and starts a forward
// spin, which takes this many frames to run its course.
constexpr int kSpinEvery = 240;
constexpr int kSpinFrames = 32;
// The column the pilot keeps to when it has no item to chase.
constexpr int kHomeX = 130;
// Closer than this on an axis counts as there.
constexpr int kSlack = 6;

constexpr int kItemBehaviour = 2;

}  // namespace

ControlKeys Pilot::Next(const TForm1& f) {
  const int screen = f.GameState.screen;
  if (screen == ScreenPlay) {
    started_ = true;
    return Fly(f);
  }
  ControlKeys keys;
  // one game only: hold a button on the title until the game starts
  if (screen == ScreenTitle && !started_) keys.button2 = true;
  return keys;
}

ControlKeys Pilot::Fly(const TForm1& f) {
  ControlKeys keys;
  const int phase = playFrames_++ % kSpinEvery;
  if (phase < kSpinFrames) {
    keys.button1 = phase == 0;
  } else {
    keys.button2 = true;
  }

  int targetX = kHomeX;
  int targetY = 240;
  const Enemy* item = nullptr;
  const Enemy* largest = nullptr;
  for (const Enemy& e : f.Enemy) {
    if (e.state != 1) continue;
    if (e.behaviour == kItemBehaviour) {
      if (!item || e.x < item->x) item = &e;
    } else if (!largest || e.hp > largest->hp) {
      largest = &e;
    }
  }
  if (item) {
    targetX = item->x;
    targetY = item->y;
  } else if (largest) {
    targetY = largest->y;
  }
  const PlayerShip& ship = f.PlayerShip;
  keys.up = ship.y > targetY + kSlack;
  keys.down = ship.y < targetY - kSlack;
  keys.left = ship.x > targetX + kSlack;
  keys.right = ship.x < targetX - kSlack;
  return keys;
}

}  // namespace game
