// The rooms of game/ depend one way, as game/CMakeLists.txt states: read
// from the include lines of the sources themselves.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// Every include of a file under `folder` that starts with `forbidden`, as
// "file:line: include".
std::string IncludesOf(const fs::path& folder, const std::string& forbidden) {
  std::string found;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path());
    int number = 0;
    for (std::string line; std::getline(in, line);) {
      ++number;
      const size_t quote = line.find('"');
      if (line.rfind("#include", 0) != 0 || quote == std::string::npos) continue;
      if (line.compare(quote + 1, forbidden.size(), forbidden) == 0)
        found += entry.path().string() + ":" + std::to_string(number) + ": " + line + "\n";
    }
  }
  return found;
}

TEST(GameLayering, NoRoomIncludesWhatItMustNotKnow) {
  struct Rule {
    const char* room;
    const char* forbidden;
  };
  const Rule rules[] = {
      // The world knows nothing of who plays, draws or keeps it.
      {"game/world", "game/play/"},
      {"game/world", "game/screens/"},
      {"game/world", "game/records/"},
      // The screens reach play only through the form.
      {"game/screens", "game/play/"},
      // Only the platform layer knows its backends.
      {"game", "platform/sdl/"},
      {"game", "platform/headless/"},
  };
  const fs::path source(SOLVARA_SOURCE_DIR);
  for (const Rule& rule : rules) {
    ASSERT_TRUE(fs::is_directory(source / rule.room)) << rule.room;
    EXPECT_EQ(IncludesOf(source / rule.room, rule.forbidden), "") << rule.room << " includes " << rule.forbidden;
  }
}

}  // namespace
