// A replay file on arbitrary bytes: the reader, then, for what it accepts,
// the same replay written and read again, and a few frames of play from the
// world it starts with. Inputs whose last byte is odd get their checksum put
// right first (that byte is the checksum's), so the checks behind it are
// reached too.
//
// The form is created once with the generated pictures (SOLVARA_ASSETS, or
// the folder of this program, holding bmp/ and sound/).
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "game/form.h"
#include "game/records/replay_file.h"
#include "platform/files.h"
#include "platform/headless/backend.h"

namespace {

bool PrepareHome() {
  const char* assets = std::getenv("SOLVARA_ASSETS");
  const std::string folder = assets ? assets : platform::ProgramDir();
  const std::string home = "/tmp/replay_fuzz_" + std::to_string(getpid());
  std::filesystem::create_directories(home);
  platform::SetHomeDir(home);
  platform::MapFolder("bmp", folder + "/bmp");
  platform::MapFolder("sound", folder + "/sound");
  return true;
}

constexpr int kFramesPlayed = 8;

bool Same(const game::Replay& a, const game::Replay& b) {
  if (a.runs.size() != b.runs.size()) return false;
  for (size_t i = 0; i < a.runs.size(); ++i)
    if (a.runs[i].code != b.runs[i].code || a.runs[i].frames != b.runs[i].frames) return false;
  if (a.checkpoints.size() != b.checkpoints.size()) return false;
  for (size_t i = 0; i < a.checkpoints.size(); ++i)
    if (a.checkpoints[i].world != b.checkpoints[i].world || a.checkpoints[i].pools != b.checkpoints[i].pools)
      return false;
  return a.format == b.format && a.simulationVersion == b.simulationVersion && a.endTime == b.endTime && a.rowText == b.rowText &&
         a.finalScore == b.finalScore && a.endChecksum == b.endChecksum && a.frames == b.frames &&
         a.randomState == b.randomState && a.world == b.world;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool prepared = PrepareHome();
  static platform::headless::Backend backend;
  static game::TForm1 form(nullptr);
  (void)prepared;

  std::vector<uint8_t> bytes(data, data + size);
  if (size >= 8 && bytes[size - 1] % 2 == 1) {
    const uint32_t crc = game::ReplayCrc32(std::span(bytes).first(size - 4));
    for (int i = 0; i < 4; ++i) bytes[size - 4 + i] = static_cast<uint8_t>(crc >> (8 * i));
  }
  game::Replay replay;
  std::string reason;
  if (!game::DecodeReplay(bytes, replay, reason)) {
    if (reason.empty()) __builtin_trap();
    return 0;
  }
  // What it accepts covers its frames exactly with codes a poll gives.
  uint64_t covered = 0;
  for (const game::InputRun& run : replay.runs) {
    if (run.frames == 0 || !game::ValidInputCode(run.code)) __builtin_trap();
    covered += run.frames;
  }
  if (covered != replay.frames || replay.frames == 0) __builtin_trap();
  // Format 2 has a checkpoint for each stretch of its frames.
  if (replay.format == 2 && replay.checkpoints.size() != game::CheckpointsOf(replay.frames)) __builtin_trap();
  game::Replay again;
  if (!game::DecodeReplay(game::EncodeReplay(replay), again, reason) || !Same(replay, again)) __builtin_trap();

  game::RestoreWorldStart(form, replay);
  for (int i = 0; i < kFramesPlayed; ++i) {
    try {
      form.FrameIdle();
    } catch (const std::exception&) {
      // The frame ends there, as in the game's loop.
    }
  }
  game::WorldChecksum(form);
  return 0;
}
