#pragma once
// The form's recorder and player of replays. It records every game played
// (the world it starts from, then the input code each of its frames reads),
// or, when watching, plays one replay back in place of the player's input.
// Recording costs a comparison a frame: the input runs go into a buffer
// reserved once.
#include <cstdint>
#include <memory>
#include <string>

#include "game/records/replay.h"
#include "vantor/input/input.h"

namespace game {

class TForm1;

class ReplayDeck {
 public:
  // Records every game; with `watch`, plays that replay instead.
  explicit ReplayDeck(std::shared_ptr<const Replay> watch = nullptr);

  bool Watching() const { return watch_ != nullptr; }
  // Watches `replay` from the next frame on, in place of the game's own
  // input (any game being recorded is dropped), until StopWatching.
  void Watch(std::shared_ptr<const Replay> replay);
  void StopWatching();

  // Around the screen step of each frame that runs one (a paused frame runs
  // none). BeginFrame returns false once a watched replay is over: its game
  // has ended and the screens are back on the title.
  bool BeginFrame(TForm1& f);
  // Watching: the "REPLAY" mark over the picture.
  void EndFrame(TForm1& f);
  // The game's one read of the input in a frame: a poll of the input
  // component, or the replay's code for this frame (nothing pressed once the
  // replay's game has ended).
  void Read(VantorInputSystem::TVantorInput& chip, VantorInputSystem::TVantorInputState& state);
  // The results screen is entering the game's score in the ranking, under
  // the row text `when`: the game ends here. Returns the recorded game (null
  // when none was recorded, or when watching).
  std::shared_ptr<const Replay> EndGame(const TForm1& f, const std::string& when);

  // The game is left before its end (the pause menu's Quit game): its
  // recording is dropped.
  void AbandonGame();
  // The menus close with the controls of `held` held, those of `kept` held
  // since they opened. The kept ones read as held on (never as pressed anew)
  // in the next frame; the others read as let go until they are: a key that
  // chose an entry, or a control pressed while play stood still, does not
  // count in play.
  void IgnoreHeldInput(const VantorInputSystem::TVantorInputState& held,
                       const VantorInputSystem::TVantorInputState& kept);

  // The last game recorded (null: none yet).
  std::shared_ptr<const Replay> LastRecorded() const { return last_; }

  // Watching: the library failed during a frame (`cp932Text` its message).
  // The replay cannot play as recorded: it ends, and the program fails.
  void Fail(const std::string& cp932Text);

  // Watching: frames of the replay begun so far, whether its game has
  // ended, whether the library failed, and why it did not play as recorded
  // (empty: it did, so far).
  uint32_t Frame() const { return frame_; }
  bool GameEnded() const { return ended_; }
  bool Failed() const { return failed_; }
  const std::string& Mismatch() const { return mismatch_; }
  // Watching: the world's checksum when the game ended (0 before).
  uint64_t EndChecksum() const { return endChecksum_; }
  // Watching: the world at each checkpoint's moment as it played, whatever
  // the replay recorded there (a format-1 replay records none).
  const std::vector<Checkpoint>& PlayedCheckpoints() const { return played_; }

 private:
  void StartRecording(const TForm1& f);
  // Watching, after a whole frame that ends a stretch of kCheckpointFrames:
  // the world kept, and compared with the replay's checkpoint there.
  void TakePlayedCheckpoint(const TForm1& f);
  void Commit();
  // `code` without the fields still held since IgnoreHeldInput (a field let
  // go counts again from then on), and the kept ones held on.
  uint16_t WithoutHeld(uint16_t code);

  uint16_t held_ = 0;
  uint16_t kept_ = 0;

  // Recording.
  enum class Recording { kIdle, kOn, kAbandoned };
  Recording recording_ = Recording::kIdle;
  Replay tape_;
  uint16_t frameCode_ = 0;
  std::shared_ptr<const Replay> last_;

  // Watching.
  std::shared_ptr<const Replay> watch_;
  uint32_t frame_ = 0;
  size_t run_ = 0;         // the run of the current frame
  uint32_t runFrame_ = 0;  // frames of that run before the current one
  bool ended_ = false;
  bool failed_ = false;
  uint64_t endChecksum_ = 0;
  std::vector<Checkpoint> played_;
  std::string mismatch_;
};

}  // namespace game
