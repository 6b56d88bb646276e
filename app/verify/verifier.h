#pragma once
// The verifier's core: a replay's bytes in, a verdict out. The world is the
// game's own (the main form watching the replay) on the headless backend
// without SDL, stepped frame by frame on the virtual clock as the runner
// steps it, so a replay gets the verdict `solvara-probe --replay --verify`
// gives it: its end and every checkpoint compared. Every frame is drawn into
// nothing and the music keeps no time, so the frames cost the world's
// routines alone (bench/verify_frames: many times the runner's speed).
//
// Prepare does everything that needs a file (the assets, the time zone, the
// text conversion); Verify then needs none, so the program can close itself
// in (platform/sandbox.h) between the two and read the untrusted bytes only
// inside.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "app/verify/verdict.h"
#include "game/records/replay_file.h"
#include "platform/headless/bare_backend.h"

namespace game {
struct Replay;
class ReplayDeck;
class TForm1;
}  // namespace game

namespace verify {

// A game's identity: what playing it proves, not its file. SHA-256 over its
// simulation version, its random state, its start world, its frames, the
// world at each checkpoint's moment and the world's checksum at its end. Its
// input is left out: a code on a frame that reads none changes the file, not
// the game. So is the file's format: a format-1 copy of a format-2 replay,
// its checkpoints dropped, plays the same world through the same moments.
std::string GameIdentity(const game::Replay& replay, std::span<const game::Checkpoint> checkpoints,
                         uint64_t endChecksum);
// The identity the file claims: its own checkpoints and end checksum (none
// in format 1, whose claim is therefore short of what playing proves).
std::string ClaimedIdentity(const game::Replay& replay);
// The identity a watched replay proved, once its game ended as recorded.
std::string PlayedIdentity(const game::Replay& replay, const game::ReplayDeck& deck);

// Why a watched replay did not play as recorded once its frames have run
// (the runner's --verify says the same); empty when it did.
std::string ReplayMismatch(const game::ReplayDeck& deck);

// Why the replay's start world is not one a new game starts from; empty
// when it is. The replay reader already refuses worlds no game starts from
// (a huge invincibility counter, a preset score); this refuses the other
// start points too (practice), recognised from the world itself.
std::string NewGameStartRefusal(const game::Replay& replay);

// Loads what the libraries load on their first use (the time zone, the text
// conversion's tables, the hash's provider), while files may be read.
void LoadLibraryData();

// Decodes the bytes without playing them: valid (the claimed identity and
// what the file claims) or refused with the reader's reason.
Verdict Identify(std::span<const uint8_t> bytes, uint32_t maxFrames = game::kMaxReplayFrames);

class Verifier {
 public:
  Verifier();
  ~Verifier();
  Verifier(const Verifier&) = delete;
  Verifier& operator=(const Verifier&) = delete;

  // Builds the world from the assets in `assetDir` (bmp/, sound/), after
  // LoadLibraryData. False with the reason when the game cannot start.
  bool Prepare(const std::string& assetDir, std::string& error);
  // Plays one replay (once per Verifier): accepted with the game's identity
  // as played, score, frames, stage and end checksum, or refused with the
  // reason.
  Verdict Verify(std::span<const uint8_t> bytes, uint32_t maxFrames = game::kMaxReplayFrames);

 private:
  platform::headless::BareBackend backend_;
  // The replay the form watches: empty until Verify decodes into it.
  std::shared_ptr<game::Replay> replay_;
  std::unique_ptr<game::TForm1> form_;
};

}  // namespace verify
