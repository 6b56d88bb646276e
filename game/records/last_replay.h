#pragma once
// The last game kept: last.rpl in the data folder (written by ScoreStore),
// and its copy into the replays folder, where the player keeps replays.
#include <cstdint>
#include <string>

namespace game {

// The folder of the data folder where the player keeps replays.
inline constexpr const char* kReplaysFolder = "replays";

// The name a kept replay gets: its end time (local) and its score,
// "2026-12-07_14-38-33_4160.rpl".
std::string KeptReplayName(int64_t endTime, int32_t score);

// Copies `folder`/last.rpl into `folder`/replays/ under KeptReplayName,
// never replacing a file there (a copy of the same game already there is
// the copy). True with the copy's path in `saved`; false with the reason.
bool SaveLastReplay(const std::string& folder, std::string& saved, std::string& reason);

}  // namespace game
