// score.dat as a player meets it, with the runner and the game as child
// processes: every state the file can be found in, the close signals, two
// copies saving into one folder, and the game's own data folder. Permission
// cases mean nothing to root, so as root the runner runs as nobody (uid 65534)
// from a fresh folder under the temporary folder.
#include <fcntl.h>
#include <gtest/gtest.h>
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

#include "game/records/ranking_replays.h"
#include "game/records/replay_file.h"

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

// The file the player had: one row scoring 30000 (a short file is taken as
// it comes), and what a save makes of it.
std::string OldRanking() {
  std::string bytes(44, '\0');
  const int32_t score = 30000;
  std::memcpy(bytes.data(), &score, sizeof score);
  std::memcpy(bytes.data() + 4, "2001/08/01 12:00:00", 19);
  return bytes;
}
std::string SavedRanking() { return OldRanking() + std::string(308 - 44, '\0'); }

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
  // Reads the rest of stderr; the exit status, or -signal when killed.
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
  // A file of mode 0000 is closed to its owner too, when that is us.
  chmod(path.c_str(), mode | S_IRUSR);
  const std::string bytes = ReadFile(path);
  chmod(path.c_str(), mode);
  if (bytes == OldRanking()) return "old";
  if (bytes == SavedRanking()) return "saved";
  if (bytes.size() == 308 && bytes.compare(0, 4, "\xb0\x36\0\0", 4) == 0) return "default";  // 14000 first
  return bytes.empty() ? "empty" : bytes.size() < 40 ? bytes : std::to_string(bytes.size()) + " bytes";
}

// What a folder holds afterwards, one sorted line per entry: links with their
// target, folders and files with their mode, files with what they hold.
std::vector<std::string> Listing(const fs::path& home) {
  std::vector<std::string> lines;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(home)) {
    struct stat st;
    lstat(entry.path().c_str(), &st);
    char mode[8];
    std::snprintf(mode, sizeof mode, " %04o", st.st_mode & 07777);
    std::string line = entry.path().lexically_relative(home).string();
    if (S_ISLNK(st.st_mode)) line += " -> " + fs::read_symlink(entry.path()).string();
    else if (S_ISDIR(st.st_mode)) line += "/" + std::string(mode);
    else line += mode + (" " + Content(entry.path(), st.st_mode & 07777));
    lines.push_back(line);
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

void Old(const fs::path& path, int mode) { WriteFile(path, OldRanking(), fs::perms(mode)); }

struct FileState {
  const char* name;
  void (*arrange)(const fs::path& home);
  bool creating, failing;  // the start-up message, the save-failure message
  std::vector<std::string> after;
  rlim_t fileSizeLimit = RLIM_INFINITY;
};

const char* const kLock = "score.dat.lock 0600 empty";

const FileState kStates[] = {
    {"missing", [](const fs::path&) {}, true, false, {"score.dat 0644 default", kLock}},
    {"unreadable", [](const fs::path& h) { Old(h / "score.dat", 0000); }, true, true, {"score.dat 0000 old"}},
    {"read-only file", [](const fs::path& h) { Old(h / "score.dat", 0444); }, false, true,
     {"score.dat 0444 old", kLock}},
    {"read-only folder",
     [](const fs::path& h) {
       Old(h / "score.dat", 0644);
       fs::permissions(h, fs::perms(0555));
     },
     false, true, {"score.dat 0644 old"}},
    {"private file", [](const fs::path& h) { Old(h / "score.dat", 0600); }, false, false,
     {"score.dat 0600 saved", kLock}},
    {"symlink",
     [](const fs::path& h) {
       fs::create_directory(h / "real");
       Old(h / "real" / "score.dat", 0640);
       fs::create_symlink("real/score.dat", h / "score.dat");
     },
     false, false, {"real/ 0755", "real/score.dat 0640 saved", "score.dat -> real/score.dat", kLock}},
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
       fs::create_symlink("victim", h / ".score.dat.0123456789abcdef.tmp");
       WriteFile(h / ".score.dat.fedcba9876543210.tmp", "left by a crash");
     },
     false, false, {"score.dat 0644 saved", kLock, "score.dat.tmp -> victim", "victim 0644 victim"}},
    {"folder named score.dat", [](const fs::path& h) { fs::create_directory(h / "score.dat"); }, true, true,
     {"score.dat/ 0755"}},
    {"write fails midway", [](const fs::path& h) { Old(h / "score.dat", 0644); }, false, true,
     {"score.dat 0644 old", kLock}, 100},
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
    std::vector<std::string> argv = {(root_dir / "solvara-probe").string(), "--frames", "1", "--home", home.string(),
                                     "--assets", root_dir.string()};
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
    EXPECT_EQ(Listing(home), state.after) << state.name << "\n" << runner.Stderr();
    fs::permissions(home, fs::perms::owner_all, fs::perm_options::add);
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
  for (const auto& entry : fs::directory_iterator(home)) replays += entry.path().extension() == ".rpl";
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

// The real game with HOME an empty folder and no XDG_DATA_HOME: the ranking
// goes to ~/.local/share/solvara (made 0700), and the score.dat an earlier
// version left beside the program is copied in.
TEST(GameDataFolder, AnEmptyHomeGetsTheXdgFolderWithTheOldRanking) {
  const fs::path dir = FreshFolder("game-home");
  const fs::path bin = dir / "bin", home = dir / "home";
  fs::create_directories(bin);
  fs::create_directories(home);
  fs::copy_file(kBuild + "/solvara", bin / "solvara");
  for (const char* assets : {"bmp", "sound"}) fs::create_directory_symlink(kBuild + "/" + assets, bin / assets);
  Old(bin / "score.dat", 0644);

  Child game({(bin / "solvara").string()}, [&home] {
    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_DATA_HOME");
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  });
  ASSERT_TRUE(game.WaitFor("copied the ranking")) << game.Stderr();
  game.Signal(SIGTERM);
  EXPECT_EQ(game.Finish(), 0) << game.Stderr();
  EXPECT_EQ(game.Stderr().find(kCreating), std::string::npos);
  const fs::path data = home / ".local" / "share" / "solvara";
  EXPECT_EQ(fs::status(data).permissions(), fs::perms(0700));
  EXPECT_EQ(ReadFile(data / "score.dat"), SavedRanking());
  EXPECT_EQ(ReadFile(bin / "score.dat"), OldRanking());
  fs::remove_all(dir);
}

}  // namespace
