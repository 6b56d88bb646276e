#include "game/records/replay_deck.h"

#include <cstdio>
#include <ctime>
#include <utility>

#include "game/form.h"
#include "game/records/replay_file.h"
#include "platform/encoding.h"
#include "vantor/draw/draw.h"

namespace game {
namespace {

// "REPLAY" in small letters with a shadow, in the bottom right corner,
// clear of the spare ships on the left; the colours of the ranking's text.
// Left of it, the frame watched of the replay's frames, and the score so far.
constexpr int kMarkX = 566, kMarkY = 458, kCounterX = 410;
constexpr int kMarkPoints = 12;
constexpr TColor kMarkShadow = 0x335577, kMarkText = 0x77DDFF;

}  // namespace

ReplayDeck::ReplayDeck(std::shared_ptr<const Replay> watch) : watch_(std::move(watch)) {
  if (!watch_) {
    tape_.runs.reserve(kMaxReplayFrames);
    tape_.checkpoints.reserve(kMaxReplayFrames / kCheckpointFrames);
  }
}

void ReplayDeck::Watch(std::shared_ptr<const Replay> replay) {
  recording_ = Recording::kIdle;
  watch_ = std::move(replay);
  frame_ = 0;
  run_ = 0;
  runFrame_ = 0;
  ended_ = failed_ = false;
  played_.clear();
  mismatch_.clear();
}

void ReplayDeck::StopWatching() { watch_ = nullptr; }

bool ReplayDeck::BeginFrame(TForm1& f) {
  if (!watch_) {
    if (recording_ == Recording::kOn) {
      Commit();
      // The world after the whole frame, its requests served.
      if (recording_ == Recording::kOn && tape_.frames % kCheckpointFrames == 0)
        tape_.checkpoints.push_back(TakeCheckpoint(f));
    }
    // A game starts on the play screen; the runner's unhurt ship is no game.
    else if (recording_ == Recording::kIdle && f.GameState.screen == ScreenPlay && !f.keepShipUnhurt)
      StartRecording(f);
    frameCode_ = 0;
    return true;
  }
  if (failed_) return false;
  if (ended_) return f.GameState.screen != ScreenTitle;
  if (frame_ > 0 && frame_ % kCheckpointFrames == 0) TakePlayedCheckpoint(f);
  if (frame_ == 0) {
    RestoreWorldStart(f, *watch_);
  } else if (run_ < watch_->runs.size() && ++runFrame_ == watch_->runs[run_].frames) {
    ++run_;
    runFrame_ = 0;
  }
  ++frame_;
  if (frame_ > watch_->frames && mismatch_.empty())
    mismatch_ = "its input ends after frame " + std::to_string(watch_->frames) + ", before the game does";
  return true;
}

void ReplayDeck::TakePlayedCheckpoint(const TForm1& f) {
  played_.push_back(TakeCheckpoint(f));
  const uint32_t n = frame_ / kCheckpointFrames;
  if (n > watch_->checkpoints.size() || !mismatch_.empty()) return;
  const std::string difference = CheckpointDifference(watch_->checkpoints[n - 1], played_.back());
  if (difference.empty()) return;
  mismatch_ = "checkpoint " + std::to_string(n) + ", after frame " + std::to_string(frame_) + " (frames " +
              std::to_string(frame_ - kCheckpointFrames + 1) + "-" + std::to_string(frame_) + "), differs: " +
              difference;
}

void ReplayDeck::Fail(const std::string& cp932Text) {
  if (!watch_ || failed_) return;
  failed_ = true;
  if (mismatch_.empty())
    mismatch_ = "the game failed in frame " + std::to_string(frame_) + ": " + platform::Cp932ToUtf8(cp932Text);
}

void ReplayDeck::EndFrame(TForm1& f) {
  kept_ = 0;
  if (!watch_) return;
  TFont* font = f.cdraw->GetFont();
  font->SetSize(kMarkPoints);
  char counter[48];
  std::snprintf(counter, sizeof counter, "%u/%u  %d", frame_, watch_->frames, f.GameState.score);
  for (const auto& [dx, colour] : {std::pair{1, kMarkShadow}, std::pair{0, kMarkText}}) {
    font->Color = colour;
    f.cdraw->TextOutA(kCounterX + dx, kMarkY + dx, counter);
    f.cdraw->TextOutA(kMarkX + dx, kMarkY + dx, "REPLAY");
  }
}

void ReplayDeck::Read(VantorInputSystem::TVantorInput& chip, VantorInputSystem::TVantorInputState& state) {
  if (watch_) {
    const bool playing = !ended_ && run_ < watch_->runs.size();
    state = InputState(playing ? watch_->runs[run_].code : 0);
    return;
  }
  chip.GetState(state);
  if (held_ || kept_) state = InputState(WithoutHeld(InputCode(state)));
  if (recording_ == Recording::kOn) frameCode_ = InputCode(state);
}

void ReplayDeck::IgnoreHeldInput(const VantorInputSystem::TVantorInputState& held,
                                 const VantorInputSystem::TVantorInputState& kept) {
  kept_ = InputCode(kept);
  held_ = static_cast<uint16_t>(InputCode(held) & ~kept_);
}

uint16_t ReplayDeck::WithoutHeld(uint16_t code) {
  for (int shift = 0; shift < 16; shift += 2) {
    const uint16_t field = static_cast<uint16_t>(3u << shift);
    if ((kept_ & field) && (code & field)) code = static_cast<uint16_t>((code & ~field) | (2u << shift));
    if (!(held_ & field)) continue;
    if (code & field) code &= static_cast<uint16_t>(~field);
    else held_ &= static_cast<uint16_t>(~field);
  }
  return code;
}

void ReplayDeck::AbandonGame() {
  if (watch_ || recording_ == Recording::kIdle) return;
  recording_ = Recording::kIdle;
  tape_.runs.clear();
}

std::shared_ptr<const Replay> ReplayDeck::EndGame(const TForm1& f, const std::string& when) {
  if (watch_) {
    if (ended_) return nullptr;
    ended_ = true;
    const Replay& r = *watch_;
    endChecksum_ = WorldChecksum(f);
    if (!mismatch_.empty()) return nullptr;
    if (frame_ != r.frames)
      mismatch_ = "the game ended on frame " + std::to_string(frame_) + ", the recorded one on frame " +
                  std::to_string(r.frames);
    else if (f.GameState.score != r.finalScore)
      mismatch_ = "the game ended with " + std::to_string(f.GameState.score) + " points, the recorded one with " +
                  std::to_string(r.finalScore);
    else if (endChecksum_ != r.endChecksum)
      mismatch_ = "the world at the end is not the recorded one (its checksum differs)";
    return nullptr;
  }
  if (recording_ == Recording::kOn) Commit();
  const bool recorded = recording_ == Recording::kOn;
  recording_ = Recording::kIdle;
  if (!recorded) return nullptr;
  tape_.endTime = static_cast<int64_t>(std::time(nullptr));
  tape_.rowText = when.substr(0, kReplayRowTextBytes);
  tape_.finalScore = f.GameState.score;
  tape_.endChecksum = WorldChecksum(f);
  last_ = std::make_shared<const Replay>(tape_);
  tape_.runs.clear();
  tape_.checkpoints.clear();
  return last_;
}

void ReplayDeck::StartRecording(const TForm1& f) {
  recording_ = Recording::kOn;
  tape_.simulationVersion = kSimulationVersion;
  tape_.frames = 0;
  tape_.runs.clear();
  tape_.checkpoints.clear();
  TakeWorldStart(f, tape_);
}

void ReplayDeck::Commit() {
  std::vector<InputRun>& runs = tape_.runs;
  if (tape_.frames == kMaxReplayFrames) {
    // Too long to keep: this game ends without a replay.
    recording_ = Recording::kAbandoned;
  } else if (!runs.empty() && runs.back().code == frameCode_ && runs.back().frames < UINT16_MAX) {
    ++runs.back().frames;
  } else {
    runs.push_back({frameCode_, 1});
  }
  ++tape_.frames;
}

}  // namespace game
