#include "game/records/replay.h"

#include "game/form.h"
#include "game/world/start_worlds.h"
#include "game/world/world_fields.h"
#include "platform/random.h"

namespace game {
namespace {

// Visits the fields a replay saves of the world a game starts from.
template <class Form, class Visit>
void ForEachStartField(Form& f, Visit&& v) {
  ForEachStartField(f.GameState, f.PlayerShip, f.Trail, v);
}

class Fnv1a {
 public:
  void Add(int32_t value) {
    const uint32_t bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
      hash_ ^= (bits >> shift) & 0xFF;
      hash_ *= 0x100000001B3u;
    }
  }
  uint64_t Value() const { return hash_; }

 private:
  uint64_t hash_ = 0xCBF29CE484222325u;
};

template <class Pool>
void AddRecordsInUse(Fnv1a& hash, const Pool& pool) {
  for (size_t i = 0; i < pool.size(); ++i) {
    if (StateOf(pool[i]) == 0) continue;
    hash.Add(static_cast<int32_t>(i));
    ForEachField(pool[i], [&](int32_t value) { hash.Add(value); });
  }
}

// Bit positions of the codes: as the first two bytes of a poll's record.
constexpr int kUpShift = 0, kDownShift = 2, kLeftShift = 4, kRightShift = 6;
constexpr int kButton1Shift = 8, kButton2Shift = 10, kButton3Shift = 12;

}  // namespace

void TakeWorldStart(const TForm1& f, Replay& replay) {
  replay.randomState = platform::Rand().State();
  size_t i = 0;
  ForEachStartField(f, [&](int32_t value) { replay.world[i++] = value; });
}

void RestoreWorldStart(TForm1& f, const Replay& replay) {
  f.ResetRun();
  f.ResetStage();
  size_t i = 0;
  ForEachStartField(f, [&](int32_t& field) { field = replay.world[i++]; });
  platform::Rand().Seed(replay.randomState);
  // The start world says whether it is a practice, and of what.
  const StartPoint* point = FindStartPoint(replay.world);
  f.practice = point && point->kind == StartKind::kPractice ? point : nullptr;
}

uint64_t WorldChecksum(const TForm1& f) {
  Fnv1a hash;
  ForEachStartField(f, [&](int32_t value) { hash.Add(value); });
  ForEachPool(f, [&](const auto& pool) { AddRecordsInUse(hash, pool); });
  return hash.Value();
}

Checkpoint TakeCheckpoint(const TForm1& f) {
  Checkpoint c;
  size_t i = 0;
  ForEachStartField(f, [&](int32_t value) { c.world[i++] = value; });
  i = 0;
  ForEachPool(f, [&](const auto& pool) {
    Fnv1a hash;
    AddRecordsInUse(hash, pool);
    c.pools[i++] = hash.Value();
  });
  return c;
}

std::string CheckpointDifference(const Checkpoint& recorded, const Checkpoint& played) {
  // The first few fields say enough; the count says how far it went.
  constexpr int kFieldsNamed = 6;
  std::string text;
  int fields = 0;
  for (size_t i = 0; i < kWorldStartFields; ++i) {
    if (recorded.world[i] == played.world[i]) continue;
    if (fields++ < kFieldsNamed)
      text += (text.empty() ? "" : ", ") + StartFieldName(i) + " recorded " + std::to_string(recorded.world[i]) +
              ", played " + std::to_string(played.world[i]);
  }
  if (fields > kFieldsNamed) text += " and " + std::to_string(fields - kFieldsNamed) + " more fields";
  if (fields > 0) return text;
  int pools = 0;
  for (size_t p = 0; p < kPoolCount; ++p)
    if (recorded.pools[p] != played.pools[p]) text += (pools++ ? ", " : "") + std::string(kPoolNames[p]);
  if (pools == 0) return text;
  return (pools == 1 ? "the records of the pool " : "the records of the pools ") + text + " differ";
}

uint16_t InputCode(const VantorInputSystem::TVantorInputState& s) {
  return static_cast<uint16_t>(s.Up << kUpShift | s.Down << kDownShift | s.Left << kLeftShift |
                               s.Right << kRightShift | s.Button1 << kButton1Shift | s.Button2 << kButton2Shift |
                               s.Button3 << kButton3Shift);
}

VantorInputSystem::TVantorInputState InputState(uint16_t code) {
  VantorInputSystem::TVantorInputState s{};
  s.Up = (code >> kUpShift) & 3;
  s.Down = (code >> kDownShift) & 3;
  s.Left = (code >> kLeftShift) & 3;
  s.Right = (code >> kRightShift) & 3;
  s.Button1 = (code >> kButton1Shift) & 3;
  s.Button2 = (code >> kButton2Shift) & 3;
  s.Button3 = (code >> kButton3Shift) & 3;
  return s;
}

bool ValidInputCode(uint16_t code) {
  if (code >> 14) return false;
  for (int shift = 0; shift < 14; shift += 2)
    if (((code >> shift) & 3) == 3) return false;
  return true;
}

}  // namespace game
