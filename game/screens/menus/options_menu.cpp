// Options, from the title menu and the pause menu: the display, the sound,
// the controls (controls_menu.cpp), accessibility and the shared ranking
// (online_options.cpp). Every change applies at once and is saved in the
// settings file.
#include <algorithm>

#include "game/form.h"
#include "game/screens/menus/menu.h"
#include "game/screens/menus/online_menu.h"
#include "game/screens/menus/player_settings.h"

namespace game {
namespace {

// A setting's value, with the command-line option that chose it for this run.
MenuValue Shown(const TForm1& f, int setting, std::string text) {
  MenuValue value{std::move(text), true, {}};
  if (const char* option = f.playerSettings.overriddenBy[setting]) value.note = std::string("(") + option + ")";
  return value;
}

// A setting chosen among a few: Left and Right go through the choices, so
// does Enter.
MenuValue ChoiceValue(const TForm1& f, int setting) {
  return Shown(f, setting, ChoicesOf(static_cast<SettingId>(setting))[f.playerSettings.values[setting]].label);
}

void StepChoice(TForm1& f, int setting, int direction) {
  const int count = static_cast<int>(ChoicesOf(static_cast<SettingId>(setting)).size());
  ChangeSetting(f, static_cast<SettingId>(setting), (f.playerSettings.values[setting] + direction + count) % count);
}

void NextChoice(TForm1& f, int setting) { StepChoice(f, setting, 1); }

// A volume: Left and Right take it down and up a step.
MenuValue VolumeValue(const TForm1& f, int setting) {
  return Shown(f, setting, std::to_string(f.playerSettings.values[setting]));
}

void StepVolume(TForm1& f, int setting, int direction) {
  const int now = f.playerSettings.values[setting];
  const int next = std::clamp(now + direction * kVolumeStep, 0, 100);
  if (next != now) ChangeSetting(f, static_cast<SettingId>(setting), next);
}

constexpr MenuEntry Choose(const char* label, SettingId setting) {
  return {label, NextChoice, StepChoice, ChoiceValue, setting};
}
constexpr MenuEntry Volume(const char* label, SettingId setting) {
  return {label, nullptr, StepVolume, VolumeValue, setting};
}

constexpr int kSettingsTop = 176;

constexpr MenuEntry kDisplayEntries[] = {
    Choose("MODE", kSettingMode),
    Choose("SCALE", kSettingScale),
    Choose("VERTICAL SYNC", kSettingVSync),
    Back(),
};
const MenuPage kDisplayMenu = {"display", "DISPLAY", kDisplayEntries, MenuLayout::kSettings, kSettingsTop};

constexpr MenuEntry kSoundEntries[] = {
    Volume("MUSIC", kSettingMusic),
    Volume("EFFECTS", kSettingEffects),
    Back(),
};
const MenuPage kSoundMenu = {"sound", "SOUND", kSoundEntries, MenuLayout::kSettings, kSettingsTop};

constexpr MenuEntry kAccessibilityEntries[] = {
    Choose("REDUCED FLASHING", kSettingReducedFlashing),
    Back(),
};
const MenuPage kAccessibilityMenu = {"accessibility", "ACCESSIBILITY", kAccessibilityEntries,
                                     MenuLayout::kSettings, kSettingsTop};

constexpr MenuEntry kEntries[] = {
    Submenu("DISPLAY", kDisplayMenu),
    Submenu("SOUND", kSoundMenu),
    Submenu("CONTROLS", kControlsMenu),
    Submenu("ACCESSIBILITY", kAccessibilityMenu),
    Submenu("ONLINE", kOnlineOptionsMenu),
    Back(),
};

}  // namespace

const MenuPage kOptionsMenu = {"options", "OPTIONS", kEntries, MenuLayout::kList, 176};

}  // namespace game
