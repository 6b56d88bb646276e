#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/probe/runner.h"
#include "game/records/replay_file.h"
#include "measure.h"
#include "wav_reader.h"

namespace probe {
namespace {

namespace fs = std::filesystem;

// The message box text, as stderr shows it.
constexpr const char* kCreatingMessage = "スコア記録ファイルを作成します。";

class RunnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("solvara_runner_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    options_.home = (dir_ / "home").string();
    options_.assets = SOLVARA_BUILD_DIR;
    options_.trace = (dir_ / "t.jsonl").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  int Run() {
    std::ostringstream log;
    ::testing::internal::CaptureStderr();
    int status = Runner(options_).Run(log);
    stderr_ = ::testing::internal::GetCapturedStderr();
    log_ = log.str();
    return status;
  }

  void Keys(const std::string& script) {
    options_.keys = (dir_ / "keys.txt").string();
    std::ofstream(options_.keys) << script;
  }

  std::vector<std::string> TraceLines() const {
    std::ifstream in(options_.trace);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  // The value of `key` in a trace line (numbers as text, strings with quotes).
  static std::string Field(const std::string& line, const std::string& key) {
    size_t at = line.find("\"" + key + "\":");
    if (at == std::string::npos) return "";
    at += key.size() + 3;
    return line.substr(at, line.find_first_of(",}", at) - at);
  }

  // The frames on which the screen changed, with the new screen.
  std::vector<std::pair<int, int>> ScreenChanges() const {
    std::vector<std::pair<int, int>> changes;
    int screen = -1;
    for (const std::string& line : TraceLines()) {
      int now = std::stoi(Field(line, "screen"));
      if (now != screen) changes.emplace_back(std::stoi(Field(line, "frame")), now);
      screen = now;
    }
    return changes;
  }

  fs::path dir_;
  Options options_;
  std::string stderr_, log_;
};

TEST_F(RunnerTest, HundredFramesWriteHundredTraceLinesAndTheScoreFile) {
  options_.frames = 100;
  options_.shots = {{5, (dir_ / "title.png").string()}};
  ASSERT_EQ(Run(), 0) << log_;
  EXPECT_TRUE(log_.empty()) << log_;
  EXPECT_NE(stderr_.find(kCreatingMessage),
            std::string::npos);
  const auto lines = TraceLines();
  ASSERT_EQ(lines.size(), 100u);
  EXPECT_EQ(Field(lines[0], "frame"), "1");
  EXPECT_EQ(Field(lines[0], "song"), "\"01\"");
  EXPECT_EQ(Field(lines[0], "effect"), "null");
  EXPECT_EQ(Field(lines[1], "song"), "null");
  EXPECT_EQ(Field(lines[99], "frame"), "100");
  EXPECT_EQ(Field(lines[99], "screen"), "0");
  EXPECT_EQ(Field(lines[99], "screenCounter"), "100");
  for (const char* key : {"score", "lives", "stage", "scriptPos", "x", "y", "power", "shots", "enemies", "bullets",
                          "effects", "banners"})
    EXPECT_NE(Field(lines[50], key), "") << key;
  EXPECT_EQ(fs::file_size(fs::path(options_.home) / "score.dat"), 308u);
  EXPECT_GT(fs::file_size(dir_ / "title.png"), 1000u);

  // The second run finds the file and says nothing about it.
  ASSERT_EQ(Run(), 0);
  EXPECT_EQ(stderr_.find(kCreatingMessage),
            std::string::npos);
}

TEST_F(RunnerTest, WithoutInputTheAttractCycleRunsOnItsOwn) {
  options_.frames = 1815;
  ASSERT_EQ(Run(), 0) << log_;
  const std::vector<std::pair<int, int>> want = {{1, 0}, {351, 10}, {1111, 0}, {1462, 9}, {1813, 0}};
  EXPECT_EQ(ScreenChanges(), want);
}

TEST_F(RunnerTest, AHeldButtonStartsAGameAndATapDoesNot) {
  options_.frames = 120;
  Keys("# a tap, then a hold\n50 Z\n100- Z\n");
  ASSERT_EQ(Run(), 0) << log_;
  const std::vector<std::pair<int, int>> want = {{1, 0}, {101, 1}};
  EXPECT_EQ(ScreenChanges(), want);
  // The first stage's song follows on the script's first step.
  bool stageSong = false;
  for (const std::string& line : TraceLines()) stageSong |= Field(line, "song") == "\"02\"";
  EXPECT_TRUE(stageSong);
}

TEST_F(RunnerTest, EscapeClosesTheGameAndSavesTheRanking) {
  options_.frames = 1000;
  Keys("30 Escape\n");
  ASSERT_EQ(Run(), 0) << log_;
  EXPECT_EQ(TraceLines().size(), 29u);
  EXPECT_EQ(fs::file_size(fs::path(options_.home) / "score.dat"), 308u);
}

// A game paused with P, its pause menu visited (Options and back) and
// resumed plays on exactly as if never paused: its unpaused frames equal the
// frames of the same game left alone, and the paused ones show one frozen
// picture under the menu.
TEST_F(RunnerTest, APauseMenuVisitLeavesPlayAsIfNeverPaused) {
  options_.bot = true;
  options_.invincible = true;
  options_.seed = 3;
  options_.frames = 450;
  ASSERT_EQ(Run(), 0) << log_;
  std::vector<std::string> alone = TraceLines();

  Keys("300-301 P\n310 Down\n315 Enter\n330 Escape\n340 Up\n400 Enter\n");
  options_.frames = 550;
  options_.shots = {{305, (dir_ / "a.png").string()}, {350, (dir_ / "b.png").string()}};
  ASSERT_EQ(Run(), 0) << log_;
  std::vector<std::string> unpaused;
  int paused = 0;
  for (const std::string& line : TraceLines()) {
    if (Field(line, "paused") == "true") {
      ++paused;
      EXPECT_EQ(Field(line, "screen"), "1");
      continue;
    }
    unpaused.push_back(line);
  }
  EXPECT_EQ(paused, 100);
  // Everything but the frame number.
  auto withoutFrame = [](std::string line) { return line.substr(line.find(',')); };
  ASSERT_EQ(unpaused.size(), alone.size());
  for (size_t i = 0; i < alone.size(); ++i) ASSERT_EQ(withoutFrame(unpaused[i]), withoutFrame(alone[i])) << i;
  std::ifstream a(dir_ / "a.png", std::ios::binary), b(dir_ / "b.png", std::ios::binary);
  EXPECT_TRUE(std::equal(std::istreambuf_iterator<char>(a), {}, std::istreambuf_iterator<char>(b), {}));
}

// A control held since a pause began counts on when it ends; one let go or
// pressed while play stood still counts only once let go, and a pad pulled
// out holds nothing. The unpaused frames of each run equal the frames of the
// same game played without the pause, as the keys the world then read.
TEST_F(RunnerTest, AControlHeldThroughAPauseCountsOn) {
  struct Case {
    const char* name;
    const char* keys;
    const char* alone;  // the same game without the pause
  };
  const Case cases[] = {
      {"fire held through a pause", "1-2 X\n3-700 X\n301-302 P\n380-381 P\n", "1-700 X\n"},
      {"fire held through a focus loss", "1-700 X\n301 FocusOut\n340 FocusIn\n380-381 P\n", "1-700 X\n"},
      {"fire held through a focus loss while paused", "1-700 X\n301-302 P\n320 FocusOut\n340 FocusIn\n380-381 P\n",
       "1-700 X\n"},
      {"a turn pressed during the pause and held", "1-700 X\n301-320 P\n330-700 Z\n380-381 P\n", "1-700 X\n"},
      {"fire let go during the pause and pressed again", "1-310 X\n330-700 X\n301-302 P\n380-381 P\n", "1-300 X\n"},
      {"the pad's B resumes and is fire", "1-300 X\n301 PadStart\n380-700 PadB\n", "1-300 X\n"},
      {"the pad pulled out with its fire held", "1-700 PadB\n301 PadGone\n380-381 P\n", "1-300 PadB\n"},
      {"the pad pulled out, then the keyboard's fire pressed", "1-700 PadB\n301 PadGone\n340-700 X\n380-381 P\n",
       "1-300 PadB\n"},
  };
  options_.seed = 9;
  options_.frames = 700;
  auto withoutFrame = [](const std::string& line) { return line.substr(line.find(',')); };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Keys(c.alone);
    ASSERT_EQ(Run(), 0) << log_;
    const std::vector<std::string> alone = TraceLines();
    Keys(c.keys);
    ASSERT_EQ(Run(), 0) << log_;
    std::vector<std::string> unpaused;
    for (const std::string& line : TraceLines())
      if (Field(line, "paused") == "false") unpaused.push_back(line);
    ASSERT_EQ(unpaused.size(), 700u - 79u);
    for (size_t i = 0; i < unpaused.size(); ++i) ASSERT_EQ(withoutFrame(unpaused[i]), withoutFrame(alone[i])) << i;
    // Fire goes on after the pause exactly when the game alone fires on.
    EXPECT_EQ(Field(unpaused.back(), "shots"), Field(alone[unpaused.size() - 1], "shots"));
  }
}

// The pause key opens the title menu on the title and on the screens the
// idle title turns into (back on the title first); so does Enter, which is
// no button and starts no game.
TEST_F(RunnerTest, TheTitleMenuOpensAcrossTheTitleCycle) {
  struct Case {
    const char* key;
    int frame;
    const char* screen;  // the screen shown before
  };
  const Case cases[] = {{"P", 400, "10"},    {"PadStart", 400, "10"}, {"Enter", 400, "10"},
                        {"Enter", 10, "0"},  {"PadStart", 1500, "9"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " on frame " + std::to_string(c.frame));
    Keys(std::to_string(c.frame) + " " + c.key + "\n" + std::to_string(c.frame + 10) + " Escape\n");
    options_.frames = c.frame + 20;
    ASSERT_EQ(Run(), 0) << log_;
    const std::vector<std::string> lines = TraceLines();
    ASSERT_EQ(lines.size(), static_cast<size_t>(c.frame + 20));
    EXPECT_EQ(Field(lines[c.frame - 2], "screen"), c.screen);
    EXPECT_EQ(Field(lines[c.frame - 2], "menu"), "null");
    EXPECT_EQ(Field(lines[c.frame - 1], "menu"), "\"title:START\"");
    EXPECT_EQ(Field(lines[c.frame - 1], "screen"), "0");
    // Escape closes it, and the title goes on from its start.
    EXPECT_EQ(Field(lines.back(), "menu"), "null");
    EXPECT_EQ(Field(lines.back(), "screen"), "0");
  }
}

// Menus as a player goes through them with the keyboard or a pad: what is
// highlighted where, what the settings file holds afterwards, and what a
// second run does with it. The paths with a ranked game find the pilot's
// game of seed 3 in the ranking, its replay and last.rpl.
TEST_F(RunnerTest, MenuPaths) {
  struct Expect {
    int frame;  // 0: the last frame run
    const char* field;
    const char* value;  // "!x": anything but x; "x*": begins with x
  };
  struct Path {
    const char* name;
    const char* settings;  // the file before (null: none)
    std::string keys;
    int frames;
    std::vector<Expect> trace;
    std::vector<const char*> file;  // lines the settings file holds afterwards
    const char* again = nullptr;    // a second run on the same home
    std::vector<Expect> againTrace = {};
    int closedAfter = 0;  // the frames run before the game closed (0: all)
    const char* saidOnce = nullptr;  // a message on stderr, once
    bool rankedGame = false;
    // A replay watched from the Replays list plays to its end as recorded:
    // its end checksum is the recorded game's, played at normal speed.
    bool watchedAsRecorded = false;
    const char* logged = nullptr;  // a line of the runner's log
  };
  // Title menu: START, PRACTICE, REPLAYS, OPTIONS, QUIT. The Replays list
  // with the ranked game: 3RD, LAST GAME, SAVE LAST REPLAY, BACK.
  const std::string toOptions = "10 P\n16 Down\n18 Down\n20 Down\n25 Enter\n";
  const std::string toReplays = "10 P\n15 Down\n17 Down\n20 Enter\n";
  const Path paths[] = {
      {"button 1 rebound to V fires, and is read again",
       "# my keys\n[keys]\nbutton2 = \"X\"  # fire\n",
       // P, Options, Controls, TURN FORWARD; Enter cannot be bound; V; back to
       // the title menu and START; V held fires.
       toOptions + "30 Down\n35 Down\n40 Enter\n45 Down\n47 Down\n49 Down\n51 Down\n"
       "60 Enter\n65 Enter\n70 V\n75 Escape\n80 Escape\n81 Up\n83 Up\n85 Up\n90 Enter\n160-200 V\n",
       200,
       {{11, "menu", "\"title:START\""}, {41, "menu", "\"controls:UP\""}, {59, "menu", "\"controls:TURN FORWARD\""},
        {66, "menu", "\"controls:TURN FORWARD:press\""}, {71, "menu", "\"controls:TURN FORWARD\""},
        {86, "menu", "\"title:START\""}, {91, "screen", "1"}, {91, "menu", "null"}, {200, "shots", "!0"}},
       {"# my keys", "button2 = \"X\"  # fire", "button1 = \"V\""},
       "10-40 V\n100-140 V\n",
       {{12, "screen", "1"}, {140, "shots", "!0"}}},
      {"a key another control has changes places",
       nullptr,
       toOptions + "30 Down\n35 Down\n40 Enter\n45 Down\n47 Down\n49 Down\n51 Down\n60 Enter\n65 X\n",
       70,
       {{66, "menu", "\"controls:TURN FORWARD\""}},
       {"button1 = \"X\"", "button2 = \"Z\""}},
      {"music down a step, then held: repeats after 12 frames, then every 4",
       "[sound]\nmusic = 100 # loud\n",
       toOptions + "30 Down\n35 Enter\n40 Left\n100-119 Left\n",
       130,
       {{36, "menu", "\"sound:MUSIC\""}},
       {"music = 75 # loud"}},
      {"Escape goes back in menus and closes on the title", nullptr, toOptions + "30 Escape\n35 Escape\n50 Escape\n",
       100,
       {{26, "menu", "\"options:DISPLAY\""}, {31, "menu", "\"title:OPTIONS\""}, {36, "menu", "null"}},
       {},
       nullptr,
       {},
       49},
      {"Quit game goes back to the title, the title song with it", nullptr,
       "10-40 X\n200 P\n205 Down\n207 Down\n210 Enter\n",
       230,
       {{201, "menu", "\"pause:RESUME\""}, {208, "menu", "\"pause:QUIT GAME\""}, {210, "screen", "0"},
        {210, "paused", "false"}, {210, "song", "\"01\""}, {230, "screen", "0"}},
       {}},
      {"Quit program from the pause menu closes as Escape does", nullptr, "10-40 X\n200 P\n205 Up\n210 Enter\n", 300,
       {{205, "menu", "\"pause:QUIT PROGRAM\""}},
       {},
       nullptr,
       {},
       209},
      {"a settings file that cannot be changed: the volume applies, and the player is told once",
       "[sound\nmusic = 5\n",
       "10-14 P\n16 Down\n18 Down\n20 Down\n25 Enter\n30 Down\n35 Enter\n40 Left\n45 Left\n",
       50,
       {{36, "menu", "\"sound:MUSIC\""}, {50, "menu", "\"sound:MUSIC\""}},
       {"[sound", "music = 5"},
       nullptr,
       {},
       0,
       "Your settings could not be saved"},
      {"a pad alone: Start, A chooses, and A held then fires only once pressed again", nullptr,
       "10 PadStart\n20-80 PadA\n100-130 PadStart\n110-150 PadA\n170-190 PadA\n",
       190,
       {{11, "menu", "\"title:START\""}, {21, "screen", "1"}, {101, "paused", "true"}, {111, "paused", "false"},
        {150, "shots", "0"}, {190, "shots", "!0"}},
       {}},
      {"a pad alone goes through the pages: the D-pad moves and steps, A opens, B goes back", nullptr,
       "10 PadStart\n15 PadDown\n20 PadA\n25 PadRight\n30 PadDown\n35 PadB\n40 PadDown\n45 PadA\n50 PadB\n"
       "55 PadB\n",
       60,
       {{11, "menu", "\"title:START\""}, {16, "menu", "\"title:PRACTICE\""}, {21, "menu", "\"practice:POWER\""},
        {31, "menu", "\"practice:STAGE 1\""}, {36, "menu", "\"title:PRACTICE\""}, {46, "menu", "\"replays:*"},
        {51, "menu", "\"title:REPLAYS\""}, {56, "menu", "null"}, {60, "screen", "0"}},
       {}},
      // Options is the title menu's fourth entry, Online the options' fifth;
      // on the keyboard A, then down twice to "a" and on to "c" and "e".
      {"a pad alone types the online name on the on-screen keyboard, and Start saves it", nullptr,
       "10 PadStart\n15 PadDown\n17 PadDown\n19 PadDown\n22 PadA\n25 PadDown\n27 PadDown\n29 PadDown\n31 PadDown\n"
       "34 PadA\n37 PadA\n40 PadA\n43 PadDown\n45 PadDown\n47 PadRight\n49 PadRight\n51 PadA\n53 PadRight\n"
       "55 PadRight\n57 PadA\n60 PadStart\n",
       65,
       {{11, "menu", "\"title:START\""}, {35, "menu", "\"options-online:NAME\""}, {38, "menu", "\"keyboard:A\""},
        {50, "menu", "\"keyboard:c\""}, {58, "menu", "\"keyboard:e\""}, {61, "menu", "\"options-online:NAME\""},
        {65, "paused", "false"}},
       {"[online]", "name = \"Ace\""}},
      // The pause menu: RESUME, OPTIONS; there Start takes the text and
      // play stays paused.
      {"on the keyboard in the pause menu, Start takes the text and never resumes play", nullptr,
       "10-40 X\n200 PadStart\n205 PadDown\n208 PadA\n211 PadDown\n213 PadDown\n215 PadDown\n217 PadDown\n"
       "220 PadA\n223 PadA\n226 PadA\n229 PadStart\n",
       240,
       {{201, "paused", "true"}, {224, "menu", "\"keyboard:A\""}, {230, "menu", "\"options-online:NAME\""},
        {240, "paused", "true"}},
       {"name = \"A\""}},
      {"the keyboard's text types the server, Enter saves it", nullptr,
       toOptions + "30 Down\n32 Down\n34 Down\n36 Down\n40 Enter\n42 Down\n45 Enter\n50 \"http://localhost:8642\"\n"
                   "55 Enter\n",
       60,
       {{41, "menu", "\"options-online:NAME\""}, {46, "menu", "\"keyboard:A\""},
        {56, "menu", "\"options-online:SERVER\""}},
       {"server = \"http://localhost:8642\""}},
      // Fast play shows a frame of four: a game of 3736 frames, its results
      // and ranking, watched within 1300.
      {"a ranked game's replay from the Replays list at 4x, button 1 held: as recorded, then the list again",
       nullptr, toReplays + "25 Enter\n26- Z\n", 1300,
       {{21, "menu", "\"replays:3RD *"}, {25, "screen", "1"}, {25, "menu", "null"}, {0, "menu", "\"replays:3RD *"},
        {0, "screen", "0"}},
       {}, nullptr, {}, 0, nullptr, true, true},
      {"the same replay at normal speed ends the same", nullptr, toReplays + "25 Enter\n", 4400,
       {{1300, "menu", "null"}, {0, "menu", "\"replays:3RD *"}},
       {}, nullptr, {}, 0, nullptr, true, true},
      // Frames 25-29 at normal speed, 30-99 at 4x with the shoulder held.
      {"the pad's right shoulder plays fast; Back to the list and Escape both return to the replay's row", nullptr,
       toReplays + "22 Down\n25 Enter\n30-99 PadRB\n100 P\n105 Down\n107 Down\n110 Enter\n115 Enter\n"
                   "130 Escape\n140 Escape\n",
       150,
       {{101, "paused", "true"}, {108, "menu", "\"pause:BACK TO THE LIST\""}, {110, "paused", "false"},
        {110, "menu", "\"replays:LAST GAME *"}, {115, "menu", "null"}, {130, "menu", "\"replays:LAST GAME *"},
        {140, "menu", "\"title:REPLAYS\""}},
       {}, nullptr, {}, 0, nullptr, true, false, "was left after 285 frames, as recorded so far"},
      // Saving twice keeps one copy, listed above the entry.
      {"Save last replay copies the last game into the list once", nullptr,
       toReplays + "22 Up\n24 Up\n26 Enter\n28 Enter\n30 Up\n32 Up\n34 Up\n", 37,
       {{25, "menu", "\"replays:SAVE LAST REPLAY\""}, {29, "menu", "\"replays:SAVE LAST REPLAY\""},
        {31, "menu", "\"replays:SUBMIT A GAME\""}, {33, "menu", "\"replays:20*"}, {35, "menu", "\"replays:LAST GAME *"}},
       {}, nullptr, {}, 0, nullptr, true},
      // The power stays among a game's (0-4): five steps up make 4.
      {"Practice: the stage-2 boss with power 3", nullptr,
       "10 P\n15 Down\n20 Enter\n25 Right\n27 Right\n29 Right\n31 Right\n33 Right\n35 Left\n40 Up\n42 Up\n"
       "45 Enter\n",
       50,
       {{21, "menu", "\"practice:POWER\""}, {41, "menu", "\"practice:BACK\""},
        {43, "menu", "\"practice:STAGE 2 FINAL BOSS\""}, {45, "screen", "1"}, {45, "stage", "1"}, {45, "power", "3"},
        {45, "song", "\"04\""}},
       {}},
  };
  // The pilot's ranked game, once, for the paths that need it.
  const fs::path ranked = dir_ / "ranked";
  std::string endChecksum;
  auto playRankedGame = [&] {
    Options pilot = options_;
    // The pilot alone: not the key script of the path run before.
    pilot.keys.clear();
    pilot.home = ranked.string();
    pilot.bot = true;
    pilot.seed = 3;
    pilot.frames = 3800;
    pilot.trace.clear();
    std::ostringstream log;
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(Runner(pilot).Run(log), 0) << log.str();
    ::testing::internal::GetCapturedStderr();
    game::Replay last;
    std::string reason;
    ASSERT_TRUE(game::ReadReplayFile((ranked / "last.rpl").string(), last, reason)) << reason;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016" PRIx64, last.endChecksum);
    endChecksum = "played as recorded (" + std::to_string(last.frames) + " frames), end checksum " + hex;
  };
  for (const Path& path : paths) {
    SCOPED_TRACE(path.name);
    fs::remove_all(options_.home);
    fs::create_directories(options_.home);
    const fs::path settings = fs::path(options_.home) / "settings.toml";
    if (path.settings) std::ofstream(settings) << path.settings;
    if (path.rankedGame) {
      if (endChecksum.empty()) playRankedGame();
      ASSERT_FALSE(endChecksum.empty());
      for (const fs::directory_entry& file : fs::directory_iterator(ranked))
        fs::copy(file.path(), fs::path(options_.home) / file.path().filename());
    }
    auto check = [&](const std::vector<Expect>& expects) {
      const std::vector<std::string> lines = TraceLines();
      for (const Expect& e : expects) {
        ASSERT_LE(e.frame, static_cast<int>(lines.size())) << e.frame;
        const std::string value = Field(lines[e.frame ? e.frame - 1 : lines.size() - 1], e.field);
        const std::string_view want = e.value;
        const size_t prefix = want.back() == '*' ? want.size() - 1 : std::string::npos;
        if (want.front() == '!') EXPECT_NE(value, want.substr(1)) << e.frame << " " << e.field;
        else EXPECT_EQ(value.substr(0, prefix), want.substr(0, prefix)) << e.frame << " " << e.field;
      }
    };
    Keys(path.keys);
    options_.frames = path.frames;
    ASSERT_EQ(Run(), 0) << log_;
    check(path.trace);
    EXPECT_EQ(TraceLines().size(), static_cast<size_t>(path.closedAfter ? path.closedAfter : path.frames));
    // Closed or not, the ranking is saved.
    EXPECT_EQ(fs::file_size(fs::path(options_.home) / "score.dat"), 308u);
    if (path.watchedAsRecorded) {
      EXPECT_NE(log_.find(endChecksum), std::string::npos) << log_;
    }
    if (path.logged) {
      EXPECT_NE(log_.find(path.logged), std::string::npos) << log_;
    }
    if (path.saidOnce) {
      const size_t at = stderr_.find(path.saidOnce);
      EXPECT_NE(at, std::string::npos) << stderr_;
      EXPECT_EQ(stderr_.find(path.saidOnce, at + 1), std::string::npos) << stderr_;
    }
    std::ifstream in(settings);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    for (const char* line : path.file) EXPECT_NE(text.find(std::string(line) + "\n"), std::string::npos) << text;
    if (!path.again) continue;
    Keys(path.again);
    ASSERT_EQ(Run(), 0) << log_;
    check(path.againTrace);
  }
}

// Reset controls from the title menu, as a player goes there with the keys
// (P, Options, Controls, then Up twice from UP): saved whatever the file was
// before, and a second run reads the keys back: X fires again where the
// file had given fire to V.
TEST_F(RunnerTest, ResetControlsIsSavedAndReadBack) {
  constexpr const char* kOwn = "# SOLVARA 2001 settings, made by the game's Options\n";
  struct Case {
    const char* name;
    const char* before;  // null: no file
    std::string after;
    bool copied;  // the player's file kept as settings.toml.bak
  };
  const Case cases[] = {
      {"no file", nullptr, kOwn, false},
      {"the game's own", "# SOLVARA 2001 settings, made by the game's Options\n\n[keys]\nbutton2 = \"V\"\n"
                         "button1 = \"X\"\n",
       std::string(kOwn) + "\n[keys]\n", false},
      {"hand-written", "# mine\n[sound]\nmusic = 80\n[keys]\nbutton2 = \"V\"  # fire\n",
       "# mine\n[sound]\nmusic = 80\n[keys]\n", true},
  };
  const fs::path settings = fs::path(options_.home) / "settings.toml";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(options_.home);
    fs::create_directories(options_.home);
    if (c.before) std::ofstream(settings) << c.before;
    Keys("30-32 P\n38-40 Down\n46-48 Down\n54-56 Down\n62-64 Enter\n70-72 Down\n78-80 Down\n86-88 Enter\n"
         "94-96 Up\n102-104 Up\n110-112 Enter\n");
    options_.frames = 140;
    ASSERT_EQ(Run(), 0) << log_;
    EXPECT_EQ(Field(TraceLines().back(), "menu"), "\"controls:RESET CONTROLS\"");
    EXPECT_EQ(stderr_.find("could not be saved"), std::string::npos) << stderr_;
    std::ifstream in(settings);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), c.after);
    EXPECT_EQ(fs::exists(settings.string() + ".bak"), c.copied);

    // START from the title menu, then X held.
    Keys("10 P\n20 Enter\n60-100 X\n");
    options_.frames = 100;
    ASSERT_EQ(Run(), 0) << log_;
    EXPECT_TRUE(log_.empty()) << log_;
    EXPECT_EQ(Field(TraceLines().back(), "screen"), "1");
    EXPECT_NE(Field(TraceLines().back(), "shots"), "0");
  }
}

// Settings the game does not know are named once, in the runner's output
// and the debug log, and are no mistake.
TEST_F(RunnerTest, UnknownSettingsAreNamedOnceAndStopNothing) {
  fs::create_directories(options_.home);
  std::ofstream(fs::path(options_.home) / "settings.toml") << "[sound]\nbass = 3\n[keys]\njump = \"J\"\n";
  options_.logFile = (dir_ / "debug.log").string();
  options_.frames = 5;
  ASSERT_EQ(Run(), 0) << log_;
  const std::string note = "settings.toml names settings this version does not know (they stay in the file, "
                           "unused): line 2 [sound] bass, line 4 [keys] jump\n";
  const size_t at = log_.find(note);
  EXPECT_NE(at, std::string::npos) << log_;
  EXPECT_EQ(log_.find(note, at + 1), std::string::npos) << log_;
  EXPECT_EQ(log_.find("Mistakes"), std::string::npos) << log_;
  std::ifstream in(options_.logFile);
  EXPECT_NE(std::string(std::istreambuf_iterator<char>(in), {}).find(note), std::string::npos);
}

// A game that cannot start runs no frame, and the runner says so by its status.
TEST_F(RunnerTest, AFailedStartUpEndsTheRunWithStatusOne) {
  options_.assets = (dir_ / "no-assets").string();
  EXPECT_EQ(Run(), 1);
  EXPECT_TRUE(TraceLines().empty());
  EXPECT_NE(stderr_.find("BMPの読み込みに失敗しました。"), std::string::npos) << stderr_;
  EXPECT_NE(stderr_.find("The picture " + options_.assets + "/bmp/title.bmp is missing"), std::string::npos);
}

TEST_F(RunnerTest, ProblemsWithTheRunnersOwnFilesAreReported) {
  options_.keys = (dir_ / "missing.txt").string();
  EXPECT_EQ(Run(), 2);
  EXPECT_NE(log_.find("missing.txt"), std::string::npos);

  Keys("5 Jump\n");
  EXPECT_EQ(Run(), 2);
  EXPECT_NE(log_.find("line 1"), std::string::npos);

  options_.keys.clear();
  options_.frames = 3;
  options_.shots = {{2, (dir_ / "no" / "such" / "folder.png").string()}};
  EXPECT_EQ(Run(), 1);
  EXPECT_NE(log_.find("folder.png"), std::string::npos);

  options_.shots.clear();
  options_.wav = (dir_ / "no" / "such" / "sound.wav").string();
  EXPECT_EQ(Run(), 2);
  EXPECT_NE(log_.find("sound.wav"), std::string::npos);

  // The log is a regular file: a folder is no log, and a named pipe is not
  // waited on.
  options_.wav.clear();
  ASSERT_EQ(mkfifo((dir_ / "pipe.log").c_str(), 0644), 0);
  for (const fs::path& file : {dir_, dir_ / "pipe.log"}) {
    options_.logFile = file.string();
    EXPECT_EQ(Run(), 2) << file;
    EXPECT_NE(log_.find("cannot write the log " + file.string() + " (not a regular file)"), std::string::npos) << log_;
  }
}

// --wav: the sound of the run taken on the virtual clock, so the same run
// gives the same bytes, as long as the clock ran (the last frame starts
// 299 x 33 ms after the first), with no sample at full scale.
TEST_F(RunnerTest, WavOfARunIsTheSameFileEveryTime) {
  options_.frames = 300;
  options_.bot = true;
  std::vector<std::string> files;
  for (const char* name : {"a.wav", "b.wav"}) {
    options_.wav = (dir_ / name).string();
    ASSERT_EQ(Run(), 0) << log_;
    std::ifstream in(options_.wav, std::ios::binary);
    files.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  EXPECT_TRUE(files[0] == files[1]);

  loudness::Audio audio;
  std::string error;
  ASSERT_TRUE(loudness::ReadWav(options_.wav, audio, error)) << error;
  EXPECT_EQ(audio.channels, 2);
  EXPECT_EQ(audio.rate, 44100u);
  EXPECT_EQ(audio.Frames(), 299u * 33 * 441 / 10);
  loudness::Loudness heard;
  ASSERT_TRUE(loudness::Measure(audio, heard));
  EXPECT_GT(heard.integrated, -30.0);
  EXPECT_EQ(heard.fullScale, 0u);
}

// --log opens the library's log before the form exists and closes it after
// the components are gone: the trace starts with the draw component's
// construction and the profiling report counts one Update per frame.
TEST_F(RunnerTest, LogWithProfileTracesTheWholeRunAndEndsWithTheReport) {
  options_.frames = 30;
  options_.logFile = (dir_ / "run.log").string();
  options_.profile = true;
  ASSERT_EQ(Run(), 0);
  std::ifstream in(options_.logFile, std::ios::binary);
  const std::string logText((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(logText.find("TVantorDraw"), std::string::npos);
  const std::string updateRow = "TVantorDraw::Update";
  size_t row = logText.rfind(updateRow);
  ASSERT_NE(row, std::string::npos);
  size_t lineStart = logText.rfind('\n', row) + 1;
  EXPECT_EQ(std::stoi(logText.substr(lineStart, 10)), 30);
  EXPECT_EQ(logText.find(updateRow, row + 1), std::string::npos);
}

}  // namespace
}  // namespace probe
