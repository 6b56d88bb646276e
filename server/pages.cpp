#include "server/pages.h"

#include <httplib.h>

#include <ctime>

#include "platform/board_rules.h"
#include "server/board.h"
#include "server/html.h"
#include "server/http_util.h"
#include "server/players.h"

namespace board {
namespace {

constexpr int64_t kRowsPerPage = 50;
constexpr int64_t kMaxPage = 1000000;

constexpr const char* kStyle =
    "body{font-family:sans-serif;max-width:60em;margin:2em auto;padding:0 1em;color:#1c2330;background:#f6f7fa}"
    "h1{font-size:1.6em;overflow-wrap:anywhere}table{border-collapse:collapse;width:100%;background:#fff}"
    "th,td{padding:.35em .6em;border-bottom:1px solid #d8dde6;text-align:left}"
    "td.n,th.n{text-align:right;font-variant-numeric:tabular-nums}nav a,nav strong{margin-right:1em}"
    "p.note{color:#4a5568;font-size:.95em}td.text{overflow-wrap:anywhere}"
    // A phone: the columns that matter least go, so that no page is wider
    // than the screen from 360 pixels on.
    "@media (max-width:40em){body{margin:1em auto;padding:0 .5em}table{font-size:.9em}"
    "th,td{padding:.3em .3em}.wide{display:none}}";

std::string Date(int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm utc{};
  gmtime_r(&t, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", &utc);
  return text;
}

// Frames as the time they take at 30 frames a second.
std::string Duration(int64_t frames) {
  const int64_t seconds = frames / 30;
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                static_cast<long long>(seconds % 60));
  return text;
}

std::string Page(const std::string& title, const std::string& body) {
  return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"><title>" +
         HtmlEscape(title) + "</title><style>" + kStyle + "</style></head><body>\n" + body + "</body></html>\n";
}

void Html(httplib::Response& res, int status, const std::string& page) {
  res.status = status;
  // Nothing on these pages runs or is fetched from elsewhere.
  res.set_header("Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'");
  res.set_header("X-Content-Type-Options", "nosniff");
  res.set_content(page, "text/html; charset=utf-8");
}

constexpr const char* kWhatVerificationProves =
    "<p class=\"note\">Every game listed here was verified: the board played its replay again from a new game's "
    "start and reached the same score and the same world. That proves the game's rules were kept from a real start "
    "to the end; it does not prove that a person played it by hand.</p>\n";

constexpr const char* kHowToWatch =
    "<p class=\"note\">A replay downloads as a <code>.rpl</code> file. To watch it, open it with the game: where "
    "SOLVARA 2001 is installed the desktop opens <code>.rpl</code> files with it, or run "
    "<code>solvara FILE.rpl</code>.</p>\n";

std::string PlayerLink(const std::string& name) {
  return "<a href=\"/players/" + UrlEscape(name) + "\">" + HtmlEscape(name) + "</a>";
}

std::string RankingPage(Board& board, int64_t season, int64_t page, bool all) {
  const auto snapshot = board.ranking.Get(season);
  const std::vector<RankedGame>& list = all ? snapshot->all : snapshot->best;
  const std::string query = "season=" + std::to_string(season) + (all ? "&amp;all=1" : "");
  std::string body = "<h1>SOLVARA 2001: shared ranking</h1>\n" + std::string(kWhatVerificationProves) + "<nav>";
  body += all ? "<a href=\"/?season=" + std::to_string(season) + "\">one game per player</a><strong>all games</strong>"
              : "<strong>one game per player</strong><a href=\"/?season=" + std::to_string(season) +
                    "&amp;all=1\">all games</a>";
  for (int64_t s : board.ranking.Seasons())
    body += s == season ? "<strong>season " + std::to_string(s) + "</strong>"
                        : "<a href=\"/?season=" + std::to_string(s) + "\">season " + std::to_string(s) + "</a>";
  body += "</nav>\n" + std::string(kHowToWatch) +
          "<table><thead><tr><th class=\"n\">Rank</th><th>Player</th><th class=\"n\">Score</th>"
          "<th class=\"n\">Stage reached</th><th class=\"n wide\">Frames</th><th class=\"wide\">Received</th>"
          "<th>Replay</th></tr></thead><tbody>\n";
  const size_t first = static_cast<size_t>((page - 1) * kRowsPerPage);
  for (size_t i = first; i < list.size() && i < first + kRowsPerPage; ++i) {
    const RankedGame& g = list[i];
    body += "<tr><td class=\"n\">" + std::to_string(i + 1) + "</td><td class=\"text\">" + PlayerLink(g.player) +
            "</td><td class=\"n\">" + std::to_string(g.score) + "</td><td class=\"n\">" + std::to_string(g.stage) +
            "</td><td class=\"n wide\">" + std::to_string(g.frames) + " (" + Duration(g.frames) +
            ")</td><td class=\"wide\">" + Date(g.received) + "</td><td><a href=\"/api/games/" +
            std::to_string(g.id) + "/replay\">replay</a></td></tr>\n";
  }
  if (list.empty()) body += "<tr><td colspan=\"7\">No game has been verified in this season yet.</td></tr>\n";
  body += "</tbody></table>\n<nav>";
  if (page > 1) body += "<a href=\"/?" + query + "&amp;page=" + std::to_string(page - 1) + "\">previous</a>";
  if (first + kRowsPerPage < list.size())
    body += "<a href=\"/?" + query + "&amp;page=" + std::to_string(page + 1) + "\">next</a>";
  body += "</nav>\n";
  return Page("SOLVARA 2001 shared ranking", body);
}

std::string PlayerPage(Board& board, const std::string& name, const std::vector<GameInfo>& games) {
  std::string body = "<h1>" + HtmlEscape(name) + "</h1>\n<p><a href=\"/\">the ranking</a></p>\n" +
                     "<p class=\"note\">An accepted game was played again by the board from a new game's start "
                     "to the same score and world; a refused one says why it was not.</p>\n" +
                     kHowToWatch +
                     "<table><thead><tr><th>Received</th><th>State</th><th class=\"n\">Score</th>"
                     "<th class=\"n\">Rank</th><th class=\"n wide\">Stage reached</th>"
                     "<th class=\"n wide\">Frames</th><th>Replay</th></tr></thead><tbody>\n";
  for (const GameInfo& g : games) {
    std::string state = HtmlEscape(g.state), score, rank, stage;
    if (g.state == "accepted") {
      score = std::to_string(g.score);
      stage = std::to_string(g.stage);
      const auto snapshot = board.ranking.Get(g.season);
      const auto it = snapshot->places.find(g.id);
      if (it != snapshot->places.end()) rank = std::to_string(it->second.all);
    } else if (g.state == "refused") {
      state += ": " + HtmlEscape(g.reason);
    }
    body += "<tr><td>" + Date(g.received) + "</td><td>" + state + "</td><td class=\"n\">" + score +
            "</td><td class=\"n\">" + rank + "</td><td class=\"n wide\">" + stage + "</td><td class=\"n wide\">" +
            std::to_string(g.frames) + "</td><td><a href=\"/api/games/" + std::to_string(g.id) +
            "/replay\">replay</a></td></tr>\n";
  }
  if (games.empty()) body += "<tr><td colspan=\"7\">No games.</td></tr>\n";
  body += "</tbody></table>\n";
  return Page(name + " - SOLVARA 2001 shared ranking", body);
}

}  // namespace

void AddPages(httplib::Server& server, Board& board) {
  server.Get("/", [&](const httplib::Request& req, httplib::Response& res) {
    const auto page = NumberParam(req, "page", 1, 1, kMaxPage);
    const auto all = NumberParam(req, "all", 0, 0, 1);
    const auto season = NumberParam(req, "season", board.ranking.Current(), 1, INT32_MAX);
    if (!page || !all || !season)
      return Html(res, 400, Page("Bad request", "<p>page is 1 or more, all 0 or 1, season a version number.</p>"));
    Html(res, 200, RankingPage(board, *season, *page, *all));
  });
  server.Get(R"(/players/(.+))", [&](const httplib::Request& req, httplib::Response& res) {
    const std::string name = req.matches[1].str();
    const auto games = platform::BoardNameRefusal(name).empty() ? board.store.PlayerGames(platform::BoardNameKey(name)) : std::nullopt;
    if (!games) return Html(res, 404, Page("No such player", "<p>No such player. <a href=\"/\">The ranking</a></p>"));
    Html(res, 200, PlayerPage(board, name, *games));
  });
}

}  // namespace board
