#include "app/probe/key_script.h"

#include <charconv>
#include <sstream>

namespace probe {

const KeyName kKeyNames[22] = {
    {"Up", kKeyUp},          {"Down", kKeyDown}, {"Left", kKeyLeft}, {"Right", kKeyRight},
    {"Z", kKeyZ},            {"X", kKeyX},       {"C", kKeyC},       {"V", kKeyV},
    {"Escape", kKeyEscape},  {"P", kKeyP},       {"Enter", kKeyEnter}, {"PadA", kKeyPadA},
    {"PadB", kKeyPadB},      {"PadStart", kKeyPadStart}, {"PadRB", kKeyPadRightShoulder},
    {"PadUp", kKeyPadUp},    {"PadDown", kKeyPadDown},   {"PadLeft", kKeyPadLeft}, {"PadRight", kKeyPadRight},
    {"FocusOut", kFocusOut}, {"FocusIn", kFocusIn},      {"PadGone", kPadGone},
};

namespace {

bool ParseFrame(std::string_view text, int& frame) {
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), frame);
  return ec == std::errc() && p == text.data() + text.size() && frame >= 1;
}

bool ParseKeys(const std::string& text, uint32_t& keys) {
  keys = 0;
  size_t start = 0;
  for (;;) {
    size_t plus = text.find('+', start);
    std::string name = text.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
    bool known = false;
    for (const KeyName& k : kKeyNames)
      if (name == k.name) {
        keys |= k.key;
        known = true;
      }
    if (!known) return false;
    if (plus == std::string::npos) return true;
    start = plus + 1;
  }
}

}  // namespace

bool KeyScript::Parse(std::istream& in, std::string& error) {
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    // Text to type: FROM "TEXT".
    const size_t quote = line.find('"'), hash = line.find('#');
    if (quote != std::string::npos && quote < hash) {
      const size_t last = line.rfind('"');
      std::istringstream frame(line.substr(0, quote)), after(line.substr(last + 1));
      std::string from, extra;
      Typed typed{0, line.substr(quote + 1, last - quote - 1)};
      frame >> from;
      if (last == quote || !ParseFrame(from, typed.frame) || (frame >> extra) || ((after >> extra) && extra[0] != '#')) {
        error = "line " + std::to_string(number) + ": expected FRAME \"TEXT\"";
        return false;
      }
      typed_.push_back(std::move(typed));
      continue;
    }
    if (hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    std::string frames, keys, extra;
    if (!(words >> frames)) continue;
    const std::string where = "line " + std::to_string(number) + ": ";
    if (!(words >> keys) || (words >> extra)) {
      error = where + "expected FRAMES KEY[+KEY...]";
      return false;
    }
    Range r{};
    const size_t dash = frames.find('-');
    const std::string_view text(frames);
    bool ok;
    if (dash == std::string::npos) {
      ok = ParseFrame(text, r.from);
      r.to = r.from;
    } else if (dash + 1 == frames.size()) {
      ok = ParseFrame(text.substr(0, dash), r.from);
      r.to = -1;
    } else {
      ok = ParseFrame(text.substr(0, dash), r.from) && ParseFrame(text.substr(dash + 1), r.to) && r.to >= r.from;
    }
    if (!ok) {
      error = where + "bad frames " + frames;
      return false;
    }
    if (!ParseKeys(keys, r.keys)) {
      error = where + "unknown key in " + keys;
      return false;
    }
    ranges_.push_back(r);
  }
  return true;
}

uint32_t KeyScript::AllKeys() const {
  uint32_t keys = 0;
  for (const Range& r : ranges_) keys |= r.keys;
  return keys;
}

std::string KeyScript::TextAt(int frame) const {
  std::string text;
  for (const Typed& t : typed_)
    if (t.frame == frame) text += t.text;
  return text;
}

uint32_t KeyScript::KeysAt(int frame) const {
  uint32_t keys = 0;
  for (const Range& r : ranges_)
    if (frame >= r.from && (r.to < 0 || frame <= r.to)) keys |= r.keys;
  return keys;
}

}  // namespace probe
