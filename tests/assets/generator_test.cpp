// The generator itself: run again, it writes exactly the files the build already holds.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "asset_files.h"

namespace assets_test {
namespace {

namespace fs = std::filesystem;

TEST(Generator, WritesTheSameBytesOnEveryRun) {
  const fs::path out = fs::temp_directory_path() / ("solvara-assetgen-" + std::to_string(getpid()));
  fs::remove_all(out);
  const std::string command = AssetPath("assetgen") + " " + out.string();
  ASSERT_EQ(std::system(command.c_str()), 0);
  int files = 0;
  for (const char* folder : {"bmp", "sound"}) {
    for (const auto& entry : fs::directory_iterator(out / folder)) {
      ++files;
      const std::string built = AssetPath(std::string(folder) + "/" + entry.path().filename().string());
      EXPECT_TRUE(ReadAll(entry.path().string()) == ReadAll(built)) << entry.path().filename() << " differs";
    }
  }
  EXPECT_EQ(files, 488 + 6 + 10);
  fs::remove_all(out);
}

TEST(Generator, RefusesAFolderItCannotWrite) {
  const std::string command = AssetPath("assetgen") + " /proc/solvara-no-such-folder 2>/dev/null";
  EXPECT_NE(std::system(command.c_str()), 0);
}

}  // namespace
}  // namespace assets_test
