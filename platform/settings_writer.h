#pragma once
// The game's changes to the player's settings file. The file is read again
// before each change and edited as text: the line of the one key is
// replaced, or a line is added at the end of its table (the table added at
// the end of the file when missing), so the player's comments, order and
// unknown keys stay. The result must read as the file did with exactly that
// change made before it is written, with the safe writer. The first change
// to a file the game did not write itself is preceded by a copy of it,
// settings.toml.bak, made once.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// `key` of `table` set to `value`, written as TOML ("\"window\"", "80",
// "true"); without a value, the key removed where it is there.
struct SettingChange {
  std::string table;
  std::string key;
  std::optional<std::string> value;
};

// Makes the changes in the TOML text `text`. False, with what is wrong in
// `error` and `text` untouched, when the text is no TOML or the edited text
// would not read as the same settings with the changes made.
bool EditSettingsText(std::string& text, const std::vector<SettingChange>& changes, std::string& error);

// What a change of the settings file came to.
struct SettingsSaved {
  bool saved = false;
  std::string error;   // why it was not saved (the file is as it was)
  std::string backup;  // the copy made of the player's file before this first change (empty: none)
};

// Changes the settings file of the player's config folder (settings.toml,
// created with a first line of the game's own when missing).
SettingsSaved SaveSettings(const std::vector<SettingChange>& changes);

// The display mode Alt+Enter remembered in state.toml before the settings
// file held it: when the settings file names no mode, it is written there;
// either way state.toml is then no longer needed and removed (it stays when
// the settings file cannot be written). The mode taken over, if any; what
// was done, for stderr, in `note`.
std::optional<bool> TakeOverRememberedMode(bool settingsNameAMode, std::string& note);

}  // namespace platform
