#include "app/verify/verifier.h"

#include <ctime>

#include "game/form.h"
#include "game/records/replay_file.h"
#include "game/world/start_worlds.h"
#include "platform/crypto.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "vantor/system/text.h"

namespace verify {
namespace {

// No player's files are read: the form's data folder does not exist.
constexpr const char* kNoHome = "/nonexistent/solvara-verify";

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutLe64(std::vector<uint8_t>& out, uint64_t value) {
  PutLe(out, static_cast<uint32_t>(value), 4);
  PutLe(out, static_cast<uint32_t>(value >> 32), 4);
}

// The reasons the reader does not give.
std::string FrameBoundRefusal(const game::Replay& replay, uint32_t maxFrames) {
  if (replay.frames <= maxFrames) return {};
  return "its game lasts " + std::to_string(replay.frames) + " frames, more than the " + std::to_string(maxFrames) +
         " of two hours";
}

std::string Refusal(std::span<const uint8_t> bytes, game::Replay& replay, uint32_t maxFrames) {
  std::string reason;
  if (!game::DecodeReplay(bytes, replay, reason)) return reason;
  reason = FrameBoundRefusal(replay, maxFrames);
  if (reason.empty()) reason = NewGameStartRefusal(replay);
  return reason;
}

Verdict Described(const game::Replay& replay, Verdict::Outcome outcome) {
  Verdict v;
  v.outcome = outcome;
  v.game = ClaimedIdentity(replay);
  v.version = replay.simulationVersion;
  v.score = replay.finalScore;
  v.frames = replay.frames;
  return v;
}

}  // namespace

std::string GameIdentity(const game::Replay& replay, std::span<const game::Checkpoint> checkpoints,
                         uint64_t endChecksum) {
  std::vector<uint8_t> bytes;
  bytes.reserve(24 + 4 * replay.world.size() + game::kCheckpointBytes * checkpoints.size());
  const auto putWorld = [&](const game::StartWorld& world) {
    for (int32_t field : world) PutLe(bytes, static_cast<uint32_t>(field), 4);
  };
  PutLe(bytes, replay.simulationVersion, 4);
  PutLe(bytes, replay.randomState, 4);
  putWorld(replay.world);
  PutLe(bytes, replay.frames, 4);
  for (const game::Checkpoint& c : checkpoints) {
    putWorld(c.world);
    for (uint64_t pool : c.pools) PutLe64(bytes, pool);
  }
  PutLe64(bytes, endChecksum);
  return platform::Sha256Hex(bytes);
}

std::string ClaimedIdentity(const game::Replay& replay) {
  return GameIdentity(replay, replay.checkpoints, replay.endChecksum);
}

std::string PlayedIdentity(const game::Replay& replay, const game::ReplayDeck& deck) {
  return GameIdentity(replay, deck.PlayedCheckpoints(), deck.EndChecksum());
}

std::string ReplayMismatch(const game::ReplayDeck& deck) {
  if (!deck.Mismatch().empty()) return deck.Mismatch();
  if (!deck.GameEnded()) return "its game had not ended after the " + std::to_string(deck.Frame()) + " frames run";
  return {};
}

std::string NewGameStartRefusal(const game::Replay& replay) {
  std::string why;
  return game::IsNewGameStart(replay.world, &why) ? std::string() : why;
}

void LoadLibraryData() {
  // The ranking rows' times, a message of the world or a refusal's reason in
  // UTF-8, a game's identity.
  tzset();
  platform::Cp932ToUtf8(VN_TEXT("準備"));
  platform::Sha256Hex(std::string_view());
}

Verdict Identify(std::span<const uint8_t> bytes, uint32_t maxFrames) {
  game::Replay replay;
  if (std::string reason = Refusal(bytes, replay, maxFrames); !reason.empty()) return Verdict::Refused(reason);
  return Described(replay, Verdict::Outcome::kValid);
}

Verifier::Verifier() : replay_(std::make_shared<game::Replay>()) {}

Verifier::~Verifier() {
  form_.reset();
  platform::ClearFolderMaps();
}

bool Verifier::Prepare(const std::string& assetDir, std::string& error) {
  platform::ClearFolderMaps();
  platform::SetHomeDir(kNoHome);
  platform::MapFolder("bmp", assetDir + "/bmp");
  platform::MapFolder("sound", assetDir + "/sound");
  LoadLibraryData();
  form_ = std::make_unique<game::TForm1>(nullptr, replay_);
  if (form_->StartUpFailed()) {
    const auto& shown = backend_.app.Exceptions();
    error = "the game cannot start: " + (shown.empty() ? std::string("no reason given")
                                                        : platform::Cp932ToUtf8(shown.back()));
    return false;
  }
  // The game loads its songs when the first is to play; here every file is
  // read before the sandbox closes the way to them.
  form_->LoadSongs();
  // Nobody sees the frames: the world's routines run, its pixels are not made.
  form_->drawNothing = true;
  return true;
}

Verdict Verifier::Verify(std::span<const uint8_t> bytes, uint32_t maxFrames) {
  if (std::string reason = Refusal(bytes, *replay_, maxFrames); !reason.empty()) return Verdict::Refused(reason);
  const game::Replay& replay = *replay_;
  const game::ReplayDeck& deck = form_->replays;
  // The frames of its game, as the runner plays a replay; a game that ends
  // or stops matching sooner has its verdict then.
  for (uint32_t frame = 1; frame <= replay.frames && !backend_.app.Terminated(); ++frame) {
    backend_.app.Step();
    if (!backend_.app.Exceptions().empty())
      return Verdict::Refused("the game stopped on frame " + std::to_string(frame) + ": " +
                              platform::Cp932ToUtf8(backend_.app.Exceptions().front()));
    if (deck.GameEnded() || !deck.Mismatch().empty()) break;
  }
  if (std::string mismatch = ReplayMismatch(deck); !mismatch.empty()) return Verdict::Refused(mismatch);
  Verdict v = Described(replay, Verdict::Outcome::kAccepted);
  v.game = PlayedIdentity(replay, deck);
  v.stage = form_->GameState.stage + 1;  // the world counts stages from 0
  v.checksum = deck.EndChecksum();
  return v;
}

}  // namespace verify
