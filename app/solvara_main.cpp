// solvara: the game on the real SDL backend.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <utility>

#include "app/command_line.h"
#include "app/game_options.h"
#include "game/form.h"
#include "game/records/ranking_replays.h"
#include "game/records/replay_file.h"
#include "platform/app.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "platform/sdl/backend.h"
#include "platform/settings.h"
#include "platform/startup.h"
#include "platform/user_dirs.h"
#include "vantor/input/input.h"
#include "vantor/system/debug.h"

namespace {

using VantorInputSystem::TInputKeys;
using VantorInputSystem::TVantorInput;

// The input component's key property of each control the settings name.
constexpr std::pair<platform::Control, TInputKeys TVantorInput::*> kKeyProperties[] = {
    {platform::kUp, &TVantorInput::KeyUp},           {platform::kDown, &TVantorInput::KeyDown},
    {platform::kLeft, &TVantorInput::KeyLeft},       {platform::kRight, &TVantorInput::KeyRight},
    {platform::kButton1, &TVantorInput::KeyButton1}, {platform::kButton2, &TVantorInput::KeyButton2},
    {platform::kButton3, &TVantorInput::KeyButton3},
};

// The command line overrides the settings.
void Override(platform::Settings& settings, const GameOptions& options) {
  if (options.fullScreen) settings.fullScreen = options.fullScreen;
  if (options.scaling) settings.scaling = options.scaling;
  if (options.vsync) settings.vsync = *options.vsync;
  if (options.mute) settings.musicVolume = settings.effectsVolume = 0;
}

// The replay --replay or --replay-rank names; null with the message saying
// why it cannot be watched.
std::shared_ptr<const game::Replay> WatchedReplay(const GameOptions& options, std::string& message) {
  auto replay = std::make_shared<game::Replay>();
  std::string path = options.replay, reason;
  const bool read = options.replayRank > 0
                        ? game::ReadRankReplay(platform::DataDir(), options.replayRank, *replay, path, reason)
                        : game::ReadReplayFile(path, *replay, reason);
  if (read) return replay;
  message = "Cannot play the replay";
  if (options.replayRank > 0) message += " of row " + std::to_string(options.replayRank) + " of the ranking";
  if (!path.empty()) message += (options.replayRank > 0 ? ", " : " ") + path;
  message += ": " + reason + ".";
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  GameOptions options;
  const int parsed = ParseGameOptions(argc, argv, options, std::cout, std::cerr);
  if (parsed != command_line::kRun) return parsed;

  std::vector<platform::SettingsProblem> problems;
  platform::Settings settings = platform::LoadSettings(problems);
  // What the player chose with Alt+Enter last, unless the settings say.
  if (!settings.fullScreen) settings.fullScreen = platform::RememberedFullScreen();
  Override(settings, options);
  if (!options.dataDir.empty()) platform::SetDataDir(std::filesystem::absolute(options.dataDir));
  const std::string assets = platform::AssetDir();
  platform::MapFolder("bmp", assets + "/bmp");
  platform::MapFolder("sound", assets + "/sound");
  std::unique_ptr<platform::sdl::Backend> backend;
  try {
    backend = platform::sdl::Start({SOLVARA_APP_ID, assets + "/" SOLVARA_WINDOW_ICON}, settings, problems);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "solvara: %s\n", e.what());
    return 1;
  }
  platform::Application& app = *platform::Current().app;
  // Traced from before the form exists; the log closes as the program ends.
  // The library would drop the writes of a log it cannot open, and wait on a
  // named pipe: only a regular file it may write is given to it.
  if (!options.logFile.empty()) {
    std::string reason;
    if (platform::WritableRegularFile(options.logFile, &reason))
      platform::TimeStage(platform::kDebugLogStage,
                          [&] { VantorDebugSystem::TVantorDebug::SetDebug(options.logFile.c_str(), true, false); });
    else
      std::fprintf(stderr, "solvara: cannot write the log %s (%s); playing without it\n", options.logFile.c_str(),
                   reason.c_str());
  }
  try {
    app.SetTitle("SOLVARA 2001");
    std::shared_ptr<const game::Replay> watch;
    if (!options.replay.empty() || options.replayRank > 0) {
      std::string message;
      watch = WatchedReplay(options, message);
      if (!watch) {
        // Said in the window the game would have played it in.
        app.CreateMainWindow("SOLVARA 2001", 640, 480);
        app.ShowPlainMessage(message);
        return 1;
      }
    }
    game::TForm1 form(nullptr, watch);
    // Its message has been read: the program ends.
    if (form.StartUpFailed()) return 1;
    // Keys the settings do not name keep the form's.
    for (const auto& [control, property] : kKeyProperties)
      VantorInputSystem::KeyOfScanCode(backend->KeyScanCode(control), (*form.chip).*property);
    form.reducedFlashing = settings.reducedFlashing;
    form.vsync = settings.vsync;
    if (!problems.empty()) app.ShowPlainMessage(platform::ProblemsMessage(settings.file, problems));
    app.Run();
    // A replay the library failed on ended early: the program failed.
    if (form.replays.Failed()) return 1;
  } catch (const std::exception& e) {
    // An exception that reaches the entry is shown and ends the program.
    app.ShowException(e.what());
    return 1;
  }
  return 0;
}
