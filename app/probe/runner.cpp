#include "app/probe/runner.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <utility>

#include "app/probe/trace.h"
#include "app/verify/verdict.h"
#include "app/verify/verifier.h"
#include "game/play/bot.h"
#include "game/form.h"
#include "game/records/replay_file.h"
#include "platform/app.h"
#include "platform/bindings.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/headless/backend.h"
#include "platform/headless/mix_recorder.h"
#include "platform/headless/wav_writer.h"
#include "platform/random.h"
#include "platform/settings.h"
#include "platform/startup.h"
#include "platform/sdl/midi_synth.h"
#include "platform/sdl/sound_mixer.h"
#include "vantor/input/input.h"
#include "vantor/midi/midi.h"
#include "vantor/system/debug.h"
#include "vantor/system/frame.h"

namespace probe {
namespace {

using VantorInputSystem::ScanCode;

// The key or pad button behind each of the script's names: held in the
// keyboard snapshot or on the pad while the script holds it, and going down
// and up as the form's key events, as a player's keys do.
struct ScriptKey {
  Key key;
  platform::KeyEvent event;
};
const ScriptKey kScriptKeys[] = {
    {kKeyUp, {platform::kVirtualKeyUp, ScanCode(VantorInputSystem::ikUp)}},
    {kKeyDown, {platform::kVirtualKeyDown, ScanCode(VantorInputSystem::ikDown)}},
    {kKeyLeft, {platform::kVirtualKeyLeft, ScanCode(VantorInputSystem::ikLeft)}},
    {kKeyRight, {platform::kVirtualKeyRight, ScanCode(VantorInputSystem::ikRight)}},
    {kKeyZ, {platform::kVirtualKeyOther, ScanCode(VantorInputSystem::ikZ)}},
    {kKeyX, {platform::kVirtualKeyOther, ScanCode(VantorInputSystem::ikX)}},
    {kKeyC, {platform::kVirtualKeyOther, ScanCode(VantorInputSystem::ikC)}},
    {kKeyV, {platform::kVirtualKeyOther, ScanCode(VantorInputSystem::ikV)}},
    {kKeyEscape, {platform::kVirtualKeyEscape, ScanCode(VantorInputSystem::ikEscape)}},
    {kKeyP, {platform::kVirtualKeyOther, ScanCode(VantorInputSystem::ikP)}},
    {kKeyEnter, {platform::kVirtualKeyReturn, ScanCode(VantorInputSystem::ikReturn)}},
    {kKeyPadA, {platform::kVirtualKeyPadA, 0, platform::kPadA}},
    {kKeyPadB, {platform::kVirtualKeyPadB, 0, platform::kPadB}},
    {kKeyPadStart, {platform::kVirtualKeyPadStart, 0, platform::kPadStart}},
    {kKeyPadRightShoulder, {platform::kVirtualKeyOther, 0, platform::kPadRightShoulder}},
    {kKeyPadUp, {platform::kVirtualKeyPadDpadUp, 0, platform::kPadDpadUp}},
    {kKeyPadDown, {platform::kVirtualKeyPadDpadDown, 0, platform::kPadDpadDown}},
    {kKeyPadLeft, {platform::kVirtualKeyPadDpadLeft, 0, platform::kPadDpadLeft}},
    {kKeyPadRight, {platform::kVirtualKeyPadDpadRight, 0, platform::kPadDpadRight}},
};

// The settings of the home folder, as the game reads them; what is wrong
// with them, and the keys it does not know, go to `log` (those keys to the
// debug log as well).
game::PlayerSettings HomeSettings(const platform::InputSystem& input, std::ostream& log) {
  std::vector<platform::SettingsProblem> problems;
  const platform::Settings settings = platform::LoadSettings(problems);
  const platform::Bindings bindings = platform::BindingsOf(settings, input, problems);
  if (!problems.empty()) log << "solvara-probe: " << platform::ProblemsMessage(settings.file, problems) << "\n";
  if (const std::string unknown = platform::UnknownKeysNote(settings); !unknown.empty()) {
    log << "solvara-probe: " << unknown << "\n";
    VantorSystem::VnTrace(platform::Utf8ToCp932(unknown));
  }
  return game::FromFile(settings, bindings);
}

// The --wav recording: the real synthesizer with TimGM6mb as the MIDI sink,
// and the mix written to the file as the virtual clock moves.
class SoundRecording {
 public:
  bool Open(const std::string& path, std::ostream& log) {
    path_ = path;
    if (access(platform::sdl::kTimGm6mb, R_OK) != 0) {
      log << "solvara-probe: --wav needs the SoundFont " << platform::sdl::kTimGm6mb
          << " (Debian package timgm6mb-soundfont)\n";
      return false;
    }
    if (!writer_.Open(path, platform::sdl::kMixFormat.channels, platform::sdl::kMixFormat.samplesPerSec)) {
      log << "solvara-probe: cannot write " << path << ": " << writer_.Error() << "\n";
      return false;
    }
    return true;
  }
  // Before the form is created, so the recording starts with the run.
  void Start(platform::headless::Backend& backend) {
    backend.midi.Use(platform::headless::HeadlessMidi::Sink::Synthesizer, platform::sdl::kTimGm6mb);
    recorder_ = std::make_unique<platform::headless::MixRecorder>(
        backend.clock, backend.sound, [this](const int16_t* stereo, uint32_t frames) { writer_.Write(stereo, frames); });
  }
  // Stops recording (before the backend goes) and completes the file.
  bool Finish(std::ostream& log) {
    recorder_.reset();
    if (writer_.Finish()) return true;
    log << "solvara-probe: cannot write " << path_ << ": " << writer_.Error() << "\n";
    return false;
  }

 private:
  std::string path_;
  platform::headless::WavWriter writer_;
  std::unique_ptr<platform::headless::MixRecorder> recorder_;
};

uint32_t PilotKeys(const game::ControlKeys& k) {
  const std::pair<bool, Key> controls[] = {{k.up, kKeyUp},      {k.down, kKeyDown}, {k.left, kKeyLeft},
                                           {k.right, kKeyRight}, {k.button1, kKeyZ}, {k.button2, kKeyX},
                                           {k.button3, kKeyC}};
  uint32_t keys = 0;
  for (const auto& [held, key] : controls)
    if (held) keys |= key;
  return keys;
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
    madeHome_ = true;
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
  const std::string assets = options_.assets.empty() ? platform::AssetDir() : options_.assets;
  platform::ClearFolderMaps();
  platform::SetHomeDir(home_);
  platform::MapFolder("bmp", assets + "/bmp");
  platform::MapFolder("sound", assets + "/sound");

  if (!options_.replay.empty()) {
    auto replay = std::make_shared<game::Replay>();
    std::string reason;
    if (!game::ReadReplayFile(options_.replay, *replay, reason)) {
      log << "solvara-probe: cannot play the replay " << options_.replay << ": " << reason << "\n";
      return false;
    }
    replay_ = std::move(replay);
  }
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
  const int status = Play(log);
  // A run that saved nothing (a replay watched, a refused one) leaves no
  // empty folder behind.
  if (madeHome_) rmdir(home_.c_str());
  return status;
}

int Runner::Play(std::ostream& log) {
  if (!Prepare(log)) return 2;
  // The library would drop the writes of a log it cannot open, and wait on a
  // named pipe: only a regular file it may write is given to it.
  std::string reason;
  if (!options_.logFile.empty() && !platform::WritableRegularFile(options_.logFile, &reason)) {
    log << "solvara-probe: cannot write the log " << options_.logFile << " (" << reason << ")\n";
    return 2;
  }
  std::ofstream trace;
  if (!options_.trace.empty()) {
    trace.open(options_.trace, std::ios::trunc);
    if (!trace) {
      log << "solvara-probe: cannot write " << options_.trace << "\n";
      return 2;
    }
  }

  SoundRecording sound;
  if (!options_.wav.empty() && !sound.Open(options_.wav, log)) return 2;

  int status = 0;
  {
    platform::headless::Backend backend;
    // A pad is attached when the script presses its buttons or pulls it out.
    if (keys_.AllKeys() & (kPadKeys | kPadGone)) backend.input.SetJoystickCount(1);
    // Nothing reads the MIDI messages of a run; the recording sink would keep
    // every one of them and grow without bound over a long run.
    backend.midi.Use(platform::headless::HeadlessMidi::Sink::Null);
    if (!options_.wav.empty()) sound.Start(backend);
    // The log opens before the form so it traces the components' creation;
    // it closes after their destruction, ending with the profiling report.
    if (!options_.logFile.empty())
      platform::TimeStage(platform::kDebugLogStage, [&] {
        VantorDebugSystem::TVantorDebug::SetDebug(options_.logFile.c_str(), true, options_.profile);
      });
    game::TForm1 form(nullptr, replay_);
    // A game that failed to start runs no frames (its message is on stderr).
    const bool started = !form.StartUpFailed();
    if (!started) status = 1;
    else form.UseSettings(HomeSettings(backend.input, log));
    // The game plays its first song once the synthesizer has its SoundFont;
    // on the virtual clock the run waits for it, so every run (and every
    // --wav file) starts the music at frame 1, as the same run always does.
    if (started) form.cmid->WaitReady();
    // Reproducible runs: the seed replaces the start time the form seeded with.
    platform::Rand().Seed(options_.seed);
    form.keepShipUnhurt = options_.invincible;
    form.fastPlay = options_.fast;
    if (started && options_.practice > 0)
      form.StartPractice(game::PracticePoints()[static_cast<size_t>(options_.practice - 1)], options_.power);
    game::Pilot pilot;

    // A replay runs the frames of its game (and stops at its end), unless
    // told how many.
    const int frames = replay_ && !options_.framesGiven ? static_cast<int>(replay_->frames) : options_.frames;
    bool recorded = false;
    uint32_t held = 0;
    // The keys the window cannot hear now: the keyboard's while it has no
    // focus, the pad's once it is gone.
    uint32_t unheard = 0;
    // Holds the keys of `keys` and lets go of the others, each going down or
    // up as the form's key event.
    auto hold = [&](uint32_t keys, bool byFocusLoss = false) {
      keys &= ~unheard;
      for (const ScriptKey& k : kScriptKeys) {
        const bool now = keys & k.key, before = held & k.key;
        if (now == before || backend.app.Terminated()) continue;
        platform::KeyEvent key = k.event;
        key.byFocusLoss = byFocusLoss;
        if (key.padButton > platform::kPadNone)
          backend.input.SetPadButton(static_cast<platform::PadButton>(key.padButton), now);
        else backend.input.SetKey(key.scanCode, now);
        held ^= k.key;
        if (now) backend.app.PressKey(key);
        else backend.app.ReleaseKey(key);
      }
    };
    for (int frame = 1; started && frame <= frames && !backend.app.Terminated(); ++frame) {
      const bool watching = form.WatchingFromTheGame();
      // The script's keys go down first: one may open a menu, and the pilot
      // sits still while one is open, as a player would.
      const uint32_t scripted = keys_.KeysAt(frame);
      const uint32_t events = scripted & ~keys_.KeysAt(frame - 1) & kEvents;
      // As SDL does: the keys let go first, then the loss said.
      if (events & kFocusOut) {
        unheard |= kKeyboardKeys;
        hold(held, true);
        backend.app.Deactivate();
      }
      if (events & kFocusIn) unheard &= ~kKeyboardKeys;
      if (events & kPadGone) {
        unheard |= kPadKeys;
        hold(held);
        backend.input.UnplugPad();
        backend.app.Deactivate();
      }
      hold(held | scripted);
      const bool flying = options_.bot && !form.menus.IsOpen();
      hold(scripted | (flying ? PilotKeys(pilot.Next(form)) : 0));
      if (const std::string typed = keys_.TextAt(frame); !typed.empty()) backend.app.TypeText(typed);
      // Escape may have closed the game.
      if (backend.app.Terminated()) break;
      backend.app.Step();
      if (watching && !form.WatchingFromTheGame()) ReportWatched(form, log);
      if (trace.is_open()) trace << TraceLine(frame, form) << "\n";
      for (const auto& [shotFrame, file] : options_.shots)
        if (shotFrame == frame && !backend.display.SaveLastFrame(file)) {
          log << "solvara-probe: cannot write screenshot " << file << "\n";
          status = 1;
        }
      if (!options_.record.empty() && !recorded && form.replays.LastRecorded()) {
        if (!SaveRecording(form, log)) status = 1;
        recorded = true;
      }
      if (replay_ && !options_.framesGiven && form.replays.GameEnded()) break;
    }
    if (started && !options_.record.empty() && !recorded) {
      log << "solvara-probe: no game ended within " << frames << " frames: nothing was recorded in "
          << options_.record << "\n";
      status = 1;
    }
    if (started && options_.verify && !CheckReplay(form, log)) {
      status = 1;
    } else if (started && replay_ && form.replays.Failed()) {
      log << "solvara-probe: the replay " << options_.replay << " did not play: " << form.replays.Mismatch() << "\n";
      status = 1;
    }
    if (started && !backend.app.Terminated()) form.Close();
    if (!options_.wav.empty() && !sound.Finish(log)) status = 1;
  }
  if (!options_.logFile.empty()) VantorDebugSystem::TVantorDebug::SetDebug(nullptr, false, false);
  platform::ClearFolderMaps();
  if (trace.is_open() && !trace.flush()) {
    log << "solvara-probe: cannot write " << options_.trace << "\n";
    status = 1;
  }
  return status;
}

bool Runner::SaveRecording(const game::TForm1& form, std::ostream& log) const {
  std::string error;
  if (game::WriteReplayFile(options_.record, *form.replays.LastRecorded(), error)) return true;
  log << "solvara-probe: cannot write " << options_.record << ": " << error << "\n";
  return false;
}

void Runner::ReportWatched(const game::TForm1& form, std::ostream& log) const {
  const game::ReplayDeck& deck = form.replays;
  log << "solvara-probe: a replay watched from the Replays list ";
  if (!deck.Mismatch().empty()) log << "did not play as recorded: " << deck.Mismatch() << "\n";
  else if (!deck.GameEnded()) log << "was left after " << deck.Frame() << " frames, as recorded so far\n";
  else log << "played as recorded (" << deck.Frame() << " frames), end checksum " << verify::ChecksumText(deck.EndChecksum()) << "\n";
}

bool Runner::CheckReplay(const game::TForm1& form, std::ostream& log) const {
  const std::string mismatch = verify::ReplayMismatch(form.replays);
  if (!mismatch.empty()) {
    log << "solvara-probe: the replay " << options_.replay << " did not play as recorded: " << mismatch << "\n";
    return false;
  }
  log << "solvara-probe: the replay " << options_.replay << " played as recorded: " << replay_->finalScore
      << " points in " << replay_->frames << " frames, end checksum " << verify::ChecksumText(form.replays.EndChecksum()) << "\n";
  // The identity solvara-verify gives it: the board ranks a game once by it.
  log << "solvara-probe: game " << verify::PlayedIdentity(*replay_, form.replays) << "\n";
  return true;
}

}  // namespace probe
