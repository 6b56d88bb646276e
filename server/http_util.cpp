#include "server/http_util.h"

#include <httplib.h>

#include <charconv>
#include <cstdio>
#include <nlohmann/json.hpp>

namespace board {

std::optional<int64_t> NumberParam(const httplib::Request& req, const char* name, int64_t fallback, int64_t low,
                                   int64_t high) {
  if (!req.has_param(name)) return fallback;
  const std::string text = req.get_param_value(name);
  int64_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high) return std::nullopt;
  return value;
}

std::optional<int64_t> IdOf(std::string_view text) {
  if (text.empty() || text.size() > 15 || text.find_first_not_of("0123456789") != std::string_view::npos)
    return std::nullopt;
  int64_t id = 0;
  std::from_chars(text.data(), text.data() + text.size(), id);
  return id > 0 ? std::optional(id) : std::nullopt;
}

void ErrorAnswer(httplib::Response& res, int status, const std::string& reason) {
  res.status = status;
  res.set_content(nlohmann::json{{"error", reason}}.dump(), "application/json");
}

void StorageAnswer(httplib::Response& res, const std::exception& e, bool full) {
  std::fprintf(stderr, "solvara-board: %s\n", e.what());
  res.set_header("Retry-After", "30");
  ErrorAnswer(res, 503, full ? "the board's disk is full" : "the board's database is unavailable");
}

}  // namespace board
