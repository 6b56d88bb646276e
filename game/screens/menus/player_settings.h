#pragma once
// The player's settings while the game runs: what the settings file and the
// command line chose, applied to the platform and to the form, changed by
// Options and saved back into the file. The one place the game hands the
// player's choices (window, volumes, keys and pad buttons) to the platform:
// they are the framework's, not the library components' (the picture's
// scaling alone is the draw component's).
#include <array>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "platform/bindings.h"
#include "platform/settings.h"
#include "platform/settings_writer.h"

namespace game {

class TForm1;

// The settings an Options entry shows and changes, each a number: the index
// of its choice, or a volume in percent.
enum SettingId : uint8_t {
  kSettingMode,             // 0 full screen, 1 window
  kSettingScale,            // platform::Scaling
  kSettingVSync,            // platform::VSync
  kSettingMusic,            // percent
  kSettingEffects,          // percent
  kSettingReducedFlashing,  // 0 off, 1 on
  kSettingCount,
};

struct PlayerSettings {
  std::array<int, kSettingCount> values = {0, 0, 0, 100, 100, 0};
  platform::Bindings bindings;
  // The command-line option that chose a setting for this run only (null:
  // the file's choice); a change in Options ends it.
  std::array<const char*, kSettingCount> overriddenBy{};
  // The shared-ranking board games are sent to, and the name they go under
  // (either empty: none is sent).
  std::string onlineServer;
  std::string onlineName;

  bool FullScreen() const { return values[kSettingMode] == 0; }
};

// What the settings file (already read) says, with the bindings its names
// give; the rest keep their defaults.
PlayerSettings FromFile(const platform::Settings& file, const platform::Bindings& bindings);

// A choice as Options shows it and as the file writes it.
struct Choice {
  const char* label;
  const char* toml;
};
// The choices of a setting; empty for a volume.
std::span<const Choice> ChoicesOf(SettingId setting);
// Volumes go in steps of this much, from 0 to 100.
constexpr int kVolumeStep = 5;

// Applies every setting to the platform and the form (at start).
void ApplyAll(TForm1& form);
// Sets one setting, applies it at once and saves it; a command-line
// override of it ends.
void ChangeSetting(TForm1& form, SettingId setting, int value);
// Gives `control` the key (keyboard) or button (pad) `code`; the control
// that had it takes the one `control` had, so none is left without.
void BindControl(TForm1& form, platform::Control control, bool pad, int code);
// Back to the keys and buttons by place: the file's [keys] and [pad]
// entries go.
void ResetControls(TForm1& form);

// The name printed on a control's key, the label on its pad button.
std::string KeyName(int scanCode);
std::string PadLabel(platform::PadButton button);

// Writes changes into the settings file. One that cannot be written still
// applies for this run: the player is told why once (each reason once),
// and the menus' notice line says so.
void SaveChanges(TForm1& form, const std::vector<platform::SettingChange>& changes);

}  // namespace game
