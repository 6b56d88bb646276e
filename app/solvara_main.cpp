// solvara: the game on the real SDL backend.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <utility>

#include "app/command_line.h"
#include "app/game_options.h"
#include "game/form.h"
#include "game/records/board_sender.h"
#include "game/records/ranking_replays.h"
#include "game/records/replay_file.h"
#include "platform/app.h"
#include "platform/bindings.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "platform/sdl/backend.h"
#include "platform/settings.h"
#include "platform/settings_writer.h"
#include "platform/startup.h"
#include "platform/user_dirs.h"
#include "vantor/system/debug.h"
#include "vantor/system/frame.h"

namespace {

// The command line chooses over the settings file, for this run.
void Override(game::PlayerSettings& settings, const GameOptions& options) {
  auto choose = [&](game::SettingId setting, int value, const char* option) {
    settings.values[setting] = value;
    settings.overriddenBy[setting] = option;
  };
  if (options.fullScreen)
    choose(game::kSettingMode, *options.fullScreen ? 0 : 1, *options.fullScreen ? "--fullscreen" : "--window");
  if (options.scaling) choose(game::kSettingScale, static_cast<int>(*options.scaling), "--scale");
  if (options.vsync) choose(game::kSettingVSync, static_cast<int>(*options.vsync), "--vsync");
  if (options.mute) {
    choose(game::kSettingMusic, 0, "--mute");
    choose(game::kSettingEffects, 0, "--mute");
  }
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
  // Keys the game does not know are said once, and never stop the start.
  const std::string unknownKeys = platform::UnknownKeysNote(settings);
  if (!unknownKeys.empty()) std::fprintf(stderr, "solvara: %s\n", unknownKeys.c_str());
  // Alt+Enter's choice of earlier versions, kept in the state folder.
  std::string note;
  if (const std::optional<bool> remembered = platform::TakeOverRememberedMode(settings.fullScreen.has_value(), note))
    settings.fullScreen = remembered;
  if (!note.empty()) std::fprintf(stderr, "solvara: %s\n", note.c_str());
  if (!options.dataDir.empty()) platform::SetDataDir(std::filesystem::absolute(options.dataDir));
  const std::string assets = platform::AssetDir();
  platform::MapFolder("bmp", assets + "/bmp");
  platform::MapFolder("sound", assets + "/sound");
  std::unique_ptr<platform::sdl::Backend> backend;
  try {
    backend = platform::sdl::Start({SOLVARA_APP_ID, assets + "/" SOLVARA_WINDOW_ICON},
                                   options.fullScreen.value_or(settings.fullScreen.value_or(true)));
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
    if (!unknownKeys.empty()) VantorSystem::VnTrace(platform::Utf8ToCp932(unknownKeys));
    else
      std::fprintf(stderr, "solvara: cannot write the log %s (%s); playing without it\n", options.logFile.c_str(),
                   reason.c_str());
  }
  // The video driver, before any message on the screen can go wrong in it.
  VantorSystem::VnTrace("video: " + platform::Current().display->Description());
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
    game::PlayerSettings player =
        game::FromFile(settings, platform::BindingsOf(settings, *platform::Current().input, problems));
    Override(player, options);
    form.UseSettings(player);
    form.board.sender = std::make_unique<game::BoardSender>();
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
