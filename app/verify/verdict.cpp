#include "app/verify/verdict.h"

#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <map>

namespace verify {
namespace {

using Outcome = Verdict::Outcome;

struct OutcomeName {
  Outcome outcome;
  std::string_view name;
};
constexpr OutcomeName kOutcomes[] = {
    {Outcome::kAccepted, "accepted"}, {Outcome::kRefused, "refused"}, {Outcome::kValid, "valid"}};

template <class T>
bool Number(const std::map<std::string_view, std::string_view>& fields, std::string_view key, T& out,
            int base = 10) {
  auto it = fields.find(key);
  if (it == fields.end()) return false;
  const std::string_view v = it->second;
  auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), out, base);
  return ec == std::errc() && end == v.data() + v.size();
}

// A reason is one line of text: line breaks and other control bytes become spaces.
std::string OneLine(std::string_view text) {
  std::string line(text);
  for (char& c : line)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return line;
}

}  // namespace

Verdict Verdict::Refused(std::string reason) {
  Verdict v;
  v.outcome = Outcome::kRefused;
  v.reason = std::move(reason);
  return v;
}

std::string FormatVerdict(const Verdict& v) {
  std::string out;
  for (const OutcomeName& o : kOutcomes)
    if (o.outcome == v.outcome) out = std::string(o.name) + "\n";
  if (v.outcome == Outcome::kRefused) return out + "reason " + OneLine(v.reason) + "\n";
  out += "game " + v.game + "\nversion " + std::to_string(v.version) + "\nscore " + std::to_string(v.score) +
         "\nframes " + std::to_string(v.frames) + "\n";
  if (v.outcome == Outcome::kAccepted)
    out += "stage " + std::to_string(v.stage) + "\nchecksum " + ChecksumText(v.checksum) + "\n";
  return out;
}

std::string ChecksumText(uint64_t checksum) {
  char text[17];
  std::snprintf(text, sizeof text, "%016" PRIx64, checksum);
  return text;
}

std::optional<Verdict> ParseVerdict(std::string_view text) {
  const size_t first = text.find('\n');
  if (first == std::string_view::npos) return std::nullopt;
  Verdict v;
  bool known = false;
  for (const OutcomeName& o : kOutcomes)
    if (text.substr(0, first) == o.name) {
      v.outcome = o.outcome;
      known = true;
    }
  if (!known) return std::nullopt;
  std::map<std::string_view, std::string_view> fields;
  for (size_t at = first + 1; at < text.size();) {
    const size_t end = text.find('\n', at);
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view line = text.substr(at, end - at);
    const size_t space = line.find(' ');
    if (space == std::string_view::npos || !fields.emplace(line.substr(0, space), line.substr(space + 1)).second)
      return std::nullopt;
    at = end + 1;
  }
  if (v.outcome == Outcome::kRefused) {
    auto it = fields.find("reason");
    if (it == fields.end() || it->second.empty() || fields.size() != 1) return std::nullopt;
    v.reason = std::string(it->second);
    return v;
  }
  auto game = fields.find("game");
  if (game == fields.end() || game->second.size() != 64) return std::nullopt;
  v.game = std::string(game->second);
  const bool common = Number(fields, "version", v.version) && Number(fields, "score", v.score) &&
                      Number(fields, "frames", v.frames);
  if (!common) return std::nullopt;
  if (v.outcome == Outcome::kValid) return fields.size() == 4 ? std::optional(v) : std::nullopt;
  if (!Number(fields, "stage", v.stage) || !Number(fields, "checksum", v.checksum, 16) || fields.size() != 6)
    return std::nullopt;
  return v;
}

}  // namespace verify
