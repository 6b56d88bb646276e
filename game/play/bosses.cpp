// The three boss programs: the first boss (behaviour 9), the stage-1 boss
// (behaviour 20) and the stage-2 boss (behaviour 33). Each runs one step per
// world frame on its own enemy record; `timer` is always the phase.
#include <algorithm>
#include <span>

#include "game/form.h"
#include "game/play/play.h"

namespace game {
namespace {

// ================================================================= first boss
// aux2 counts the frames of waits, rings and fans; aux3 the missile run;
// aux4 is the wobble step; aux5 the bob (0 none, 1 up, 2 down).

enum class FirstStep : uint8_t { Approach, Grow, Open, Wait, Volley, Rings, Fans, FansBack, Missiles };

struct FirstPhase {
  FirstStep step;
  int limit;  // the phase ends once its counter exceeds this
};

constexpr FirstPhase kFirstProgram[] = {
    {FirstStep::Approach, 500},  // 0: until x < 500
    {FirstStep::Grow, 256},      // 1
    {FirstStep::Open, 7},        // 2
    {FirstStep::Wait, 30},       // 3
    {FirstStep::Volley, 0},      // 4
    {FirstStep::Wait, 20},       // 5
    {FirstStep::Volley, 0},      // 6
    {FirstStep::Wait, 20},       // 7
    {FirstStep::Volley, 0},      // 8
    {FirstStep::Wait, 20},       // 9
    {FirstStep::Rings, 60},      // 10
    {FirstStep::Wait, 20},       // 11
    {FirstStep::Fans, 12},       // 12
    {FirstStep::Wait, 15},       // 13
    {FirstStep::FansBack, 12},   // 14
    {FirstStep::Wait, 15},       // 15
    {FirstStep::Fans, 12},       // 16
    {FirstStep::Wait, 15},       // 17
    {FirstStep::FansBack, 12},   // 18
    {FirstStep::Wait, 20},       // 19
    {FirstStep::Missiles, 130},  // 20
    {FirstStep::Wait, 50},       // 21: then the volleys again
};
constexpr int kFirstProgramLength = sizeof(kFirstProgram) / sizeof(kFirstProgram[0]);
constexpr int kFirstRepeatPhase = 4;

void NextFirstPhase(Enemy& e) {
  e.timer = e.timer + 1 < kFirstProgramLength ? e.timer + 1 : kFirstRepeatPhase;
  e.aux2 = 0;
}

void LaunchMissile(TForm1& f, const Enemy& boss) {
  Enemy* m = TakeFree(f.Enemy);
  if (!m) return;
  // every field is set: a reused record must not keep its old points or counters
  *m = Enemy{};
  m->state = 1;
  m->x = boss.x + 70;
  m->y = boss.y + 30;
  m->behaviour = 10;
  m->spriteSet = 9;
  m->hp = 2;
  m->halfW = 16;
  m->halfH = 12;
  m->timer = Random(40) - 20;
  m->speed = Random(16) - 8;
}

void FireWobbleFan(TForm1& f, const Enemy& e) {
  for (int i = 0; i < 4; ++i)
    FireBullet(f, 5, e.x - 22, e.y - 73, 7, 7, 3 * kWobbleX[6 * i + e.aux4], 3 * kWobbleY[6 * i + e.aux4]);
  f.GameState.soundRequest = 7;
}

void RunFirstPhase(TForm1& f, Enemy& e) {
  const FirstPhase& phase = kFirstProgram[std::clamp(e.timer, 0, kFirstProgramLength - 1)];
  switch (phase.step) {
    case FirstStep::Approach:
      e.x -= 1;
      if (e.x < phase.limit) NextFirstPhase(e);
      break;
    case FirstStep::Grow:
      e.speed += 2;
      if (e.speed > phase.limit) NextFirstPhase(e);
      break;
    case FirstStep::Open:
      e.aux1 += 1;
      if (e.aux1 > phase.limit) {
        // the body is open: the bob starts downward and the boss can be hit
        e.aux5 = 2;
        e.halfW = 100;
        e.halfH = 80;
        NextFirstPhase(e);
      }
      break;
    case FirstStep::Wait:
      e.aux2 += 1;
      if (e.aux2 > phase.limit) NextFirstPhase(e);
      break;
    case FirstStep::Volley:
      // two stacks of six: they move as one but count one by one
      for (int i = 0; i < 6; ++i) FireBullet(f, 3, e.x - 80, e.y - 49, 10, 10);
      for (int i = 0; i < 6; ++i) FireBullet(f, 3, e.x - 80, e.y - 27, 10, 10);
      f.GameState.soundRequest = 5;
      NextFirstPhase(e);
      break;
    case FirstStep::Rings:
      if (e.aux2 % 4 == 1) {
        for (int d = 0; d < 16; ++d) FireBullet(f, 4, e.x - 22, e.y - 73, 7, 7, 0, 0, d);
        f.GameState.soundRequest = 7;
      }
      e.aux2 += 1;
      if (e.aux2 > phase.limit) {
        NextFirstPhase(e);
        e.aux4 = 0;
      }
      break;
    case FirstStep::Fans:
    case FirstStep::FansBack:
      e.aux2 += 1;
      if (e.aux2 % 3 == 1) {
        if (phase.step == FirstStep::Fans)
          e.aux4 = e.aux4 + 1 > 4 ? 0 : e.aux4 + 1;
        else
          e.aux4 = e.aux4 - 1 < 0 ? 4 : e.aux4 - 1;
        FireWobbleFan(f, e);
      }
      if (e.aux2 > phase.limit) {
        NextFirstPhase(e);
        if (phase.step == FirstStep::FansBack) e.aux3 = 0;
      }
      break;
    case FirstStep::Missiles:
      e.aux2 += 1;
      if (e.aux2 > 2) {
        e.aux2 = 0;
        LaunchMissile(f, e);
      }
      e.aux3 += 1;
      if (e.aux3 > phase.limit) NextFirstPhase(e);
      break;
  }
}

// ================================================================= stage-1 boss
// speed is the phase counter (and the speed of its glides); aux4 the heading
// it is drawn turned by; aux1 the speed of its recoil.

enum class S1Step : uint8_t {
  Enter,       // glide in braking, spinning
  SpinToZero,  // spin until the heading wraps to 0
  SpinFire,    // spin and scatter kind-2 bullets
  PathL,       // follow script L spinning and scattering
  Unfold,      // frame up to 19
  Back,        // glide right braking, turning to heading 4
  Volleys,     // line volleys on the spot
  Path,        // 40 frames along a Q script, turning
  Sweep,       // slide with line volleys until a position
  Recoil,      // glide left braking, turning to 0
  Fold,        // frame down to 0
};

struct S1Phase {
  S1Step step;
  int bulletKind;
  int heading;                       // Path: heading turned to; Sweep: step of x
  std::span<const int16_t> script;  // Path
  int recoil = 0;                    // Path: the recoil speed it leaves for later
};

constexpr S1Phase kS1Program[] = {
    {S1Step::Enter, 0, 0, {}},         // 0
    {S1Step::SpinToZero, 0, 0, {}},    // 1
    {S1Step::SpinFire, 2, 0, {}},      // 2
    {S1Step::SpinToZero, 0, 0, {}},    // 3
    {S1Step::PathL, 2, 0, path::L},    // 4
    {S1Step::SpinToZero, 0, 0, {}},    // 5
    {S1Step::Unfold, 0, 0, {}},        // 6
    {S1Step::Back, 0, 4, {}},          // 7
    {S1Step::Volleys, 7, 0, {}},       // 8
    {S1Step::Path, 0, 0, path::Q1},    // 9
    {S1Step::Sweep, 8, -3, {}},        // 10: until x < 200
    {S1Step::Path, 0, 12, path::Q2},   // 11
    {S1Step::Volleys, 9, 0, {}},       // 12
    {S1Step::Path, 0, 8, path::Q3},    // 13
    {S1Step::Sweep, 10, 3, {}},        // 14: until x > 440
    {S1Step::Path, 0, 4, path::Q4, 41},  // 15
    {S1Step::Volleys, 7, 0, {}},       // 16
    {S1Step::Recoil, 0, 0, {}},        // 17
    {S1Step::Fold, 0, 0, {}},          // 18: then back to phase 4
};
constexpr int kS1ProgramLength = sizeof(kS1Program) / sizeof(kS1Program[0]);
constexpr int kS1RepeatPhase = 4;

void NextS1Phase(Enemy& e) {
  e.timer = e.timer + 1 < kS1ProgramLength ? e.timer + 1 : kS1RepeatPhase;
  e.speed = 0;
}

void Spin(Enemy& e) { e.aux4 = (e.aux4 + 1) & 15; }

// A kind-2 bullet in a random direction, starting at the rim.
void Scatter(TForm1& f, const Enemy& e) {
  const int dir = Random(16);
  EnemyBullet* b = FireBullet(f, 2, e.x, e.y, 10, 10, 0, 0, dir);
  if (b) MoveAlong(f, b->x, b->y, dir, -20);
}

// Six bullets in a line: vertical for the left and right volleys, horizontal
// for the up and down ones.
void LineVolley(TForm1& f, const Enemy& e, int kind, bool horizontal) {
  for (int k = 0; k < 6; ++k) {
    const int offset = 40 * k - 100;
    FireBullet(f, kind, horizontal ? e.x + offset : e.x, horizontal ? e.y : e.y + offset, 10, 10);
  }
  f.GameState.soundRequest = 9;
}

void RunS1Phase(TForm1& f, Enemy& e) {
  const S1Phase& phase = kS1Program[std::clamp(e.timer, 0, kS1ProgramLength - 1)];
  switch (phase.step) {
    case S1Step::Enter:
      e.x -= e.speed;
      e.speed -= 3;
      Spin(e);
      if (e.speed <= 0) NextS1Phase(e);
      break;
    case S1Step::SpinToZero:
      Spin(e);
      if (e.aux4 == 0) NextS1Phase(e);
      break;
    case S1Step::SpinFire:
      Spin(e);
      e.speed += 1;
      if (e.speed % 5 == 1) Scatter(f, e);
      if (e.speed >= 21) NextS1Phase(e);
      break;
    case S1Step::PathL: {
      MoveAlong(f, e.x, e.y, phase.script[std::clamp<int>(e.speed, 0, phase.script.size() - 1)], 8);
      Spin(e);
      e.speed += 1;
      if (e.speed % 5 == 1) Scatter(f, e);
      if (e.speed >= static_cast<int>(phase.script.size())) NextS1Phase(e);
      break;
    }
    case S1Step::Unfold:
      if (StepTo(e.frame, 1, 19)) {
        NextS1Phase(e);
        e.speed = 38;
      }
      break;
    case S1Step::Back:
      e.x += e.speed;
      e.speed -= 3;
      e.aux4 = TurnToward(e.aux4, phase.heading);
      if (e.speed < 1) NextS1Phase(e);
      break;
    case S1Step::Volleys:
      e.speed += 1;
      if (e.speed % 6 == 1) LineVolley(f, e, phase.bulletKind, false);
      if (e.speed > 70) NextS1Phase(e);
      break;
    case S1Step::Path:
      MoveAlong(f, e.x, e.y, phase.script[std::clamp<int>(e.speed, 0, phase.script.size() - 1)], 8);
      e.aux4 = TurnToward(e.aux4, phase.heading);
      e.speed += 1;
      if (e.speed >= static_cast<int>(phase.script.size())) {
        if (phase.recoil > 0) e.aux1 = phase.recoil;
        NextS1Phase(e);
      }
      break;
    case S1Step::Sweep:
      e.x += phase.heading;
      e.speed += 1;
      if (e.speed % 6 == 1) LineVolley(f, e, phase.bulletKind, true);
      if (phase.heading < 0 ? e.x < 200 : e.x > 440) NextS1Phase(e);
      break;
    case S1Step::Recoil:
      e.x -= e.aux1;
      e.aux1 -= 3;
      e.aux4 = TurnToward(e.aux4, 0);
      if (e.aux1 < 1) NextS1Phase(e);
      break;
    case S1Step::Fold:
      if (StepTo(e.frame, -1, 0)) NextS1Phase(e);
      break;
  }
}

// ================================================================= stage-2 boss
// speed counts frames within a phase (or is the sub-phase of charges, sweeps
// and volley programs); aux1 is a second counter or a speed; aux2 paces the
// volley programs' animation; aux3 is the overlay zoom; aux5 1 while the boss
// is drawn as the growing overlay.

enum class S2Step : uint8_t {
  Arrive,    // 0
  Grow,      // 1
  Pause,     // 16 frames, then the next phase's first frame
  Open,      // open, fire three (or six) big bullets, close
  Charge,    // charge left and turn round
  Sweep,     // down, up, back to the middle, firing boomerangs
  Arc,       // a curved climb or fall with the frame and heading stepping
  Slide,     // slide sideways while the frame steps every third frame
  Spreads,   // slide sideways firing spreads
  Volleys,   // fans and 7-fans with waits
  Raise,     // frame up to 6
  Crossfire, // double spreads on the spot
  Close,     // frame down to 0
  Bombs,     // slide right dropping kind-20 bullets
};

struct S2Phase {
  S2Step step;
  int a = 0, b = 0, c = 0, d = 0;
  int next = -1;  // -1: the following phase
};

// Pause: a = the next phase's first frame, b = 1 to request sound 10.
// Open: a = bullet kind, b = 1 for the low hatch (x + 70, y + 35) else the
//   high one (x - 70, y - 35), c = 1 for the long descending program.
// Charge: a = vertical step per frame.
// Arc: a = frame step (+1 up to 44, -1 falling to 0 below 38), b = frames per
//   step (1 or 2), c = heading step (-1 down to 0, +1 up to 8), d = x step;
//   the y direction and limit follow from the sign of the frame step and the
//   limits table below.
// Slide: a = x step, b = frame step (+1 ends at 52, -1 ends at 44).
// Spreads: a = x step, b = x limit.
constexpr S2Phase kS2Program[] = {
    {S2Step::Arrive},                     // 0
    {S2Step::Grow},                       // 1
    {S2Step::Pause, 7},                   // 2
    {S2Step::Open, 12, 0, 0},             // 3
    {S2Step::Pause, 23, 1},               // 4
    {S2Step::Charge, 0},                  // 5
    {S2Step::Sweep},                      // 6
    {S2Step::Pause, 7},                   // 7
    {S2Step::Open, 13, 1, 0},             // 8
    {S2Step::Pause, 38, 1},               // 9
    {S2Step::Arc, 1, 2, -1, 1},           // 10: rise to y 99
    {S2Step::Slide, 2, 1},                // 11
    {S2Step::Spreads, 2, 480},            // 12
    {S2Step::Slide, 2, -1},               // 13
    {S2Step::Arc, -1, 2, 0, 1},           // 14: fall to y 241
    {S2Step::Pause, 15},                  // 15
    {S2Step::Volleys},                    // 16
    {S2Step::Pause, 0},                   // 17
    {S2Step::Raise},                      // 18
    {S2Step::Crossfire},                  // 19
    {S2Step::Close},                      // 20
    {S2Step::Pause, 23, 1},               // 21
    {S2Step::Charge, -4},                 // 22
    {S2Step::Pause, 7},                   // 23
    {S2Step::Open, 13, 1, 1},             // 24
    {S2Step::Arc, 1, 1, 0, 1},            // 25: fall to y 381
    {S2Step::Bombs},                      // 26
    {S2Step::Arc, -1, 2, -1, 1},          // 27: rise to y 239
    {S2Step::Pause, 15},                  // 28
    {S2Step::Volleys},                    // 29
    {S2Step::Pause, 38, 1},               // 30
    {S2Step::Arc, 1, 2, 0, -1},           // 31: rise to y 99
    {S2Step::Slide, -2, 1},               // 32
    {S2Step::Spreads, -2, 160},           // 33
    {S2Step::Slide, -2, -1},              // 34
    {S2Step::Arc, -1, 2, 1, -1, 6},       // 35: fall to y 241, then phase 6
};
constexpr int kS2ProgramLength = sizeof(kS2Program) / sizeof(kS2Program[0]);

// Where each arc ends: rising arcs at y <= limit, falling ones at y >= limit.
struct ArcEnd {
  int phase;
  bool rising;
  int limit;
};
constexpr ArcEnd kArcEnds[] = {
    {10, true, 99}, {14, false, 241}, {25, false, 381}, {27, true, 239}, {31, true, 99}, {35, false, 241},
};

constexpr int kOpenFrame = 14;
constexpr int kClosedFrame = 6;

void NextS2Phase(Enemy& e, const S2Phase& phase) {
  const int following = e.timer + 1 < kS2ProgramLength ? e.timer + 1 : 6;
  e.timer = phase.next >= 0 ? phase.next : following;
}

void ResetCounters(Enemy& e) {
  e.speed = 0;
  e.aux1 = 0;
  e.aux2 = 0;
}

// Frame stepping down through the closed poses: below 38 it starts over at 0.
int FrameDown(int frame) { return frame - 1 < 38 ? 0 : frame - 1; }

void Fan(TForm1& f, const Enemy& e, bool seven) {
  static constexpr int kFanDx[6] = {8, 10, 12, 12, 10, 8};
  static constexpr int kSevenDx[7] = {7, 9, 11, 13, 11, 9, 7};
  if (seven)
    for (int k = 0; k < 7; ++k) FireBullet(f, 19, e.x + 10, e.y - 30, 12, 5, kSevenDx[k], 4 * k - 12);
  else
    for (int k = 0; k < 6; ++k) FireBullet(f, 19, e.x + 10, e.y - 30, 10, 10, kFanDx[k], 4 * k - 10);
  f.GameState.soundRequest = 5;
}

// Three rounds (speeds 14, 18, 22) of five bullets from each of two points.
void DoubleSpread(TForm1& f, int x1, int y1, int firstDir1, int x2, int y2, int firstDir2) {
  for (int kind = 16; kind <= 18; ++kind) {
    for (int d = 0; d < 5; ++d) FireBullet(f, kind, x1, y1, 10, 10, 0, 0, firstDir1 + d);
    for (int d = 0; d < 5; ++d) FireBullet(f, kind, x2, y2, 10, 10, 0, 0, firstDir2 + d);
  }
  f.GameState.soundRequest = 9;
}

void RunOpen(TForm1& f, Enemy& e, const S2Phase& phase) {
  const bool longProgram = phase.c == 1;
  if (longProgram) e.y += 3;
  const bool closing = longProgram ? e.y > 270 : e.aux1 > 15;
  if (closing) {
    e.frame -= 1;
    if (e.frame <= kClosedFrame) {
      ResetCounters(e);
      if (longProgram) {
        e.frame = 38;
        f.GameState.soundRequest = 10;
      } else {
        e.frame = 0;
      }
      NextS2Phase(e, phase);
    }
    return;
  }
  if (e.aux1 == 0 && e.frame < kOpenFrame) e.frame += 1;
  if (e.frame < kOpenFrame) return;
  e.aux1 += 1;
  const bool fires = longProgram ? (e.aux1 == 1 || (e.aux1 % 8 == 0 && e.aux1 <= 40))
                                 : (e.aux1 == 1 || e.aux1 == 7 || e.aux1 == 13);
  if (fires) {
    const int side = phase.b == 1 ? 1 : -1;
    FireBullet(f, phase.a, e.x + 70 * side, e.y + 35 * side, 25, 60);
    f.GameState.soundRequest = 9;
  }
}

void RunCharge(Enemy& e, const S2Phase& phase) {
  e.y += phase.a;
  switch (e.speed) {
    case 0:
      e.x -= e.aux1;
      e.aux1 += 3;
      if (StepPast(e.frame, 1, 30)) e.speed = 1;
      break;
    case 1:
      e.x -= e.aux1;
      if (e.x <= 179) {
        e.frame = std::min(e.frame + 1, 37);
        e.aux1 -= 3;
        e.aux4 = std::min(e.aux4 + 1, 8);
        if (e.aux1 < 0) e.speed = 2;
      }
      break;
    default:
      e.speed = 0;
      e.aux1 = 0;
      e.frame = 15;
      NextS2Phase(e, kS2Program[e.timer]);
      break;
  }
}

void RunSweep(TForm1& f, Enemy& e, const S2Phase& phase) {
  switch (e.speed) {
    case 0:
      e.y += 3;
      e.frame = std::min(e.frame + 1, 22);
      if (e.y > 400) e.speed = 1;
      break;
    case 1:
      e.y -= 3;
      if (e.y < 80) e.speed = 2;
      break;
    default:
      e.y += 3;
      if (e.y > 215) e.frame = std::max(e.frame - 1, 15);
      break;
  }
  e.aux1 += 1;
  if (e.aux1 % 12 == 1) {
    const int dx = Random(5) - 20;
    const int dy = Random(12) - 6;
    FireBullet(f, 14, e.x - 10, e.y + 30, 10, 10, dx, dy);
    f.GameState.soundRequest = 5;
  }
  if (e.speed == 2 && e.y > 240) {
    e.speed = 0;
    e.aux1 = 0;
    e.frame = 0;
    NextS2Phase(e, phase);
  }
}

void RunArc(Enemy& e, const S2Phase& phase) {
  e.speed += 1;
  if (phase.b == 1 || e.speed % phase.b == 0) {
    e.frame = phase.a > 0 ? std::min(e.frame + 1, 44) : FrameDown(e.frame);
    if (phase.c < 0) e.aux4 = std::max(e.aux4 - 1, 0);
    if (phase.c > 0) e.aux4 = std::min(e.aux4 + 1, 8);
  }
  e.x += phase.d;
  ArcEnd end{e.timer, true, 99};
  for (const ArcEnd& a : kArcEnds)
    if (a.phase == e.timer) end = a;
  e.y += end.rising ? -e.aux1 : e.aux1;
  e.aux1 += 1;
  if (end.rising ? e.y <= end.limit : e.y >= end.limit) {
    e.speed = 0;
    e.aux1 = 0;
    if (phase.next >= 0) e.frame = 15;
    NextS2Phase(e, phase);
  }
}

void RunSlide(TForm1& f, Enemy& e, const S2Phase& phase) {
  e.x += phase.a;
  e.speed += 1;
  if (e.speed % 3 == 0) e.frame += phase.b;
  if (phase.b > 0 && e.frame >= 52) {
    e.frame = 51;
    NextS2Phase(e, phase);
  } else if (phase.b < 0 && e.frame <= 44) {
    e.frame = 45;
    f.GameState.soundRequest = 10;
    NextS2Phase(e, phase);
  }
}

void RunVolleys(TForm1& f, Enemy& e, const S2Phase& phase) {
  switch (e.speed) {
    case 0:
      e.aux2 += 1;
      if (e.aux2 % 2 == 0 && ++e.frame >= 23) {
        e.frame = 22;
        e.speed = 1;
      }
      break;
    case 1:
    case 5:
    case 9:
      Fan(f, e, false);
      e.speed += 1;
      break;
    case 3:
    case 7:
    case 11:
      Fan(f, e, true);
      e.speed += 1;
      break;
    case 12:
      e.aux2 += 1;
      if (e.aux2 % 2 == 0 && --e.frame <= 14) {
        e.frame = 15;
        NextS2Phase(e, phase);
      }
      break;
    default:  // 2, 4, 6, 8, 10: wait 21 frames
      if (++e.aux1 >= 21) {
        e.aux1 = 0;
        e.speed += 1;
      }
      break;
  }
}

void RunS2Phase(TForm1& f, Enemy& e) {
  const S2Phase& phase = kS2Program[std::clamp(e.timer, 0, kS2ProgramLength - 1)];
  switch (phase.step) {
    case S2Step::Arrive:
      e.x -= 2;
      e.aux3 += 1;
      if (e.x < 600) NextS2Phase(e, phase);
      break;
    case S2Step::Grow:
      e.aux3 += 3;
      if (e.aux3 > 250) e.frame = FrameDown(e.frame);
      e.x -= 1;
      if (e.aux3 > 280) {
        // grown: drawn as the sprite from now on, and open to hits
        e.aux3 = 280;
        e.aux5 = 0;
        e.halfW = 55;
        e.halfH = 65;
        NextS2Phase(e, phase);
      }
      break;
    case S2Step::Pause:
      e.speed += 1;
      if (e.speed > 15) {
        ResetCounters(e);
        e.frame = phase.a;
        if (phase.b == 1) f.GameState.soundRequest = 10;
        NextS2Phase(e, phase);
      }
      break;
    case S2Step::Open:
      RunOpen(f, e, phase);
      break;
    case S2Step::Charge:
      RunCharge(e, phase);
      break;
    case S2Step::Sweep:
      RunSweep(f, e, phase);
      break;
    case S2Step::Arc:
      RunArc(e, phase);
      break;
    case S2Step::Slide:
      RunSlide(f, e, phase);
      break;
    case S2Step::Spreads:
      e.x += phase.a;
      e.speed += 1;
      if (e.speed % 24 == 1) DoubleSpread(f, e.x + 33, e.y, 0, e.x - 33, e.y, 4);
      if (phase.a > 0 ? e.x > phase.b : e.x < phase.b) {
        ResetCounters(e);
        NextS2Phase(e, phase);
      }
      break;
    case S2Step::Volleys:
      RunVolleys(f, e, phase);
      break;
    case S2Step::Raise:
      e.speed += 1;
      if (e.speed % 2 == 0 && ++e.frame >= 7) {
        e.frame = 6;
        NextS2Phase(e, phase);
      }
      break;
    case S2Step::Crossfire:
      if (e.speed > 80) {
        ResetCounters(e);
        NextS2Phase(e, phase);
        break;
      }
      e.speed += 1;
      if (e.speed % 24 == 1) DoubleSpread(f, e.x, e.y - 63, 8, e.x, e.y - 3, 4);
      break;
    case S2Step::Close:
      e.speed += 1;
      if (e.speed >= 2 && StepPast(e.frame, -1, 0)) {
        e.speed = 0;
        NextS2Phase(e, phase);
      }
      break;
    case S2Step::Bombs:
      e.x += 2;
      e.speed += 1;
      if (e.speed % 15 == 1) {
        const int dx = Random(20) - 10;
        const int dy = Random(5) - 20;
        FireBullet(f, 20, e.x, e.y + 40, 10, 10, dx, dy);
        f.GameState.soundRequest = 5;
      }
      if (e.x > 530) {
        ResetCounters(e);
        f.GameState.soundRequest = 10;
        NextS2Phase(e, phase);
      }
      break;
  }
}

}  // namespace

void StepFirstBoss(TForm1& f, Enemy& e) {
  RunFirstPhase(f, e);
  if (e.aux5 == 1) {
    e.y -= 2;
    if (e.y < 130) e.aux5 = 2;
  } else if (e.aux5 == 2) {
    e.y += 2;
    if (e.y > 350) e.aux5 = 1;
  }
}

void StepStage1Boss(TForm1& f, Enemy& e) { RunS1Phase(f, e); }

void StepStage2Boss(TForm1& f, Enemy& e) { RunS2Phase(f, e); }

}  // namespace game
