#include "game/records/last_replay.h"

#include <cerrno>
#include <cstdint>
#include <ctime>

#include "game/form.h"
#include "game/records/replay_file.h"
#include "game/records/score_file.h"
#include "platform/files.h"

namespace game {
namespace {

// Another game of the same second and score takes a number.
constexpr int kMaxSameName = 99;

}  // namespace

std::string KeptReplayName(int64_t endTime, int32_t score) {
  const std::time_t when = static_cast<std::time_t>(endTime);
  std::tm local{};
  localtime_r(&when, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d_%H-%M-%S", &local);
  return std::string(text) + "_" + std::to_string(score);
}

bool SaveLastReplay(const std::string& folder, std::string& saved, std::string& reason) {
  const std::string last = folder + "/" + kLastReplayFile;
  std::string bytes;
  Replay replay;
  if (!ReadReplayFile(last, replay, reason, &bytes)) {
    reason = last + ": " + reason;
    return false;
  }
  const std::string into = folder + "/" + kReplaysFolder;
  if (!platform::MakeFolders(into, &reason)) return false;
  // Under the ranking's lock: a save of another copy cleans up the
  // temporary files of this folder.
  platform::FolderLock lock(folder, folder + "/" + kScoreFile + ".lock");
  if (!lock.Held()) {
    reason = lock.Reason();
    return false;
  }
  const std::string name = KeptReplayName(replay.endTime, replay.finalScore);
  for (int n = 1; n <= kMaxSameName; ++n) {
    saved = into + "/" + name + (n > 1 ? "-" + std::to_string(n) : "") + ".rpl";
    if (platform::CreateFileAtomically(saved, bytes.data(), bytes.size(), &reason)) return true;
    if (errno != EEXIST) return false;
    std::string there;
    if (platform::ReadRegularFile(saved, there, bytes.size() + 1) && there == bytes) return true;
  }
  reason = "the replays folder has " + std::to_string(kMaxSameName) + " other games named " + name;
  return false;
}

}  // namespace game
