#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "platform/files.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

// A child process saves a 308-byte ranking over and over, alternating two
// contents, and is killed at a random moment. Whatever the moment, the file
// must hold one of the two complete contents, never a truncated or mixed one.
TEST(AtomicSaveCrashTest, AKilledSaverLeavesEitherTheOldOrTheNewFile) {
  auto dir = std::filesystem::temp_directory_path() / ("solvara-crash-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "score.dat").string();
  const std::string first(308, '\x11'), second(308, '\x22');
  ASSERT_TRUE(platform::WriteFileAtomically(path, first.data(), first.size()));

  std::mt19937 random(12345);
  std::uniform_int_distribution<int> delayMicroseconds(0, 3000);
  const int kills = 60;
  for (int round = 0; round < kills; ++round) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (unsigned i = 0;; ++i) {
        const std::string& data = (i & 1) ? first : second;
        platform::WriteFileAtomically(path, data.data(), data.size());
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    std::string now = ReadFile(path);
    ASSERT_EQ(now.size(), 308u) << "round " << round;
    ASSERT_TRUE(now == first || now == second) << "round " << round;
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
