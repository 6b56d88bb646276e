#pragma once
// What solvara-verify says about a replay, as the lines it writes on its
// standard output and the board reads back: the outcome on the first line,
// then one "key value" line per field.
//
//   accepted              refused               valid (--identify)
//   game 3f0c...          reason the game ...   game 3f0c...
//   version 1                                   version 1
//   score 1120                                  score 1120
//   frames 1594                                 frames 1594
//   stage 1
//   checksum 9a3b...
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace verify {

// The processor time a verification of `frames` frames may take: start-up
// and a floor of 500 frames a second, a quarter of what a slow machine plays.
constexpr uint64_t CpuSecondsFor(uint32_t frames) { return 10 + frames / 500; }

struct Verdict {
  enum class Outcome { kAccepted, kRefused, kValid };
  Outcome outcome = Outcome::kRefused;
  std::string reason;  // refused: why, in one line
  std::string game;    // the game's identity (GameIdentity), hexadecimal
  uint32_t version = 0;
  int32_t score = 0;
  uint32_t frames = 0;
  int32_t stage = 0;       // accepted: the stage the game ended on, from 1
  uint64_t checksum = 0;   // accepted: the world's at the end

  static Verdict Refused(std::string reason);
};

std::string FormatVerdict(const Verdict& verdict);
// A world checksum as verdicts and the runner write it: 16 hexadecimal digits.
std::string ChecksumText(uint64_t checksum);
// Null when `text` is not a verdict as FormatVerdict writes them.
std::optional<Verdict> ParseVerdict(std::string_view text);

}  // namespace verify
