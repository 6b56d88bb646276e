// The answers kept for boards: a file of an earlier version (agreements
// only) still reads, each answer replaces the one before for its board
// alone, and a file that is no answer file is none.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "game/records/board_consent.h"

namespace game {
namespace {

namespace fs = std::filesystem;

class BoardConsent : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("solvara_consent_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string File() const {
    std::ifstream in(dir_ / kBoardConsentFile);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path dir_;
};

constexpr const char* kA = "https://a.example.org";
constexpr const char* kB = "http://127.0.0.1:8642";

TEST_F(BoardConsent, EachAnswerReplacesTheOneBeforeForItsBoardAlone) {
  const std::string state = dir_.string();
  EXPECT_EQ(ConsentFor(state, kA), Consent::kUnasked);
  const struct {
    const char* board;
    Consent answer;
    std::string file;  // afterwards
  } steps[] = {
      {kA, Consent::kAgreed, "https://a.example.org\n"},
      // The slashes at an address's end are no other board.
      {"https://a.example.org//", Consent::kAgreed, "https://a.example.org\n"},
      {kB, Consent::kDeclined, "https://a.example.org\ndeclined http://127.0.0.1:8642\n"},
      {kA, Consent::kDeclined, "declined http://127.0.0.1:8642\ndeclined https://a.example.org\n"},
      {kB, Consent::kAgreed, "declined https://a.example.org\nhttp://127.0.0.1:8642\n"},
      {kA, Consent::kUnasked, "http://127.0.0.1:8642\n"},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.file);
    std::string error;
    ASSERT_TRUE(KeepConsent(state, step.board, step.answer, error)) << error;
    EXPECT_EQ(File(), step.file);
    EXPECT_EQ(ConsentFor(state, step.board), step.answer);
    EXPECT_EQ(ConsentFor(state, std::string(step.board) + "/"), step.answer);
  }
}

TEST_F(BoardConsent, FilesOfEarlierVersionsAndStrangeLinesRead) {
  const struct {
    std::string file;
    Consent a, b;
  } files[] = {
      // An earlier version kept agreements alone, the last without its newline.
      {"https://a.example.org\nhttp://127.0.0.1:8642", Consent::kAgreed, Consent::kAgreed},
      {"declined https://a.example.org\n\n", Consent::kDeclined, Consent::kUnasked},
      // A prefix of an address, a mark without a space, a line with one more
      // letter: none is an answer for these boards.
      {"https://a.example\ndeclinedhttp://127.0.0.1:8642\nhttps://a.example.orgx\n", Consent::kUnasked,
       Consent::kUnasked},
      {std::string(70 * 1024, 'x') + "\nhttps://a.example.org\n", Consent::kUnasked, Consent::kUnasked},
  };
  fs::create_directories(dir_);
  for (const auto& f : files) {
    SCOPED_TRACE(f.file.substr(0, 60));
    std::ofstream(dir_ / kBoardConsentFile) << f.file;
    EXPECT_EQ(ConsentFor(dir_.string(), kA), f.a);
    EXPECT_EQ(ConsentFor(dir_.string(), kB), f.b);
  }
  // No board is no answer.
  std::ofstream(dir_ / kBoardConsentFile) << "\n";
  EXPECT_EQ(ConsentFor(dir_.string(), ""), Consent::kUnasked);
}

}  // namespace
}  // namespace game
