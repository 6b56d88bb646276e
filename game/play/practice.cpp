// Practice: a stage or a boss played on its own, from the start points of
// game/world/start_worlds.h, until the stage or the boss is over.
#include <algorithm>

#include "game/form.h"

namespace game {

void TForm1::StartPractice(const StartPoint& point, int power) {
  pendingPractice_ = &point;
  pendingPower_ = std::clamp(power, 0, kMaxPower);
}

void TForm1::ApplyPractice() {
  const PracticeStart& p = pendingPractice_->practice;
  practice = pendingPractice_;
  pendingPractice_ = nullptr;
  ResetRun();
  ResetStage();
  GameState.screen = ScreenPlay;
  GameState.screenCounter = 0;
  GameState.stage = p.stage;
  GameState.scriptPos = p.scriptPos;
  // A boss's step is due in this very frame.
  GameState.scriptDivider = p.scriptPos ? 5 : 0;
  GameState.musicRequest = p.musicRequest;
  PlayerShip.power = pendingPower_;
}

bool TForm1::PracticeOver() const {
  const PracticeStart& p = practice->practice;
  if (p.bossBehaviour == 0) return GameState.stage != p.stage;
  return std::none_of(Enemy.begin(), Enemy.end(),
                      [&](const game::Enemy& e) { return e.state != 0 && e.behaviour == p.bossBehaviour; });
}

}  // namespace game
