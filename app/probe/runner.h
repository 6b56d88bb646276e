#pragma once
// The headless runner: the real TForm1 on the headless backend, frame by
// frame on the virtual clock, with scripted keys, a trace and screenshots.
#include <iosfwd>
#include <memory>
#include <string>

#include "app/probe/key_script.h"
#include "app/probe/options.h"
#include "game/records/replay.h"

namespace game {
class TForm1;
}

namespace probe {

class Runner {
 public:
  explicit Runner(Options options) : options_(std::move(options)) {}

  // Runs the frames and closes the form as the game does. Returns the exit
  // code; problems with the runner's own files go to `log`.
  int Run(std::ostream& log);

  // The folder that held score.dat (the fresh one when none was given).
  const std::string& Home() const { return home_; }

 private:
  int Play(std::ostream& log);
  bool Prepare(std::ostream& log);
  // After the frames: whether the replay played as recorded (--verify), and
  // the recorded game written (--record); false when the run failed them.
  bool CheckReplay(const game::TForm1& form, std::ostream& log) const;
  bool SaveRecording(const game::TForm1& form, std::ostream& log) const;
  // A replay watched from the game's Replays list is over: how it played.
  void ReportWatched(const game::TForm1& form, std::ostream& log) const;

  Options options_;
  KeyScript keys_;
  std::shared_ptr<const game::Replay> replay_;
  std::string home_;
  bool madeHome_ = false;  // the fresh temporary folder
};

}  // namespace probe
