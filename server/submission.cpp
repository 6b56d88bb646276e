#include "server/submission.h"

#include <nlohmann/json.hpp>

#include "game/records/replay_file.h"
#include "platform/base64.h"
#include "platform/board_rules.h"
#include "server/players.h"

namespace board {

bool ParseSubmissionBody(std::string_view body, SubmissionBody& out, std::string& reason) {
  const nlohmann::json json = nlohmann::json::parse(body, nullptr, false);
  if (json.is_discarded() || !json.is_object()) {
    reason = "the body is not a JSON object";
    return false;
  }
  for (const auto& [key, value] : json.items())
    if (key != "name" && key != "replay") {
      reason = "unknown member: " + key.substr(0, 32);
      return false;
    }
  const auto name = json.find("name");
  const auto replay = json.find("replay");
  if (name == json.end() || !name->is_string() || replay == json.end() || !replay->is_string()) {
    reason = "the body needs the strings \"name\" and \"replay\"";
    return false;
  }
  out.name = name->get<std::string>();
  if (reason = platform::BoardNameRefusal(out.name); !reason.empty()) return false;
  const std::string& text = replay->get_ref<const std::string&>();
  if (text.empty() || text.size() / 4 * 3 > game::kMaxReplayBytes + 2) {
    reason = text.empty() ? "the replay is empty" : "the replay is larger than any replay can be";
    return false;
  }
  std::optional<std::vector<uint8_t>> bytes = platform::Base64Decode(text);
  if (!bytes) {
    reason = "the replay is not base64";
    return false;
  }
  out.replay = std::move(*bytes);
  return true;
}

}  // namespace board
