#pragma once
// The player's settings: settings.toml in the player's config folder,
// written by the player and by the game's Options (platform/settings_writer.h,
// which keeps the player's lines as they are).
//
//   [display]
//   mode = "fullscreen"        # or "window"
//   scale = "fit"              # or "integer"
//   reduced_flashing = false   # at most three flashes a second
//   vsync = "auto"             # or "on", "off"
//   [sound]
//   music = 100                # 0-100
//   effects = 100
//   [keys]                     # by the name printed on the key
//   up = "Up"  down = "Down"  left = "Left"  right = "Right"
//   button1 = "Z"  button2 = "X"  button3 = "C"  pause = "P"
//   [pad]                      # a game controller's buttons
//   button1 = "a"  button2 = "b"  button3 = "x"  pause = "start"
//   [online]                   # a shared-ranking board (solvara-board); both
//   server = ""                # empty: nothing is ever sent. An https:// address
//   name = ""                  # (http:// for this machine only); 1-16 characters
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/display.h"

namespace platform {

// What the keys and pad buttons of the settings control, in table order.
enum Control { kUp, kDown, kLeft, kRight, kButton1, kButton2, kButton3, kPause, kControlCount };
// Their names in the settings ("up" ... "pause").
extern const char* const kControlNames[kControlCount];

// A key or button named in the settings, with the line that names it (for
// the message when no key has that name). Empty: the default.
struct ButtonName {
  std::string name;
  int line = 0;
};

// A mistake in the settings file: its line (0: the file as a whole) and
// what is wrong.
struct SettingsProblem {
  int line;
  std::string what;
};

struct Settings {
  std::string file;  // where they were read from
  std::optional<bool> fullScreen;
  std::optional<Scaling> scaling;
  bool reducedFlashing = false;
  VSync vsync = VSync::Auto;
  int musicVolume = 100;  // percent
  int effectsVolume = 100;
  std::array<ButtonName, kControlCount> keys;
  std::array<ButtonName, kControlCount> padButtons;  // button1-3 and pause only
  // The board games are sent to when the player asks, and the name they go
  // under (platform/board_rules.h); either empty: none is ever sent.
  std::string onlineServer;
  std::string onlineName;
  // The keys the game does not know (a newer version's, a mistyped name),
  // with their lines: no mistake, they stay in the file unused.
  std::vector<SettingsProblem> unknownKeys;
};

// The vertical sync and scaling choices by the names the settings and the
// command line give them; none for any other name.
std::optional<VSync> VSyncNamed(std::string_view name);
std::optional<Scaling> ScalingNamed(std::string_view name);

// Why a settings or state text must not reach the TOML parser, which
// recurses once per level of nesting: larger than settings are, or nested
// deeper than they are by far (platform/toml_nesting.h). Nothing when it
// may.
std::optional<SettingsProblem> UnparsableSettings(std::string_view text);

// The whole of a settings or state file, up to one byte past the largest
// settings file (UnparsableSettings refuses it then); false with the reason
// when it cannot be read (missing, not a regular file: a folder, a named
// pipe, a device).
bool ReadSettingsText(const std::string& path, std::string& text, std::string& reason);

// Reads settings from the TOML text of the file `fileName`. Whatever is
// wrong keeps its default and is one of `problems` (a file that is no TOML
// at all keeps every default); a key the game does not know is one of the
// settings' unknownKeys.
Settings ParseSettings(std::string_view text, const std::string& fileName, std::vector<SettingsProblem>& problems);

// The settings file of the player's config folder. Without one, the
// defaults (and no problem).
Settings LoadSettings(std::vector<SettingsProblem>& problems);

// The one message that tells the player the mistakes of the file, in the
// order of their lines.
std::string ProblemsMessage(const std::string& fileName, std::vector<SettingsProblem> problems);

// The keys of the file the game does not know, in one line for stderr and
// the debug log; empty when there are none.
std::string UnknownKeysNote(const Settings& settings);

}  // namespace platform
