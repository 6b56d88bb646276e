// The verifier of submitted games: the same verdicts and end checksums as the
// runner's --verify on recorded, altered and damaged replays; a process that
// needs no SDL and, once closed in, can do nothing but compute and answer.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/verify/verdict.h"
#include "app/verify/verifier.h"
#include "game/records/replay_file.h"
#include "platform/child_process.h"
#include "platform/sandbox.h"
#include "tests/recorded_games.h"

namespace verify {
namespace {

namespace fs = std::filesystem;

const std::string kBuild = SOLVARA_BUILD_DIR;
const std::string kProbe = kBuild + "/solvara-probe";
const std::string kVerify = kBuild + "/solvara-verify";

std::vector<uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), {});
}

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// What the runner's --verify said: accepted with the end checksum and the
// game's identity, or the reason.
struct RunnerVerdict {
  bool accepted = false;
  std::string reason;
  std::string checksum;
  std::string game;
};

RunnerVerdict RunnerSays(const fs::path& replay, const fs::path& home) {
  const platform::ChildResult r = platform::RunChild(
      {"/bin/sh", "-c", "exec \"$0\" --replay \"$1\" --verify --home \"$2\" 2>&1", kProbe, replay.string(),
       home.string()},
      {});
  RunnerVerdict v;
  const auto after = [&](const std::string& marker) {
    const size_t at = r.output.find(marker);
    return at == std::string::npos ? std::string()
                                   : r.output.substr(at + marker.size(), r.output.find('\n', at) - at - marker.size());
  };
  v.checksum = after(" end checksum ");
  v.game = after("solvara-probe: game ");
  v.accepted = r.exitStatus == 0 && r.output.find(" played as recorded: ") != std::string::npos && v.checksum.size() == 16;
  v.reason = after("did not play as recorded: ");
  // A file the reader refuses: "cannot play the replay FILE: REASON".
  if (v.reason.empty()) v.reason = after(replay.string() + ": ");
  if (!v.accepted && v.reason.empty()) v.reason = "unexpected runner output: " + r.output;
  return v;
}

Verdict VerifierSays(const std::vector<uint8_t>& bytes, std::vector<std::string> extra = {}) {
  std::vector<std::string> argv{kVerify, "--assets", kBuild};
  argv.insert(argv.end(), extra.begin(), extra.end());
  const platform::ChildResult r = platform::RunChild(argv, bytes);
  std::optional<Verdict> v = ParseVerdict(r.output);
  if (!v) return Verdict::Refused("no verdict: status " + std::to_string(r.exitStatus) + ", signal " +
                                  std::to_string(r.signal) + ", output " + r.output);
  return *v;
}

class VerifierTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = fs::temp_directory_path() / ("solvara_verify_" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "home");
    for (const char* seed : {"5", "11"}) {
      const fs::path recorded = test_games::Recorded(seed);
      ASSERT_TRUE(fs::exists(recorded)) << "the pilot's game " << seed;
      fs::copy_file(recorded, dir_ / (std::string("bot-") + seed + ".rpl"));
    }
  }
  static void TearDownTestSuite() { fs::remove_all(dir_); }

  static game::Replay Recorded(const char* name) {
    game::Replay replay;
    std::string reason;
    EXPECT_TRUE(game::ReadReplayFile((dir_ / name).string(), replay, reason)) << reason;
    return replay;
  }

  static fs::path dir_;
};

fs::path VerifierTest::dir_;

// The world's field that holds the score.
constexpr size_t kScoreField = 17;
// A replay altered and written again with a correct CRC.
std::vector<uint8_t> Altered(game::Replay replay, const std::function<void(game::Replay&)>& change) {
  change(replay);
  return game::EncodeReplay(replay);
}

TEST_F(VerifierTest, GivesTheRunnersVerdictsOnTheCorpus) {
  const game::Replay game = Recorded("bot-5.rpl");
  std::vector<std::pair<std::string, std::vector<uint8_t>>> corpus = {
      {"bot-5", ReadBytes(dir_ / "bot-5.rpl")},
      {"bot-11", ReadBytes(dir_ / "bot-11.rpl")},
      {"one input changed", Altered(game,
                                    [](game::Replay& r) {
                                      // Down (or up) held over ten frames or more of play
                                      // once the ship has flown in.
                                      uint32_t frame = 0;
                                      for (game::InputRun& run : r.runs) {
                                        frame += run.frames;
                                        if (frame > 200 && run.frames >= 10) {
                                          run.code = run.code == 2 << 2 ? 2 : 2 << 2;
                                          break;
                                        }
                                      }
                                    })},
      {"format 1", Altered(game, [](game::Replay& r) { r.format = 1; r.checkpoints.clear(); })},
      {"input on frames that read none", Altered(game, test_games::ClearFlyInInput)},
      {"score raised", Altered(game, [](game::Replay& r) { r.finalScore += 100; })},
      {"end checksum changed", Altered(game, [](game::Replay& r) { r.endChecksum ^= 1; })},
      {"a start field changed", Altered(game, [](game::Replay& r) { r.world[kScoreField] += 10; })},
      {"random state changed", Altered(game, [](game::Replay& r) { r.randomState ^= 0x55; })},
      {"input ends early", Altered(game,
                                   [](game::Replay& r) {
                                     r.frames -= r.runs.back().frames;
                                     r.runs.pop_back();
                                   })},
  };
  std::vector<uint8_t> damaged = corpus[0].second;
  damaged[200] ^= 0x40;
  corpus.emplace_back("damaged", damaged);
  corpus.emplace_back("truncated", std::vector<uint8_t>(damaged.begin(), damaged.begin() + 300));
  corpus.emplace_back("not a replay", std::vector<uint8_t>(600, 'x'));
  const fs::path kept = fs::path(SOLVARA_SOURCE_DIR) / "fuzz/regressions/replay";
  if (fs::is_directory(kept))
    for (const auto& entry : fs::directory_iterator(kept)) corpus.emplace_back(entry.path().filename(), ReadBytes(entry));

  // The copies of bot-5 that are the same game, whatever their files say.
  const std::set<std::string> sameGame = {"bot-5", "format 1", "input on frames that read none"};
  int accepted = 0;
  for (const auto& [name, bytes] : corpus) {
    SCOPED_TRACE(name);
    const fs::path file = dir_ / "case.rpl";
    WriteBytes(file, bytes);
    const RunnerVerdict runner = RunnerSays(file, dir_ / "home");
    const Verdict verdict = VerifierSays(bytes);
    EXPECT_EQ(verdict.outcome == Verdict::Outcome::kAccepted, runner.accepted) << verdict.reason;
    if (runner.accepted) {
      EXPECT_EQ(ChecksumText(verdict.checksum), runner.checksum);
      EXPECT_EQ(verdict.game, runner.game);
      EXPECT_EQ(verdict.game == ClaimedIdentity(game), sameGame.count(name) == 1);
      ++accepted;
    } else {
      EXPECT_EQ(verdict.reason, runner.reason);
    }
  }
  EXPECT_EQ(accepted, 4);
}

// A copy with an edited score claims the game's identity, and is refused:
// the board must not let it stand for the game.
TEST_F(VerifierTest, AnEditedScoreClaimsTheGameAndIsRefused) {
  const game::Replay game = Recorded("bot-5.rpl");
  const std::vector<uint8_t> edited = Altered(game, [](game::Replay& r) { r.finalScore += 100; });
  const Verdict claimed = VerifierSays(edited, {"--identify"});
  ASSERT_EQ(claimed.outcome, Verdict::Outcome::kValid) << claimed.reason;
  EXPECT_EQ(claimed.game, ClaimedIdentity(game));
  EXPECT_EQ(VerifierSays(edited).outcome, Verdict::Outcome::kRefused);
}

// Every checkpoint is compared, not only the end; and a game that does not
// start as a new game from the title (a practice, which the runner plays and
// verifies) is not ranked, whatever its replay claims.
TEST_F(VerifierTest, RefusesWhatNoRankedGameCanBe) {
  const fs::path practice = dir_ / "practice.rpl";
  const platform::ChildResult recorded = platform::RunChild(
      {kProbe, "--bot", "--seed", "5", "--practice", "3", "--power", "2", "--frames", "3000", "--record",
       practice.string(), "--home", (dir_ / "home").string()},
      {}, {.keepStderr = false});
  ASSERT_EQ(recorded.exitStatus, 0) << recorded.output;
  const game::Replay game = Recorded("bot-5.rpl");
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
    std::string says;
  } cases[] = {
      {"the first boss's practice", ReadBytes(practice), "it starts from the practice of the first boss, not a new game"},
      {"the second checkpoint changed", Altered(game, [](game::Replay& r) { r.checkpoints.at(1).world[kScoreField] += 10; }),
       "checkpoint 2, after frame 600 (frames 301-600), differs: GameState.score recorded "},
      {"the last checkpoint's pool changed",
       Altered(game, [](game::Replay& r) { r.checkpoints.back().pools[0] ^= 1; }), "checkpoint 5, after frame 1500"},
  };
  for (const auto& c : cases) {
    const Verdict v = VerifierSays(c.bytes);
    EXPECT_EQ(v.outcome, Verdict::Outcome::kRefused) << c.what;
    EXPECT_EQ(v.reason.rfind(c.says, 0), 0u) << c.what << ": " << v.reason;
  }
}

TEST_F(VerifierTest, AcceptsWithTheGamesScoreFramesAndStage) {
  const game::Replay game = Recorded("bot-5.rpl");
  const Verdict v = VerifierSays(game::EncodeReplay(game));
  ASSERT_EQ(v.outcome, Verdict::Outcome::kAccepted) << v.reason;
  EXPECT_EQ(v.score, game.finalScore);
  EXPECT_EQ(v.frames, game.frames);
  EXPECT_EQ(v.stage, 1);
  EXPECT_EQ(v.checksum, game.endChecksum);
  EXPECT_EQ(v.game, ClaimedIdentity(game));
}

// What a file claims its game to be: its start, its frames, its checkpoints
// and its end, nothing of its input or its row.
TEST_F(VerifierTest, TheClaimedIdentityIsTheGameNotTheFile) {
  const game::Replay game = Recorded("bot-5.rpl");
  ASSERT_GE(game.checkpoints.size(), 2u);
  const std::string identity = ClaimedIdentity(game);
  struct Case {
    const char* change;
    std::function<void(game::Replay&)> apply;
    bool sameGame;
  };
  const Case cases[] = {
      {"row text and end time", [](game::Replay& r) { r.rowText = "edited"; r.endTime += 60; }, true},
      {"the claimed score (the end's world holds the score)", [](game::Replay& r) { r.finalScore = 99999; }, true},
      {"an input code", [](game::Replay& r) { r.runs[3].code ^= 1; }, true},
      {"a run split in two",
       [](game::Replay& r) {
         auto it = std::find_if(r.runs.begin(), r.runs.end(), [](const game::InputRun& run) { return run.frames > 1; });
         const game::InputRun half{it->code, static_cast<uint16_t>(it->frames / 2)};
         it->frames -= half.frames;
         r.runs.insert(it, half);
       },
       true},
      {"the end checksum", [](game::Replay& r) { r.endChecksum ^= 1; }, false},
      {"a checkpoint's field", [](game::Replay& r) { r.checkpoints[1].world[kScoreField] += 10; }, false},
      {"a checkpoint's pool", [](game::Replay& r) { r.checkpoints[0].pools[2] ^= 1; }, false},
      {"format 1: no checkpoints to claim", [](game::Replay& r) { r.format = 1; r.checkpoints.clear(); }, false},
      {"the frames", [](game::Replay& r) { r.frames += 1; }, false},
      {"random state", [](game::Replay& r) { r.randomState += 1; }, false},
      {"a start field", [](game::Replay& r) { r.world[30] += 1; }, false},
      {"simulation version", [](game::Replay& r) { r.simulationVersion += 1; }, false},
  };
  for (const Case& c : cases) {
    game::Replay changed = game;
    c.apply(changed);
    EXPECT_EQ(ClaimedIdentity(changed) == identity, c.sameGame) << c.change;
  }
  // What playing proves is the same sum over the checkpoints played.
  EXPECT_EQ(GameIdentity(game, game.checkpoints, game.endChecksum), identity);
}

TEST_F(VerifierTest, ProcessorLimitEndsAVerificationThatRunsLong) {
  // A real game verifies in well under a second, and the replay reader takes
  // no start that would play for hours. Processor time counts across exec, so
  // a shell spends the second the verifier is given before it starts; the
  // game's frames then run past the limit.
  const std::string spendASecond =
      "ticks() { set -- $(cut -d' ' -f14,15 /proc/$$/stat); echo $(($1 + $2)); }; "
      "while [ \"$(ticks)\" -lt 110 ]; do i=0; while [ $i -lt 20000 ]; do i=$((i + 1)); done; done; "
      "exec \"$0\" --assets \"$1\" --cpu-seconds 1";
  const platform::ChildResult r = platform::RunChild({"/bin/sh", "-c", spendASecond, kVerify, kBuild},
                                                     ReadBytes(dir_ / "bot-5.rpl"), {.deadline = std::chrono::seconds(60)});
  EXPECT_TRUE(r.signal == SIGXCPU || r.signal == SIGKILL) << "status " << r.exitStatus << ", signal " << r.signal
                                                          << ": " << r.output;
  EXPECT_FALSE(r.timedOut);
}

TEST(VerifierProgram, NeedsNoSdlAndNoNetworkLibrary) {
  const platform::ChildResult r = platform::RunChild({"/usr/bin/ldd", kVerify}, {});
  ASSERT_EQ(r.exitStatus, 0) << r.output;
  EXPECT_NE(r.output.find("libseccomp"), std::string::npos) << r.output;
  for (const char* library : {"libSDL", "libfluidsynth", "libfontconfig", "libcurl", "libssl", "libhttplib"})
    EXPECT_EQ(r.output.find(library), std::string::npos) << library << " in\n" << r.output;
}

// Runs `action` in a child closed in by the sandbox; its exit status or signal.
struct Ending {
  int status = -1;
  int signal = 0;
};

Ending InSandbox(uint64_t cpuSeconds, const std::function<int()>& action) {
  const pid_t pid = fork();
  if (pid == 0) {
    signal(SIGXFSZ, SIG_IGN);
    std::string error;
    if (!platform::EnterSandbox({cpuSeconds, 0}, error)) _exit(100);
    _exit(action());
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, WIFSIGNALED(status) ? WTERMSIG(status) : 0};
}

TEST(Sandbox, LetsAProcessComputeAndAnswerOnly) {
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  const fs::path file = fs::temp_directory_path() / ("solvara_sandbox_" + std::to_string(getpid()));
  const int regular = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(regular, 0);
  struct Case {
    const char* what;
    uint64_t cpuSeconds;
    std::function<int()> action;
    Ending expected;
  };
  const Case cases[] = {
      {"memory, threads' futexes and a pipe", 5,
       [&] {
         std::vector<char> memory(64 << 20, 1);
         return write(pipeEnds[1], memory.data(), 1) == 1 ? 0 : 1;
       },
       {0, 0}},
      {"open", 5, [] { return open("/etc/hostname", O_RDONLY) >= 0 ? 0 : 1; }, {-1, SIGSYS}},
      {"socket", 5, [] { return socket(AF_INET, SOCK_STREAM, 0) >= 0 ? 0 : 1; }, {-1, SIGSYS}},
      {"executable memory", 5,
       [] { return mmap(nullptr, 4096, PROT_READ | PROT_EXEC, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0) != MAP_FAILED; },
       {-1, SIGSYS}},
      {"a regular file opened before", 5, [&] { return write(regular, "x", 1) < 0 && errno == EFBIG ? 7 : 1; }, {7, 0}},
      {"a loop past the processor time", 1,
       [] {
         std::atomic<uint64_t> turns{0};
         for (;;) turns.fetch_add(1, std::memory_order_relaxed);
         return 0;
       },
       {-1, SIGXCPU}},
  };
  for (const Case& c : cases) {
    const Ending e = InSandbox(c.cpuSeconds, c.action);
    EXPECT_EQ(e.status, c.expected.status) << c.what;
    EXPECT_EQ(e.signal, c.expected.signal) << c.what;
  }
  close(regular);
  close(pipeEnds[0]);
  close(pipeEnds[1]);
  fs::remove(file);
}

TEST(Verdict, ReadsBackWhatItWritesAndNothingElse) {
  Verdict accepted;
  accepted.outcome = Verdict::Outcome::kAccepted;
  accepted.game = std::string(64, 'a');
  accepted.version = 1;
  accepted.score = 4160;
  accepted.frames = 9000;
  accepted.stage = 2;
  accepted.checksum = 0xFEDCBA9876543210u;
  Verdict valid = accepted;
  valid.outcome = Verdict::Outcome::kValid;
  for (const Verdict& v : {accepted, valid, Verdict::Refused("its input\nends early")}) {
    const std::optional<Verdict> back = ParseVerdict(FormatVerdict(v));
    ASSERT_TRUE(back);
    EXPECT_EQ(FormatVerdict(*back), FormatVerdict(v));
  }
  EXPECT_EQ(ParseVerdict(FormatVerdict(Verdict::Refused("a\nb")))->reason, "a b");
  const std::string good = FormatVerdict(accepted);
  for (const std::string& bad : {std::string(), std::string("accepted"), std::string("won\nreason x\n"),
                                 good.substr(0, good.size() - 1), good + "extra 1\n",
                                 good.substr(0, good.find("score ")) + "score 41x0" + good.substr(good.find("\nframes")),
                                 std::string("refused\nreason \n"), std::string("refused\nreason a\nreason b\n")})
    EXPECT_FALSE(ParseVerdict(bad)) << bad;
}

}  // namespace
}  // namespace verify
