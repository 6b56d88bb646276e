#include "game/records/score_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "game/form.h"
#include "game/records/ranking.h"
#include "game/records/ranking_replays.h"
#include "platform/files.h"
#include "platform/processor.h"

namespace game {

ScoreFileState ReadScoreFile(const std::string& path, RankEntry rows[7]) {
  // Read only: a read-only file still gives its ranking.
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return errno == ENOENT || errno == ELOOP || errno == ENOTDIR ? ScoreFileState::kMissing
                                                                      : ScoreFileState::kUnreadable;
  std::fread(rows, 1, kScoreFileSize, f);
  // A folder of that name opens but cannot be read.
  const bool failed = std::ferror(f);
  std::fclose(f);
  return failed ? ScoreFileState::kUnreadable : ScoreFileState::kRead;
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
  if (!readOnly_) ImportOldFile();
  const ScoreFileState state = ReadScoreFile(path_, rows);
  unreadable_ = state == ScoreFileState::kUnreadable;
  return state;
}

void ScoreStore::ImportOldFile() {
  namespace fs = std::filesystem;
  const auto absent = [this] {
    std::error_code ec;
    return fs::symlink_status(path_, ec).type() == fs::file_type::not_found;
  };
  RankEntry rows[kRankRows] = {};
  if (oldFile_ == path_ || !absent() || ReadScoreFile(oldFile_, rows) != ScoreFileState::kRead) return;
  std::string error;
  bool copied = false;
  if (platform::MakeFolders(folder_, &error)) {
    platform::FileLock lock(lockPath_);
    if (!absent()) return;  // another copy was first
    copied = WriteScoreFile(path_, rows, &error);
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
  Job job{{}, own_, replays_, unreadable_, background};
  std::memcpy(job.rows, rows, kScoreFileSize);
  std::lock_guard lock(mutex_);
  pending_ = std::move(job);
  changed_.notify_all();
  return ++submitted_;
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
  return ok_;
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
    std::string error;
    const bool ok = Write(job, error);
    lock.lock();
    done_ = ticket;
    ok_ = ok;
    error_ = error;
    changed_.notify_all();
    if (!ok && job.background) failures_.Post(0, 0, 0);
  }
}

bool ScoreStore::Write(const Job& job, std::string& error) const {
  if (job.unreadable) {
    error = path_ + ": could not be read at start-up, so it is left as it is";
    return false;
  }
  if (!platform::MakeFolders(folder_, &error)) return false;
  platform::FileLock lock(lockPath_);
  if (lock.Held()) platform::RemoveLeftoverTemporaries(path_);
  RankEntry rows[kRankRows] = {};
  RankEntry before[kRankRows] = {};
  bool hadFile = false;
  switch (ReadScoreFile(path_, rows)) {
    case ScoreFileState::kRead:
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
      error = path_ + ": cannot be read, so it is left as it is";
      return false;
  }
  if (!WriteScoreFile(path_, rows, &error)) return false;
  KeepRowReplays(folder_, hadFile ? before : nullptr, rows, job.replays);
  return true;
}

}  // namespace game
