#include "game/world/stage_data.h"

#include <array>

namespace game {
namespace {

constexpr std::array<int16_t, 437> kStage1 = {
    7, 2, 0, 0, 0, 31, 0, 1, 31, 0, 1, 31, 0, 1, 31, 0, 1, 31, 0, 1,
    31, 0, 1, 31, 0, 1, 11, 1, 11, 1, 11, 0, 12, 0, 13, 0, 14, 0, 12, 0,
    11, 1, 11, 1, 11, 1, 23, 1, 23, 1, 23, 1, 23, 1, 23, 1, 23, 1, 23, 1,
    23, 1, 23, 1, 23, 1, 1, 15, 0, 0, 15, 0, 15, 0, 15, 0, 55, 15, 0, 0,
    16, 0, 0, 16, 0, 16, 0, 16, 0, 16, 1, 24, 1, 24, 1, 24, 1, 24, 1, 24,
    1, 34, 1, 24, 1, 24, 1, 34, 1, 24, 1, 27, 0, 28, 0, 27, 1, 28, 1, 27,
    1, 28, 1, 56, 1, 57, 1, 27, 1, 28, 1, 27, 1, 56, 1, 28, 1, 27, 1, 1,
    11, 1, 11, 1, 11, 0, 12, 0, 13, 0, 14, 0, 12, 0, 11, 1, 11, 1, 11, 1,
    1, 19, 0, 20, 0, 19, 0, 20, 0, 19, 0, 20, 1, 19, 0, 31, 0, 31, 0, 31,
    1, 31, 1, 31, 1, 31, 1, 31, 1, 31, 1, 31, 1, 31, 55, 25, 1, 25, 1, 25,
    1, 25, 1, 35, 1, 25, 1, 25, 1, 35, 1, 25, 1, 25, 1, 0, 44, 0, 44, 0,
    44, 0, 45, 0, 45, 0, 45, 0, 44, 0, 45, 15, 0, 15, 1, 55, 15, 0, 0, 16,
    0, 16, 1, 16, 0, 0, 19, 0, 55, 20, 0, 0, 16, 0, 16, 0, 15, 0, 15, 0,
    0, 17, 0, 0, 18, 0, 0, 20, 0, 0, 0, 17, 0, 17, 0, 17, 0, 18, 0, 18,
    0, 18, 0, 17, 0, 18, 0, 17, 0, 18, 0, 15, 0, 15, 1, 26, 1, 26, 1, 26,
    1, 26, 1, 26, 1, 26, 1, 26, 1, 26, 1, 26, 1, 26, 21, 0, 27, 0, 28, 1,
    27, 1, 28, 1, 27, 1, 56, 1, 57, 1, 56, 1, 57, 1, 28, 1, 27, 22, 0, 0,
    27, 1, 28, 1, 56, 1, 27, 1, 28, 1, 27, 1, 56, 1, 57, 1, 55, 28, 0, 0,
    29, 1, 30, 1, 29, 1, 30, 1, 29, 1, 30, 1, 29, 1, 30, 1, 29, 1, 30, 1,
    29, 0, 0, 11, 1, 11, 1, 11, 0, 12, 0, 13, 0, 14, 0, 12, 0, 11, 1, 11,
    1, 11, 0, 0, 10, 0, 1, 9, 0, 6, 0, 0, 0, 32, 0, 22, 10, 0, 33, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
};

constexpr std::array<int16_t, 456> kStage2 = {
    8, 0, 3, 0, 0, 60, 22, 60, 22, 60, 22, 0, 58, 0, 0, 58, 0, 0, 58, 0,
    36, 38, 36, 38, 36, 38, 36, 38, 36, 38, 36, 38, 36, 38, 36, 38, 36, 38, 36, 1,
    11, 1, 11, 1, 11, 0, 12, 0, 13, 0, 14, 0, 12, 0, 11, 1, 11, 1, 11, 0,
    27, 0, 28, 0, 27, 1, 28, 1, 27, 1, 28, 1, 56, 1, 57, 1, 27, 1, 28, 1,
    27, 1, 56, 1, 28, 1, 27, 55, 0, 0, 54, 0, 0, 54, 0, 0, 59, 0, 0, 59,
    0, 0, 59, 0, 40, 0, 41, 0, 37, 38, 37, 38, 37, 38, 37, 38, 37, 38, 37, 38,
    37, 38, 37, 38, 37, 38, 37, 0, 40, 0, 41, 55, 40, 0, 41, 0, 54, 0, 0, 54,
    0, 48, 22, 1, 49, 22, 1, 48, 22, 1, 49, 22, 1, 0, 11, 1, 11, 1, 11, 0,
    12, 0, 13, 0, 14, 0, 12, 0, 11, 1, 11, 1, 11, 55, 0, 0, 53, 22, 1, 53,
    22, 1, 48, 22, 1, 49, 22, 1, 48, 22, 1, 49, 22, 0, 39, 38, 39, 38, 39, 38,
    39, 38, 39, 38, 39, 38, 39, 38, 39, 38, 39, 38, 39, 38, 0, 40, 0, 41, 0, 40,
    0, 41, 0, 0, 43, 1, 43, 1, 46, 1, 47, 1, 43, 1, 46, 1, 47, 1, 43, 1,
    46, 1, 47, 1, 43, 1, 46, 1, 43, 1, 46, 1, 47, 1, 43, 1, 46, 1, 47, 1,
    43, 1, 46, 1, 47, 1, 43, 1, 46, 0, 0, 61, 22, 1, 62, 22, 1, 61, 22, 1,
    62, 0, 59, 0, 59, 0, 59, 55, 0, 0, 29, 1, 30, 1, 29, 1, 30, 1, 29, 1,
    30, 1, 29, 1, 30, 1, 54, 29, 1, 30, 1, 29, 1, 54, 1, 29, 1, 30, 1, 29,
    54, 0, 0, 43, 1, 46, 1, 47, 1, 48, 43, 1, 46, 1, 47, 1, 43, 1, 46, 1,
    1, 47, 49, 1, 43, 1, 46, 1, 43, 1, 46, 1, 47, 1, 43, 1, 46, 48, 1, 47,
    1, 43, 1, 46, 1, 43, 1, 49, 46, 1, 47, 1, 43, 1, 46, 1, 47, 1, 43, 1,
    1, 46, 1, 47, 1, 43, 1, 47, 61, 1, 43, 1, 46, 1, 47, 1, 43, 62, 0, 0,
    11, 1, 11, 1, 11, 0, 12, 0, 13, 0, 14, 0, 12, 0, 11, 1, 11, 1, 11, 0,
    0, 10, 0, 1, 9, 0, 6, 0, 0, 0, 50, 0, 22, 0, 5, 51, 0, 52, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
};

// Control operations by code; codes absent here spawn (or stall, without rows).
constexpr std::array<ScriptOp, kLastScriptOp + 1> MakeOperations() {
  std::array<ScriptOp, kLastScriptOp + 1> ops{};
  for (auto& op : ops) op.action = ScriptAction::Spawn;
  ops[0] = {.action = ScriptAction::Wait, .limit = 5};
  ops[1] = {.action = ScriptAction::Wait, .limit = 1};
  ops[38] = {.action = ScriptAction::Wait, .limit = 0};
  ops[22] = {.action = ScriptAction::WaitForClear};
  ops[2] = {.action = ScriptAction::Banner, .kind = 0, .timer = 100};
  ops[3] = {.action = ScriptAction::Banner, .kind = 1, .timer = 100};
  ops[5] = {.action = ScriptAction::Banner, .kind = 3, .timer = 390};
  ops[6] = {.action = ScriptAction::Banner, .kind = 4, .timer = 70};
  ops[55] = {.action = ScriptAction::Banner, .kind = 9, .timer = 121, .zoomY = 0};
  ops[7] = {.action = ScriptAction::Music, .kind = 2};
  ops[8] = {.action = ScriptAction::Music, .kind = 3};
  ops[9] = {.action = ScriptAction::Music, .kind = 4};
  ops[10] = {.action = ScriptAction::FadeOut};
  ops[51] = {.action = ScriptAction::EndingSong, .kind = 6};
  ops[52] = {.action = ScriptAction::FlyOut};
  ops[33] = {.action = ScriptAction::NextStage};
  ops[4] = {.action = ScriptAction::Stall};
  ops[42] = {.action = ScriptAction::Stall};
  return ops;
}

constexpr std::array<ScriptOp, kLastScriptOp + 1> kOperations = MakeOperations();
constexpr ScriptOp kStall{};

// The spawn table. Values are {base, per member, random range, shared}.
constexpr SpawnRow kSpawns[] = {
    Op(11).At({660}, {140, 0, 200}).Kind(0, 0, 2, 35, 35, 10).Speed({20, 0, 13}).Aux4({-5, 0, 7}),
    Op(12).At({660}, {140, 0, 200}).Kind(1, 1, 2, 35, 35, 10).Speed({20, 0, 13}).Aux4({-5, 0, 7}).Aux5({0}),
    Op(13).At({660}, {140, 0, 200}).Kind(1, 1, 2, 35, 35, 10).Speed({20, 0, 13}).Aux4({-5, 0, 7}).Aux5({1}),
    Op(14).At({660}, {140, 0, 200}).Kind(1, 1, 2, 35, 35, 10).Speed({20, 0, 13}).Aux4({-5, 0, 7}).Aux5({2}),
    Op(15).At({700}, {120, 0, 240}).Kind(3, 5, 8, 35, 40, 100).Speed({13}).Aux1({-3, 0, 5}),
    Op(16).At({-60}, {120, 0, 240}).Kind(4, 6, 8, 35, 40, 100).Speed({13}).Aux1({-3, 0, 5}),
    Op(17).At({700}, {80}).Kind(5, 7, 15, 35, 40, 200).Speed({13}).Aux1({-3, 0, 5}),
    Op(18).At({700}, {400}).Kind(6, 7, 15, 35, 40, 200).Speed({13}).Aux1({-3, 0, 5}),
    Op(19).At({400, 0, 140}, {-60}).Kind(7, 7, 15, 35, 40, 200).Speed({16, 0, 17}).Aux4({4}),
    Op(20).At({400, 0, 140}, {540}).Kind(8, 7, 15, 35, 40, 200).Speed({16, 0, 17}).Aux4({12}),
    // The first boss: its hit box stays negative until its behaviour opens it.
    Op(21).At({700}, {240}).Kind(9, 8, 500, -50, -50, 1000).Speed({100}),
    Op(23).At({610}, {-50}).Kind(11, 10, 2, 35, 35, 10).Aux4({10}),
    Op(24).At({680}, {430}).Kind(12, 10, 2, 35, 35, 10).Aux4({10}),
    Op(25).At({50}, {530}).Kind(13, 10, 2, 35, 35, 10).Aux4({10}),
    Op(26).At({80}, {-50}).Kind(14, 10, 2, 35, 35, 10).Aux4({10}),
    Op(27).At({690}, {0, 0, 80}).Kind(15, 11, 4, 27, 27, 20).Timer({0, 0, 5}).Aux1({3, 0, 2}),
    Op(28).At({690}, {400, 0, 80}).Kind(16, 11, 4, 27, 27, 20).Timer({0, 0, 5}).Aux1({3, 0, 2}),
    Op(29).At({-50}, {0, 0, 80}).Kind(17, 12, 4, 27, 27, 20).Timer({0, 0, 5}).Aux1({3, 0, 2}),
    Op(30).At({-50}, {400, 0, 80}).Kind(18, 12, 4, 27, 27, 20).Timer({0, 0, 5}).Aux1({3, 0, 2}),
    Op(31).Members(2).At({660}, {140, 0, 200}).Kind(19, 13, 2, 29, 29, 10).Speed({20, 0, 16}).Aux4({-5, 0, 7}),
    Op(32).At({700}, {240}).Kind(20, 14, 1200, 45, 45, 5000).Speed({48}),
    Op(34).At({680}, {430}).Kind(12, 10, 2, 35, 35, 10).Aux4({10}),
    Op(34).At({690}, {0, 0, 80}).Kind(15, 11, 4, 27, 27, 20).Timer({0, 0, 5}).Aux1({3, 0, 2}),
    Op(35).At({50}, {530}).Kind(13, 10, 2, 35, 35, 10).Aux4({10}),
    Op(35).At({-60}, {120, 0, 240}).Kind(4, 6, 10, 35, 40, 100).Speed({13}).Aux1({-3, 0, 5}),
    Op(36).At({470}, {-50}).Kind(21, 15, 4, 35, 35, 30).Aux4({10}),
    Op(37).At({580}, {530}).Kind(22, 15, 4, 35, 35, 30).Aux4({10}),
    Op(39).At({-50}, {60}).Kind(23, 15, 4, 35, 35, 30).Aux4({10}),
    Op(40).Members(5).At({250, 90}, {-50, 10}).Kind(24, 15, 4, 35, 35, 30).Timer({8, -2}).Aux4({10}),
    Op(41).Members(5).At({250, 90}, {530, -10}).Kind(25, 15, 4, 35, 35, 30).Timer({8, -2}).Aux4({10}),
    Op(43).At({700}, {100, 0, 280}).Kind(26, 16, 6, 30, 30, 50).Speed({6, 0, 5}).Aux4FromSpeed(),
    Op(44).Members(5).At({250, 90}, {-50, 10}).Kind(29, 10, 2, 35, 35, 30).Timer({8, -2}).Aux4({10}),
    Op(45).Members(5).At({250, 90}, {530, -10}).Kind(30, 10, 2, 35, 35, 30).Timer({8, -2}).Aux4({10}),
    Op(46).At({50, 0, 500}, {-50}).Kind(27, 16, 6, 30, 30, 50).Speed({2, 0, 5}).Aux4FromSpeed(),
    Op(47).At({50, 0, 500}, {530}).Kind(28, 16, 6, 30, 30, 50).Speed({10, 0, 5}).Aux4FromSpeed(),
    Op(48).At({100, 0, 250}, {580}).Kind(31, 17, 35, 50, 50, 500).Speed({33}).Aux4({0}),
    Op(49).At({100, 0, 250}, {-100}).Kind(32, 17, 35, 50, 50, 500).Speed({33}).Aux4({8}),
    // The stage-2 boss grows in as an overlay with its hit box closed.
    Op(50).At({660}, {240}).Kind(33, 18, 3000, -50, -50, 15000).Frame({44}).Aux3({30}).Aux5({1}),
    Op(53).At({-130}, {50, 0, 380}).Kind(34, 17, 35, 50, 50, 500).Speed({33}).Aux4({4}),
    Op(54).At({-130}, {50, 0, 380}).Kind(35, 19, 60, 46, 46, 600).Speed({35}),
    Op(56).At({250, 0, 150}, {-80}).Kind(36, 11, 4, 27, 27, 20).Timer({4, 0, 3}).Aux1({2, 0, 3}),
    Op(57).At({250, 0, 150}, {560}).Kind(37, 11, 4, 27, 27, 20).Timer({4, 0, 3}).Aux1({2, 0, 3}),
    Op(58).Members(7).At({700, 160}, {40, 65}).Kind(38, 20, 5, 30, 30, 20).Speed({30, 4}),
    Op(59).At({700}, {100, 0, 280}).Kind(39, 21, 28, 55, 30, 220).Speed({22}).Aux1({0, 0, 3}),
    Op(60).Members(5).At({660, 100}, {100, 8, 280, true}).Kind(40, 22, 5, 30, 30, 30).Frame({0, 2}),
    // Risers and droppers: three coming down, then three coming up.
    Op(61).At({400}, {-100}).Kind(41, 23, 17, 40, 40, 230).Speed({0}).Aux1({18}).Aux4({12}),
    Op(61).At({500}, {-100}).Kind(41, 23, 17, 40, 40, 230).Speed({0}).Aux1({21}).Aux4({12}),
    Op(61).At({600}, {-100}).Kind(41, 23, 17, 40, 40, 230).Speed({0}).Aux1({24}).Aux4({12}),
    Op(61).At({400}, {580}).Kind(41, 23, 17, 40, 40, 230).Speed({1}).Aux1({18}).Aux4({4}),
    Op(61).At({500}, {580}).Kind(41, 23, 17, 40, 40, 230).Speed({1}).Aux1({21}).Aux4({4}),
    Op(61).At({600}, {580}).Kind(41, 23, 17, 40, 40, 230).Speed({1}).Aux1({24}).Aux4({4}),
    Op(62).At({100}, {-100}).Kind(43, 23, 17, 40, 40, 230).Speed({0}).Aux1({28}).Aux3({6}).Aux4({12}),
    Op(62).At({300}, {-100}).Kind(43, 23, 17, 40, 40, 230).Speed({0}).Aux1({31}).Aux3({4}).Aux4({12}),
    Op(62).At({650}, {-100}).Kind(43, 23, 17, 40, 40, 230).Speed({0}).Aux1({22}).Aux3({-3}).Aux4({12}),
    Op(62).At({100}, {580}).Kind(43, 23, 17, 40, 40, 230).Speed({1}).Aux1({28}).Aux3({6}).Aux4({4}),
    Op(62).At({300}, {580}).Kind(43, 23, 17, 40, 40, 230).Speed({1}).Aux1({31}).Aux3({4}).Aux4({4}),
    Op(62).At({650}, {580}).Kind(43, 23, 17, 40, 40, 230).Speed({1}).Aux1({22}).Aux3({-3}).Aux4({4}),
};

// The how-to-play demonstration's spawns, keyed by script code.
constexpr SpawnRow kDemoSpawns[] = {
    Op(20).At({700}, {200}).Kind(3, 5, 8, 35, 40, 100).Speed({13}).Aux1({2}),
    Op(21).At({-60}, {400}).Kind(4, 6, 10, 35, 40, 100).Speed({13}).Aux1({-2}),
    Op(22).At({-60}, {100}).Kind(4, 6, 8, 35, 40, 100).Speed({13}).Aux1({2}),
    Op(24).At({700}, {240}).Kind(39, 21, 23, 55, 30, 220).Speed({22}).Aux1({-2}),
};

// The contiguous rows of one op in a table sorted by op.
template <size_t N>
std::span<const SpawnRow> RowsOf(const SpawnRow (&table)[N], int op) {
  const SpawnRow* first = table;
  while (first != table + N && first->op != op) ++first;
  const SpawnRow* last = first;
  while (last != table + N && last->op == op) ++last;
  return {first, last};
}

}  // namespace

const ScriptOp& ScriptOperation(int op) {
  if (op < 0 || op > kLastScriptOp) return kStall;
  return kOperations[op];
}

std::span<const int16_t> StageScript(int stage) {
  if (stage == 0) return kStage1;
  return kStage2;
}

std::span<const SpawnRow> SpawnRows(int op) { return RowsOf(kSpawns, op); }

std::span<const SpawnRow> DemoSpawnRows(int code) { return RowsOf(kDemoSpawns, code); }

}  // namespace game
