#pragma once
// Helpers shared by the play routines (ship, enemies, bullets, effects,
// bosses and the how-to-play demonstration). They work on the form's world.
#include "game/world/world.h"

namespace game {

class TForm1;

// The directions and fire buttons held in one frame (a real poll or the
// demonstration's simulated keys).
struct ControlKeys {
  bool up = false;
  bool down = false;
  bool left = false;
  bool right = false;
  bool button1 = false;
  bool button2 = false;
  bool button3 = false;
};

// Right edge of the ship's steering on the play screen and in the demonstration.
constexpr int kPlayMaxX = 630;
constexpr int kDemoMaxX = 600;

// Steering, the shot cadence, forward fire and the mode changes of one frame.
void SteerShip(TForm1& f, const ControlKeys& keys, int maxX);
// The automatic flight of a new ship from the left until it slows to a stop.
void FlyIn(TForm1& f);

// The ship is hit (by an enemy or a bullet): ignored while it is invincible.
void HitShip(TForm1& f);

// Debris effects scattered at a point, in the four styles of the game.
enum class Debris { Small, Medium, Large, Ship };
void SpawnDebris(TForm1& f, int x, int y, int count, Debris style);

// A still effect in the lowest free record (null when the pool is full).
Effect* SpawnEffect(TForm1& f, int x, int y, int kind, int frame, int life);

// An enemy bullet in the lowest free record (null when the pool is full).
EnemyBullet* FireBullet(TForm1& f, int kind, int x, int y, int halfW = 10, int halfH = 10, int dx = 0, int dy = 0,
                        int dir = 0);

// The path followers' bullet: kind 6 toward the ship, its speed kept in range.
void FireAimedBullet(TForm1& f, const Enemy& e);

// Moves a point by direction `dir` at `speed` pixels (truncated per axis).
void MoveAlong(const TForm1& f, int& x, int& y, int dir, int speed);

// One step from direction `from` toward `to` the shorter way (0-15).
int TurnToward(int from, int to);

// Moves a counter by `step` (+1 or -1) and holds it at `end`: true on the
// step that gets it there (or beyond). StepPast holds it only once a step
// would carry it beyond `end`, so the counter rests one step at `end` first.
bool StepTo(int& value, int step, int end);
bool StepPast(int& value, int step, int end);

// The sprite name at a table index (throws for an index outside the table).
const AnsiString& Sprite(int index);

// One behaviour step of an alive enemy (it may free the record).
void StepBehaviour(TForm1& f, Enemy& e);

// The boss programs.
void StepFirstBoss(TForm1& f, Enemy& e);
void StepStage1Boss(TForm1& f, Enemy& e);
void StepStage2Boss(TForm1& f, Enemy& e);

}  // namespace game
