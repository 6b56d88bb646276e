#include "app/probe/runner.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>

#include "app/probe/trace.h"
#include "game/bot.h"
#include "game/form.h"
#include "platform/app.h"
#include "platform/files.h"
#include "platform/headless/backend.h"
#include "platform/random.h"
#include "vantor/input/input.h"
#include "vantor/system/debug.h"

namespace probe {
namespace {

using VantorInputSystem::ScanCode;

// The keyboard keys behind the script's key names (Escape goes to the form
// as a key-down instead).
struct HeldKey {
  Key key;
  VantorInputSystem::TInputKeys input;
};
constexpr HeldKey kHeldKeys[] = {
    {kKeyUp, VantorInputSystem::ikUp},     {kKeyDown, VantorInputSystem::ikDown},
    {kKeyLeft, VantorInputSystem::ikLeft}, {kKeyRight, VantorInputSystem::ikRight},
    {kKeyZ, VantorInputSystem::ikZ},       {kKeyX, VantorInputSystem::ikX},
    {kKeyC, VantorInputSystem::ikC},       {kKeyV, VantorInputSystem::ikV},
};

uint16_t PilotKeys(const game::ControlKeys& k) {
  return (k.up ? kKeyUp : 0) | (k.down ? kKeyDown : 0) | (k.left ? kKeyLeft : 0) | (k.right ? kKeyRight : 0) |
         (k.button1 ? kKeyZ : 0) | (k.button2 ? kKeyX : 0) | (k.button3 ? kKeyC : 0);
}

}  // namespace

bool Runner::Prepare(std::ostream& log) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (options_.home.empty()) {
    std::string pattern = (fs::temp_directory_path(ec) / "solvara-probe-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
      log << "solvara-probe: cannot create a home folder\n";
      return false;
    }
    home_ = pattern;
    // Said once, so the score file of the run can be found.
    log << "solvara-probe: home folder " << home_ << "\n";
  } else {
    home_ = options_.home;
    fs::create_directories(home_, ec);
    if (!fs::is_directory(home_)) {
      log << "solvara-probe: cannot use home folder " << home_ << "\n";
      return false;
    }
  }
  const std::string assets = options_.assets.empty() ? platform::ProgramDir() : options_.assets;
  platform::ClearFolderMaps();
  platform::SetHomeDir(home_);
  platform::MapFolder("bmp", assets + "/bmp");
  platform::MapFolder("sound", assets + "/sound");

  if (!options_.keys.empty()) {
    std::ifstream in(options_.keys);
    std::string error;
    if (!in) {
      log << "solvara-probe: cannot read " << options_.keys << "\n";
      return false;
    }
    if (!keys_.Parse(in, error)) {
      log << "solvara-probe: " << options_.keys << ": " << error << "\n";
      return false;
    }
  }
  return true;
}

int Runner::Run(std::ostream& log) {
  if (!Prepare(log)) return 2;
  std::ofstream trace;
  if (!options_.trace.empty()) {
    trace.open(options_.trace, std::ios::trunc);
    if (!trace) {
      log << "solvara-probe: cannot write " << options_.trace << "\n";
      return 2;
    }
  }

  int status = 0;
  {
    platform::headless::Backend backend;
    // Nothing reads the MIDI messages of a run; the recording sink would keep
    // every one of them and grow without bound over a long run.
    backend.midi.Use(platform::headless::HeadlessMidi::Sink::Null);
    // The log opens before the form so it traces the components' creation;
    // it closes after their destruction, ending with the profiling report.
    if (!options_.logFile.empty())
      VantorDebugSystem::TVantorDebug::SetDebug(options_.logFile.c_str(), true, options_.profile);
    game::TForm1 form(nullptr);
    // Reproducible runs: the seed replaces the start time the form seeded with.
    platform::Rand().Seed(options_.seed);
    form.keepShipUnhurt = options_.invincible;
    game::Pilot pilot;

    for (int frame = 1; frame <= options_.frames && !backend.app.Terminated(); ++frame) {
      const uint16_t keys = keys_.KeysAt(frame) | (options_.bot ? PilotKeys(pilot.Next(form)) : 0);
      if (keys & kKeyEscape) {
        backend.app.PressKey(platform::kVirtualKeyEscape);
        break;
      }
      for (const HeldKey& k : kHeldKeys) backend.input.SetKey(ScanCode(k.input), (keys & k.key) != 0);
      backend.app.Step();
      if (trace.is_open()) trace << TraceLine(frame, form) << "\n";
      for (const auto& [shotFrame, file] : options_.shots)
        if (shotFrame == frame && !backend.display.SaveLastFrame(file)) {
          log << "solvara-probe: cannot write screenshot " << file << "\n";
          status = 1;
        }
    }
    if (!backend.app.Terminated()) form.Close();
  }
  if (!options_.logFile.empty()) VantorDebugSystem::TVantorDebug::SetDebug(nullptr, false, false);
  platform::ClearFolderMaps();
  if (trace.is_open() && !trace.flush()) {
    log << "solvara-probe: cannot write " << options_.trace << "\n";
    status = 1;
  }
  return status;
}

}  // namespace probe
