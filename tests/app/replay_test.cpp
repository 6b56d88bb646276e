// Replays: a recorded game played back runs frame for frame as it was played;
// a damaged or foreign replay is refused with its reason; the ranking keeps
// the replay of each row a game entered; watching writes nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/probe/runner.h"
#include "game/form.h"
#include "game/records/last_replay.h"
#include "game/records/ranking.h"
#include "game/records/ranking_replays.h"
#include "game/records/replay_list.h"
#include "game/records/replay_file.h"
#include "game/records/score_file.h"
#include "game/world/start_worlds.h"
#include "platform/app.h"
#include "platform/files.h"
#include "platform/headless/backend.h"
#include "platform/random.h"
#include "tests/as_player.h"

namespace probe {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), {});
}

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// Where a field of GameState or PlayerShip is in a replay's start world.
constexpr size_t StateField(size_t offset) { return offset / 4; }
constexpr size_t ShipField(size_t offset) { return sizeof(game::GameState) / 4 + offset / 4; }

// The replay with the input code of frame `frame` (counted from 1) replaced.
void SetInputAt(game::Replay& r, uint32_t frame, uint16_t code) {
  std::vector<game::InputRun> runs;
  uint32_t at = 1;
  for (const game::InputRun& run : r.runs)
    for (uint16_t k = 0; k < run.frames; ++k, ++at) {
      const uint16_t c = at == frame ? code : run.code;
      if (!runs.empty() && runs.back().code == c && runs.back().frames < UINT16_MAX) ++runs.back().frames;
      else runs.push_back({c, 1});
    }
  r.runs = runs;
}

// A trace line without its frame number (what is left of it must match).
std::string WithoutFrame(const std::string& line) { return line.substr(line.find(',')); }

// The Replays list as the player reads it (tests/as_player.h), every file
// read: each row's source, name, label and refusal (a watchable row gets an
// empty replay in place of its own).
game::ReplayList ListAsPlayer(const fs::path& home, const game::RankEntry rows[]) {
  const std::string text = testing_as_player::AsPlayer([&] {
    std::string said;
    // Names, labels and reasons are printable: no tab, no line break.
    for (game::ReplayListRow& row : game::ListReplays(home.string(), rows).rows) {
      game::ReadListedFile(row);
      said += std::to_string(row.source) + "\t" + row.name + "\t" + row.label + "\t" + row.refusal + "\n";
    }
    return said;
  });
  EXPECT_NE(text, "child failed");
  game::ReplayList list;
  std::istringstream lines(text);
  for (std::string source, name, label, refusal;
       std::getline(lines, source, '\t') && std::getline(lines, name, '\t') && std::getline(lines, label, '\t') &&
       std::getline(lines, refusal);) {
    list.rows.push_back({static_cast<game::ReplayListRow::Source>(std::stoi(source)), label, name, {}, refusal,
                         refusal.empty() ? std::make_shared<game::Replay>() : nullptr, true});
  }
  return list;
}

class ReplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("solvara_replay_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // A run of the runner with the build's assets, its home in the test folder.
  Options Base(const std::string& home = "home") const {
    Options o;
    o.home = (dir_ / home).string();
    o.assets = SOLVARA_BUILD_DIR;
    return o;
  }
  int Run(const Options& o) {
    std::ostringstream log;
    ::testing::internal::CaptureStderr();
    const int status = Runner(o).Run(log);
    ::testing::internal::GetCapturedStderr();
    log_ = log.str();
    return status;
  }
  // A bot game that ends within `frames`, recorded; its final score.
  int32_t BotGame(uint32_t seed, int frames, const fs::path& replay) {
    Options o = Base();
    o.bot = true;
    o.seed = seed;
    o.frames = frames;
    o.record = replay.string();
    EXPECT_EQ(Run(o), 0) << log_;
    game::Replay r;
    std::string reason;
    EXPECT_TRUE(game::ReadReplayFile(o.record, r, reason)) << reason;
    return r.finalScore;
  }

  // The pilot's game of seed 5, recorded, for a form of this process to
  // watch (its folders mapped as the runner maps them); null when unreadable.
  std::shared_ptr<const game::Replay> WatchInThisProcess() {
    BotGame(5, 1800, dir_ / "5.rpl");
    auto replay = std::make_shared<game::Replay>();
    std::string reason;
    if (!game::ReadReplayFile((dir_ / "5.rpl").string(), *replay, reason)) return nullptr;
    platform::ClearFolderMaps();
    platform::SetHomeDir((dir_ / "watcher").string());
    platform::MapFolder("bmp", std::string(SOLVARA_BUILD_DIR) + "/bmp");
    platform::MapFolder("sound", std::string(SOLVARA_BUILD_DIR) + "/sound");
    return replay;
  }

  // The replays of ranking rows in a data folder.
  static int RowReplays(const fs::path& folder) {
    int n = 0;
    for (const auto& entry : fs::directory_iterator(folder)) n += entry.path().filename().string().starts_with("replay-");
    return n;
  }

  static std::vector<std::string> Lines(const fs::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  fs::path dir_;
  std::string log_;
};

struct RecordedGame {
  const char* name;
  bool bot;
  uint32_t seed;
  const char* keys;
  int frames;  // enough for the game to end
  int pausedFrames;
};

// Keys held from frame 1200 start the game after the attract loop has run
// (its demonstration leaves the pools and the generator well used).
const RecordedGame kGames[] = {
    {"the pilot, to game over", true, 5, "", 1800, 0},
    {"keys after the attract loop, paused and resumed", false, 1,
     "1200- X\n1300-1340 Up\n1400-1480 Down\n1500 P\n1550 P\n1600 Z\n1700-1701 C\n1800-1830 Right\n"
     "1900-1950 Left+Up\n2000-2010 Z+X\n",
     4000, 50},
    {"the pilot, paused twice", true, 2, "300 P\n340 P\n900-901 P\n960 P\n", 1800, 100},
    {"keys held through a focus loss and a pad pulled out", false, 1,
     "1200- X\n1300-1340 Up\n1500 FocusOut\n1520 FocusIn\n1550 P\n1600-1700 Z\n1620 PadGone\n1660 P\n"
     "1800-1830 Right\n",
     4800, 90},
};

// Recorded with --record, played with --replay --verify: the trace of the
// replay equals the trace of the game on every one of its frames, paused
// frames aside, and the game ends with the recorded score and world.
TEST_F(ReplayTest, APlayedBackGameRunsFrameForFrameAsRecorded) {
  for (const RecordedGame& g : kGames) {
    SCOPED_TRACE(g.name);
    Options record = Base();
    record.bot = g.bot;
    record.seed = g.seed;
    record.frames = g.frames;
    record.keys = (dir_ / "keys.txt").string();
    std::ofstream(record.keys) << g.keys;
    record.trace = (dir_ / "game.jsonl").string();
    record.record = (dir_ / "game.rpl").string();
    ASSERT_EQ(Run(record), 0) << log_;

    Options play = Base("watcher");
    play.replay = record.record;
    play.verify = true;
    play.trace = (dir_ / "replay.jsonl").string();
    ASSERT_EQ(Run(play), 0) << log_;
    EXPECT_NE(log_.find("played as recorded"), std::string::npos) << log_;

    std::vector<std::string> game;
    int paused = 0;
    for (const std::string& line : Lines(record.trace)) {
      if (line.find("\"paused\":true") != std::string::npos) ++paused;
      // The game starts on the frame after the title took the press.
      else if (!game.empty() || line.find("\"screen\":1,") != std::string::npos) game.push_back(line);
    }
    EXPECT_EQ(paused, g.pausedFrames);
    const std::vector<std::string> replay = Lines(play.trace);
    ASSERT_GE(game.size(), replay.size() + 1);
    for (size_t i = 0; i < replay.size(); ++i) ASSERT_EQ(WithoutFrame(replay[i]), WithoutFrame(game[i + 1])) << i;
    // It ends on the results screen, where the score went into the ranking.
    EXPECT_NE(replay.back().find("\"screen\":8,"), std::string::npos) << replay.back();
  }
}

// One recorded game, damaged in every way a reader must refuse.
TEST_F(ReplayTest, EveryDamageIsRefusedWithItsReason) {
  game::Replay good;
  std::string reason;
  const fs::path file = dir_ / "game.rpl";
  BotGame(5, 1800, file);
  ASSERT_TRUE(game::ReadReplayFile(file.string(), good, reason)) << reason;
  ASSERT_GE(good.runs.size(), 3u);

  struct Damage {
    const char* what;
    std::function<void(game::Replay&)> record;     // before encoding
    std::function<void(std::vector<uint8_t>&)> bytes;  // after encoding
    const char* reason;
  };
  const auto none = [](auto&) {};
  const auto put32 = [](std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  const Damage damages[] = {
      {"one byte changed", none, [](auto& b) { b[b.size() - 6] ^= 0x10; }, "damaged"},
      {"cut in half", none, [](auto& b) { b.resize(b.size() / 2); }, "truncated"},
      {"cut inside the header", none, [](auto& b) { b.resize(100); }, "truncated: 100 bytes, a replay has"},
      {"empty", none, [](auto& b) { b.clear(); }, "truncated: 0 bytes"},
      {"oversized", none, [](auto& b) { b.resize(game::kMaxReplayBytes + 1); }, "oversized"},
      {"bytes after its end", none, [](auto& b) { b.push_back(0); }, "oversized: 1 bytes after its end"},
      {"another kind of file", none, [](auto& b) { std::copy_n("RIFF", 4, b.begin()); }, "not a SOLVARA 2001 replay"},
      {"another file format", none, [&](auto& b) { put32(b, 8, 3); }, "file format 3, this game reads formats 1 and 2"},
      {"a checkpoint missing", [](auto& r) { r.checkpoints.pop_back(); }, none,
       "it holds 4 checkpoints, where its 1594 frames have 5"},
      {"a checkpoint too many", [](auto& r) { r.checkpoints.push_back(r.checkpoints.back()); }, none,
       "it holds 6 checkpoints, where its 1594 frames have 5"},
      {"more checkpoints than a replay holds", none,
       [&](auto& b) { put32(b, 476 + 4 * good.runs.size(), game::kMaxCheckpoints + 1); }, "oversized: 720 checkpoints"},
      {"checkpoints cut short", none, [](auto& b) { b.resize(b.size() - 100); }, "its 5 checkpoints need"},
      {"more runs than a replay holds", none, [&](auto& b) { put32(b, 472, game::kMaxInputRuns + 1); },
       "oversized: 262145 input runs"},
      {"another simulation version", [](auto& r) { r.simulationVersion += 1; }, none,
       "recorded by simulation version 2, this game plays version 1"},
      {"runs past the frame count", [](auto& r) { r.frames -= 1; }, none, "reaches past the game's"},
      {"input ending before the game", [](auto& r) { r.frames += 5; }, none, "its input ends after frame"},
      {"a world no game starts with", [](auto& r) { r.world[40] = 1 << 20; }, none,
       "its world is not one a game starts from: GameState.howToPlay[11] is 1048576, where a new game from the "
       "title has 0 to 1"},
      {"a world off the play screen", [](auto& r) { r.world[0] = game::ScreenTitle; }, none,
       "GameState.screen is 0, where a new game from the title has 1"},
      // Start worlds no game has: some throw in every frame, some would play
      // and verify as if a player had played them.
      {"a firing pose past the sprite table", [](auto& r) { r.world[StateField(offsetof(game::GameState, firingPose))] = 40; },
       none, "GameState.firingPose is 40, where a new game from the title has 0"},
      {"a firing pose before it", [](auto& r) { r.world[StateField(offsetof(game::GameState, firingPose))] = -40; }, none,
       "GameState.firingPose is -40"},
      {"a negative power", [](auto& r) { r.world[ShipField(offsetof(game::PlayerShip, power))] = -40; }, none,
       "PlayerShip.power is -40"},
      {"a power no ship has", [](auto& r) { r.world[ShipField(offsetof(game::PlayerShip, power))] = 65535; }, none,
       "PlayerShip.power is 65535"},
      {"an option frame past its pictures",
       [](auto& r) { r.world[ShipField(offsetof(game::PlayerShip, optionFrame))] = 65535; }, none,
       "PlayerShip.optionFrame is 65535"},
      {"invincible for hours", [](auto& r) { r.world[StateField(offsetof(game::GameState, invincible))] = 1000000; },
       none, "GameState.invincible is 1000000, where a new game from the title has 0"},
      {"99 ships", [](auto& r) { r.world[StateField(offsetof(game::GameState, lives))] = 99; }, none,
       "GameState.lives is 99, where a new game from the title has 2"},
      {"a score before the first shot", [](auto& r) { r.world[StateField(offsetof(game::GameState, score))] = 500000; },
       none, "GameState.score is 500000"},
      {"a title angle off its steps", [](auto& r) { r.world[StateField(offsetof(game::GameState, titleAngle))] = 125; },
       none, "GameState.titleAngle is 125, where a new game from the title has 0 to 65500 in steps of 50"},
      {"a title counter past its time-out",
       [](auto& r) { r.world[StateField(offsetof(game::GameState, screenCounter))] = 352; }, none,
       "GameState.screenCounter is 352, where a new game from the title has 1 to 351"},
      {"a trail entry out of line", [](auto& r) { r.world[game::kWorldStartFields - 2] = 300; }, none,
       "the trail's x (entry 20) is 300, where a new game from the title has -1600"},
      {"more frames than two hours", [](auto& r) { r.frames = game::kMaxReplayFrames + 1; }, none,
       "oversized: 216001 frames, more than a replay holds (216000, two hours of play)"},
      {"an empty run", [](auto& r) { r.runs.insert(r.runs.begin() + 1, {0, 0}); }, none, "input run 2 is empty"},
      {"a code no poll gives", [](auto& r) { r.runs[0].code = 3; }, none, "holds the code 3"},
      {"no frames",
       [](auto& r) {
         r.frames = 0;
         r.runs.clear();
       },
       none, "no frame"},
  };
  for (const Damage& d : damages) {
    SCOPED_TRACE(d.what);
    game::Replay r = good;
    d.record(r);
    std::vector<uint8_t> bytes = game::EncodeReplay(r);
    d.bytes(bytes);
    game::Replay out;
    EXPECT_FALSE(game::DecodeReplay(bytes, out, reason));
    EXPECT_NE(reason.find(d.reason), std::string::npos) << reason;
  }

  // The runner: a damaged file is refused (2), a whole one that does not end
  // as recorded fails the check (1), each with its reason.
  struct Verified {
    std::function<void(game::Replay&)> record;
    std::function<void(std::vector<uint8_t>&)> bytes;
    int status;
    const char* reason;
    uintmax_t fileSize = 0;  // the file made this large (sparse), past the replay
  };
  const Verified runs[] = {
      {none, [](auto& b) { b[b.size() / 2] ^= 1; }, 2, "damaged: its checksum does not match"},
      {none, [](auto& b) { b.resize(b.size() / 2); }, 2, "truncated"},
      {[&](auto& r) { r.world[StateField(offsetof(game::GameState, firingPose))] = 40; }, none, 2,
       "its world is not one a game starts from"},
      {[](auto& r) { r.frames = 1u << 31; }, none, 2, "oversized: 2147483648 frames"},
      {none, none, 2, "oversized: 2147483648 bytes", uintmax_t{1} << 31},
      {[](auto& r) { r.finalScore += 10; }, none, 1, "points, the recorded one with"},
      {[](auto& r) { r.endChecksum ^= 1; }, none, 1, "its checksum differs"},
      {[](auto& r) {
         for (game::InputRun& run : r.runs) run.code = 0;
       },
       none, 1, "did not play as recorded"},
      // Up held for one frame where the pilot did otherwise: found at the
      // first checkpoint after it, by the fields that differ.
      {[](auto& r) { SetInputAt(r, 1000, 2); }, none, 1,
       "checkpoint 4, after frame 1200 (frames 901-1200), differs: GameState.score recorded "},
  };
  for (const Verified& v : runs) {
    game::Replay r = good;
    v.record(r);
    std::vector<uint8_t> bytes = game::EncodeReplay(r);
    v.bytes(bytes);
    WriteBytes(file, bytes);
    if (v.fileSize) fs::resize_file(file, v.fileSize);
    Options play = Base("watcher");
    play.replay = file.string();
    play.verify = true;
    EXPECT_EQ(Run(play), v.status) << v.reason;
    EXPECT_NE(log_.find(v.reason), std::string::npos) << log_;
    EXPECT_NE(log_.find(file.string()), std::string::npos) << log_;
  }
}

// Replays recorded by the game before checkpoints came: they still play and
// verify (their end), and read back to the same bytes.
TEST_F(ReplayTest, FormatOneReplaysStillVerify) {
  for (const char* name : {"bot-seed5.rpl", "bot-seed3.rpl"}) {
    SCOPED_TRACE(name);
    const fs::path file = fs::path(SOLVARA_SOURCE_DIR) / "tests/app/format1" / name;
    game::Replay r;
    std::string reason;
    ASSERT_TRUE(game::ReadReplayFile(file.string(), r, reason)) << reason;
    EXPECT_EQ(r.format, 1u);
    EXPECT_TRUE(r.checkpoints.empty());
    EXPECT_EQ(game::EncodeReplay(r), ReadBytes(file));
    Options play = Base("watcher");
    play.replay = file.string();
    play.verify = true;
    EXPECT_EQ(Run(play), 0) << log_;
    EXPECT_NE(log_.find("played as recorded"), std::string::npos) << log_;
  }
}

// Every start point played by the pilot until the game ends (it loses, or
// beats the stage or the boss) leaves last.rpl, which verifies however it is
// watched: at normal speed, at fast play's speed, holding button 1. A
// practice enters nothing in the ranking.
TEST_F(ReplayTest, EveryStartPointLeavesALastGameThatVerifiesWatchedAnyWay) {
  enum Watch { kNormal, kFast, kHoldButton1 };
  struct Path {
    const char* name;
    int practice;  // 0: a new game from the title
    int power;
    uint32_t seed;
    int frames;
    Watch watch;
    const char* shown;  // what the Replays list shows of the game between its score and its date
  };
  const Path paths[] = {
      {"a ranked game", 0, 0, 3, 3800, kFast, " STAGE 1 "},
      {"stage 1", 1, 0, 1, 2000, kHoldButton1, " PRACTICE STAGE 1 "},
      {"stage 2", 2, 1, 1, 2000, kNormal, " PRACTICE STAGE 2 "},
      {"the first boss", 3, 2, 1, 1200, kFast, " PRACTICE STAGE 1 "},
      {"the stage-1 boss", 4, 3, 1, 1200, kHoldButton1, " PRACTICE STAGE 1 "},
      {"the stage-2 boss", 5, 4, 1, 1200, kNormal, " PRACTICE STAGE 2 "},
  };
  for (const Path& p : paths) {
    SCOPED_TRACE(p.name);
    Options play = Base(p.name);
    play.bot = true;
    play.seed = p.seed;
    play.frames = p.frames;
    play.practice = p.practice;
    play.power = p.power;
    ASSERT_EQ(Run(play), 0) << log_;
    const fs::path home = play.home;
    game::Replay last;
    std::string reason;
    ASSERT_TRUE(game::ReadReplayFile((home / "last.rpl").string(), last, reason)) << reason;
    const game::StartPoint* point = game::FindStartPoint(last.world);
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(point, p.practice ? &game::PracticePoints()[p.practice - 1] : &game::StartPoints()[0]) << point->name;
    EXPECT_EQ(last.world[ShipField(offsetof(game::PlayerShip, power))], p.power);
    EXPECT_EQ(game::GameLabel(last), std::to_string(last.finalScore) + p.shown +
                                         game::RankTimestamp(static_cast<std::time_t>(last.endTime)));
    game::RankEntry rows[game::kRankRows] = {};
    ASSERT_EQ(game::ReadScoreFile((home / "score.dat").string(), rows), game::ScoreFileState::kRead);
    const bool ranked = std::any_of(rows, rows + game::kSavedRows, [&](auto& row) { return row.score == last.finalScore; });
    EXPECT_EQ(ranked, p.practice == 0);
    EXPECT_EQ(RowReplays(home), p.practice ? 0 : 1);

    Options watch = Base(std::string(p.name) + " watched");
    watch.replay = (home / "last.rpl").string();
    watch.verify = true;
    watch.fast = p.watch == kFast;
    watch.trace = (dir_ / "watch.jsonl").string();
    if (p.watch == kHoldButton1) {
      watch.keys = (dir_ / "keys.txt").string();
      std::ofstream(watch.keys) << "1- Z\n";
    }
    ASSERT_EQ(Run(watch), 0) << log_;
    EXPECT_NE(log_.find("played as recorded"), std::string::npos) << log_;
    // Fast play shows one frame in four.
    const size_t shown = Lines(watch.trace).size();
    EXPECT_EQ(shown, p.watch == kNormal ? last.frames : (last.frames + 3) / 4);
  }
}

// "Save last replay": last.rpl copied into replays/ under its end time and
// score; saving the same game again finds its copy.
TEST_F(ReplayTest, TheLastGameIsCopiedIntoTheReplaysFolderOnce) {
  const int32_t score = BotGame(5, 1800, dir_ / "5.rpl");
  const fs::path home = dir_ / "home";
  game::Replay last;
  std::string saved, again, reason;
  ASSERT_TRUE(game::ReadReplayFile((home / "last.rpl").string(), last, reason)) << reason;
  ASSERT_TRUE(game::SaveLastReplay(home.string(), saved, reason)) << reason;
  const std::string name = game::KeptReplayName(last.endTime, score);
  EXPECT_EQ(name.size(), std::string("2026-12-07_14-38-33_").size() + std::to_string(score).size()) << name;
  EXPECT_EQ(fs::path(saved), home / "replays" / (name + ".rpl"));
  EXPECT_EQ(ReadBytes(saved), ReadBytes(home / "last.rpl"));
  ASSERT_TRUE(game::SaveLastReplay(home.string(), again, reason)) << reason;
  EXPECT_EQ(again, saved);
  fs::remove(home / "last.rpl");
  EXPECT_FALSE(game::SaveLastReplay(home.string(), again, reason));
  EXPECT_NE(reason.find("last.rpl"), std::string::npos) << reason;
}

// The Replays list: the ranking's row with its replay, the last game, and
// every file of the replays folder, watchable (showing its game, named by the
// file) or greyed with the reason; a file of any kind is never waited on nor
// read past a replay's size.
TEST_F(ReplayTest, TheReplaysListShowsEachFileWithWhyItCannotBeWatched) {
  BotGame(3, 3800, dir_ / "3.rpl");
  const fs::path home = dir_ / "home", kept = home / "replays";
  fs::create_directories(kept);
  const std::vector<uint8_t> good = ReadBytes(dir_ / "3.rpl");
  const auto write = [](std::vector<uint8_t> bytes) {
    return [bytes](const fs::path& p) { WriteBytes(p, bytes); };
  };
  std::vector<uint8_t> damaged = good, cut = good, forged = good;
  damaged[damaged.size() / 2] ^= 1;
  cut.resize(cut.size() / 2);
  game::Replay r;
  std::string reason;
  ASSERT_TRUE(game::DecodeReplay(good, r, reason)) << reason;
  r.world[StateField(offsetof(game::GameState, lives))] = 99;
  forged = game::EncodeReplay(r);
  struct File {
    std::string name;
    std::function<void(const fs::path&)> make;
    const char* shown;    // the row's name (null: not listed)
    const char* refusal;  // empty: it can be watched
  };
  const File files[] = {
      {"good.rpl", write(good), "good.rpl", ""},
      {"damaged.rpl", write(damaged), "damaged.rpl", "damaged"},
      {"cut.rpl", write(cut), "cut.rpl", "truncated"},
      {"notes.txt", write({'j', 'u', 's', 't', ' ', 'n', 'o', 't', 'e', 's'}), "notes.txt", "not a SOLVARA 2001 replay"},
      {"empty.rpl", write({}), "empty.rpl", "truncated: 0 bytes"},
      {"unreadable.rpl",
       [&](const fs::path& p) {
         WriteBytes(p, good);
         fs::permissions(p, fs::perms::none);
       },
       "unreadable.rpl", "Permission denied"},
      {"forged.rpl", write(forged), "forged.rpl", "its world is not one a game starts from: GameState.lives is 99"},
      {"fifo.rpl", [](const fs::path& p) { mkfifo(p.c_str(), 0644); }, "fifo.rpl", "not a regular file"},
      {"device.rpl", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); }, "device.rpl", "not a regular file"},
      {"nowhere.rpl", [](const fs::path& p) { fs::create_symlink("gone.rpl", p); }, "nowhere.rpl", "No such file"},
      {"folder.rpl", [](const fs::path& p) { fs::create_directory(p); }, "folder.rpl", "not a regular file"},
      {"huge.rpl",
       [](const fs::path& p) {
         WriteBytes(p, {});
         fs::resize_file(p, uintmax_t{1} << 31);
       },
       "huge.rpl", "oversized: 2147483648 bytes"},
      {"two\nlines.rpl", write(good), "two?lines.rpl", ""},
      {"\xff\xfe\x80.rpl", write(good), "???.rpl", ""},
      {".half-written.rpl.tmp", write(cut), nullptr, ""},
  };
  for (const File& f : files) f.make(kept / f.name);
  game::RankEntry rows[game::kRankRows] = {};
  ASSERT_EQ(game::ReadScoreFile((home / "score.dat").string(), rows), game::ScoreFileState::kRead);

  game::ReplayList list = ListAsPlayer(home, rows);
  ASSERT_GE(list.rows.size(), 2u);
  EXPECT_EQ(list.rows[0].label.substr(0, 9), "3RD 11960");
  EXPECT_TRUE(list.rows[0].replay && list.rows[0].refusal.empty()) << list.rows[0].refusal;
  EXPECT_EQ(list.rows[1].label.substr(0, 15), "LAST GAME 11960");
  EXPECT_TRUE(list.rows[1].replay);
  // A watchable file shows the game as the last game's row does, and where it stood.
  const std::string date = list.rows[1].label.substr(16);
  EXPECT_EQ(list.rows.size(), 2 + std::size(files) - 1);
  for (const File& f : files) {
    SCOPED_TRACE(f.name);
    const auto row =
        std::find_if(list.rows.begin(), list.rows.end(), [&](auto& r) { return f.shown && r.name == f.shown; });
    ASSERT_EQ(row != list.rows.end(), f.shown != nullptr);
    if (!f.shown) continue;
    EXPECT_EQ(row->source, game::ReplayListRow::kKeptFile);
    EXPECT_NE(row->refusal.find(f.refusal), std::string::npos) << row->refusal;
    EXPECT_EQ(row->replay != nullptr, *f.refusal == '\0');
    EXPECT_EQ(row->label, *f.refusal ? row->name : "11960 STAGE 1 " + date);
  }
}

// A folder of 10,000 files: every name is listed, in the order of names
// (the directory gives them in another), and none is read until its row is
// shown; a bound on the names taken says the rest are not listed.
TEST_F(ReplayTest, AFolderOfManyFilesIsListedWholeByNameAndReadOnlyWhereShown) {
  // In memory where the machine has it: ten thousand files on a busy disk
  // take many seconds to make.
  std::error_code error;
  const fs::path memory = fs::path("/dev/shm") / dir_.filename();
  const fs::path home = fs::create_directories(memory, error) ? memory : dir_ / "home", kept = home / "replays";
  struct Cleanup {
    fs::path folder;
    ~Cleanup() { fs::remove_all(folder); }
  } cleanup{home};
  fs::create_directories(kept);
  constexpr int kFiles = 10000;
  std::vector<std::string> names;
  for (int i = 0; i < kFiles; ++i) {
    // Numbers spread so that creation order is not name order.
    names.push_back("game-" + std::to_string((i * 7919) % kFiles + 100000) + ".rpl");
    std::ofstream(kept / names.back()) << "not a replay";
  }
  std::sort(names.begin(), names.end());
  std::vector<std::string> inFolderOrder;
  for (const auto& entry : fs::directory_iterator(kept)) inFolderOrder.push_back(entry.path().filename());
  ASSERT_NE(inFolderOrder, names) << "the folder gives its names sorted: the order is not tried";

  game::RankEntry rows[game::kRankRows] = {};
  game::ReplayList list = game::ListReplays(home.string(), rows);
  EXPECT_FALSE(list.folderCut);
  ASSERT_EQ(list.rows.size(), names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    ASSERT_EQ(list.rows[i].name, names[i]) << i;
    ASSERT_FALSE(list.rows[i].read) << i;
  }
  game::ReadListedFile(list.rows[0]);
  EXPECT_EQ(list.rows[0].label, names[0]);
  EXPECT_NE(list.rows[0].refusal.find("not a SOLVARA 2001 replay"), std::string::npos) << list.rows[0].refusal;

  list = game::ListReplays(home.string(), rows, 4000);
  EXPECT_TRUE(list.folderCut);
  EXPECT_EQ(list.rows.size(), 4000u);
  EXPECT_TRUE(std::is_sorted(list.rows.begin(), list.rows.end(), [](auto& a, auto& b) { return a.name < b.name; }));
}

// Three games into one ranking (the default table): the first enters as
// 6th with its replay; a better one moves it to 7th, its replay still found;
// a third pushes it out, and its replay goes with it. Watching a row's replay
// to its end changes nothing in the data folder.
TEST_F(ReplayTest, TheRankingKeepsTheReplayOfEachRowItsGameEntered) {
  const fs::path home = dir_ / "home";
  // Seeds whose scores rank 6th, 6th again and 3rd, in this order.
  const int32_t first = BotGame(1, 1600, dir_ / "1.rpl");
  auto rows = [&] {
    std::vector<game::RankEntry> table(game::kRankRows);
    EXPECT_EQ(game::ReadScoreFile((home / "score.dat").string(), table.data()), game::ScoreFileState::kRead);
    return table;
  };
  auto replayOfRank = [&](int rank, int32_t score) {
    game::Replay r;
    std::string path, reason;
    EXPECT_TRUE(game::ReadRankReplay(home.string(), rank, r, path, reason)) << rank << ": " << reason;
    EXPECT_EQ(r.finalScore, score);
    return path;
  };
  ASSERT_EQ(rows()[5].score, first);
  const std::string firstReplay = replayOfRank(6, first);
  EXPECT_EQ(ReadBytes(firstReplay), ReadBytes(dir_ / "1.rpl"));

  const int32_t second = BotGame(4, 1800, dir_ / "4.rpl");
  ASSERT_EQ(rows()[5].score, second);
  ASSERT_EQ(rows()[6].score, first);
  EXPECT_EQ(replayOfRank(7, first), firstReplay);
  replayOfRank(6, second);

  const int32_t third = BotGame(3, 3800, dir_ / "3.rpl");
  ASSERT_EQ(rows()[2].score, third);
  ASSERT_EQ(rows()[6].score, second);
  EXPECT_FALSE(fs::exists(firstReplay));
  std::string path, reason;
  game::Replay r;
  EXPECT_FALSE(game::ReadRankReplay(home.string(), 1, r, path, reason));
  EXPECT_EQ(path, "");
  EXPECT_EQ(reason,
            "it has none (only a game that entered the ranking keeps one). Rows 3 and 7 have one: watch one with "
            "--replay-rank 3, or choose it in Replays on the title menu");
  EXPECT_EQ(RowReplays(home), 2);
  // The last game is kept whether it entered the ranking or not.
  EXPECT_EQ(ReadBytes(home / "last.rpl"), ReadBytes(dir_ / "3.rpl"));

  // Watched to its end and on through the results screen (the shorter game,
  // row 7): the form closes itself back on the title, having written nothing.
  auto listing = [&] {
    std::map<std::string, std::pair<uintmax_t, fs::file_time_type>> files;
    for (const auto& entry : fs::directory_iterator(home))
      files[entry.path().filename()] = {entry.file_size(), entry.last_write_time()};
    return files;
  };
  const auto before = listing();
  Options watch = Base("home");
  watch.replay = replayOfRank(7, second);
  watch.framesGiven = true;
  watch.frames = 10000;
  watch.trace = (dir_ / "watch.jsonl").string();
  ASSERT_EQ(Run(watch), 0) << log_;
  const std::vector<std::string> watched = Lines(watch.trace);
  EXPECT_LT(watched.size(), 10000u);
  EXPECT_NE(watched.back().find("\"screen\":0,"), std::string::npos) << watched.back();
  EXPECT_EQ(listing(), before);
}

// Watching: the pause key pauses the replay and resumes it; other keys do
// nothing; Escape ends it, and the program with it.
TEST_F(ReplayTest, WatchingThePauseKeyPausesOtherKeysDoNothingAndEscapeCloses) {
  const std::shared_ptr<const game::Replay> replay = WatchInThisProcess();
  ASSERT_TRUE(replay);
  {
    platform::headless::Backend backend;
    game::TForm1 form(nullptr, replay);
    for (int i = 0; i < 10; ++i) backend.app.Step();
    EXPECT_EQ(form.replays.Frame(), 10u);
    backend.app.PressKey(platform::kVirtualKeyPause);
    for (int i = 0; i < 5; ++i) backend.app.Step();
    EXPECT_TRUE(form.Paused());
    EXPECT_EQ(form.replays.Frame(), 10u);
    backend.app.PressKey(platform::kVirtualKeyPause);
    backend.app.Step();
    EXPECT_EQ(form.replays.Frame(), 11u);
    EXPECT_FALSE(backend.app.Terminated());
    backend.app.PressKey(platform::kVirtualKeyOther);
    backend.app.Step();
    EXPECT_FALSE(backend.app.Terminated());
    EXPECT_EQ(form.replays.Frame(), 12u);
    backend.app.PressKey(platform::kVirtualKeyEscape);
    EXPECT_TRUE(backend.app.Terminated());
  }
  platform::ClearFolderMaps();
  EXPECT_FALSE(fs::exists(dir_ / "watcher" / "score.dat"));
}

// Watched from inside the game (the title's Replays list): the world the
// title had is put back once the replay is over, whether it ran to its end
// at normal speed or at fast play's, or Escape ended it; nothing is entered
// in the ranking and nothing written, and the form goes on.
TEST_F(ReplayTest, WatchingFromTheGamePutsTheWorldBack) {
  const std::shared_ptr<const game::Replay> replay = WatchInThisProcess();
  ASSERT_TRUE(replay);
  struct Way {
    const char* name;
    bool fast;
    int escapeAfter;  // frames; 0: watched to the end
  };
  const Way ways[] = {{"to the end", false, 0}, {"to the end, fast", true, 0}, {"ended by Escape", false, 40}};
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    platform::headless::Backend backend;
    game::TForm1 form(nullptr);
    for (int i = 0; i < 77; ++i) backend.app.Step();
    const game::Checkpoint before = game::TakeCheckpoint(form);
    const uint32_t random = platform::Rand().State();
    int returned = 0;
    form.afterWatching = [&](game::TForm1&) { ++returned; };
    form.fastPlay = way.fast;
    form.WatchReplay(replay);
    int frames = 0;
    while (returned == 0 && frames < 4000 && !backend.app.Terminated()) {
      backend.app.Step();
      if (++frames == way.escapeAfter) backend.app.PressKey(platform::kVirtualKeyEscape);
    }
    EXPECT_EQ(returned, 1);
    EXPECT_FALSE(backend.app.Terminated());
    EXPECT_FALSE(form.replays.Watching());
    if (way.escapeAfter == 0) {
      EXPECT_TRUE(form.replays.Mismatch().empty()) << form.replays.Mismatch();
    }
    // The title's song asked for again; all else as it was.
    EXPECT_EQ(form.GameState.musicRequest, 1);
    form.GameState.musicRequest = 0;
    EXPECT_EQ(game::CheckpointDifference(before, game::TakeCheckpoint(form)), "");
    EXPECT_EQ(platform::Rand().State(), random);
    backend.app.Step();
    EXPECT_EQ(form.GameState.screen, game::ScreenTitle);
    form.Close();
  }
  platform::ClearFolderMaps();
  // The watcher's home holds a ranking saved at each close, and no replay.
  EXPECT_EQ(RowReplays(dir_ / "watcher"), 0);
  EXPECT_FALSE(fs::exists(dir_ / "watcher" / "last.rpl"));
}

// Watching writes nothing: the runner's own fresh home folder, left empty,
// goes again.
TEST_F(ReplayTest, WatchingWithoutAHomeLeavesNoFolderBehind) {
  BotGame(5, 1800, dir_ / "5.rpl");
  const fs::path tmp = dir_ / "tmp";
  fs::create_directories(tmp);
  const std::string before = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
  setenv("TMPDIR", tmp.c_str(), 1);
  Options watch;
  watch.assets = SOLVARA_BUILD_DIR;
  watch.replay = (dir_ / "5.rpl").string();
  EXPECT_EQ(Run(watch), 0) << log_;
  if (before.empty()) unsetenv("TMPDIR");
  else setenv("TMPDIR", before.c_str(), 1);
  EXPECT_TRUE(fs::is_empty(tmp));
}

// A library failure in a frame of a replay (here the display refusing every
// drawing): the replay cannot go on as recorded, so it ends at once, said
// once, and the program fails.
TEST_F(ReplayTest, ALibraryFailureEndsAReplayAndTheProgramFails) {
  const std::shared_ptr<const game::Replay> replay = WatchInThisProcess();
  ASSERT_TRUE(replay);
  {
    platform::headless::Backend backend;
    game::TForm1 form(nullptr, replay);
    for (int i = 0; i < 10; ++i) backend.app.Step();
    for (platform::headless::HeadlessSurface* surface : backend.display.Surfaces()) surface->failBlits = true;
    ::testing::internal::CaptureStderr();
    for (int i = 0; i < 5 && !backend.app.Terminated(); ++i) backend.app.Step();
    ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(backend.app.Terminated());
    EXPECT_EQ(backend.app.Exceptions().size(), 1u);
    EXPECT_TRUE(form.replays.Failed());
    EXPECT_EQ(form.replays.Mismatch().rfind("the game failed in frame 11: TVantorDraw", 0), 0u)
        << form.replays.Mismatch();
  }
  platform::ClearFolderMaps();
}

}  // namespace
}  // namespace probe
