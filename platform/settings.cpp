#include "platform/settings.h"

#include <toml++/toml.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <utility>

#include "platform/board_rules.h"
#include "platform/files.h"
#include "platform/toml_nesting.h"
#include "platform/user_dirs.h"

namespace platform {

const char* const kControlNames[kControlCount] = {"up",      "down",    "left",    "right",
                                                  "button1", "button2", "button3", "pause"};

std::optional<VSync> VSyncNamed(std::string_view name) {
  constexpr std::pair<std::string_view, VSync> kNames[] = {{"auto", VSync::Auto}, {"on", VSync::On}, {"off", VSync::Off}};
  for (const auto& [named, choice] : kNames)
    if (name == named) return choice;
  return std::nullopt;
}

std::optional<Scaling> ScalingNamed(std::string_view name) {
  constexpr std::pair<std::string_view, Scaling> kNames[] = {{"fit", Scaling::Fit}, {"integer", Scaling::Integer}};
  for (const auto& [named, scaling] : kNames)
    if (name == named) return scaling;
  return std::nullopt;
}

namespace {

// Takes one value into the settings; empty when it is taken, else what is
// wrong with it.
using Setter = std::string (*)(const toml::node& value, Settings& settings);

std::string Volume(const toml::node& value, int& volume) {
  const std::optional<int64_t> v = value.value_exact<int64_t>();
  if (!v || *v < 0 || *v > 100) return "a whole number from 0 to 100";
  volume = static_cast<int>(*v);
  return {};
}

struct Entry {
  const char* table;
  const char* key;
  Setter take;
};
constexpr Entry kEntries[] = {
    {"display", "mode",
     [](const toml::node& value, Settings& s) -> std::string {
       const std::optional<std::string> v = value.value_exact<std::string>();
       if (v != "fullscreen" && v != "window") return "\"fullscreen\" or \"window\"";
       s.fullScreen = *v == "fullscreen";
       return {};
     }},
    {"display", "scale",
     [](const toml::node& value, Settings& s) -> std::string {
       const std::optional<Scaling> v = ScalingNamed(value.value_exact<std::string>().value_or(""));
       if (!v) return "\"fit\" or \"integer\"";
       s.scaling = *v;
       return {};
     }},
    {"display", "reduced_flashing",
     [](const toml::node& value, Settings& s) -> std::string {
       const std::optional<bool> v = value.value_exact<bool>();
       if (!v) return "true or false";
       s.reducedFlashing = *v;
       return {};
     }},
    {"display", "vsync",
     [](const toml::node& value, Settings& s) -> std::string {
       const std::optional<VSync> v = VSyncNamed(value.value_exact<std::string>().value_or(""));
       if (!v) return "\"auto\", \"on\" or \"off\"";
       s.vsync = *v;
       return {};
     }},
    {"sound", "music", [](const toml::node& value, Settings& s) { return Volume(value, s.musicVolume); }},
    {"sound", "effects", [](const toml::node& value, Settings& s) { return Volume(value, s.effectsVolume); }},
    {"online", "server",
     [](const toml::node& value, Settings& s) -> std::string {
       const std::optional<std::string> v = value.value_exact<std::string>();
       if (!v) return "an https:// address in quotes (\"\" sends nothing)";
       if (std::string why = v->empty() ? std::string() : BoardServerRefusal(*v); !why.empty()) return why;
       s.onlineServer = *v;
       return {};
     }},
    {"online", "name",
     [](const toml::node& value, Settings& s) -> std::string {
       const std::optional<std::string> v = value.value_exact<std::string>();
       if (!v) return "your name on the board, in quotes (\"\" sends nothing)";
       if (!v->empty() && !BoardNameRefusal(*v).empty())
         return "1-16 printable ASCII characters, not starting or ending with a space";
       s.onlineName = *v;
       return {};
     }},
};

// The [keys] and [pad] tables: a name per control (the pad steers with its
// stick and D-pad, so only its buttons are named).
struct ButtonTable {
  const char* table;
  std::array<ButtonName, kControlCount> Settings::*names;
  Control first;
};
constexpr ButtonTable kButtonTables[] = {
    {"keys", &Settings::keys, kUp},
    {"pad", &Settings::padButtons, kButton1},
};

// What is wrong with `key` = `value` of `table`: empty when it is taken,
// nothing when the setting does not exist.
std::optional<std::string> Take(const std::string& table, const std::string& key, const toml::node& value,
                                Settings& settings) {
  for (const Entry& entry : kEntries)
    if (table == entry.table && key == entry.key) return entry.take(value, settings);
  for (const ButtonTable& buttons : kButtonTables) {
    if (table != buttons.table) continue;
    for (int c = buttons.first; c < kControlCount; ++c) {
      if (key != kControlNames[c]) continue;
      const std::optional<std::string> name = value.value_exact<std::string>();
      if (!name || name->empty()) return "the name of a key or button, in quotes";
      (settings.*buttons.names)[c] = {*name, static_cast<int>(value.source().begin.line)};
      return std::string();
    }
  }
  return std::nullopt;
}

int Line(const toml::source_position& at) { return static_cast<int>(at.line); }

constexpr const char* kSettingsFile = "settings.toml";
// Where Alt+Enter remembered the display mode before the settings file held it.
constexpr const char* kStateFile = "state.toml";

// Settings are a few hundred bytes; a file larger than this is a mistake.
constexpr size_t kMaxSettingsBytes = 64 * 1024;
// Settings nest 2 deep ([table] key = value); the TOML parser recurses once
// per level.
constexpr int kMaxNesting = 16;



// Temporary files of a settings or state file whose writer died; no lock
// serialises those writers, so only old ones go.
bool SettingsOrState(std::string_view name) { return name == kSettingsFile || name == kStateFile; }
constexpr std::chrono::minutes kTemporaryAge{10};

// The mistakes one message lists (the window holds about this many below
// its heading); the rest are counted.
constexpr size_t kListedProblems = 10;

// A key's name as a line of stderr or the log may show it: control
// characters (a quoted key may hold any) as "?", and at most a few dozen
// bytes, cut between characters.
std::string Printable(std::string name) {
  constexpr size_t kShownBytes = 40;
  if (name.size() > kShownBytes) {
    size_t cut = kShownBytes;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    name = name.substr(0, cut) + "...";
  }
  for (char& c : name)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return name;
}

}  // namespace

std::optional<SettingsProblem> UnparsableSettings(std::string_view text) {
  constexpr const char* kKept = "; every setting keeps its default";
  if (text.size() > kMaxSettingsBytes)
    return SettingsProblem{0, "the file is larger than " + std::to_string(kMaxSettingsBytes / 1024) +
                                  " KiB, far more than settings take" + kKept};
  if (const int line = LineNestedDeeperThan(text, kMaxNesting))
    return SettingsProblem{line, "tables, keys or values nested more than " + std::to_string(kMaxNesting) +
                                     " levels deep" + kKept};
  return std::nullopt;
}

bool ReadSettingsText(const std::string& path, std::string& text, std::string& reason) {
  return ReadRegularFile(path, text, kMaxSettingsBytes + 1, nullptr, &reason);
}

Settings ParseSettings(std::string_view text, const std::string& fileName,
                       std::vector<SettingsProblem>& problems) {
  Settings settings;
  settings.file = fileName;
  if (const std::optional<SettingsProblem> problem = UnparsableSettings(text)) {
    problems.push_back(*problem);
    return settings;
  }
  toml::table document;
  try {
    document = toml::parse(text, fileName);
  } catch (const toml::parse_error& e) {
    problems.push_back({Line(e.source().begin), std::string(e.description()) + "; every setting keeps its default"});
    return settings;
  }
  for (const auto& [tableName, tableNode] : document) {
    const toml::table* table = tableNode.as_table();
    if (!table) {
      settings.unknownKeys.push_back({Line(tableNode.source().begin), std::string(tableName.str())});
      continue;
    }
    for (const auto& [key, value] : *table) {
      const std::string name = "[" + std::string(tableName.str()) + "] " + std::string(key.str());
      const std::optional<std::string> wrong =
          Take(std::string(tableName.str()), std::string(key.str()), value, settings);
      if (!wrong) settings.unknownKeys.push_back({Line(value.source().begin), name});
      else if (!wrong->empty()) problems.push_back({Line(value.source().begin), name + " must be " + *wrong});
    }
  }
  return settings;
}

Settings LoadSettings(std::vector<SettingsProblem>& problems) {
  for (const std::string& dir : {ConfigDir(), StateDir()})
    if (!dir.empty()) RemoveLeftoverTemporariesIn(dir, SettingsOrState, kTemporaryAge);
  const std::string path = ConfigDir() + "/" + kSettingsFile;
  std::string text;  // nothing: every default
  std::error_code ec;
  std::string reason;
  if (std::filesystem::exists(path, ec) && !ReadSettingsText(path, text, reason))
    problems.push_back({0, "the file cannot be read; every setting keeps its default"});
  return ParseSettings(text, path, problems);
}

std::string ProblemsMessage(const std::string& fileName, std::vector<SettingsProblem> problems) {
  std::stable_sort(problems.begin(), problems.end(),
                   [](const SettingsProblem& a, const SettingsProblem& b) { return a.line < b.line; });
  std::string text = "Mistakes in " + fileName + "; what they name keeps its default:";
  for (size_t i = 0; i < problems.size() && i < kListedProblems; ++i)
    text += "\n" + (problems[i].line > 0 ? "line " + std::to_string(problems[i].line) + ": " : std::string()) +
            problems[i].what;
  if (problems.size() > kListedProblems) text += "\nand " + std::to_string(problems.size() - kListedProblems) + " more";
  return text;
}

std::string UnknownKeysNote(const Settings& settings) {
  if (settings.unknownKeys.empty()) return {};
  std::vector<SettingsProblem> keys = settings.unknownKeys;
  std::stable_sort(keys.begin(), keys.end(),
                   [](const SettingsProblem& a, const SettingsProblem& b) { return a.line < b.line; });
  std::string text = settings.file + " names settings this version does not know (they stay in the file, unused):";
  for (size_t i = 0; i < keys.size() && i < kListedProblems; ++i)
    text += (i ? ", line " : " line ") + std::to_string(keys[i].line) + " " + Printable(keys[i].what);
  if (keys.size() > kListedProblems) text += " and " + std::to_string(keys.size() - kListedProblems) + " more";
  return text;
}

}  // namespace platform
