// The body of a submission to the board on arbitrary bytes: whatever the
// parser takes has a name the board accepts and a replay no larger than a
// replay can be, and a body written from what it took reads back the same.
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string_view>

#include "game/records/replay_file.h"
#include "platform/base64.h"
#include "server/players.h"
#include "server/submission.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  board::SubmissionBody body;
  std::string reason;
  if (!board::ParseSubmissionBody(std::string_view(reinterpret_cast<const char*>(data), size), body, reason)) {
    if (reason.empty()) std::abort();
    return 0;
  }
  if (!board::NameRefusal(body.name).empty() || body.replay.empty() || body.replay.size() > game::kMaxReplayBytes + 2)
    std::abort();
  const std::string again =
      nlohmann::json{{"name", body.name}, {"replay", platform::Base64Encode(body.replay)}}.dump();
  board::SubmissionBody back;
  if (!board::ParseSubmissionBody(again, back, reason) || back.name != body.name || back.replay != body.replay)
    std::abort();
  return 0;
}
