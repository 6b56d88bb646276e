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
  for (const char* folder : {"bmp", "sound", "icons"}) {
    for (const auto& entry : fs::directory_iterator(out / folder)) {
      ++files;
      const std::string built = AssetPath(std::string(folder) + "/" + entry.path().filename().string());
      EXPECT_TRUE(ReadAll(entry.path().string()) == ReadAll(built)) << entry.path().filename() << " differs";
    }
  }
  EXPECT_EQ(files, 488 + 6 + 10 + 5);
  fs::remove_all(out);
}

// Each icon is a square RGBA PNG of the size its name and its theme folder promise.
TEST(Generator, IconsAreSquareRgbaPngsOfTheirSize) {
  for (uint32_t size : {32u, 48u, 64u, 128u, 256u}) {
    const Bytes png = ReadAll(AssetPath("icons/solvara-" + std::to_string(size) + ".png"));
    ASSERT_GE(png.size(), 26u) << size;
    EXPECT_EQ(Be(png, 0, 4), 0x89504E47u) << size;  // "\x89PNG"
    EXPECT_EQ(Be(png, 12, 4), 0x49484452u) << size;  // the IHDR chunk
    EXPECT_EQ(Be(png, 16, 4), size);
    EXPECT_EQ(Be(png, 20, 4), size);
    EXPECT_EQ(png[25], 6) << size;  // colour type: RGB with alpha
  }
}

TEST(Generator, RefusesAFolderItCannotWrite) {
  const std::string command = AssetPath("assetgen") + " /proc/solvara-no-such-folder 2>/dev/null";
  EXPECT_NE(std::system(command.c_str()), 0);
}

}  // namespace
}  // namespace assets_test
