#include "platform/board_client.h"

#include <curl/curl.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>

#include "platform/base64.h"
#include "platform/board_rules.h"

namespace platform {
namespace {

using nlohmann::json;
using Clock = std::chrono::steady_clock;

struct Response {
  bool reached = false;
  std::string error;
  long status = 0;
  long retryAfter = 0;
  std::string body;
};

size_t Collect(char* data, size_t size, size_t count, void* out) {
  static_cast<std::string*>(out)->append(data, size * count);
  return size * count;
}

size_t Header(char* data, size_t size, size_t count, void* out) {
  const std::string line(data, size * count);
  constexpr std::string_view kRetry = "retry-after:";
  if (line.size() > kRetry.size()) {
    std::string key = line.substr(0, kRetry.size());
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (key == kRetry) *static_cast<long*>(out) = std::strtol(line.c_str() + kRetry.size(), nullptr, 10);
  }
  return size * count;
}

// libcurl asks about every second, and more often while data flows: a
// non-zero answer ends the transfer.
int Progress(void* stop, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<const std::stop_token*>(stop)->stop_requested() ? 1 : 0;
}

// Waits `pause`, or less when a stop is requested; false then.
bool Pause(std::stop_token stop, std::chrono::milliseconds pause) {
  std::mutex mutex;
  std::condition_variable_any wake;
  std::unique_lock lock(mutex);
  return !wake.wait_for(lock, stop, pause, [] { return false; }) && !stop.stop_requested();
}

constexpr const char* kStopped = "stopped";

Response Request(const std::string& url, const std::string* postBody, const std::string& token,
                 const BoardClientTimeouts& t, const std::stop_token& stop) {
  Response r;
  std::unique_ptr<CURL, void (*)(CURL*)> curl(curl_easy_init(), curl_easy_cleanup);
  if (!curl) {
    r.error = "cannot start an HTTP request";
    return r;
  }
  curl_slist* headers = nullptr;
  headers = curl_slist_append(headers, "Accept: application/json");
  if (postBody) headers = curl_slist_append(headers, "Content-Type: application/json");
  const std::string authorization = "Authorization: Bearer " + token;
  if (!token.empty()) headers = curl_slist_append(headers, authorization.c_str());
  std::unique_ptr<curl_slist, void (*)(curl_slist*)> headerList(headers, curl_slist_free_all);
  char error[CURL_ERROR_SIZE] = {};
  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);  // safe on a worker thread
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, t.connectSeconds);
  curl_easy_setopt(c, CURLOPT_TIMEOUT, t.requestSeconds);
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, error);
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &r.body);
  curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, Header);
  curl_easy_setopt(c, CURLOPT_HEADERDATA, &r.retryAfter);
  curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, Progress);
  curl_easy_setopt(c, CURLOPT_XFERINFODATA, &stop);
  curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
  if (postBody) {
    curl_easy_setopt(c, CURLOPT_POSTFIELDS, postBody->data());
    curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(postBody->size()));
  }
  const CURLcode rc = curl_easy_perform(c);
  if (rc != CURLE_OK) {
    r.error = rc == CURLE_ABORTED_BY_CALLBACK ? kStopped : error[0] ? error : curl_easy_strerror(rc);
    return r;
  }
  r.reached = true;
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &r.status);
  return r;
}

json Parsed(const std::string& body) {
  json j = json::parse(body, nullptr, false);
  return j.is_object() ? j : json::object();
}

int64_t Number(const json& j, const char* key) {
  const auto it = j.find(key);
  return it != j.end() && it->is_number_integer() ? it->get<int64_t>() : 0;
}

std::string String(const json& j, const char* key) {
  const auto it = j.find(key);
  return it != j.end() && it->is_string() ? it->get<std::string>() : std::string();
}

BoardAnswer Unreachable(const std::string& why) {
  BoardAnswer a;
  a.kind = BoardAnswer::Kind::kUnreachable;
  a.reason = why;
  return a;
}

// The verdict of game `id`, asked again and again until it is in or the
// wait is over. A game refused as the same as one `name` had ranked before
// is answered by that one (once: that one's answer stands).
BoardAnswer AwaitVerdict(const std::string& server, const std::string& name, BoardAnswer answer,
                         const BoardClientTimeouts& t, std::stop_token stop) {
  const Clock::time_point end = Clock::now() + std::chrono::seconds(t.verdictSeconds);
  auto pause = std::chrono::milliseconds(200);
  for (;;) {
    const Response r = Request(server + "/api/games/" + std::to_string(answer.gameId), nullptr, "", t, stop);
    if (stop.stop_requested()) return Unreachable(kStopped);
    if (r.reached && r.status == 200) {
      const json j = Parsed(r.body);
      const std::string state = String(j, "state");
      if (state == "accepted") {
        answer.kind = BoardAnswer::Kind::kAccepted;
        answer.score = Number(j, "score");
        answer.stage = Number(j, "stage");
        answer.rank = Number(j, "rank");
        return answer;
      }
      if (state == "refused" && !answer.duplicate && Number(j, "duplicate_of") &&
          BoardNameKey(String(j, "owner")) == BoardNameKey(name)) {
        answer.gameId = Number(j, "duplicate_of");
        answer.duplicate = true;
        answer.owner = String(j, "owner");
        continue;
      }
      if (state == "refused") {
        answer.kind = BoardAnswer::Kind::kRefused;
        answer.reason = String(j, "reason");
        return answer;
      }
    } else if (r.reached && r.status == 404) {
      answer.kind = BoardAnswer::Kind::kRejected;
      answer.status = r.status;
      answer.reason = "the board no longer shows the game";
      return answer;
    }
    if (Clock::now() + pause >= end) {
      answer.kind = BoardAnswer::Kind::kPending;
      return answer;
    }
    if (!Pause(stop, pause)) return Unreachable(kStopped);
    pause = std::min(pause * 2, std::chrono::milliseconds(2000));
  }
}

}  // namespace

BoardAnswer SubmitReplay(const std::string& serverUrl, const std::string& name, const std::vector<uint8_t>& replay,
                         const std::string& stateDir, const BoardClientTimeouts& t, std::stop_token stop) {
  static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
  if (initialised != CURLE_OK) return Unreachable("cannot start libcurl");
  const std::string server = BoardAddress(serverUrl);
  const std::string body = json{{"name", name}, {"replay", Base64Encode(replay)}}.dump();
  const std::string token = LoadBoardToken(stateDir, server, name);
  const Clock::time_point busyEnd = Clock::now() + std::chrono::seconds(t.busyRetrySeconds);
  int busyRetries = 0;
  for (;;) {
    const Response r = Request(server + "/api/games", &body, token, t, stop);
    if (!r.reached) return Unreachable(r.error);
    const json j = Parsed(r.body);
    // A busy board says when to come back; a later try is no new game.
    if (r.status == 503 && Clock::now() + std::chrono::seconds(std::max(1L, r.retryAfter)) < busyEnd) {
      if (!Pause(stop, std::chrono::seconds(std::clamp(r.retryAfter, 1L, 60L)))) return Unreachable(kStopped);
      ++busyRetries;
      continue;
    }
    BoardAnswer answer;
    answer.status = r.status;
    answer.busyRetries = busyRetries;
    if (r.status != 202 && r.status != 200) {
      answer.kind = BoardAnswer::Kind::kRejected;
      answer.reason = String(j, "error");
      if (answer.reason.empty()) answer.reason = "the board answered " + std::to_string(r.status);
      return answer;
    }
    answer.gameId = Number(j, "id");
    answer.duplicate = j.value("duplicate", false);
    answer.owner = String(j, "player");
    if (const std::string fresh = String(j, "token"); !fresh.empty()) {
      std::string error;
      if (!SaveBoardToken(stateDir, server, name, fresh, error)) answer.reason = "the name's token was not kept: " + error;
    }
    return AwaitVerdict(server, name, answer, t, stop);
  }
}

}  // namespace platform
