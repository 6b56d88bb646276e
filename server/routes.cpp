#include "server/routes.h"

#include <httplib.h>

#include <ctime>
#include <nlohmann/json.hpp>

#include "platform/board_rules.h"
#include "server/board.h"
#include "server/http_util.h"
#include "server/players.h"
#include "server/submission.h"

namespace board {
namespace {

using nlohmann::json;

constexpr int64_t kDefaultLimit = 50;
constexpr int64_t kMaxLimit = 500;
constexpr int64_t kMaxOffset = 1000000000;

void Json(httplib::Response& res, int status, const json& body) {
  res.status = status;
  res.set_content(body.dump(), "application/json");
}

void Limited(httplib::Response& res, int status, int64_t retryAfter, const std::string& reason) {
  res.set_header("Retry-After", std::to_string(retryAfter));
  ErrorAnswer(res, status, reason);
}

json GameJson(Board& board, const GameInfo& g) {
  json out{{"id", g.id},       {"player", g.player},     {"season", g.season},
           {"state", g.state}, {"frames", g.frames},     {"received", g.received}};
  if (g.state == "refused") {
    out["reason"] = g.reason;
    out["verified"] = g.verified;
    if (g.duplicateOf) {
      out["duplicate_of"] = g.duplicateOf;
      out["owner"] = g.owner;
    }
  } else if (g.state == "accepted") {
    out["score"] = g.score;
    out["stage"] = g.stage;
    out["verified"] = g.verified;
    const auto snapshot = board.ranking.Get(g.season);
    const auto it = snapshot->places.find(g.id);
    // rank: among the players' best games; rank_all: among all games.
    out["rank"] = it != snapshot->places.end() && it->second.best ? json(it->second.best) : json(nullptr);
    out["rank_all"] = it != snapshot->places.end() ? json(it->second.all) : json(nullptr);
  } else {
    out["claimed_score"] = g.claimedScore;
  }
  return out;
}

void SubmitAnswer(Board& board, httplib::Response& res, const SubmitResult& r, const std::string& name,
                  const std::string& token) {
  using Kind = SubmitResult::Kind;
  switch (r.kind) {
    case Kind::kQueued: {
      board.verifiers.Wake();
      json out{{"id", r.gameId}, {"state", "pending"}};
      if (r.newPlayer) out["token"] = token;
      res.set_header("Location", "/api/games/" + std::to_string(r.gameId));
      return Json(res, 202, out);
    }
    case Kind::kDuplicate: return Json(res, 200, {{"id", r.gameId}, {"duplicate", true}, {"player", r.owner}});
    case Kind::kAnothersGame:
      return Json(res, 409,
                  {{"error", "this game is ranked already, as game " + std::to_string(r.gameId) + " under " + r.owner},
                   {"id", r.gameId},
                   {"duplicate", true},
                   {"player", r.owner}});
    case Kind::kNameTaken:
      res.set_header("WWW-Authenticate", "Bearer");
      return ErrorAnswer(res, 401, "the name " + name + " is another player's: send its token");
    case Kind::kBanned: return ErrorAnswer(res, 403, "this name may not submit games");
    case Kind::kNameLimited:
      return Limited(res, 429, r.retryAfter, "this name has sent more frames this hour than the board verifies");
    case Kind::kAddressLimited:
      return Limited(res, 429, r.retryAfter, "this address has sent more frames this hour than the board verifies");
    case Kind::kQueueFull: return Limited(res, 503, 2, "the board has many games to verify: try again shortly");
  }
}

void Submit(Board& board, const httplib::Request& req, httplib::Response& res) {
  SubmissionBody body;
  std::string reason;
  if (!ParseSubmissionBody(req.body, body, reason)) return ErrorAnswer(res, 400, reason);
  const std::string address =
      ClientAddress(req.remote_addr, req.get_header_value("X-Forwarded-For"), board.settings.trustedProxy);
  const TokenCheck tokenMatches = MatchesToken(BearerToken(req.get_header_value("Authorization")));
  const int64_t now = static_cast<int64_t>(std::time(nullptr));
  // Who may send is settled before any process starts.
  if (const std::optional<SubmitResult> refused =
          board.store.CheckSender(platform::BoardNameKey(body.name), address, tokenMatches, board.settings.limits, now))
    return SubmitAnswer(board, res, *refused, body.name, {});
  // The verifier reads the replay, sandboxed: the board never parses one.
  const VerifierAnswer identified = RunVerifier(board.settings.verifier, true, body.replay);
  if (!identified.answered) {
    std::fprintf(stderr, "solvara-board: %s\n", identified.failure.c_str());
    return Limited(res, 503, 30, "the board cannot read replays right now");
  }
  const verify::Verdict& v = identified.verdict;
  if (v.outcome != verify::Verdict::Outcome::kValid)
    return ErrorAnswer(res, 422, "the replay is refused: " + v.reason);

  Submission s;
  s.name = body.name;
  s.nameKey = platform::BoardNameKey(body.name);
  s.address = address;
  s.identity = v.game;
  s.season = v.version;
  s.frames = v.frames;
  s.claimedScore = v.score;
  s.replay = std::move(body.replay);
  s.now = now;
  const std::string token = NewToken();
  SubmitResult r;
  try {
    r = board.store.Submit(s, TokenHash(token), tokenMatches, board.settings.limits);
  } catch (const StorageError& e) {
    // Two first submissions under one name at once: one of them got it.
    if (e.kind() != StorageError::Kind::kConflict) throw;
    r.kind = SubmitResult::Kind::kNameTaken;
  }
  SubmitAnswer(board, res, r, body.name, token);
}

void Ranking(Board& board, const httplib::Request& req, httplib::Response& res) {
  const auto limit = NumberParam(req, "limit", kDefaultLimit, 1, kMaxLimit);
  const auto offset = NumberParam(req, "offset", 0, 0, kMaxOffset);
  const auto all = NumberParam(req, "all", 0, 0, 1);
  const auto season = NumberParam(req, "season", board.ranking.Current(), 1, INT32_MAX);
  if (!limit || !offset || !all || !season)
    return ErrorAnswer(res, 400, "limit is 1-500, offset 0 or more, all 0 or 1, season a version number");
  const auto snapshot = board.ranking.Get(*season);
  const std::string etag = snapshot->etag.substr(0, snapshot->etag.size() - 1) + "-" + std::to_string(*limit) + "-" +
                           std::to_string(*offset) + "-" + std::to_string(*all) + "\"";
  res.set_header("ETag", etag);
  res.set_header("Cache-Control", "no-cache");
  if (req.get_header_value("If-None-Match") == etag) {
    res.status = 304;
    return;
  }
  const std::vector<RankedGame>& list = *all ? snapshot->all : snapshot->best;
  json entries = json::array();
  for (size_t i = static_cast<size_t>(*offset); i < list.size() && entries.size() < static_cast<size_t>(*limit); ++i) {
    const RankedGame& g = list[i];
    entries.push_back({{"rank", i + 1},         {"id", g.id},         {"player", g.player}, {"score", g.score},
                       {"stage", g.stage},      {"frames", g.frames}, {"received", g.received}});
  }
  Json(res, 200, {{"season", snapshot->season}, {"total", list.size()}, {"entries", entries}});
}

}  // namespace

void AddRoutes(httplib::Server& server, Board& board) {
  server.Post("/api/games", [&](const httplib::Request& req, httplib::Response& res) { Submit(board, req, res); });
  server.Get(R"(/api/games/([^/]+))", [&](const httplib::Request& req, httplib::Response& res) {
    const std::optional<int64_t> id = IdOf(req.matches[1].str());
    const std::optional<GameInfo> game = id ? board.store.FindGame(*id) : std::nullopt;
    if (!game) return ErrorAnswer(res, 404, "no such game");
    Json(res, 200, GameJson(board, *game));
  });
  server.Get(R"(/api/games/([^/]+)/replay)", [&](const httplib::Request& req, httplib::Response& res) {
    const std::optional<int64_t> id = IdOf(req.matches[1].str());
    const std::optional<Blob> replay = id ? board.store.GameReplay(*id) : std::nullopt;
    if (!replay) return ErrorAnswer(res, 404, "no such game");
    res.set_header("Content-Disposition", "attachment; filename=\"solvara-game-" + std::to_string(*id) + ".rpl\"");
    res.set_content(std::string(replay->begin(), replay->end()), "application/octet-stream");
  });
  server.Get("/api/ranking", [&](const httplib::Request& req, httplib::Response& res) { Ranking(board, req, res); });
  server.Delete(R"(/api/players/(.+))", [&](const httplib::Request& req, httplib::Response& res) {
    const std::string token = BearerToken(req.get_header_value("Authorization"));
    switch (board.store.DeletePlayer(platform::BoardNameKey(req.matches[1].str()), MatchesToken(token))) {
      case Store::DeleteResult::kDeleted:
        board.ranking.Refresh();
        res.status = 204;
        return;
      case Store::DeleteResult::kNoSuchPlayer: return ErrorAnswer(res, 404, "no such player");
      case Store::DeleteResult::kWrongToken:
        res.set_header("WWW-Authenticate", "Bearer");
        return ErrorAnswer(res, 401, "the name's token is needed");
    }
  });
  server.Get("/healthz", [&](const httplib::Request&, httplib::Response& res) {
    if (const std::string problem = board.SubmissionsRefused(); !problem.empty())
      return Json(res, 503, {{"status", "unhealthy"}, {"reason", problem}});
    Json(res, 200, {{"status", "ok"}, {"queue", board.store.QueueLength()}});
  });
  server.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr failure) {
    try {
      std::rethrow_exception(failure);
    } catch (const StorageError& e) {
      StorageAnswer(res, e, e.kind() == StorageError::Kind::kFull);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "solvara-board: %s\n", e.what());
      ErrorAnswer(res, 500, "the board failed to answer");
    }
  });
}

}  // namespace board
