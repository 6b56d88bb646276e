// The play frame and the player's side of it: fly-in and fly-out, steering,
// the fire buttons and their spin modes, the options, the shots, being hit,
// the explosion and the respawn.
#include <algorithm>

#include "game/form.h"
#include "game/play/play.h"
#include "vantor/draw/draw.h"
#include "vantor/input/input.h"

namespace game {
namespace {

using VantorDrawSystem::beNormal;

// Picture offsets of the ship's shots within "32_00": two per power level;
// the options' shots are two levels smaller.
constexpr int kOptionShotLevelDrop = 4;

// What each shot kind does per frame: forward shots fly right, spin shots
// against their direction.
struct ShotKind {
  bool spinning;
  int pictureDrop;
};
constexpr ShotKind kShotKinds[4] = {
    {false, 0},                    // 0 forward
    {true, 0},                     // 1 spin
    {false, kOptionShotLevelDrop},  // 2 option forward
    {true, kOptionShotLevelDrop},   // 3 option spin
};

constexpr int kForwardShotSpeed = 25;
constexpr int kSpinShotSpeed = 23;
constexpr int kSpinShotMuzzle = 10;

game::Shot* TakeShot(TForm1& f, int kind, int x, int y, int half, int damage, int dir = 0, int angleStep = 0) {
  game::Shot* s = TakeFree(f.Shot);
  if (!s) return nullptr;
  s->active = 1;
  s->x = x;
  s->y = y;
  s->frame = 0;
  s->kind = kind;
  s->dir = dir;
  s->angleStep = angleStep;
  s->halfW = half;
  s->halfH = half;
  s->damage = damage;
  return s;
}

int ShipShotHalf(const PlayerShip& ship) { return 3 * ship.power + 8; }

void FireSpinShot(TForm1& f) {
  const PlayerShip& ship = f.PlayerShip;
  // spin 32 is a whole turn: the same as step 0
  const int step = (ship.spin / 2) & 15;
  const int dir = kMirror[step];
  if (game::Shot* s = TakeShot(f, 1, ship.x, ship.y, ShipShotHalf(ship), ship.power + 1, dir, step)) {
    s->x -= f.dirCos[dir] * kSpinShotMuzzle / 16;
    s->y -= f.dirSin[dir] * kSpinShotMuzzle / 16;
  }
}

void FireOptionSpinShots(TForm1& f) {
  const PlayerShip& ship = f.PlayerShip;
  const int step = (ship.spin / 2) & 15;
  for (int k = 0; k < 2; ++k)
    TakeShot(f, 3, ship.optionX[k], ship.optionY[k], 10, ship.power - 1, kMirror[step], step);
}

ControlKeys ReadControls(TForm1& f) {
  VantorInputSystem::TVantorInputState state{};
  f.ReadInput(state);
  ControlKeys keys;
  keys.up = state.Up != 0;
  keys.down = state.Down != 0;
  keys.left = state.Left != 0;
  keys.right = state.Right != 0;
  keys.button1 = state.Button1 != 0;
  keys.button2 = state.Button2 != 0;
  keys.button3 = state.Button3 != 0;
  return keys;
}

void FlyOut(TForm1& f) {
  GameState& g = f.GameState;
  PlayerShip& ship = f.PlayerShip;
  ship.x += g.autopilotSpeed;
  g.autopilotSpeed = std::min(g.autopilotSpeed + 1, 25);
  ship.spin = std::max(ship.spin - 1, 0);
  ship.tilt = std::max(ship.tilt - 1, 0);
  f.UpdateTrail();
  if (ship.x > 2800) f.ShowResults();
}

void DrawTurnedShip(TForm1& f, int pose) {
  const PlayerShip& ship = f.PlayerShip;
  f.cdraw->RotZoomDraw(ship.x, ship.y, ship.spin * 2048, 256, Sprite(sprite::k100_00 + pose), 0);
}

void Explode(TForm1& f) {
  PlayerShip& ship = f.PlayerShip;
  GameState& g = f.GameState;
  ship.deathTimer += 1;
  if (ship.deathTimer <= 30) {
    ship.blastZoom += 1;
    ship.blastZoom2 += 1;
    f.cdraw->RotZoomDraw(ship.x, ship.y, 0, 256 + 8 * ship.blastZoom, Sprite(sprite::k96_00 + ship.deathTimer / 2), 0);
    return;
  }
  if (g.gameOver == 0) {
    // a ship lost during the stage's fly-out comes back flying out, or the
    // stage would never end
    const bool flyingOut = g.autopilot == 2;
    f.StartNewLife();
    if (flyingOut) {
      g.autopilot = 2;
      g.autopilotSpeed = 1;
    }
  } else if (ship.deathTimer > 55) {
    g.screen = ScreenGameOver;
    g.screenCounter = 0;
    g.gameOverGrow = 0;
    g.pressLatch = 1;
  }
}

void MoveShots(TForm1& f) {
  const int power = f.PlayerShip.power;
  for (game::Shot& s : f.Shot) {
    if (s.active != 1) continue;
    const ShotKind& kind = kShotKinds[s.kind & 3];
    s.frame ^= 1;
    const AnsiString& picture = Sprite(sprite::k32_00 + 2 * power - kind.pictureDrop + s.frame);
    if (kind.spinning) {
      s.x -= f.dirCos[s.dir] * kSpinShotSpeed / 16;
      s.y -= f.dirSin[s.dir] * kSpinShotSpeed / 16;
      f.cdraw->RotZoomDraw(s.x, s.y, s.angleStep * 4096, 256, picture, 0);
    } else {
      s.x += kForwardShotSpeed;
      f.cdraw->Draw(s.x - 16, s.y - 16, picture, 0, beNormal, -1);
    }
    if (s.y < -32 || s.y > 512 || s.x < -32 || s.x > 672) s.active = 0;
  }
}

}  // namespace

void FlyIn(TForm1& f) {
  GameState& g = f.GameState;
  f.PlayerShip.x += g.autopilotSpeed;
  f.PlayerShip.tilt = 0;
  g.autopilotSpeed -= 1;
  if (g.autopilotSpeed < 3) g.autopilot = 0;
  f.UpdateTrail();
}

void SteerShip(TForm1& f, const ControlKeys& keys, int maxX) {
  PlayerShip& ship = f.PlayerShip;
  GameState& g = f.GameState;
  if (keys.up) ship.y = std::max(ship.y - 7, 34);
  if (keys.down) ship.y = std::min(ship.y + 7, 440);
  if (keys.left) {
    ship.x = std::max(ship.x - 7, 24);
    ship.tilt = std::min(ship.tilt + 1, 10);
  }
  if (keys.right) {
    ship.x = std::min(ship.x + 7, maxX);
    ship.tilt = std::max(ship.tilt - 1, 0);
  }
  if (keys.up || keys.down || keys.left || keys.right) f.UpdateTrail();
  if (!keys.left && !keys.right && ship.mode == 0 && ship.tilt != 5) ship.tilt += ship.tilt < 5 ? 1 : -1;

  g.shotCadence += 1;
  if (g.shotCadence > 2) g.shotCadence = 0;

  if (keys.button2 && g.shotCadence == 0 && ship.mode == 0) {
    if (TakeShot(f, 0, ship.x + 8, ship.y - 8, ShipShotHalf(ship), ship.power + 1)) g.firingPose = 1;
    // the options fire even when the ship's own shot found no free slot
    if (ship.power > 1)
      for (int k = 0; k < 2; ++k) TakeShot(f, 2, ship.optionX[k], ship.optionY[k], 10, ship.power - 1);
  }

  if (keys.button1 && !keys.button2 && !keys.button3) ship.mode = 1;
  if (keys.button3 && !keys.button1 && !keys.button2) {
    if (ship.mode == 0) ship.spin = 32;
    ship.mode = 2;
  }
  if (keys.button2 && ship.mode > 0) ship.mode = 3;
  // releasing the gun in turned fire finishes the turn by the shorter way
  if (ship.mode == 3 && !keys.button2) ship.mode = ship.spin < 18 ? 2 : 1;
}

void HitShip(TForm1& f) {
  GameState& g = f.GameState;
  if (g.invincible >= 1 || f.keepShipUnhurt) return;
  g.lives -= 1;
  if (g.lives < 0) {
    g.gameOver = 1;
    g.titleSongNeeded = 1;
    g.musicRequest = 5;
  }
  PlayerShip& ship = f.PlayerShip;
  g.dying = 1;
  g.invincible = 100;
  ship.deathTimer = 0;
  ship.blastZoom = 0;
  ship.blastZoom2 = 0;
  g.soundRequest = 1;
  SpawnDebris(f, ship.x, ship.y, 23, Debris::Ship);
}

void TForm1::UpdatePlay() {
  DrawScoreLine();
  const ControlKeys keys = ReadControls(*this);
  switch (GameState.autopilot) {
    case 1:
      FlyIn(*this);
      break;
    case 2:
      FlyOut(*this);
      break;
    default:
      if (GameState.dying == 0) SteerShip(*this, keys, kPlayMaxX);
      break;
  }
  UpdatePlayer();
  GameState.scriptDivider += 1;
  if (GameState.scriptDivider > 5) RunStageScript();
  UpdateEnemies();
  UpdateEffects();
  UpdateEnemyBullets();
  UpdateBanners();
}

void TForm1::UpdatePlayer() {
  game::PlayerShip& ship = PlayerShip;
  game::GameState& g = GameState;
  if (g.dying >= 1) {
    Explode(*this);
    MoveShots(*this);
    return;
  }
  if (g.invincible > 0) {
    ship.blink ^= 1;
    g.invincible -= 1;
  } else {
    ship.blink = 0;
  }
  const int blinkPoses = FlashLit(ship.blink != 0, g.invincible) ? 22 : 0;
  switch (ship.mode) {
    case 0:
      cdraw->Draw(ship.x - 50, ship.y - 50, Sprite(sprite::k100_00 + ship.tilt + 11 * g.firingPose + blinkPoses), 0,
                  beNormal, -1);
      g.firingPose = 0;
      ship.spin = 0;
      break;
    case 1:
      ship.spin += 1;
      ship.tilt = std::max(ship.tilt - 1, 0);
      DrawTurnedShip(*this, ship.tilt + blinkPoses);
      if (ship.spin > 30) {
        ship.spin = 0;
        ship.mode = 0;
      }
      if (ship.spin % 2 == 0) FireSpinShot(*this);
      break;
    case 2:
      ship.spin -= 1;
      ship.tilt = std::min(ship.tilt + 1, 10);
      DrawTurnedShip(*this, ship.tilt + blinkPoses);
      if (ship.spin < 0) {
        ship.spin = 0;
        ship.mode = 0;
      }
      if (ship.spin % 2 == 0) FireSpinShot(*this);
      break;
    default:
      DrawTurnedShip(*this, ship.tilt + blinkPoses);
      if (ship.spin > 30) {
        ship.spin = 0;
        ship.mode = 0;
      }
      if (g.shotCadence == 0) {
        FireSpinShot(*this);
        if (ship.power > 1) FireOptionSpinShots(*this);
      }
      break;
  }

  for (int k = 0; k < 2; ++k) {
    ship.optionX[k] = Trail[kOptionTrail[k]].x;
    ship.optionY[k] = Trail[kOptionTrail[k]].y;
    cdraw->Draw(ship.optionX[k] - 20, ship.optionY[k] - 20, Sprite(sprite::k40_00 + ship.optionFrame), 0, beNormal, -1);
  }
  ship.optionFrame += 1;
  if (ship.optionFrame > 11) ship.optionFrame = 0;

  MoveShots(*this);
}

}  // namespace game
