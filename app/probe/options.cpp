#include "app/probe/options.h"

#include <CLI/CLI.hpp>

#include <charconv>

#include "app/command_line.h"

namespace probe {
namespace {

constexpr int kMaxFrames = 100000000;

// FRAME:FILE.png with FRAME from 1 and a file name; false when malformed.
bool SplitShot(const std::string& value, int& frame, std::string& file) {
  const size_t colon = value.find(':');
  if (colon == std::string::npos || colon + 1 == value.size()) return false;
  const char* end = value.data() + colon;
  auto [p, ec] = std::from_chars(value.data(), end, frame);
  file = value.substr(colon + 1);
  return ec == std::errc() && p == end && frame >= 1 && frame <= kMaxFrames;
}

}  // namespace

int ParseOptions(int argc, const char* const argv[], Options& o, std::ostream& out, std::ostream& err) {
  CLI::App app("Runs SOLVARA 2001 headless, frame by frame on a virtual clock.", "solvara-probe");
  command_line::Prepare(app, "");
  const CLI::Validator& given = command_line::NotEmpty();
  const CLI::Validator shot(
      [](const std::string& value) {
        int frame;
        std::string file;
        return SplitShot(value, frame, file) ? std::string() : "expected FRAME:FILE.png, not " + value;
      },
      "");
  std::vector<std::string> shots;
  CLI::Option* frames = app.add_option("--frames", o.frames, "frames to run (default 1000; a replay: its game's)")
                            ->type_name("N")
                            ->check(CLI::Range(0, kMaxFrames).description(""));
  CLI::Option* seed = app.add_option("--seed", o.seed, "seed of the random generator (default 1)")->type_name("S");
  app.add_option("--home", o.home,
                 "folder of score.dat, the replays and settings.toml (default: a fresh temporary folder)")
      ->type_name("DIR")
      ->check(given);
  app.add_option("--assets", o.assets, "folder holding bmp/ and sound/ (default: beside the runner, else installed)")
      ->type_name("DIR")
      ->check(given);
  CLI::Option* keys = app.add_option("--keys", o.keys, "key script: FROM-TO KEY[+KEY...], FROM KEY, FROM- KEY")
                          ->type_name("FILE")
                          ->check(given);
  app.add_option("--shot", shots, "screenshot of a frame (repeatable)")
      ->type_name("FRAME:FILE.png")
      ->check(shot)
      ->allow_extra_args(false);
  app.add_option("--trace", o.trace, "one JSON object per frame")->type_name("FILE.jsonl")->check(given);
  CLI::Option* invincible = app.add_flag("--invincible", o.invincible, "the ship is never hit (for checks only)");
  CLI::Option* bot = app.add_flag("--bot", o.bot, "a simple pilot starts and plays one game");
  app.add_option("--log", o.logFile, "the library's debug log, traced from before the form is created")
      ->type_name("FILE")
      ->check(given);
  app.add_flag("--profile", o.profile, "with --log: time every library method and end the log with the report");
  app.add_option("--wav", o.wav, "record the sound of the run: effects and music (TimGM6mb), 44.1 kHz 16-bit stereo")
      ->type_name("FILE.wav")
      ->check(given);
  CLI::Option* record =
      app.add_option("--record", o.record, "write the first game of the run (--keys, --bot) as a replay")
          ->type_name("FILE")
          ->check(given)
          ->excludes(invincible);
  CLI::Option* replay =
      app.add_option("--replay", o.replay, "play a replay: the frames of its game; --keys then work the watching controls only")
          ->type_name("FILE")
          ->check(given)
          ->excludes(bot, invincible, seed, record);
  app.add_flag("--verify", o.verify,
               "with --replay: exit 0 only if its game ends with the recorded score and world, else say why and exit 1")
      ->needs(replay);
  CLI::Option* practice =
      app.add_option("--practice", o.practice,
                     "start a practice at once: 1 stage 1, 2 stage 2, 3 stage 1's midway boss, 4 stage 1's final "
                     "boss, 5 stage 2's final boss")
          ->type_name("N")
          ->check(CLI::Range(1, 5).description(""))
          ->excludes(replay);
  app.add_option("--power", o.power, "with --practice: the ship's power, 0-4 (default 0)")
      ->type_name("P")
      ->check(CLI::Range(0, 4).description(""))
      ->needs(practice);
  app.add_flag("--fast", o.fast,
               "with --replay: watch it at fast play's speed (4 frames a frame shown), as holding button 1 does")
      ->needs(replay);
  CLI::Option* submit =
      app.add_option("--submit", o.submit, "send a replay to a shared-ranking board and wait for its verdict")
          ->type_name("FILE")
          ->check(given)
          ->excludes(frames, keys, bot, invincible, seed, record, replay, practice);
  CLI::Option* server = app.add_option("--server", o.server, "with --submit: the board, http[s]://HOST[:PORT]")
                            ->type_name("URL")
                            ->check(given)
                            ->needs(submit);
  CLI::Option* name =
      app.add_option("--name", o.name, "with --submit: your name there (its token is kept in the state folder)")
          ->type_name("NAME")
          ->check(given)
          ->needs(submit);
  submit->needs(server, name);
  app.footer("Exit status: 0 done (--submit: accepted); 1 the game failed to start, a file of the run could not be "
             "written, no game ended to --record, or --verify found the replay did not play as recorded (--submit: "
             "refused, not taken, no verdict yet, or the board unreachable); 2 a bad command line, or a file the run "
             "reads (--keys, --replay, --submit) that cannot be used.");

  const int status = command_line::Parse(app, argc, argv, out, err);
  o.framesGiven = frames->count() > 0;
  for (const std::string& value : shots) {
    int frame = 0;
    std::string file;
    SplitShot(value, frame, file);
    o.shots.emplace_back(frame, file);
  }
  return status;
}

}  // namespace probe
