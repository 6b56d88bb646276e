// The behaviours of the ordinary enemies, one step per frame. Behaviours of
// one family share a routine and differ by the parameters in the table at
// the end; the three boss programs live in bosses.cpp.
#include <algorithm>
#include <array>
#include <span>

#include "game/form.h"
#include "game/play/play.h"

namespace game {
namespace {

struct Params;
using Step = void (*)(TForm1&, Enemy&, const Params&);

// A behaviour: its routine and the numbers that tell the family's members apart.
struct Params {
  Step step = nullptr;
  int sign = 1;            // horizontal (or vertical) sense of travel
  int ySign = 1;           // vertical sense
  int bulletKind = 0;
  int speed = 0;           // path followers: pixels per frame
  int stepEvery = 0;       // path followers: frames per script step
  int fireEvery = 0;       // path followers: frames per aimed bullet
  std::span<const int16_t> script;
  int variant = 0;         // family-specific choice
};

bool Outside(const Enemy& e, int left, int top, int right, int bottom) {
  return e.x < left || e.x > right || e.y < top || e.y > bottom;
}

// Speeding off after the attack: every third frame (counted by timer) the
// speed changes by `accel` and the animation steps back toward frame 0; x
// moves by sign × speed.
void SpeedOff(Enemy& e, int accel, int sign) {
  if (e.timer % 3 == 0) {
    e.speed += accel;
    e.frame = std::max(e.frame - 1, 0);
  }
  e.x += sign * e.speed;
}

// ----------------------------------------------------------------- 0, 1, 19
// Brakes, stops and backs off to the right. timer counts frames, aux2 is the
// phase (0 braking, 2 backing off).
void BrakeAndBackOff(TForm1&, Enemy& e, const Params&) {
  e.timer += 1;
  if (e.aux2 == 0) {
    if (e.timer % 4 == 0) {
      e.speed -= 3;
      if (StepTo(e.frame, 1, 7)) {
        e.aux2 = 2;
        e.timer = 0;
      }
    }
  } else if (e.timer % 3 == 0) {
    e.speed -= 3;
    e.frame = std::min(e.frame + 1, 14);
  }
  e.x -= e.speed;
  e.y += e.aux4;
  if (e.x > 680) e.state = 0;
}

// ----------------------------------------------------------------- 2
void Item(TForm1&, Enemy& e, const Params&) {
  e.x -= e.aux1;
  e.aux1 = std::min(e.aux1 + 1, 9);
  e.frame = (e.frame + 1) % 6;
  if (e.x < -50) e.state = 0;
}

// ----------------------------------------------------------------- 3, 4
// Glides in (sign -1 from the right, +1 from the left), stops, fires once
// with a recoil and speeds away. timer counts frames, aux2 is the phase.
void GlideAndFire(TForm1& f, Enemy& e, const Params& p) {
  e.timer += 1;
  switch (e.aux2) {
    case 0:
      if (e.timer % 4 == 0) {
        e.speed -= 2;
        if (StepTo(e.frame, 1, 6)) {
          e.aux2 = 1;
          e.timer = 0;
        }
      }
      e.x += p.sign * e.speed;
      e.y += e.aux1;
      break;
    case 1:
      if (e.timer == 2) f.GameState.soundRequest = 5;
      if (e.timer == 4) {
        FireBullet(f, p.bulletKind, e.x, e.y);
        e.x -= p.sign * 6;
        e.frame = 7;
        e.aux2 = 2;
        e.timer = 0;
      }
      break;
    default:
      SpeedOff(e, 2, p.sign);
      break;
  }
  if (p.sign < 0 ? e.x < -60 : e.x > 700) e.state = 0;
}

// Three kind-2 shots fanning out over 16 frames counted by aux2: the firing
// sound on counts 1, 5 and 9, a shot in direction aux5 on counts 3, 7 and 11,
// each turning aux5 by dirStep. True on a frame that fired.
bool ThreeShotFan(TForm1& f, Enemy& e, int dirStep) {
  if (e.aux2 == 1 || e.aux2 == 5 || e.aux2 == 9) f.GameState.soundRequest = 5;
  const bool fires = e.aux2 == 3 || e.aux2 == 7 || e.aux2 == 11;
  if (fires) {
    FireBullet(f, 2, e.x, e.y, 10, 10, 0, 0, e.aux5);
    e.aux5 = (e.aux5 + dirStep + 16) & 15;
  }
  e.aux2 += 1;
  return fires;
}

// ----------------------------------------------------------------- 5, 6
// Turret ship: flies in, turns, fires three shots fanning out and backs away.
// timer counts frames, aux3 is the phase, aux2 the firing count, aux5 the
// direction of the next shot (variant: its first direction; sign: its step).
void Turret(TForm1& f, Enemy& e, const Params& p) {
  e.timer += 1;
  switch (e.aux3) {
    case 0:
      e.x -= e.speed;
      if (e.x < 210) {
        e.aux3 = 1;
        e.timer = 0;
      }
      break;
    case 1:
      if (e.timer % 3 == 0) {
        e.speed -= 2;
        if (StepTo(e.frame, 1, 6)) {
          e.aux3 = 2;
          e.aux2 = 0;
          e.aux5 = p.variant;
        }
      }
      e.aux4 = std::min(e.aux4 + 1, 5);
      e.x -= e.speed;
      break;
    case 2:
      ThreeShotFan(f, e, p.sign);
      if (e.aux2 > 15) e.aux3 = 3;
      break;
    case 3:
      if (StepTo(e.aux4, 1, 9)) {
        e.aux3 = 4;
        e.timer = 0;
      }
      break;
    default:
      // the speed runs negative: the craft backs away to the right
      SpeedOff(e, -2, -1);
      if (e.x > 720) e.state = 0;
      break;
  }
}

// ----------------------------------------------------------------- 7, 8
// Diver from above (ySign +1) or below (-1): dives, turns to face the player,
// fires a fan of three and leaves to the left. timer counts frames, aux3 is
// the phase.
void Diver(TForm1& f, Enemy& e, const Params& p) {
  e.timer += 1;
  switch (e.aux3) {
    case 0:
      e.y += p.ySign * e.speed;
      e.speed -= 1;
      if (e.speed < 8) {
        // the craft turns with its falling speed toward its firing heading
        e.aux4 = TurnToward(e.aux4, 15);
        e.frame = std::min(e.frame + 1, 6);
      }
      if (e.speed < 0) {
        e.aux3 = 1;
        e.aux4 = 15;
        e.aux5 = 1;
        e.aux2 = 0;
      }
      break;
    case 1:
      if (ThreeShotFan(f, e, -1)) e.aux4 = (e.aux4 + 1) & 15;
      if (e.aux2 > 15) {
        e.aux3 = 2;
        e.timer = 0;
      }
      break;
    default:
      SpeedOff(e, 2, -1);
      if (e.x < -60) e.state = 0;
      break;
  }
}

// ----------------------------------------------------------------- 10
// The first boss's missile: pops back, then accelerates to the left trailing smoke.
void Missile(TForm1& f, Enemy& e, const Params&) {
  e.timer = std::min(e.timer + 1, 20);
  e.x -= e.timer;
  e.y -= e.speed;
  e.frame = (e.frame + 1) % 5;
  SpawnEffect(f, e.x + 25, e.y, 2, 0, 30);
  if (e.x < -50) e.state = 0;
}

// ----------------------------------------------------------------- 11-14, 21-25, 29, 30
// Follows a direction script: `timer` is the script step, aux2 counts frames.
void PathFollower(TForm1& f, Enemy& e, const Params& p) {
  MoveAlong(f, e.x, e.y, e.aux4, p.speed);
  e.aux2 += 1;
  if (e.aux2 % p.stepEvery == 0) {
    e.timer += 1;
    // past the end of its script the follower keeps its last direction
    const int step = std::clamp<int>(e.timer, 0, static_cast<int>(p.script.size()) - 1);
    e.aux4 = p.script[step];
  }
  if (e.aux2 % p.fireEvery == 0) FireAimedBullet(f, e);
  if (Outside(e, -60, -60, 700, 540)) e.state = 0;
}

// ----------------------------------------------------------------- 15-18, 36, 37
// Hatch ship: approaches in loops of its hatch animation, slowing by one
// each loop, opens, fires once, closes and leaves speeding up. `speed` is
// the phase: 0 approach, 1 open and fire, 2 slow down (variant 1 only),
// 3 close, 4 leave. sign: horizontal sense of the approach; the leave goes
// the other way for the ships from the right and the left, the same way for
// the ships from above and below (variant 1).
enum HatchPhase { kApproach = 0, kOpen = 1, kSlow = 2, kClose = 3, kLeave = 4 };

// One frame of travel in a loop of the hatch animation: true when the loop is done.
bool HatchStride(Enemy& e, int xSign, int ySign) {
  e.x += xSign * 2 * e.aux1;
  e.y += ySign * e.timer;
  return ++e.frame > 11;
}

void HatchShip(TForm1& f, Enemy& e, const Params& p) {
  const bool slowsDown = p.variant == 1;
  const int leaveSign = slowsDown ? p.sign : -p.sign;
  switch (e.speed) {
    case kApproach:
      if (HatchStride(e, p.sign, p.ySign)) {
        e.aux1 -= 1;
        if (e.aux1 <= 0)
          e.speed = kOpen;
        else
          e.frame = 0;
      }
      break;
    case kOpen:
      if (StepPast(e.frame, 1, 16)) {
        // the hatch fires away from the way the ship will leave
        FireBullet(f, p.bulletKind, e.x - leaveSign * 5, e.y);
        f.GameState.soundRequest = 5;
        e.speed = slowsDown ? kSlow : kClose;
      }
      break;
    case kSlow:
      e.speed = kClose;
      e.timer = 1;
      break;
    case kClose:
      if (StepPast(e.frame, -1, 12)) e.speed = kLeave;
      break;
    default:
      if (HatchStride(e, leaveSign, p.ySign)) {
        e.aux1 += 1;
        e.frame = 0;
      }
      break;
  }
  if (leaveSign > 0 ? e.x > 700 : e.x < -70) e.state = 0;
}

// ----------------------------------------------------------------- 26-28
// Homing missile: drifts along its first heading, aims at the ship, turns,
// pauses and flies off accelerating. timer is the phase, aux1 counts frames,
// aux2 is the speed, aux5 the aimed heading.
void HomingMissile(TForm1& f, Enemy& e, const Params&) {
  switch (e.timer) {
    case 0:
      MoveAlong(f, e.x, e.y, e.aux4, 3);
      e.aux1 += 1;
      if (e.aux1 >= 16) {
        e.aux5 = AimDirection(e.x, e.y, f.PlayerShip.x, f.PlayerShip.y);
        e.timer = 1;
      }
      break;
    case 1:
      e.aux4 = TurnToward(e.aux4, e.aux5);
      if (e.aux4 == e.aux5) {
        e.timer = 2;
        e.aux1 = 0;
      }
      break;
    case 2:
      e.aux1 += 1;
      if (e.aux1 >= 4) {
        e.timer = 3;
        e.aux2 = 3;
      }
      break;
    default:
      MoveAlong(f, e.x, e.y, e.aux4, e.aux2);
      e.aux2 = std::min(e.aux2 + 1, 22);
      SpawnEffect(f, e.x, e.y, 7, 0, 30);
      e.frame = (e.frame + 1) % 6;
      break;
  }
  if (Outside(e, -60, -60, 700, 540)) e.state = 0;
}

// ----------------------------------------------------------------- 31, 32, 34
// Large craft: glides in along one axis, then three times turns round, opens
// and fires a ring of sixteen (the hatch stays open from the first ring to
// the last); finally folds and leaves the way it came in.
// variant 0: vertical travel (sign -1 rising, +1 dropping), 1: horizontal.
// timer is the phase, aux1 counts frames, aux2 the rings fired.
enum LargePhase { kGlide = 0, kTurn = 1, kOpenRing = 2, kFold = 3, kGo = 4 };

void Travel(Enemy& e, const Params& p, int distance) {
  if (p.variant == 1)
    e.x += p.sign * distance;
  else
    e.y += p.sign * distance;
}

void LargeCraft(TForm1& f, Enemy& e, const Params& p) {
  switch (e.timer) {
    case kGlide:
      Travel(e, p, e.speed);
      e.speed = std::max(e.speed - 3, 0);
      if (e.speed < 25) e.frame = std::min(e.frame + 1, 8);
      if (e.speed == 0) {
        e.timer = kTurn;
        e.aux1 = 0;
      }
      break;
    case kTurn:
      e.aux1 += 1;
      if (e.aux1 % 2 == 0) e.aux4 = (e.aux4 + 1) & 15;
      if (e.aux1 >= 32) e.timer = kOpenRing;
      break;
    case kOpenRing:
      if (StepTo(e.frame, 1, 14)) {
        for (int d = 0; d < 16; ++d) FireBullet(f, 11, e.x, e.y, 10, 10, 0, 0, d);
        f.GameState.soundRequest = 9;
        e.aux2 += 1;
        e.aux1 = 0;
        e.timer = e.aux2 < 3 ? kTurn : kFold;
      }
      break;
    case kFold:
      if (StepTo(e.frame, -1, 0)) e.timer = kGo;
      break;
    default:
      e.speed = std::min(e.speed + 1, 20);
      Travel(e, p, e.speed);
      break;
  }
  const bool gone = p.variant == 1 ? e.x > 740 : (p.sign < 0 ? e.y < -110 : e.y > 590);
  if (gone) e.state = 0;
}

// ----------------------------------------------------------------- 35
// Heavy craft: brakes in from the left, drifts back while it waits, opens and
// fires aimed shots, then aims itself at the ship and charges. timer is the
// phase, aux2 counts frames, aux1 is the charge speed.
constexpr int kHeavyFireEvery = 12;

void HeavyCraft(TForm1& f, Enemy& e, const Params&) {
  switch (e.timer) {
    case 0:
      e.x += e.speed;
      e.speed = std::max(e.speed - 2, 0);
      if (e.speed < 14) e.frame = std::min(e.frame + 1, 6);
      if (e.speed == 0) {
        e.timer = 1;
        e.aux2 = 0;
      }
      break;
    case 1:
      e.x -= 1;
      if (++e.aux2 >= 16) e.timer = 2;
      break;
    case 2:
      if (StepTo(e.frame, 1, 13)) {
        e.timer = 3;
        e.aux2 = 0;
      }
      break;
    case 3:
      e.aux2 += 1;
      if (e.aux2 % kHeavyFireEvery == 1) {
        FireAimedBullet(f, e);
        f.GameState.soundRequest = 5;
      }
      if (e.aux2 >= 60) {
        e.timer = 4;
        e.aux5 = AimDirection(e.x, e.y, f.PlayerShip.x, f.PlayerShip.y);
      }
      break;
    default:
      e.aux4 = TurnToward(e.aux4, e.aux5);
      e.aux1 = std::min(e.aux1 + 1, 18);
      e.frame = std::min(e.frame + 1, 20);
      MoveAlong(f, e.x, e.y, e.aux4, e.aux1);
      break;
  }
  if (Outside(e, -150, -150, 740, 580)) e.state = 0;
}

// ----------------------------------------------------------------- 38
// Formation flyer: brakes to a stop, waits, and flies back to the right.
// timer counts frames, aux2 is the phase. It spawns beyond the right edge,
// so only the return is bounded.
constexpr int kFormationStepEvery = 2;

void FormationFlyer(TForm1&, Enemy& e, const Params&) {
  e.timer += 1;
  switch (e.aux2) {
    case 0:
      e.x -= e.speed;
      if (e.timer % kFormationStepEvery == 0) {
        e.speed = std::max(e.speed - 2, 0);
        e.frame = std::min(e.frame + 1, 6);
      }
      if (e.speed == 0) {
        e.aux2 = 1;
        e.timer = 0;
      }
      break;
    case 1:
      if (e.timer >= 5) {
        e.aux2 = 2;
        e.timer = 0;
      }
      break;
    default:
      if (e.timer % kFormationStepEvery == 0) {
        e.speed += 2;
        e.frame = std::min(e.frame + 1, 11);
      }
      e.x += e.speed;
      if (e.x > 700) e.state = 0;
      break;
  }
}

// ----------------------------------------------------------------- 39
// Gunship: brakes in, opens, fires a fan, closes and opens again for a
// 7-fan, once more for a fan, and leaves. timer is the phase.
void FireFan(TForm1& f, const Enemy& e, bool seven) {
  static constexpr int kFanDx[6] = {8, 10, 12, 12, 10, 8};
  static constexpr int kSevenDx[7] = {7, 9, 11, 13, 11, 9, 7};
  if (seven)
    for (int k = 0; k < 7; ++k) FireBullet(f, 19, e.x, e.y, 12, 5, kSevenDx[k], 4 * k - 12);
  else
    for (int k = 0; k < 6; ++k) FireBullet(f, 19, e.x, e.y, 10, 10, kFanDx[k], 4 * k - 10);
  f.GameState.soundRequest = 5;
}

void Gunship(TForm1& f, Enemy& e, const Params&) {
  switch (e.timer) {
    case 0:
      e.x -= e.speed;
      e.speed -= 2;
      if (e.speed < 1) e.timer = 1;
      e.y += e.aux1;
      break;
    case 1:
      e.x -= 1;
      if (StepPast(e.frame, 1, 9)) {
        e.speed = 0;
        e.timer = 2;
      }
      break;
    case 2:
    case 5:
    case 8:
      FireFan(f, e, e.timer == 5);
      e.timer += 1;
      e.speed = 0;
      break;
    case 3:
    case 6:
      if (StepPast(e.frame, -1, 0)) e.timer += 1;
      e.speed += 1;
      e.x -= e.speed;
      break;
    case 4:
    case 7:
      if (StepPast(e.frame, 1, 9)) {
        e.speed = 0;
        e.timer += 1;
      }
      e.speed -= 1;
      e.x -= e.speed;
      break;
    default:
      e.frame = std::max(e.frame - 1, 0);
      e.speed = std::min(e.speed + 1, 25);
      e.x -= e.speed;
      if (e.x < -100) e.state = 0;
      break;
  }
}

// ----------------------------------------------------------------- 40
// Wave flyer: flies left, weaving down and up in 3-frame steps of its
// animation. timer counts frames, aux2 is 0 going down and 1 going up.
void WaveFlyer(TForm1&, Enemy& e, const Params&) {
  e.x -= 8;
  e.timer += 1;
  if (e.aux2 == 0) {
    e.y += 2;
    if (e.timer % 3 == 0 && StepTo(e.frame, 1, 9)) e.aux2 = 1;
  } else {
    e.y -= 2;
    if (e.timer % 3 == 0 && StepTo(e.frame, -1, 0)) e.aux2 = 0;
  }
  if (e.x < -50) e.state = 0;
}

// ----------------------------------------------------------------- 41, 43
// Risers (speed 1) and droppers (speed 0): glide in vertically (43 also
// sideways by aux3), turn toward direction 0, pause, fire once and leave to
// the right. timer is the phase.
void RiserDropper(TForm1& f, Enemy& e, const Params& p) {
  const bool riser = e.speed == 1;
  switch (e.timer) {
    case 0:
      if (p.variant == 1) e.x += e.aux3;
      e.y += riser ? -e.aux1 : e.aux1;
      e.aux1 -= 1;
      if (e.aux1 < -1) {
        e.aux1 = 0;
        e.timer = 1;
      }
      if (e.aux1 <= 5) {
        e.frame = std::min(e.frame + 1, 7);
        if (riser)
          e.aux4 = std::max(e.aux4 - 1, 0);
        else if (e.aux4 > 10)
          e.aux4 = (e.aux4 + 1) & 15;
      }
      break;
    case 1:
      e.aux1 += 1;
      if (e.aux1 >= 7) {
        e.aux1 = 0;
        e.timer = 2;
        e.frame = std::min(e.frame + 1, 7);
      }
      break;
    case 2:
      // with no free bullet the shot is tried again next frame
      if (FireBullet(f, 21, e.x - 20, e.y - 10, 10, 20)) {
        f.GameState.soundRequest = 9;
        e.timer = 3;
      }
      break;
    default:
      e.speed = std::min(e.speed + 1, 15);
      e.x += e.speed;
      e.frame = std::min(e.frame + 1, 14);
      if (e.x > 740) e.state = 0;
      break;
  }
}

// ----------------------------------------------------------------- bosses
void FirstBoss(TForm1& f, Enemy& e, const Params&) { StepFirstBoss(f, e); }
void Stage1Boss(TForm1& f, Enemy& e, const Params&) { StepStage1Boss(f, e); }
void Stage2Boss(TForm1& f, Enemy& e, const Params&) { StepStage2Boss(f, e); }

void Idle(TForm1&, Enemy&, const Params&) {}

// ----------------------------------------------------------------- the table
constexpr Params Follower(std::span<const int16_t> script, int speed, int stepEvery, int fireEvery) {
  Params p;
  p.step = PathFollower;
  p.script = script;
  p.speed = speed;
  p.stepEvery = stepEvery;
  p.fireEvery = fireEvery;
  return p;
}
constexpr Params Family(Step step, int sign = 1, int ySign = 1, int bulletKind = 0, int variant = 0) {
  Params p;
  p.step = step;
  p.sign = sign;
  p.ySign = ySign;
  p.bulletKind = bulletKind;
  p.variant = variant;
  return p;
}

constexpr int kBehaviours = 44;
const std::array<Params, kBehaviours> kBehaviourTable = {
    Family(BrakeAndBackOff),            // 0
    Family(BrakeAndBackOff),            // 1 item carrier
    Family(Item),                       // 2
    Family(GlideAndFire, -1, 1, 0),     // 3
    Family(GlideAndFire, 1, 1, 1),      // 4
    Family(Turret, -1, 1, 2, 11),       // 5: shots fan 11, 10, 9
    Family(Turret, 1, 1, 2, 5),         // 6: shots fan 5, 6, 7
    Family(Diver, 1, 1),                // 7
    Family(Diver, 1, -1),               // 8
    Family(FirstBoss),                  // 9
    Family(Missile),                    // 10
    Follower(path::P1, 3, 4, 121),      // 11
    Follower(path::P2, 3, 4, 121),      // 12
    Follower(path::P3, 3, 4, 121),      // 13
    Follower(path::P4, 3, 4, 121),      // 14
    Family(HatchShip, -1, 1, 0),        // 15
    Family(HatchShip, -1, -1, 0),       // 16
    Family(HatchShip, 1, 1, 1),         // 17
    Family(HatchShip, 1, -1, 1),        // 18
    Family(BrakeAndBackOff),            // 19
    Family(Stage1Boss),                 // 20
    Follower(path::Q5, 5, 3, 51),       // 21
    Follower(path::Q6, 5, 3, 51),       // 22
    Follower(path::Q7, 5, 3, 51),       // 23
    Follower(path::R1, 5, 3, 51),       // 24
    Follower(path::R2, 5, 3, 51),       // 25
    Family(HomingMissile),              // 26
    Family(HomingMissile),              // 27
    Family(HomingMissile),              // 28
    Follower(path::R1, 3, 3, 81),       // 29
    Follower(path::R2, 3, 3, 81),       // 30
    Family(LargeCraft, -1, 1, 11, 0),   // 31 rising
    Family(LargeCraft, 1, 1, 11, 0),    // 32 dropping
    Family(Stage2Boss),                 // 33
    Family(LargeCraft, 1, 1, 11, 1),    // 34 from the left
    Family(HeavyCraft),                 // 35
    Family(HatchShip, 1, 1, 0, 1),      // 36
    Family(HatchShip, 1, -1, 0, 1),     // 37
    Family(FormationFlyer),             // 38
    Family(Gunship),                    // 39
    Family(WaveFlyer),                  // 40
    Family(RiserDropper),               // 41
    Family(Idle),                       // 42 (no script spawns it)
    Family(RiserDropper, 1, 1, 0, 1),   // 43
};

}  // namespace

void StepBehaviour(TForm1& f, Enemy& e) {
  if (e.behaviour < 0 || e.behaviour >= kBehaviours) return;
  const Params& p = kBehaviourTable[e.behaviour];
  p.step(f, e, p);
}

}  // namespace game
