#include "platform/settings_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <toml++/toml.h>

#include <cerrno>
#include <cstdio>
#include <sstream>
#include <system_error>

#include "platform/files.h"
#include "platform/settings.h"
#include "platform/user_dirs.h"

namespace platform {
namespace {

constexpr const char* kSettingsFile = "settings.toml";
constexpr const char* kBackupSuffix = ".bak";
constexpr const char* kStateFile = "state.toml";
constexpr const char* kFullScreenState = "fullscreen";
// The first line of a settings file the game made itself: no copy of it is
// kept before a change.
constexpr std::string_view kOwnFirstLine = "# SOLVARA 2001 settings, made by the game's Options";
// UTF-8's byte-order mark, which some editors write first.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// ---------------------------------------------------------------- lines

bool BareKeyCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

size_t SkipBlanks(std::string_view line, size_t at) {
  while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
  return at;
}

// A bare or quoted key starting at `at`: its name and where it ends; empty
// when there is none. (A basic quoted key with escapes is not taken apart:
// the edited text then reads differently and is refused.)
std::string_view KeyAt(std::string_view line, size_t at, size_t& end) {
  if (at < line.size() && (line[at] == '"' || line[at] == '\'')) {
    const size_t close = line.find(line[at], at + 1);
    if (close == std::string_view::npos) return {};
    end = close + 1;
    return line.substr(at + 1, close - at - 1);
  }
  end = at;
  while (end < line.size() && BareKeyCharacter(line[end])) ++end;
  return line.substr(at, end - at);
}

// What a line is to the editor.
struct Line {
  enum Kind { kOther, kHeader, kKeyValue } kind = kOther;
  std::string_view name;  // the table of a header ("" for any table but a plain one), the key of a key line
  size_t valueStart = 0;  // key lines: where the value starts
};

Line Classify(std::string_view line) {
  Line result;
  const size_t start = SkipBlanks(line, 0);
  if (start >= line.size()) return result;
  if (line[start] == '[') {
    result.kind = Line::kHeader;
    // [[array]] and [dotted.names] are other tables than ours.
    if (start + 1 < line.size() && line[start + 1] == '[') return result;
    size_t end;
    const std::string_view name = KeyAt(line, SkipBlanks(line, start + 1), end);
    if (SkipBlanks(line, end) < line.size() && line[SkipBlanks(line, end)] == ']') result.name = name;
    return result;
  }
  size_t end;
  const std::string_view key = KeyAt(line, start, end);
  const size_t equals = SkipBlanks(line, end);
  if (key.empty() || equals >= line.size() || line[equals] != '=') return result;
  result.kind = Line::kKeyValue;
  result.name = key;
  result.valueStart = SkipBlanks(line, equals + 1);
  return result;
}

// Where the one-line value starting at `at` ends (a comment and the line's
// end stay after it).
size_t ValueEnd(std::string_view line, size_t at) {
  if (at < line.size() && (line[at] == '"' || line[at] == '\'')) {
    const char quote = line[at];
    for (size_t i = at + 1; i < line.size(); ++i) {
      if (quote == '"' && line[i] == '\\') ++i;
      else if (line[i] == quote) return i + 1;
    }
    return line.size();
  }
  size_t end = at;
  while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '#' && line[end] != '\r') ++end;
  return end;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// One change on the lines of the text; `newline` ends added lines.
void EditLines(std::vector<std::string>& lines, const SettingChange& change, const std::string& newline) {
  const std::string cr = newline.size() > 1 ? "\r" : "";
  bool inTable = false, tableFound = false, keyFound = false;
  size_t insertAt = 0;
  for (size_t i = 0; i < lines.size();) {
    const Line line = Classify(lines[i]);
    if (line.kind == Line::kHeader) {
      inTable = line.name == change.table;
      if (inTable) {
        tableFound = true;
        insertAt = i + 1;
      }
    } else if (inTable && line.kind == Line::kKeyValue) {
      if (line.name == change.key) {
        keyFound = true;
        if (!change.value) {
          lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
          continue;
        }
        std::string& text = lines[i];
        text.replace(line.valueStart, ValueEnd(text, line.valueStart) - line.valueStart, *change.value);
      }
      insertAt = i + 1;
    }
    ++i;
  }
  if (keyFound || !change.value) return;
  const std::string added = change.key + " = " + *change.value + cr;
  if (tableFound) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), added);
    return;
  }
  if (!lines.empty() && !lines.back().empty() && lines.back() != "\r") lines.push_back(cr);
  lines.push_back("[" + change.table + "]" + cr);
  lines.push_back(added);
}

// The document with the changes made through the parser: what the edited
// text must read as.
bool Expected(toml::table& document, const std::vector<SettingChange>& changes, std::string& error) {
  for (const SettingChange& change : changes) {
    // A key that is not there is removed already: no table is made for it.
    if (!change.value) {
      if (toml::table* table = document.get_as<toml::table>(change.table)) table->erase(change.key);
      continue;
    }
    toml::node* tableNode = document.get(change.table);
    if (!tableNode) tableNode = &document.insert_or_assign(change.table, toml::table{}).first->second;
    toml::table* table = tableNode->as_table();
    if (!table) {
      error = change.table + " is not a table";
      return false;
    }
    try {
      const toml::table value = toml::parse("v = " + *change.value);
      table->insert_or_assign(change.key, *value.get("v"));
    } catch (const toml::parse_error& e) {
      error = "the value " + *change.value + " is no TOML value";
      return false;
    }
  }
  return true;
}

std::string Reason(int code) { return std::error_code(code, std::generic_category()).message(); }

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// A copy of the player's file beside it, with its permission bits, never
// over one that is there.
bool Backup(const std::string& path, const std::string& text, std::string& backup, std::string& error) {
  const std::string copy = path + kBackupSuffix;
  if (Exists(copy)) return true;
  struct stat st;
  const mode_t mode = stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0600;
  std::string why;
  if (!WriteFileAtomically(copy, text.data(), text.size(), &why)) {
    error = "your file could not be copied to " + copy + " first: " + why;
    return false;
  }
  if (chmod(copy.c_str(), mode) != 0) {
    error = "your file's copy " + copy + " could not take its permissions: " + Reason(errno);
    return false;
  }
  backup = copy;
  return true;
}

}  // namespace

bool EditSettingsText(std::string& text, const std::vector<SettingChange>& changes, std::string& error) {
  if (const std::optional<SettingsProblem> problem = UnparsableSettings(text)) {
    error = (problem->line > 0 ? "line " + std::to_string(problem->line) + ": " : std::string()) + problem->what;
    return false;
  }
  toml::table expected;
  try {
    expected = toml::parse(text);
  } catch (const toml::parse_error& e) {
    error = "line " + std::to_string(e.source().begin.line) + " is no TOML (" + std::string(e.description()) +
            "): the game changes the file once that is mended";
    return false;
  }
  if (!Expected(expected, changes, error)) return false;

  const std::string newline = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
  // A byte-order mark stays where it is, before the first line.
  const std::string_view mark = text.starts_with(kByteOrderMark) ? kByteOrderMark : "";
  std::vector<std::string> lines = SplitLines(text.substr(mark.size()));
  for (const SettingChange& change : changes) EditLines(lines, change, newline);
  std::string edited(mark);
  for (const std::string& line : lines) edited += line + (line.ends_with('\r') ? "\n" : newline);
  try {
    if (toml::parse(edited) == expected) {
      text = std::move(edited);
      return true;
    }
  } catch (const toml::parse_error&) {
  }
  error = "the file is written in a way the game cannot change line by line";
  return false;
}

SettingsSaved SaveSettings(const std::vector<SettingChange>& changes) {
  SettingsSaved result;
  const std::string folder = ConfigDir();
  if (folder.empty()) {
    result.error = "there is no home folder to keep settings in";
    return result;
  }
  const std::string path = folder + "/" + kSettingsFile;
  const bool existing = Exists(path);
  std::string original;
  std::string why;
  if (existing && !ReadSettingsText(path, original, why)) {
    result.error = path + ": " + why;
    return result;
  }
  std::string text = existing ? original : std::string(kOwnFirstLine) + "\n";
  if (!EditSettingsText(text, changes, why)) {
    result.error = path + ": " + why;
    return result;
  }
  // A file that will not be written is not copied either.
  if (existing && faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
    result.error = path + ": " + Reason(errno);
    return result;
  }
  if (existing && !original.starts_with(kOwnFirstLine) && !Backup(path, original, result.backup, result.error))
    return result;
  if (!MakeFolders(folder, &result.error) || !WriteFileAtomically(path, text.data(), text.size(), &result.error))
    return result;
  result.saved = true;
  return result;
}

std::optional<bool> TakeOverRememberedMode(bool settingsNameAMode, std::string& note) {
  const std::string state = StateDir().empty() ? std::string() : StateDir() + "/" + kStateFile;
  std::string text, error;
  if (state.empty() || !Exists(state) || !ReadSettingsText(state, text, error)) return std::nullopt;
  std::optional<bool> fullScreen;
  // Damaged, or too deep for the parser: nothing to take over.
  if (!UnparsableSettings(text)) {
    try {
      fullScreen = toml::parse(text)[kFullScreenState].value_exact<bool>();
    } catch (const toml::parse_error&) {
    }
  }
  if (fullScreen && !settingsNameAMode) {
    const SettingsSaved saved = SaveSettings({{"display", "mode", *fullScreen ? "\"fullscreen\"" : "\"window\""}});
    if (!saved.saved) {
      note = "the display mode stays in " + state + " for now: " + saved.error;
      return fullScreen;
    }
    note = "the display mode of " + state + " is in the settings file now";
    if (!saved.backup.empty()) note += " (your file was copied to " + saved.backup + " first)";
  }
  std::remove(state.c_str());
  return settingsNameAMode ? std::nullopt : fullScreen;
}

}  // namespace platform
