#include "game/records/ranking.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "game/form.h"
#include "game/records/score_file.h"
#include "platform/app.h"
#include "platform/encoding.h"
#include "platform/platform.h"
#include "vantor/draw/draw.h"

namespace game {
namespace {

void SetText(RankEntry& row, const std::string& when) {
  // At most 20 characters and a terminator; the bytes after it stay.
  const size_t n = when.size() < 20 ? when.size() : 20;
  std::memcpy(row.text, when.data(), n);
  row.text[n] = '\0';
}

constexpr const char* kPlaces[kSavedRows] = {"1ST", "2ND", "3RD", "4TH", "5TH", "6TH", "7TH"};

// Text colours (0x00BBGGRR): shadow and text, normal and flashing.
constexpr TColor kShadow = 0x335577, kText = 0x77DDFF;
constexpr TColor kFlashShadow = 0x99BBDD, kFlashText = 0xFFFFFF;

}  // namespace

void FillDefaultRanking(RankEntry rows[8], const std::string& when) {
  for (int i = 0; i < 8; ++i) {
    rows[i].score = 2000 * (7 - i);
    SetText(rows[i], when);
  }
}

int InsertRankedScore(RankEntry rows[8], int32_t score, const std::string& when) {
  if (score <= 0) return -1;
  for (int i = 0; i < kSavedRows; ++i) {
    if (score > rows[i].score) {
      std::memmove(&rows[i + 1], &rows[i], sizeof(RankEntry) * (kSavedRows - 1 - i));
      rows[i].score = score;
      SetText(rows[i], when);
      return i;
    }
  }
  return -1;
}

void InsertMissingRows(RankEntry rows[8], const std::vector<RankEntry>& own) {
  for (const RankEntry& mine : own) {
    const std::string text = RankText(mine);
    bool present = false;
    for (int i = 0; i < kSavedRows; ++i) present |= rows[i].score == mine.score && RankText(rows[i]) == text;
    if (!present) InsertRankedScore(rows, mine.score, text);
  }
}

std::string RankText(const RankEntry& row) {
  size_t bytes = 0;
  for (int chars = 0; chars < 20 && bytes < sizeof row.text && row.text[bytes] != '\0'; ++chars) {
    const bool pair = platform::IsCp932LeadByte(static_cast<unsigned char>(row.text[bytes])) &&
                      bytes + 1 < sizeof row.text && row.text[bytes + 1] != '\0';
    bytes += pair ? 2 : 1;
  }
  return std::string(row.text, bytes);
}

std::string RankTimestamp(std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &local);
  return text;
}

void TForm1::LoadRanking() {
  const ScoreFileState state = scoreStore->Load(Ranking);
  if (!scoreStore->DamageReport().empty()) platform::Current().app->ShowPlainMessage(scoreStore->DamageReport());
  if (state == ScoreFileState::kRead || state == ScoreFileState::kDamaged) return;
  // Watching creates no file, so it has nothing to announce.
  if (!replays.Watching()) platform::Current().app->ShowMessage(VN_TEXT("スコア記録ファイルを作成します。"));
  FillDefaultRanking(Ranking, RankTimestamp());
}

void TForm1::SaveRanking() {
  std::string reason;
  if (!scoreStore->Save(Ranking, reason)) ReportSaveFailure(reason);
}

void TForm1::ReportSaveFailure(const std::string& reason) {
  std::fprintf(stderr, "solvara: %s\n", reason.c_str());
  platform::Current().app->ShowMessage(VN_TEXT("score.dat へのアクセスに失敗しました。"));
}

void TForm1::InsertScore() {
  rankingPrepared = 1;
  newRow = kNoNewRow;
  const std::string when = RankTimestamp();
  std::shared_ptr<const Replay> replay = replays.EndGame(*this, when);
  // A watched replay's score is not the player's.
  if (replays.Watching()) return;
  // Every game played to here is kept as the last one (ranked or not).
  if (replay) scoreStore->KeepLastReplay(replay);
  // A practice never enters the ranking.
  const int row = practice ? -1 : InsertRankedScore(Ranking, GameState.score, when);
  if (row < 0) {
    scoreStore->SaveLastInBackground();
    return;
  }
  newRow = row;
  blinkPhase = 0;
  // Saved at once, so a crash or a power cut after the game loses nothing.
  scoreStore->AddOwnRow(Ranking[row], std::move(replay));
  scoreStore->SaveInBackground(Ranking);
}

void TForm1::ReportLastReplayFailure(const std::string& reason) {
  const std::string text = "The last game could not be kept to watch again: " + reason + ".";
  // Once in the window; again only on stderr, where the message also goes.
  if (lastFailureShown_) {
    std::fprintf(stderr, "solvara: %s\n", text.c_str());
    return;
  }
  lastFailureShown_ = true;
  platform::Current().app->ShowPlainMessage(text);
}

// Scores of 4 to 6 digits end at the same column; others start at 214.
int RankScoreX(size_t digits) { return digits == 5 ? 230 : digits == 4 ? 246 : 214; }

void TForm1::DrawRankRow(int row, int style, uint32_t shadow, uint32_t text) {
  const int y = 115 + 46 * row;
  const std::string_view digits = FormatNumber(Ranking[row].score);
  DrawGlyphText(RankScoreX(digits.size()), y, style, digits);
  TFont* font = cdraw->GetFont();
  font->SetSize(15);
  const AnsiString when = RankText(Ranking[row]);
  font->Color = shadow;
  cdraw->TextOutA(373, y + 5, when);
  font->Color = text;
  cdraw->TextOutA(372, y + 4, when);
  DrawGlyphText(110, y, style, kPlaces[row]);
}

void TForm1::DrawRanking() {
  if (rankingPrepared == 0) InsertScore();
  DrawGlyphText(270, 55, 0, "RANKING");
  for (int i = 0; i < kSavedRows; ++i) DrawRankRow(i, 0, kShadow, kText);
  if (newRow < kSavedRows) {
    const bool flash = FlashLit(blinkPhase == 2, GameState.screenCounter);
    DrawRankRow(newRow, flash ? 2 : 0, flash ? kFlashShadow : kShadow, flash ? kFlashText : kText);
    blinkPhase = blinkPhase == 2 ? 0 : 2;
  }
}

}  // namespace game
