#include "app/game_options.h"

#include <CLI/CLI.hpp>

#include "app/command_line.h"
#include "platform/settings.h"

int ParseGameOptions(int argc, const char* const argv[], GameOptions& o, std::ostream& out, std::ostream& err) {
  CLI::App app("SOLVARA 2001: a horizontally scrolling shooting game.", "solvara");
  command_line::Prepare(app, "solvara " SOLVARA_VERSION);
  bool window = false, fullScreen = false;
  std::string scaling, vsync;
  CLI::Option* windowFlag = app.add_flag("--window", window, "play in a window");
  app.add_flag("--fullscreen", fullScreen, "play full screen (the default)")->excludes(windowFlag);
  CLI::Option* scale =
      app.add_option("--scale", scaling,
                     "fit: the largest picture the screen holds (the default); integer: whole multiples only")
          ->type_name("fit|integer")
          ->check(CLI::Validator(
              [](const std::string& value) {
                return platform::ScalingNamed(value) ? std::string() : "fit or integer, not " + value;
              },
              ""));
  CLI::Option* sync =
      app.add_option("--vsync", vsync,
                     "auto: frames on the display's refresh where its rate is a multiple of 30 Hz (the default); "
                     "on: on the refresh at any rate; off: paced by the clock alone")
          ->type_name("auto|on|off")
          ->check(CLI::Validator(
              [](const std::string& value) {
                return platform::VSyncNamed(value) ? std::string() : "auto, on or off, not " + value;
              },
              ""));
  app.add_option("--data-dir", o.dataDir, "keep the ranking in DIR instead of the player's data folder")
      ->type_name("DIR")
      ->check(command_line::NotEmpty());
  app.add_flag("--mute", o.mute, "no music and no sound effects");
  CLI::Option* replay =
      app.add_option("--replay", o.replay,
                     "watch a replay: button 1 held plays it four times as fast, the pause key pauses it, Escape "
                     "ends it")
          ->type_name("FILE")
          ->check(command_line::NotEmpty());
  // A replay double-clicked on the desktop arrives as the one argument.
  std::string file;
  CLI::Option* positional = app.add_option("file", file, "a replay to watch, as --replay FILE")
                                ->type_name("FILE.rpl")
                                ->check(command_line::NotEmpty())
                                ->excludes(replay);
  app.add_option("--replay-rank", o.replayRank, "watch the replay of that row of the ranking")
      ->type_name("N")
      ->check(CLI::Range(1, 7).description(""))
      ->excludes(replay, positional);
  app.add_option("--log", o.logFile, "write the debug log to FILE, with a line a second on the frame pacing")
      ->type_name("FILE")
      ->check(command_line::NotEmpty());

  const int status = command_line::Parse(app, argc, argv, out, err);
  if (window || fullScreen) o.fullScreen = fullScreen;
  if (scale->count()) o.scaling = platform::ScalingNamed(scaling);
  if (sync->count()) o.vsync = platform::VSyncNamed(vsync);
  if (positional->count()) o.replay = file;
  return status;
}
