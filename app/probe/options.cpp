#include "app/probe/options.h"

#include <charconv>
#include <cstring>

namespace probe {
namespace {

bool ParseInt(const std::string& text, long long low, long long high, long long& value) {
  const char* end = text.data() + text.size();
  auto [p, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && p == end && value >= low && value <= high;
}

struct OptionEntry {
  const char* name;
  const char* argument;  // null: a flag without a value
  const char* help;
  // Stores the value; false when it is malformed.
  bool (*apply)(Options& options, const std::string& value);
};

const OptionEntry kOptions[] = {
    {"--frames", "N", "frames to run (default 1000)",
     [](Options& o, const std::string& v) {
       long long n;
       if (!ParseInt(v, 0, 100000000, n)) return false;
       o.frames = static_cast<int>(n);
       return true;
     }},
    {"--seed", "S", "seed of the random generator (default 1)",
     [](Options& o, const std::string& v) {
       long long n;
       if (!ParseInt(v, 0, 0xFFFFFFFFll, n)) return false;
       o.seed = static_cast<uint32_t>(n);
       return true;
     }},
    {"--home", "DIR", "folder of score.dat (default: a fresh temporary folder)",
     [](Options& o, const std::string& v) {
       o.home = v;
       return !v.empty();
     }},
    {"--assets", "DIR", "folder holding bmp/ and sound/ (default: the build's)",
     [](Options& o, const std::string& v) {
       o.assets = v;
       return !v.empty();
     }},
    {"--keys", "FILE", "key script: FROM-TO KEY[+KEY...], FROM KEY, FROM- KEY",
     [](Options& o, const std::string& v) {
       o.keys = v;
       return !v.empty();
     }},
    {"--shot", "FRAME:FILE.png", "screenshot of a frame (repeatable)",
     [](Options& o, const std::string& v) {
       size_t colon = v.find(':');
       long long frame;
       if (colon == std::string::npos || colon + 1 == v.size() ||
           !ParseInt(v.substr(0, colon), 1, 100000000, frame))
         return false;
       o.shots.emplace_back(static_cast<int>(frame), v.substr(colon + 1));
       return true;
     }},
    {"--trace", "FILE.jsonl", "one JSON object per frame",
     [](Options& o, const std::string& v) {
       o.trace = v;
       return !v.empty();
     }},
    {"--invincible", nullptr, "the ship is never hit (for checks only)",
     [](Options& o, const std::string&) {
       o.invincible = true;
       return true;
     }},
    {"--bot", nullptr, "a simple pilot starts and plays one game",
     [](Options& o, const std::string&) {
       o.bot = true;
       return true;
     }},
    {"--log", "FILE", "the library's debug log, traced from before the form is created",
     [](Options& o, const std::string& v) {
       o.logFile = v;
       return !v.empty();
     }},
    {"--profile", nullptr, "with --log: time every library method and end the log with the report",
     [](Options& o, const std::string&) {
       o.profile = true;
       return true;
     }},
    {"--wav", "FILE.wav", "record the sound of the run: effects and music (TimGM6mb), 44.1 kHz 16-bit stereo",
     [](Options& o, const std::string& v) {
       o.wav = v;
       return !v.empty();
     }},
};

}  // namespace

bool ParseOptions(int argc, const char* const argv[], Options& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const OptionEntry* entry = nullptr;
    for (const OptionEntry& option : kOptions)
      if (arg == option.name) entry = &option;
    if (!entry) {
      error = "unknown option " + arg;
      return false;
    }
    std::string value;
    if (entry->argument) {
      if (i + 1 >= argc) {
        error = arg + " needs " + entry->argument;
        return false;
      }
      value = argv[++i];
    }
    if (!entry->apply(options, value)) {
      error = "bad value for " + arg + ": " + value;
      return false;
    }
  }
  return true;
}

std::string Usage() {
  std::string text = "usage: solvara-probe [options]\n";
  for (const OptionEntry& option : kOptions) {
    std::string left =
        std::string("  ") + option.name + (option.argument ? std::string(" ") + option.argument : "");
    if (left.size() < 26) left.resize(26, ' ');
    text += left + " " + option.help + "\n";
  }
  return text;
}

}  // namespace probe
