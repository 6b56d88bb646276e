// "score.dat" on arbitrary bytes: the main form's ranking load, an insertion
// of a score taken from the input, two frames of the ranking display (plain
// and flashing) and the save, whose file must load back to the same rows.
//
// The form is created once with the generated pictures (SOLVARA_ASSETS, or
// the folder of this program, holding bmp/ and sound/).
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "game/form.h"
#include "game/records/score_file.h"
#include "platform/files.h"
#include "platform/headless/backend.h"

namespace {

std::string PrepareHome() {
  const char* assets = std::getenv("SOLVARA_ASSETS");
  const std::string folder = assets ? assets : platform::ProgramDir();
  const std::string home = "/tmp/score_fuzz_" + std::to_string(getpid());
  std::filesystem::create_directories(home);
  platform::SetHomeDir(home);
  platform::MapFolder("bmp", folder + "/bmp");
  platform::MapFolder("sound", folder + "/sound");
  return home + "/score.dat";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = PrepareHome();
  static platform::headless::Backend backend;
  static game::TForm1 form(nullptr);

  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  // A fresh program: zero rows, then whatever the file holds.
  std::memset(form.Ranking, 0, sizeof form.Ranking);
  form.LoadRanking();
  int32_t score = 0;
  if (size >= sizeof score) std::memcpy(&score, data + size - sizeof score, sizeof score);
  form.GameState.score = score;
  form.rankingPrepared = 0;
  form.DrawRanking();
  form.DrawRanking();

  form.SaveRanking();
  // One byte more than a ranking, to see a file that is too long.
  uint8_t saved[game::kScoreFileSize + 1] = {};
  file = std::fopen(path.c_str(), "rb");
  if (!file) __builtin_trap();
  const size_t read = std::fread(saved, 1, sizeof saved, file);
  std::fclose(file);
  if (read != game::kScoreFileSize || std::memcmp(saved, form.Ranking, game::kScoreFileSize) != 0) __builtin_trap();
  return 0;
}
