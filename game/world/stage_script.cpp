// The stage script: one step every sixth world frame that waits, shows
// banners, requests music, spawns enemies and hands over between stages.
#include "game/form.h"
#include "game/world/stage_data.h"
#include "vantor/midi/midi.h"

namespace game {
namespace {

constexpr int kFadeOutMilliseconds = 2500;

int Evaluate(const SpawnValue& v, int k, int& shared, bool& sharedDrawn) {
  int value = v.base + v.perMember * k;
  if (v.random > 0) {
    if (!v.shared) return value + Random(v.random);
    if (!sharedDrawn) {
      shared = Random(v.random);
      sharedDrawn = true;
    }
    value += shared;
  }
  return value;
}

bool AllEnemiesGone(const EnemyPool& pool) {
  for (const game::Enemy& e : pool)
    if (e.state != 0) return false;
  return true;
}

}  // namespace

void SpawnMembers(EnemyPool& pool, std::span<const SpawnRow> rows) {
  int shared = 0;
  bool sharedDrawn = false;
  for (const SpawnRow& row : rows) {
    for (int k = 0; k < row.count; ++k) {
      game::Enemy* e = TakeFree(pool);
      if (!e) return;
      *e = game::Enemy{};
      e->state = 1;
      e->x = Evaluate(row.x, k, shared, sharedDrawn);
      e->y = Evaluate(row.y, k, shared, sharedDrawn);
      e->frame = Evaluate(row.frame, k, shared, sharedDrawn);
      e->behaviour = row.behaviour;
      e->hp = row.hp;
      e->halfW = row.halfW;
      e->halfH = row.halfH;
      e->timer = Evaluate(row.timer, k, shared, sharedDrawn);
      e->speed = Evaluate(row.speed, k, shared, sharedDrawn);
      e->aux1 = Evaluate(row.aux1, k, shared, sharedDrawn);
      e->aux3 = Evaluate(row.aux3, k, shared, sharedDrawn);
      e->aux4 = row.aux4FromSpeed ? e->speed : Evaluate(row.aux4, k, shared, sharedDrawn);
      e->aux5 = Evaluate(row.aux5, k, shared, sharedDrawn);
      e->spriteSet = row.spriteSet;
      e->points = row.points;
    }
  }
}

void TForm1::RunStageScript() {
  game::GameState& g = GameState;
  g.scriptDivider = 0;
  const std::span<const int16_t> script = StageScript(g.stage);
  // past the end of its script a stage only waits
  g.scriptOp = g.scriptPos >= 0 && g.scriptPos < static_cast<int>(script.size()) ? script[g.scriptPos] : 0;
  const ScriptOp& op = ScriptOperation(g.scriptOp);
  bool advance = true;
  switch (op.action) {
    case ScriptAction::Stall:
      advance = false;
      break;
    case ScriptAction::Wait:
      g.scriptWait += 1;
      advance = g.scriptWait > op.limit;
      if (advance) g.scriptWait = 0;
      break;
    case ScriptAction::WaitForClear:
      advance = AllEnemiesGone(Enemy);
      break;
    case ScriptAction::Banner:
      // with every banner busy this one is lost; the script goes on
      ShowBanner(op.kind, op.timer, 0, 0, op.zoomY);
      break;
    case ScriptAction::Music:
      g.musicRequest = op.kind;
      break;
    case ScriptAction::FadeOut:
      cmid->SetFadeOut(kFadeOutMilliseconds);
      break;
    case ScriptAction::EndingSong:
      g.musicRequest = op.kind;
      g.titleSongNeeded = 1;
      break;
    case ScriptAction::FlyOut:
      g.autopilot = 2;
      g.autopilotSpeed = 1;
      break;
    case ScriptAction::NextStage:
      g.stage = 1;
      g.scriptPos = 0;
      g.scriptWait = 0;
      g.scriptDivider = 0;
      advance = false;
      break;
    case ScriptAction::Spawn:
      SpawnMembers(Enemy, SpawnRows(g.scriptOp));
      break;
  }
  if (advance) g.scriptPos += 1;
}

}  // namespace game
