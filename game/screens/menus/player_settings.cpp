#include "game/screens/menus/player_settings.h"

#include <cstdio>
#include <utility>

#include "game/form.h"
#include "platform/display.h"
#include "platform/input.h"
#include "platform/platform.h"
#include "platform/sound.h"
#include "vantor/draw/draw.h"
#include "vantor/input/input.h"
#include "vantor/sound/sound.h"

namespace game {
namespace {

using platform::Control;
using VantorInputSystem::TInputKeys;
using VantorInputSystem::TVantorInput;

constexpr Choice kModes[] = {{"FULL SCREEN", "\"fullscreen\""}, {"WINDOW", "\"window\""}};
constexpr Choice kScalings[] = {{"FIT", "\"fit\""}, {"INTEGER", "\"integer\""}};
constexpr Choice kVSyncs[] = {{"AUTO", "\"auto\""}, {"ON", "\"on\""}, {"OFF", "\"off\""}};
constexpr Choice kSwitch[] = {{"OFF", "false"}, {"ON", "true"}};
static_assert(static_cast<int>(platform::Scaling::Integer) == 1 && static_cast<int>(platform::VSync::Off) == 2);

// The effect heard while the effects volume changes: the one of a collected item.
constexpr const char* kVolumeEffect = "02";

struct Setting {
  const char* table;
  const char* key;
  std::span<const Choice> choices;  // empty: a volume
  void (*apply)(TForm1& form, int value);
};
const Setting kSettings[kSettingCount] = {
    {"display", "mode", kModes, [](TForm1&, int v) { platform::Current().app->SetFullScreen(v == 0); }},
    {"display", "scale", kScalings, [](TForm1& f, int v) { f.cdraw->SetScaling(static_cast<platform::Scaling>(v)); }},
    {"display", "vsync", kVSyncs, [](TForm1& f, int v) { f.vsync = static_cast<platform::VSync>(v); }},
    {"sound", "music", {}, [](TForm1&, int v) { platform::Current().sound->SetMusicVolume(v); }},
    {"sound", "effects", {}, [](TForm1&, int v) { platform::Current().sound->SetEffectsVolume(v); }},
    {"display", "reduced_flashing", kSwitch, [](TForm1& f, int v) { f.reducedFlashing = v != 0; }},
};

// The input component's key of each control the settings name; the pause
// key is the form's to tell (IsPauseKey).
constexpr std::pair<Control, TInputKeys TVantorInput::*> kKeyProperties[] = {
    {platform::kUp, &TVantorInput::KeyUp},           {platform::kDown, &TVantorInput::KeyDown},
    {platform::kLeft, &TVantorInput::KeyLeft},       {platform::kRight, &TVantorInput::KeyRight},
    {platform::kButton1, &TVantorInput::KeyButton1}, {platform::kButton2, &TVantorInput::KeyButton2},
    {platform::kButton3, &TVantorInput::KeyButton3},
};

void ApplyBindings(TForm1& f) {
  const platform::Bindings& b = f.playerSettings.bindings;
  for (const auto& [control, property] : kKeyProperties)
    VantorInputSystem::KeyOfScanCode(b.keys[control], (*f.chip).*property);
  platform::Current().input->SetPadButtons(b.PadButtons());
}

std::string TomlOf(SettingId setting, int value) {
  const Setting& s = kSettings[setting];
  if (s.choices.empty()) return std::to_string(value);
  return s.choices[value].toml;
}

// "X" for the file: a key by the name printed on it, a button by its name.
std::string NameInFile(bool pad, int code) {
  return "\"" + (pad ? std::string(platform::PadButtonName(static_cast<platform::PadButton>(code)))
                     : KeyName(code)) + "\"";
}

}  // namespace

std::span<const Choice> ChoicesOf(SettingId setting) { return kSettings[setting].choices; }

PlayerSettings FromFile(const platform::Settings& file, const platform::Bindings& bindings) {
  PlayerSettings s;
  s.values[kSettingMode] = file.fullScreen.value_or(true) ? 0 : 1;
  s.values[kSettingScale] = static_cast<int>(file.scaling.value_or(platform::Scaling::Fit));
  s.values[kSettingVSync] = static_cast<int>(file.vsync);
  s.values[kSettingMusic] = file.musicVolume;
  s.values[kSettingEffects] = file.effectsVolume;
  s.values[kSettingReducedFlashing] = file.reducedFlashing ? 1 : 0;
  s.bindings = bindings;
  s.onlineServer = file.onlineServer;
  s.onlineName = file.onlineName;
  return s;
}

void ApplyAll(TForm1& f) {
  for (int s = 0; s < kSettingCount; ++s) kSettings[s].apply(f, f.playerSettings.values[s]);
  ApplyBindings(f);
}

void ChangeSetting(TForm1& f, SettingId setting, int value) {
  PlayerSettings& p = f.playerSettings;
  p.values[setting] = value;
  p.overriddenBy[setting] = nullptr;
  kSettings[setting].apply(f, value);
  if (setting == kSettingEffects) f.csou->PlayOverPause(kVolumeEffect);
  SaveChanges(f, {{kSettings[setting].table, kSettings[setting].key, TomlOf(setting, value)}});
}

void BindControl(TForm1& f, Control control, bool pad, int code) {
  platform::Bindings& b = f.playerSettings.bindings;
  auto get = [&](int c) { return pad ? static_cast<int>(b.pad[c]) : static_cast<int>(b.keys[c]); };
  auto set = [&](int c, int value) {
    if (pad) b.pad[c] = static_cast<platform::PadButton>(value);
    else b.keys[c] = static_cast<uint8_t>(value);
  };
  const char* table = pad ? "pad" : "keys";
  std::vector<platform::SettingChange> changes = {{table, platform::kControlNames[control], NameInFile(pad, code)}};
  const int old = get(control);
  for (int other = platform::FirstControl(pad); other < platform::kControlCount; ++other)
    if (other != control && get(other) == code) {
      set(other, old);
      changes.push_back({table, platform::kControlNames[other], NameInFile(pad, old)});
    }
  set(control, code);
  ApplyBindings(f);
  SaveChanges(f, changes);
}

void ResetControls(TForm1& f) {
  f.playerSettings.bindings = platform::Bindings();
  ApplyBindings(f);
  std::vector<platform::SettingChange> changes;
  for (bool pad : {false, true})
    for (int c = platform::FirstControl(pad); c < platform::kControlCount; ++c)
      changes.push_back({pad ? "pad" : "keys", platform::kControlNames[c], std::nullopt});
  SaveChanges(f, changes);
}

std::string KeyName(int scanCode) { return platform::Current().input->KeyName(static_cast<uint8_t>(scanCode)); }

std::string PadLabel(platform::PadButton button) {
  return std::string(platform::PadButtonLabel(platform::Current().input->AttachedPadFamily(), button));
}

void SaveChanges(TForm1& f, const std::vector<platform::SettingChange>& changes) {
  const platform::SettingsSaved saved = platform::SaveSettings(changes);
  if (!saved.backup.empty()) {
    f.menus.notice = "Your own settings file was copied to " + saved.backup + " first.";
    std::fprintf(stderr, "solvara: the settings file was copied to %s before the game first changed it\n",
                 saved.backup.c_str());
  }
  if (saved.saved) return;
  f.menus.notice = "Not saved (it applies until you quit): " + saved.error;
  if (f.unsavedReasons.insert(saved.error).second) {
    // The message takes the keys until it is read.
    f.menus.ForgetHeld();
    platform::Current().app->ShowPlainMessage("Your settings could not be saved: " + saved.error +
                                              ". The change applies until the game closes.");
  }
}

}  // namespace game
