#include "game/records/score_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "game/form.h"
#include "game/records/ranking.h"
#include "game/records/ranking_replays.h"
#include "game/records/replay_file.h"
#include "platform/files.h"
#include "platform/processor.h"

namespace game {

namespace {

// A damaged ranking larger than this is no ranking at all: it is left alone,
// not copied.
constexpr size_t kMaxDamagedCopy = size_t{1} << 20;

// The files of the data folder whose temporary files a save cleans up: the
// ranking and every replay.
bool RankingFile(std::string_view name) { return name == kScoreFile || name.ends_with(".rpl"); }
bool ReplayFile(std::string_view name) { return name.ends_with(".rpl"); }

}  // namespace

ScoreFileState ReadScoreFile(const std::string& path, RankEntry rows[7], std::string* reason) {
  // Read only: a read-only file still gives its ranking.
  const int fd = platform::OpenRegularFile(path, reason);
  if (fd < 0) return errno == ENOENT || errno == ELOOP || errno == ENOTDIR ? ScoreFileState::kMissing
                                                                          : ScoreFileState::kUnreadable;
  auto* bytes = reinterpret_cast<char*>(rows);
  size_t got = 0;
  ssize_t n = 0;
  while (got < kScoreFileSize) {
    n = read(fd, bytes + got, kScoreFileSize - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  struct stat st {};
  const bool failed = n < 0 || fstat(fd, &st) != 0;
  if (failed && reason) *reason = std::strerror(errno);
  close(fd);
  if (failed) return ScoreFileState::kUnreadable;
  return static_cast<uint64_t>(st.st_size) == kScoreFileSize ? ScoreFileState::kRead : ScoreFileState::kDamaged;
}

bool WriteScoreFile(const std::string& path, const RankEntry rows[7], std::string* error) {
  return platform::WriteFileAtomically(path, rows, kScoreFileSize, error);
}

ScoreStore::ScoreStore(std::string folder, std::string oldFile, std::function<void(const std::string&)> saveFailed,
                       bool readOnly)
    : folder_(std::move(folder)),
      path_(folder_ + "/" + kScoreFile),
      lockPath_(path_ + ".lock"),
      oldFile_(std::move(oldFile)),
      saveFailed_(std::move(saveFailed)),
      readOnly_(readOnly),
      failures_([this](platform::Message&) {
        std::string error;
        {
          std::lock_guard lock(mutex_);
          error = error_;
        }
        saveFailed_(error);
      }),
      lastFailures_([this](platform::Message&) { ReportLastFailure(); }),
      worker_([this] { Work(); }) {}

ScoreStore::~ScoreStore() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  worker_.join();
}

ScoreFileState ScoreStore::Load(RankEntry rows[7]) {
  Wait();
  own_.clear();
  replays_.clear();
  leftAlone_.clear();
  damageReport_.clear();
  if (!readOnly_) ImportOldFile();
  std::string reason;
  const ScoreFileState state = ReadScoreFile(path_, rows, &reason);
  if (state == ScoreFileState::kUnreadable) leftAlone_ = reason;
  if (state == ScoreFileState::kDamaged && !readOnly_) KeepDamagedFile();
  return state;
}

void ScoreStore::KeepDamagedFile() {
  const std::string copy = path_ + ".damaged";
  std::string bytes, error;
  uint64_t size = 0;
  bool kept = platform::ReadRegularFile(path_, bytes, kMaxDamagedCopy, &size, &error);
  if (kept && size > kMaxDamagedCopy) {
    kept = false;
    error = "it is too large to be a ranking";
  }
  bool earlier = false;
  if (kept && !platform::CreateFileAtomically(copy, bytes.data(), bytes.size(), &error)) {
    earlier = errno == EEXIST;
    kept = earlier;
  }
  damageReport_ = "The ranking " + path_ + " is damaged (" + std::to_string(size) + " bytes, not " +
                  std::to_string(kScoreFileSize) + "), so its rows are taken as they come: ";
  if (earlier) {
    damageReport_ += "an earlier damaged ranking is kept as " + copy + ", and this one is replaced at the next save.";
  } else if (kept) {
    damageReport_ += "its bytes are kept as " + copy + ".";
  } else {
    // Nothing of the player's may be lost: without a copy it is not replaced.
    leftAlone_ = "damaged, and no copy of it could be kept";
    damageReport_ += "no copy of it could be kept (" + error + "), so it is left as it is, and this run's scores " +
                     "are not saved.";
  }
}

void ScoreStore::ImportOldFile() {
  namespace fs = std::filesystem;
  const auto absent = [this] {
    std::error_code ec;
    return fs::symlink_status(path_, ec).type() == fs::file_type::not_found;
  };
  // Only a whole ranking: an empty or cut file would only hide the default.
  RankEntry rows[kRankRows] = {};
  if (oldFile_ == path_ || !absent() || ReadScoreFile(oldFile_, rows) != ScoreFileState::kRead) return;
  std::string error;
  bool copied = false;
  if (platform::MakeFolders(folder_, &error)) {
    platform::FolderLock lock(folder_, lockPath_);
    if (!lock.Held()) error = lock.Reason();
    else if (!absent()) return;  // another copy was first
    else copied = WriteScoreFile(path_, rows, &error);
  }
  if (copied)
    std::fprintf(stderr, "solvara: copied the ranking %s to %s\n", oldFile_.c_str(), path_.c_str());
  else
    std::fprintf(stderr, "solvara: cannot copy the ranking %s: %s\n", oldFile_.c_str(), error.c_str());
}

void ScoreStore::AddOwnRow(const RankEntry& row, std::shared_ptr<const Replay> replay) {
  own_.push_back(row);
  if (replay) replays_.push_back(std::move(replay));
}

uint64_t ScoreStore::Submit(const RankEntry rows[7], bool background) {
  Job job{{}, own_, replays_, leftAlone_, background, rows != nullptr, last_};
  if (rows) std::memcpy(job.rows, rows, kScoreFileSize);
  std::lock_guard lock(mutex_);
  // The last game joins a save not yet started; a save takes the last game.
  if (!rows && pending_) pending_->last = last_;
  else pending_ = std::move(job);
  changed_.notify_all();
  return ++submitted_;
}

void ScoreStore::KeepLastReplay(std::shared_ptr<const Replay> replay) { last_ = std::move(replay); }

void ScoreStore::SaveLastInBackground() {
  if (!readOnly_ && last_) Submit(nullptr, true);
}

void ScoreStore::SaveInBackground(const RankEntry rows[7]) {
  if (!readOnly_) Submit(rows, true);
}

bool ScoreStore::Save(const RankEntry rows[7], std::string& error) {
  if (readOnly_) return true;
  const uint64_t ticket = Submit(rows, false);
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return done_ >= ticket; });
  error = error_;
  const bool ok = ok_;
  lock.unlock();
  // The save at close runs after the last message loop: a failure of the
  // last game's file posted meanwhile would never be said.
  ReportLastFailure();
  return ok;
}

void ScoreStore::ReportLastFailure() {
  std::string error;
  {
    std::lock_guard lock(mutex_);
    if (!lastUnreported_) return;
    lastUnreported_ = false;
    error = lastError_;
  }
  if (lastFailed_) lastFailed_(error);
}

void ScoreStore::Wait() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return done_ >= submitted_; });
}

void ScoreStore::Work() {
  platform::NameCurrentThread("ranking saver");
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return pending_ || stop_; });
    if (!pending_) return;
    const Job job = std::move(*pending_);
    pending_.reset();
    const uint64_t ticket = submitted_;
    lock.unlock();
    WriteLast(job);
    std::string error;
    const bool ok = !job.ranking || Write(job, error);
    lock.lock();
    done_ = ticket;
    ok_ = ok;
    error_ = error;
    changed_.notify_all();
    if (!ok && job.background) failures_.Post(0, 0, 0);
  }
}

void ScoreStore::WriteLast(const Job& job) {
  if (!job.last || job.last == lastWritten_) return;
  // Tried once: a folder that refuses it is said once, not at every save.
  lastWritten_ = job.last;
  const std::string path = folder_ + "/" + kLastReplayFile;
  std::string error;
  if (platform::MakeFolders(folder_, &error)) {
    // Under the lock, as every replay: a save of another copy cleans up the
    // temporary files of the folder's replays.
    platform::FolderLock lock(folder_, lockPath_);
    if (!lock.Held()) error = lock.Reason();
    else if (WriteReplayFile(path, *job.last, error)) return;
  }
  {
    std::lock_guard lock(mutex_);
    lastError_ = path + ": " + error;
    lastUnreported_ = true;
  }
  lastFailures_.Post(0, 0, 0);
}

bool ScoreStore::Write(const Job& job, std::string& error) const {
  if (!job.leftAlone.empty()) {
    error = path_ + ": left as it is since start-up (" + job.leftAlone + ")";
    return false;
  }
  if (!platform::MakeFolders(folder_, &error)) return false;
  platform::FolderLock lock(folder_, lockPath_);
  if (!lock.Held()) {
    error = lock.Reason() + ", so nothing is saved";
    return false;
  }
  // Under the lock no other copy is writing: what is left is a dead writer's.
  platform::RemoveLeftoverTemporaries(path_);
  platform::RemoveLeftoverTemporariesIn(folder_, RankingFile);
  platform::RemoveLeftoverTemporariesIn(folder_ + "/replays", ReplayFile);
  RankEntry rows[kRankRows] = {};
  RankEntry before[kRankRows] = {};
  bool hadFile = false;
  std::string reason;
  const ScoreFileState state = ReadScoreFile(path_, rows, &reason);
  switch (state) {
    case ScoreFileState::kRead:
    case ScoreFileState::kDamaged:
      // The file as it is now (another copy may have saved since), with this
      // copy's rows that it lacks.
      std::memcpy(before, rows, kScoreFileSize);
      hadFile = true;
      InsertMissingRows(rows, job.own);
      break;
    case ScoreFileState::kMissing:
      std::memcpy(rows, job.rows, kScoreFileSize);
      break;
    case ScoreFileState::kUnreadable:
      error = path_ + ": " + reason + ", so it is left as it is";
      return false;
  }
  // Unchanged since the last save: nothing to write, and so nothing to fail
  // on a full disk.
  const bool unchanged = state == ScoreFileState::kRead && std::memcmp(rows, before, kScoreFileSize) == 0;
  if (!unchanged && !WriteScoreFile(path_, rows, &error)) return false;
  KeepRowReplays(folder_, hadFile ? before : nullptr, rows, job.replays);
  return true;
}

}  // namespace game
