#pragma once
// "score.dat": rows 0-6 of the ranking, seven 44-byte records, no header, in
// the player's data folder. ScoreStore loads it once, saves it after every new
// row (on a worker thread, so the results screen never waits for the disk)
// and at close, and keeps the rows another running copy of the game saved.
// The rows' replays are kept beside it (ranking_replays.h).
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "game/records/replay.h"
#include "game/world/world.h"
#include "platform/app.h"

namespace game {

constexpr size_t kScoreFileSize = 7 * sizeof(RankEntry);
// The replay of the last game played to its results screen, ranked or not,
// beside score.dat.
inline constexpr const char* kLastReplayFile = "last.rpl";

enum class ScoreFileState {
  kRead,
  kDamaged,     // read, but not of the 308 bytes the game writes (empty, cut short)
  kMissing,     // nothing there (also a dangling link or a link loop)
  kUnreadable,  // there, but it cannot be read (its mode, a folder or a named pipe of that name)
};

// Reads up to seven records into rows 0-6 (a short file fills as many bytes
// as it has; the rest keep their contents). `reason` says why a file is
// unreadable. Never waits: a named pipe is unreadable, not waited on.
ScoreFileState ReadScoreFile(const std::string& path, RankEntry rows[7], std::string* reason = nullptr);
// Replaces the file atomically with rows 0-6 (always 308 bytes).
bool WriteScoreFile(const std::string& path, const RankEntry rows[7], std::string* error = nullptr);

class ScoreStore {
 public:
  // `folder` holds score.dat and the lock file that serialises the saves of
  // every running copy. `oldFile` is where earlier versions kept score.dat
  // (beside the program). `saveFailed` runs on the main thread, with the
  // reason, when a background save failed. A read-only store (watching a
  // replay) reads the ranking and writes nothing: no import, no save.
  ScoreStore(std::string folder, std::string oldFile, std::function<void(const std::string&)> saveFailed,
             bool readOnly = false);
  // Waits for a pending save.
  ~ScoreStore();
  ScoreStore(const ScoreStore&) = delete;
  ScoreStore& operator=(const ScoreStore&) = delete;

  // The data folder: score.dat, the rows' replays, last.rpl and replays/.
  const std::string& Folder() const { return folder_; }

  // Copies the old file in when the folder has none and it is a whole
  // ranking (said on stderr), then reads the ranking. A damaged one is kept
  // as score.dat.damaged first (DamageReport says so). A file that is there
  // but unreadable is never written over in this run: every save then fails.
  ScoreFileState Load(RankEntry rows[7]);
  // Why the ranking is left as it is in this run, every save failing: it
  // could not be read at start-up, or was damaged and no copy could be kept
  // (empty: it is saved as usual).
  const std::string& LeftAlone() const { return leftAlone_; }
  // What became of a damaged ranking read at start-up, for the player.
  const std::string& DamageReport() const { return damageReport_; }
  // A row this copy inserted, with the replay of its game (null: none). A
  // save writes the file as it is on disk at that moment with each of these
  // rows it lacks inserted, so the rows another copy saved meanwhile stay and
  // none is doubled; then the replays of the rows it holds are written and
  // those of the rows that dropped out deleted.
  void AddOwnRow(const RankEntry& row, std::shared_ptr<const Replay> replay = nullptr);
  // The last game played to its results screen: the worker writes it as
  // last.rpl (atomically, replacing the one before) with the next save, or
  // at once with SaveLastInBackground. When it cannot, `lastFailed` (see
  // OnLastReplayFailed) runs on the main thread with the reason.
  void KeepLastReplay(std::shared_ptr<const Replay> replay);
  void SaveLastInBackground();
  void OnLastReplayFailed(std::function<void(const std::string&)> lastFailed) { lastFailed_ = std::move(lastFailed); }
  // Hands a copy of the rows to the worker and returns at once.
  void SaveInBackground(const RankEntry rows[7]);
  // Saves now, after any pending save. False with a one-line reason. A
  // failure of last.rpl not yet said is said before it returns.
  bool Save(const RankEntry rows[7], std::string& error);
  // Returns once every save handed over so far is done.
  void Wait();

 private:
  struct Job {
    RankEntry rows[7];
    std::vector<RankEntry> own;
    std::vector<std::shared_ptr<const Replay>> replays;
    std::string leftAlone;
    bool background;
    bool ranking;  // false: only the last game to write
    std::shared_ptr<const Replay> last;
  };
  void ImportOldFile();
  void KeepDamagedFile();
  // Null rows: only the last game (merged into a pending save).
  uint64_t Submit(const RankEntry rows[7], bool background);
  void Work();
  bool Write(const Job& job, std::string& error) const;
  // Worker: last.rpl, when the job's last game is not written yet.
  void WriteLast(const Job& job);
  // Main thread: says a failure of last.rpl once, whichever asks first.
  void ReportLastFailure();

  const std::string folder_, path_, lockPath_, oldFile_;
  std::function<void(const std::string&)> saveFailed_;
  const bool readOnly_;
  // Main thread only.
  std::vector<RankEntry> own_;
  std::vector<std::shared_ptr<const Replay>> replays_;
  std::shared_ptr<const Replay> last_;
  std::string leftAlone_, damageReport_;
  std::function<void(const std::string&)> lastFailed_;
  // Worker only: the last game written (or failed) already.
  std::shared_ptr<const Replay> lastWritten_;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<Job> pending_;  // a newer job replaces one not yet started
  uint64_t submitted_ = 0, done_ = 0;
  bool ok_ = true, stop_ = false, lastUnreported_ = false;
  std::string error_, lastError_;
  platform::MessageWindow failures_, lastFailures_;
  std::thread worker_;
};

}  // namespace game
