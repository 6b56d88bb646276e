// score.dat as a player meets it, with the runner and the game as child
// processes: every state the file can be found in, the close signals, two
// copies saving into one folder, and the game's own data folder (and its
// other file, the log). Permission
// cases mean nothing to root, so as root the runner runs as nobody (uid 65534)
// from a fresh folder under the temporary folder.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "game/form.h"
#include "game/records/ranking.h"
#include "game/records/ranking_replays.h"
#include "game/records/replay_file.h"
#include "game/records/score_file.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kCreating = "スコア記録ファイルを作成します。";
constexpr const char* kFailed = "score.dat へのアクセスに失敗しました。";
const std::string kBuild = SOLVARA_BUILD_DIR;
const std::string kRunner = kBuild + "/solvara-probe";

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

void WriteFile(const fs::path& path, const std::string& bytes, fs::perms mode = fs::perms(0644)) {
  std::ofstream(path, std::ios::binary) << bytes;
  fs::permissions(path, mode);
}

// The file the player had: one row scoring 30000, the rest empty.
std::string OldRow() {
  std::string bytes(44, '\0');
  const int32_t score = 30000;
  std::memcpy(bytes.data(), &score, sizeof score);
  std::memcpy(bytes.data() + 4, "2001/08/01 12:00:00", 19);
  return bytes;
}
std::string OldRanking() { return OldRow() + std::string(308 - 44, '\0'); }

fs::path FreshFolder(const std::string& name) {
  const fs::path dir = fs::temp_directory_path() / ("solvara-" + name + "-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::permissions(dir, fs::perms(0755));
  return dir;
}

// A child process with its stderr on a pipe; `prepare` runs in the child
// just before exec.
class Child {
 public:
  explicit Child(const std::vector<std::string>& argv, const std::function<void()>& prepare = [] {}) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    int pipe[2];
    if (pipe2(pipe, O_CLOEXEC) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(pipe[1], 2);
      prepare();
      execvp(args[0], args.data());
      _exit(127);
    }
    close(pipe[1]);
    fd_ = pipe[0];
  }
  // Reads stderr until `text` appears (true) or it closes (false).
  bool WaitFor(const std::string& text) {
    while (err_.find(text) == std::string::npos)
      if (!ReadMore()) return false;
    return true;
  }
  void Signal(int signal) {
    if (pid_ > 0) kill(pid_, signal);
  }
  // Reads the rest of stderr; the exit status, or -signal when killed (a
  // child still running after a minute is killed: a hang fails, never waits).
  int Finish() {
    while (ReadMore()) {
    }
    close(fd_);
    int status = 0;
    if (pid_ <= 0 || waitpid(pid_, &status, 0) != pid_) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  }
  const std::string& Stderr() const { return err_; }

 private:
  bool ReadMore() {
    pollfd ready{fd_, POLLIN, 0};
    if (poll(&ready, 1, 60000) == 0) {
      err_ += "(still running after a minute: killed)";
      Signal(SIGKILL);
    }
    char buffer[4096];
    const ssize_t n = read(fd_, buffer, sizeof buffer);
    if (n > 0) err_.append(buffer, static_cast<size_t>(n));
    return n > 0;
  }

  pid_t pid_ = -1;
  int fd_ = -1;
  std::string err_;
};

// What a file holds, as the table below names it.
std::string Content(const fs::path& path, mode_t mode) {
  if (path.extension() == ".rpl") return "replay";
  // A file of mode 0000 is closed to its owner too, when that is us.
  chmod(path.c_str(), mode | S_IRUSR);
  const std::string bytes = ReadFile(path);
  chmod(path.c_str(), mode);
  if (bytes == OldRanking()) return "old";
  if (bytes == OldRow()) return "short";
  if (bytes == std::string(308, '\0')) return "zeros";
  // The old row, and below it the row of the game played.
  if (bytes.size() == 308 && bytes.compare(0, 44, OldRow()) == 0 && bytes.compare(44, 4, "\0\0\0\0", 4) != 0)
    return "saved";
  if (bytes.size() == 308 && bytes.compare(0, 4, "\xb0\x36\0\0", 4) == 0) return "default";  // 14000 first
  return bytes.empty() ? "empty" : bytes.size() < 40 ? bytes : std::to_string(bytes.size()) + " bytes";
}

// What a folder holds afterwards, one sorted line per entry: links with their
// target, folders and files with their mode, files with what they hold (a
// row's replay by its kind, as its name holds the time it was played).
std::vector<std::string> Listing(const fs::path& home) {
  std::vector<std::string> lines;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(home)) {
    struct stat st;
    lstat(entry.path().c_str(), &st);
    char mode[8];
    std::snprintf(mode, sizeof mode, " %04o", st.st_mode & 07777);
    std::string line = entry.path().lexically_relative(home).string();
    if (line.rfind("replay-", 0) == 0) line = "replay-*.rpl";
    if (S_ISLNK(st.st_mode)) line += " -> " + fs::read_symlink(entry.path()).string();
    else if (S_ISDIR(st.st_mode)) line += "/" + std::string(mode);
    else if (S_ISFIFO(st.st_mode)) line += mode + std::string(" fifo");
    else line += mode + (" " + Content(entry.path(), st.st_mode & 07777));
    lines.push_back(line);
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

void Old(const fs::path& path, int mode) { WriteFile(path, OldRanking(), fs::perms(mode)); }

// The lock file is a link, as dotfile managers make them.
void LinkedLock(const fs::path& home) {
  fs::create_directory(home / "dotfiles");
  WriteFile(home / "dotfiles" / "score.dat.lock", "");
  fs::create_symlink("dotfiles/score.dat.lock", home / "score.dat.lock");
}

// Names of temporary files a copy that died while writing left.
constexpr const char* kTemporary = ".0123456789abcdef.tmp";

struct FileState {
  const char* name;
  void (*arrange)(const fs::path& home);
  bool creating, failing;  // the start-up message, the save-failure message
  std::vector<std::string> after;
  bool play = false;  // a game that enters the ranking is played (else a frame only)
  rlim_t fileSizeLimit = RLIM_INFINITY;
  const char* says = "";  // on stderr too
};

const char* const kLock = "score.dat.lock 0600 empty";
const char* const kReplay = "replay-*.rpl 0644 replay";
const char* const kLast = "last.rpl 0644 replay";
const char* const kLockLink[] = {"dotfiles/ 0755", "dotfiles/score.dat.lock 0644 empty",
                                 "score.dat.lock -> dotfiles/score.dat.lock"};

const FileState kStates[] = {
    {"missing", [](const fs::path&) {}, true, false, {"score.dat 0644 default", kLock}},
    {"unreadable", [](const fs::path& h) { Old(h / "score.dat", 0000); }, true, true, {"score.dat 0000 old"}, false,
     RLIM_INFINITY, "cannot be read (Permission denied): it is left as it is"},
    {"read-only file", [](const fs::path& h) { Old(h / "score.dat", 0444); }, false, true,
     {kLast, "score.dat 0444 old", kLock}, true},
    {"read-only folder",
     [](const fs::path& h) {
       Old(h / "score.dat", 0644);
       fs::permissions(h, fs::perms(0555));
     },
     false, true, {"score.dat 0644 old"}, true},
    {"private file", [](const fs::path& h) { Old(h / "score.dat", 0600); }, false, false,
     {kLast, kReplay, "score.dat 0600 saved", kLock}, true},
    {"symlink",
     [](const fs::path& h) {
       fs::create_directory(h / "real");
       Old(h / "real" / "score.dat", 0640);
       fs::create_symlink("real/score.dat", h / "score.dat");
     },
     false, false,
     {kLast, "real/ 0755", "real/score.dat 0640 saved", kReplay, "score.dat -> real/score.dat", kLock}, true},
    {"dangling symlink",
     [](const fs::path& h) {
       fs::create_directory(h / "real");
       fs::create_symlink("real/score.dat", h / "score.dat");
     },
     true, false, {"real/ 0755", "real/score.dat 0644 default", "score.dat -> real/score.dat", kLock}},
    {"symlink loop", [](const fs::path& h) { fs::create_symlink("score.dat", h / "score.dat"); }, true, true,
     {"score.dat -> score.dat", kLock}},
    {"links planted at temporary names",
     [](const fs::path& h) {
       Old(h / "score.dat", 0644);
       WriteFile(h / "victim", "victim");
       fs::create_symlink("victim", h / "score.dat.tmp");
       fs::create_symlink("victim", h / (std::string(".score.dat") + kTemporary));
       WriteFile(h / ".score.dat.fedcba9876543210.tmp", "left by a crash");
     },
     false, false,
     {kLast, kReplay, "score.dat 0644 saved", kLock, "score.dat.tmp -> victim", "victim 0644 victim"}, true},
    {"folder named score.dat", [](const fs::path& h) { fs::create_directory(h / "score.dat"); }, true, true,
     {"score.dat/ 0755"}},
    {"write fails midway", [](const fs::path& h) { Old(h / "score.dat", 0644); }, false, true,
     {"score.dat 0644 old", kLock}, true, 100, "The last game could not be kept to watch again"},
    // The game goes on after saying so once.
    {"last game's file a folder",
     [](const fs::path& h) {
       Old(h / "score.dat", 0644);
       fs::create_directory(h / "last.rpl");
     },
     false, false, {"last.rpl/ 0755", kReplay, "score.dat 0644 saved", kLock}, true, RLIM_INFINITY,
     "The last game could not be kept to watch again: "},
    // Nothing changed since the file was read: the close writes nothing, so a
    // full disk has nothing to fail.
    {"unchanged on a full disk", [](const fs::path& h) { Old(h / "score.dat", 0644); }, false, false,
     {"score.dat 0644 old", kLock}, false, 100},
    {"named pipe", [](const fs::path& h) { mkfifo((h / "score.dat").c_str(), 0644); }, true, true,
     {"score.dat 0644 fifo"}, false, RLIM_INFINITY, "not a regular file"},
    {"empty file", [](const fs::path& h) { WriteFile(h / "score.dat", ""); }, false, false,
     {"score.dat 0644 zeros", "score.dat.damaged 0644 empty", kLock}, false, RLIM_INFINITY,
     "its bytes are kept as"},
    {"short file", [](const fs::path& h) { WriteFile(h / "score.dat", OldRow()); }, false, false,
     {"score.dat 0644 old", "score.dat.damaged 0644 short", kLock}, false, RLIM_INFINITY, "its bytes are kept as"},
    {"short file, a damaged copy kept before",
     [](const fs::path& h) {
       WriteFile(h / "score.dat", OldRow());
       WriteFile(h / "score.dat.damaged", "earlier");
     },
     false, false, {"score.dat 0644 old", "score.dat.damaged 0644 earlier", kLock}},
    {"temporaries of replays left by a crash",
     [](const fs::path& h) {
       for (const char* name : {".replay-270-2001-08-01_12-00-00.rpl", ".last.rpl", "replays/.a.rpl", ".notes.txt"}) {
         fs::create_directories((h / name).parent_path());
         WriteFile(h / (name + std::string(kTemporary)), "left by a crash");
       }
     },
     true, false, {std::string(".notes.txt") + kTemporary + " 0644 left by a crash", "replays/ 0755",
                   "score.dat 0644 default", kLock}},
    {"lock file a link", LinkedLock, true, false,
     {kLockLink[0], kLockLink[1], "score.dat 0644 default", kLockLink[2]}},
    {"lock file of mode 0000", [](const fs::path& h) { WriteFile(h / "score.dat.lock", "", fs::perms(0)); }, true,
     false, {"score.dat 0644 default", "score.dat.lock 0000 empty"}},
    // Neither the folder (it cannot be read) nor the lock file can be locked.
    {"no lock at all",
     [](const fs::path& h) {
       LinkedLock(h);
       fs::permissions(h, fs::perms(0333));
     },
     true, true, {kLockLink[0], kLockLink[1], kLockLink[2]}, false, RLIM_INFINITY, "cannot lock"},
};

TEST(ScoreFileStates, EachIsShownAndLeftAsThePlayerWouldWant) {
  umask(022);
  const bool root = geteuid() == 0;
  // The runner and the assets where nobody can read them.
  const fs::path root_dir = FreshFolder("states");
  fs::copy_file(kRunner, root_dir / "solvara-probe");
  for (const char* assets : {"bmp", "sound"}) fs::copy(kBuild + "/" + assets, root_dir / assets, fs::copy_options::recursive);
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(root_dir))
    fs::permissions(e.path(), fs::perms::others_read | (e.is_directory() ? fs::perms::others_exec : fs::perms::none),
                    fs::perm_options::add);

  for (const FileState& state : kStates) {
    const fs::path home = root_dir / "home";
    fs::create_directory(home);
    fs::permissions(home, fs::perms(0755));
    state.arrange(home);
    if (root) {
      lchown(home.c_str(), 65534, 65534);
      for (const fs::directory_entry& e : fs::recursive_directory_iterator(home)) lchown(e.path().c_str(), 65534, 65534);
    }
    std::vector<std::string> argv = {(root_dir / "solvara-probe").string(), "--home", home.string(), "--assets",
                                     root_dir.string(), "--frames"};
    // The pilot's game of seed 7 ends on frame 865 with 270 points.
    if (state.play) argv.insert(argv.end(), {"870", "--bot", "--seed", "7"});
    else argv.push_back("1");
    if (root) argv.insert(argv.begin(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"});
    const rlim_t limit = state.fileSizeLimit;
    Child runner(argv, [limit] {
      // Past the limit a write fails (EFBIG) instead of killing the process.
      signal(SIGXFSZ, SIG_IGN);
      const rlimit size{limit, limit};
      setrlimit(RLIMIT_FSIZE, &size);
    });
    EXPECT_EQ(runner.Finish(), 0) << state.name << "\n" << runner.Stderr();
    EXPECT_EQ(runner.Stderr().find(kCreating) != std::string::npos, state.creating) << state.name;
    EXPECT_EQ(runner.Stderr().find(kFailed) != std::string::npos, state.failing) << state.name;
    EXPECT_NE(runner.Stderr().find(state.says), std::string::npos) << state.name << "\n" << runner.Stderr();
    fs::permissions(home, fs::perms::owner_all, fs::perm_options::add);
    EXPECT_EQ(Listing(home), state.after) << state.name << "\n" << runner.Stderr();
    fs::remove_all(home);
  }
  fs::remove_all(root_dir);
}

TEST(CloseSignals, CloseTheRunnerAsEscapeDoesAndTheRankingIsSaved) {
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
    const fs::path home = FreshFolder("signal");
    Child runner({kRunner, "--frames", "100000000", "--home", home.string()});
    // Said once the form is up, so the handlers are in place.
    ASSERT_TRUE(runner.WaitFor(kCreating)) << runner.Stderr();
    runner.Signal(signal);
    EXPECT_EQ(runner.Finish(), 0) << strsignal(signal) << "\n" << runner.Stderr();
    EXPECT_EQ(ReadFile(home / "score.dat").size(), 308u) << strsignal(signal);
    fs::remove_all(home);
  }
}

// The score at the results screen of a runner's trace (0: no game ended).
int32_t ResultScore(const fs::path& trace) {
  std::ifstream in(trace);
  for (std::string line; std::getline(in, line);)
    if (line.find("\"screen\":8,") != std::string::npos) return std::atoi(line.c_str() + line.find("\"score\":") + 8);
  return 0;
}

// Two lanes of runners play one game each, one after the other, into the
// same folder, the lanes at the same time; every game saves after its row and
// at close.
// The close saves after the last message loop: a last game's file that fails
// just before it is said by that save, and only once.
TEST(LastGameFile, AFailureJustBeforeTheCloseIsSaidByTheClosingSaveOnce) {
  const fs::path home = FreshFolder("lastclose");
  fs::create_directory(home / "last.rpl");
  std::vector<std::string> said;
  {
    game::ScoreStore store(home.string(), home.string() + "/score.dat", [](const std::string&) {});
    store.OnLastReplayFailed([&said](const std::string& reason) { said.push_back(reason); });
    game::RankEntry rows[game::kRankRows] = {};
    store.Load(rows);
    store.KeepLastReplay(std::make_shared<game::Replay>());
    store.SaveLastInBackground();
    std::string error;
    EXPECT_TRUE(store.Save(rows, error)) << error;
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find((home / "last.rpl").string()), std::string::npos) << said[0];
    platform::DispatchPostedMessages();
    EXPECT_EQ(said.size(), 1u);
  }
  fs::remove_all(home);
}

TEST(TwoCopies, BothKeepEveryRowTheySave) {
  const fs::path home = FreshFolder("two-copies");
  WriteFile(home / "score.dat", std::string(308, '\0'));  // every game ranks
  // Seeds whose games end, with different scores, within the frames run.
  const std::vector<int> lanes[2] = {{7, 1, 5, 9, 25}, {2, 8, 10, 12}};
  std::vector<int> statuses[2];
  std::vector<std::thread> threads;
  for (int lane = 0; lane < 2; ++lane)
    threads.emplace_back([&, lane] {
      for (int seed : lanes[lane]) {
        Child runner({kRunner, "--bot", "--seed", std::to_string(seed), "--frames", "1600", "--home", home.string(),
                      "--trace", (home / (std::to_string(seed) + ".jsonl")).string()});
        statuses[lane].push_back(runner.Finish());
      }
    });
  for (std::thread& t : threads) t.join();

  std::vector<int32_t> want(7, 0);
  for (const std::vector<int>& lane : lanes)
    for (int seed : lane) want.push_back(ResultScore(home / (std::to_string(seed) + ".jsonl")));
  std::sort(want.rbegin(), want.rend());
  want.resize(7);
  ASSERT_GT(want[6], 0) << "fewer games ended than the table has rows";
  const std::string bytes = ReadFile(home / "score.dat");
  ASSERT_EQ(bytes.size(), 308u);
  std::vector<int32_t> got(7);
  for (int i = 0; i < 7; ++i) std::memcpy(&got[i], bytes.data() + 44 * i, 4);
  EXPECT_EQ(got, want);
  // Each row keeps the replay of its game, whichever copy played it; the
  // rows pushed out lost theirs.
  int replays = 0;
  for (const auto& entry : fs::directory_iterator(home)) replays += entry.path().filename().string().starts_with("replay-");
  EXPECT_EQ(replays, 7);
  for (int i = 0; i < 7; ++i) {
    game::RankEntry row;
    std::memcpy(&row, bytes.data() + 44 * i, sizeof row);
    game::Replay replay;
    std::string reason;
    EXPECT_TRUE(game::ReadReplayFile((home / game::ReplayFileName(row)).string(), replay, reason)) << i << reason;
    EXPECT_TRUE(game::ReplayOfRow(replay, row)) << i;
  }
  for (int lane = 0; lane < 2; ++lane) EXPECT_EQ(statuses[lane], std::vector<int>(lanes[lane].size(), 0));
  fs::remove_all(home);
}

// Two copies of the game save at once, round after round, each a new row
// above every row so far, with its replay: after each round the file holds
// both rows, and at the end every replay is a row's. Whatever the lock file
// is (as the game makes it, a link as dotfile managers make them, closed to
// the player), the saves never overlap. As root the copies run as nobody.
TEST(TwoCopies, SavingAtOnceKeepBothRowsWhateverTheLockFile) {
  struct LockFile {
    const char* name;
    void (*arrange)(const fs::path& home);
  };
  const LockFile kLockFiles[] = {
      {"as the game makes it", [](const fs::path&) {}},
      {"a link", LinkedLock},
      {"of mode 0000", [](const fs::path& h) { WriteFile(h / "score.dat.lock", "", fs::perms(0)); }},
  };
  constexpr int kRounds = 20;
  auto score = [](int round, int copy) { return 1000 * (round + 1) + copy; };
  for (const LockFile& lock : kLockFiles) {
    const fs::path home = FreshFolder("saving-at-once");
    WriteFile(home / "score.dat", std::string(308, '\0'));
    lock.arrange(home);
    if (geteuid() == 0)
      for (const fs::path& p : {home, home / "score.dat", home / "score.dat.lock"}) lchown(p.c_str(), 65534, 65534);
    int go[2][2], done[2];
    ASSERT_EQ(pipe(go[0]) | pipe(go[1]) | pipe(done), 0);
    pid_t copies[2];
    for (int copy = 0; copy < 2; ++copy) {
      copies[copy] = fork();
      if (copies[copy] != 0) continue;
      if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setresgid(65534, 65534, 65534) != 0 ||
                             setresuid(65534, 65534, 65534) != 0))
        _exit(3);
      int failures = 0;
      {
        game::ScoreStore store(home.string(), home.string() + "/score.dat", [](const std::string&) {});
        game::RankEntry rows[game::kRankRows] = {};
        store.Load(rows);
        for (int round = 0; round < kRounds; ++round) {
          char byte;
          if (read(go[copy][0], &byte, 1) != 1) _exit(4);
          auto replay = std::make_shared<game::Replay>();
          replay->finalScore = score(round, copy);
          replay->rowText = "copy " + std::to_string(copy) + " round " + std::to_string(round);
          const int row = game::InsertRankedScore(rows, replay->finalScore, replay->rowText);
          store.AddOwnRow(rows[row], replay);
          std::string error;
          failures += !store.Save(rows, error);
          if (write(done[1], &byte, 1) != 1) _exit(5);
        }
      }
      _exit(failures == 0 ? 0 : 6);
    }
    int lost = 0;
    for (int round = 0; round < kRounds; ++round) {
      for (int copy = 0; copy < 2; ++copy) ASSERT_EQ(write(go[copy][1], "g", 1), 1);
      char bytes[2];
      for (int copy = 0; copy < 2; ++copy) ASSERT_EQ(read(done[0], bytes + copy, 1), 1);
      game::RankEntry rows[game::kRankRows] = {};
      ASSERT_EQ(game::ReadScoreFile((home / "score.dat").string(), rows), game::ScoreFileState::kRead);
      for (int copy = 0; copy < 2; ++copy)
        lost += std::none_of(rows, rows + 7, [&](const game::RankEntry& r) { return r.score == score(round, copy); });
    }
    for (pid_t copy : copies) {
      int status = 0;
      waitpid(copy, &status, 0);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << lock.name << ": status " << status;
    }
    for (int fd : {go[0][0], go[0][1], go[1][0], go[1][1], done[0], done[1]}) close(fd);
    EXPECT_EQ(lost, 0) << lock.name << ": rows lost in " << kRounds << " rounds";
    // Each replay is the one of a row: none was left behind by a lost row.
    game::RankEntry rows[game::kRankRows] = {};
    game::ReadScoreFile((home / "score.dat").string(), rows);
    std::vector<std::string> replays, kept;
    for (const auto& entry : fs::directory_iterator(home))
      if (entry.path().extension() == ".rpl") replays.push_back(entry.path().filename());
    for (int i = 0; i < 7; ++i) kept.push_back(game::ReplayFileName(rows[i]));
    std::sort(replays.begin(), replays.end());
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(replays, kept) << lock.name;
    fs::remove_all(home);
  }
}

// The real game with HOME an empty folder and no XDG_DATA_HOME: the ranking
// goes to ~/.local/share/solvara (made 0700), and a whole score.dat an
// earlier version left beside the program is copied in; nothing else is.
TEST(GameDataFolder, AnEmptyHomeGetsTheXdgFolderWithTheOldRanking) {
  struct OldFile {
    const char* name;
    void (*arrange)(const fs::path& file);
    bool copied;
  };
  const OldFile kOldFiles[] = {
      {"a ranking", [](const fs::path& file) { Old(file, 0644); }, true},
      {"an empty file", [](const fs::path& file) { WriteFile(file, ""); }, false},
      {"a short file", [](const fs::path& file) { WriteFile(file, OldRow()); }, false},
      {"a named pipe", [](const fs::path& file) { mkfifo(file.c_str(), 0644); }, false},
  };
  for (const OldFile& old : kOldFiles) {
    const fs::path dir = FreshFolder("game-home");
    const fs::path bin = dir / "bin", home = dir / "home";
    fs::create_directories(bin);
    fs::create_directories(home);
    fs::copy_file(kBuild + "/solvara", bin / "solvara");
    for (const char* assets : {"bmp", "sound"}) fs::create_directory_symlink(kBuild + "/" + assets, bin / assets);
    old.arrange(bin / "score.dat");
    const std::vector<std::string> before = Listing(bin);

    Child game({(bin / "solvara").string()}, [&home] {
      setenv("HOME", home.c_str(), 1);
      unsetenv("XDG_DATA_HOME");
      setenv("SDL_VIDEODRIVER", "dummy", 1);
      setenv("SDL_AUDIODRIVER", "dummy", 1);
    });
    ASSERT_TRUE(game.WaitFor(old.copied ? "copied the ranking" : kCreating)) << old.name << "\n" << game.Stderr();
    game.Signal(SIGTERM);
    EXPECT_EQ(game.Finish(), 0) << old.name << "\n" << game.Stderr();
    EXPECT_EQ(game.Stderr().find(old.copied ? kCreating : "copied the ranking"), std::string::npos) << old.name;
    const fs::path data = home / ".local" / "share" / "solvara";
    EXPECT_EQ(fs::status(data).permissions(), fs::perms(0700)) << old.name;
    EXPECT_EQ(Content(data / "score.dat", 0644), old.copied ? "old" : "default") << old.name;
    EXPECT_EQ(Listing(bin), before) << old.name;
    fs::remove_all(dir);
  }
}

// The game's --log: a folder is no log and a named pipe is not waited on;
// either is said on stderr and the game plays on without a log.
TEST(GameLog, OnlyARegularFileIsALog) {
  const fs::path dir = FreshFolder("game-log");
  ASSERT_EQ(mkfifo((dir / "pipe.log").c_str(), 0644), 0);
  for (const fs::path& log : {dir, dir / "pipe.log"}) {
    const fs::path data = dir / ("data-" + log.filename().string());
    Child game({kBuild + "/solvara", "--log", log.string(), "--data-dir", data.string()}, [] {
      setenv("SDL_VIDEODRIVER", "dummy", 1);
      setenv("SDL_AUDIODRIVER", "dummy", 1);
    });
    EXPECT_TRUE(game.WaitFor("cannot write the log " + log.string() + " (not a regular file)")) << game.Stderr();
    ASSERT_TRUE(game.WaitFor(kCreating)) << game.Stderr();
    game.Signal(SIGTERM);
    EXPECT_EQ(game.Finish(), 0) << game.Stderr();
  }
  fs::remove_all(dir);
}

}  // namespace
