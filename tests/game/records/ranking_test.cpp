#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "game/records/ranking.h"
#include "game/records/ranking_replays.h"
#include "game/records/replay.h"
#include "game/records/score_file.h"

namespace game {
namespace {

namespace fs = std::filesystem;

class ScoreFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("solvara_ranking_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    path_ = (dir_ / "score.dat").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  void WriteBytes(const std::string& bytes) {
    std::ofstream(path_, std::ios::binary) << bytes;
  }

  fs::path dir_;
  std::string path_;
};

TEST_F(ScoreFile, MissingFileIsReportedAndLeavesRowsAlone) {
  RankEntry rows[8] = {};
  rows[0].score = 5;
  EXPECT_EQ(ReadScoreFile(path_, rows), ScoreFileState::kMissing);
  EXPECT_EQ(rows[0].score, 5);
}

TEST_F(ScoreFile, AFolderInPlaceOfTheFileIsUnreadable) {
  std::filesystem::create_directories(path_);
  RankEntry rows[8] = {};
  EXPECT_EQ(ReadScoreFile(path_, rows), ScoreFileState::kUnreadable);
}

TEST_F(ScoreFile, ShortFileFillsOnlyTheBytesItHas) {
  std::string bytes(50, '\0');
  const int32_t first = 123456;
  std::memcpy(bytes.data(), &first, 4);
  std::memcpy(bytes.data() + 4, "2001/08/01", 10);
  bytes[44] = 0x39;  // low byte of row 1's score
  bytes[45] = 0x30;
  WriteBytes(bytes);
  RankEntry rows[8] = {};
  ASSERT_EQ(ReadScoreFile(path_, rows), ScoreFileState::kDamaged);
  EXPECT_EQ(rows[0].score, 123456);
  EXPECT_EQ(RankText(rows[0]), "2001/08/01");
  EXPECT_EQ(rows[1].score, 0x3039);
  EXPECT_EQ(rows[2].score, 0);
  EXPECT_EQ(rows[6].score, 0);
}

TEST_F(ScoreFile, LongFileGivesOnlySevenRows) {
  RankEntry rows[8] = {};
  WriteBytes(std::string(400, '\x01'));
  ASSERT_EQ(ReadScoreFile(path_, rows), ScoreFileState::kDamaged);
  EXPECT_EQ(rows[6].score, 0x01010101);
  EXPECT_EQ(rows[7].score, 0);
}

TEST_F(ScoreFile, SavedFileIs308BytesAndLoadsBackTheSameRows) {
  RankEntry rows[8] = {};
  FillDefaultRanking(rows, "2026/12/07 08:00:00");
  rows[3].text[30] = 'x';  // bytes after the terminator travel with the row
  rows[7].score = 777;     // the spare row is never saved
  ASSERT_TRUE(WriteScoreFile(path_, rows));
  EXPECT_EQ(fs::file_size(path_), 308u);
  // Nothing but the file itself is left (no temporary file).
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);

  RankEntry back[8] = {};
  ASSERT_EQ(ReadScoreFile(path_, back), ScoreFileState::kRead);
  EXPECT_EQ(std::memcmp(rows, back, 7 * sizeof(RankEntry)), 0);
  EXPECT_EQ(back[7].score, 0);

  // Saving over an existing file replaces it whole.
  rows[0].score = 99999;
  ASSERT_TRUE(WriteScoreFile(path_, rows));
  ASSERT_EQ(ReadScoreFile(path_, back), ScoreFileState::kRead);
  EXPECT_EQ(back[0].score, 99999);
  EXPECT_EQ(fs::file_size(path_), 308u);
}

TEST_F(ScoreFile, UnwritableFolderFailsAndKeepsTheOldFile) {
  RankEntry rows[8] = {};
  EXPECT_FALSE(WriteScoreFile((dir_ / "missing" / "score.dat").string(), rows));
}

// A row asked for by --replay-rank that has no replay says which rows have
// one, and what the player can do.
TEST_F(ScoreFile, ARowWithoutAReplaySaysWhichRowsHaveOne) {
  struct Case {
    bool ranking;
    std::vector<int> withReplays;  // rows (1-7) whose replay file is there
    int rank;
    const char* reason;
  };
  const Case cases[] = {
      {false, {}, 1, "there is no ranking in DIR yet. Play a game that enters the ranking first"},
      {true, {}, 1,
       "it has none (only a game that entered the ranking keeps one), and no row has one yet. Play a game that enters "
       "the ranking first"},
      {true, {2}, 4,
       "it has none (only a game that entered the ranking keeps one). Row 2 has one: watch it with --replay-rank 2, "
       "or choose it in Replays on the title menu"},
      {true, {7, 1, 5}, 3,
       "it has none (only a game that entered the ranking keeps one). Rows 1, 5 and 7 have one: watch one with "
       "--replay-rank 1, or choose it in Replays on the title menu"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    RankEntry rows[8] = {};
    FillDefaultRanking(rows, "2026/12/07 14:38:33");
    if (c.ranking) {
      ASSERT_TRUE(WriteScoreFile(path_, rows));
    }
    for (const int rank : c.withReplays) std::ofstream(dir_ / ReplayFileName(rows[rank - 1])) << "a replay";
    Replay replay;
    std::string path = "before", reason;
    EXPECT_FALSE(ReadRankReplay(dir_.string(), c.rank, replay, path, reason));
    EXPECT_EQ(path, c.ranking ? "" : "before");
    std::string want = c.reason;
    if (const size_t at = want.find("DIR"); at != std::string::npos) want.replace(at, 3, dir_.string());
    EXPECT_EQ(reason, want);
  }
}

TEST(Ranking, DefaultTable) {
  RankEntry rows[8] = {};
  FillDefaultRanking(rows, "2026/12/07 08:00:00");
  const int32_t want[8] = {14000, 12000, 10000, 8000, 6000, 4000, 2000, 0};
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(rows[i].score, want[i]);
    EXPECT_EQ(RankText(rows[i]), "2026/12/07 08:00:00");
  }
}

TEST(Ranking, InsertionGoesBelowEqualScoresAndDropsTheLastRow) {
  RankEntry rows[8] = {};
  FillDefaultRanking(rows, "old");
  EXPECT_EQ(InsertRankedScore(rows, 12000, "new"), 2);
  const int32_t want[8] = {14000, 12000, 12000, 10000, 8000, 6000, 4000, 0};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(rows[i].score, want[i]) << i;
  EXPECT_EQ(RankText(rows[2]), "new");
  EXPECT_EQ(RankText(rows[3]), "old");
}

TEST(Ranking, ScoresThatDoNotRankChangeNothing) {
  RankEntry rows[8] = {};
  FillDefaultRanking(rows, "old");
  RankEntry before[8];
  std::memcpy(before, rows, sizeof rows);
  EXPECT_EQ(InsertRankedScore(rows, 1999, "new"), -1);
  EXPECT_EQ(InsertRankedScore(rows, 0, "new"), -1);
  EXPECT_EQ(std::memcmp(before, rows, sizeof rows), 0);
  // The best score goes on top; the spare row 7 is never touched.
  EXPECT_EQ(InsertRankedScore(rows, 1000000, "top"), 0);
  EXPECT_EQ(rows[1].score, 14000);
  EXPECT_EQ(rows[6].score, 4000);
  EXPECT_EQ(rows[7].score, 0);
  // A damaged file's negative rows never let a score of 0 in (the attract
  // ranking would fill the table with zeros, one per cycle).
  for (RankEntry& row : rows) row.score = -5;
  EXPECT_EQ(InsertRankedScore(rows, 0, "attract"), -1);
  EXPECT_EQ(InsertRankedScore(rows, 1, "game"), 0);
}

TEST(Ranking, TextNeverReadsPastItsFortyBytesNorShowsMoreThanTwentyCharacters) {
  RankEntry row{};
  std::memset(row.text, 'A', sizeof row.text);  // no terminator at all
  EXPECT_EQ(RankText(row), std::string(20, 'A'));
  // A double-byte character counts once and is never split.
  std::memset(row.text, 0, sizeof row.text);
  std::string sjis;
  for (int i = 0; i < 25; ++i) sjis += "\x82\xa0";
  std::memcpy(row.text, sjis.data(), 40);
  EXPECT_EQ(RankText(row).size(), 40u);
  row.text[5] = '\0';
  EXPECT_EQ(RankText(row), std::string("\x82\xa0\x82\xa0\x82", 5));
}

TEST(Ranking, TimestampFitsTheRow) {
  std::string when = RankTimestamp();
  EXPECT_LE(when.size(), 20u);
  EXPECT_EQ(when.size(), 19u);
}

}  // namespace
}  // namespace game
