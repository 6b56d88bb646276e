// Small helpers the play routines share.
#include "game/play/play.h"

#include "game/form.h"

namespace game {

void MoveAlong(const TForm1& f, int& x, int& y, int dir, int speed) {
  x += f.dirCos[dir & 15] * speed / 16;
  y += f.dirSin[dir & 15] * speed / 16;
}

int TurnToward(int from, int to) {
  const int clockwise = (to - from + 16) & 15;
  if (clockwise == 0) return from;
  return (from + (clockwise <= 8 ? 1 : 15)) & 15;
}

bool StepTo(int& value, int step, int end) {
  value += step;
  if (step > 0 ? value < end : value > end) return false;
  value = end;
  return true;
}

bool StepPast(int& value, int step, int end) {
  value += step;
  if (step > 0 ? value <= end : value >= end) return false;
  value = end;
  return true;
}

const AnsiString& Sprite(int index) { return SpriteNames.at(static_cast<size_t>(index)); }

}  // namespace game
