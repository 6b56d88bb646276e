#include <cstring>
#include <fstream>

#include "tests/game/form_fixture.h"
#include "game/records/ranking.h"
#include "game/records/score_file.h"
#include "vantor/sound/sound.h"

namespace game::testing {
namespace {

namespace fs = std::filesystem;

TEST_F(FormTest, StartsOnTheTitleWithTheDefaultRankingWhenScoreFileIsMissing) {
  CreateForm();
  EXPECT_TRUE(backend.app.Exceptions().empty()) << backend.app.Exceptions().front();
  ASSERT_EQ(backend.app.Messages().size(), 1u);
  EXPECT_EQ(backend.app.Messages()[0], VN_TEXT("スコア記録ファイルを作成します。"));
  const int32_t want[8] = {14000, 12000, 10000, 8000, 6000, 4000, 2000, 0};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(form->Ranking[i].score, want[i]) << i;
  EXPECT_EQ(RankText(form->Ranking[0]).size(), 19u);
  // Nothing is written before the form closes.
  EXPECT_FALSE(fs::exists(ScorePath()));

  EXPECT_EQ(form->GameState.screen, ScreenTitle);
  EXPECT_EQ(form->GameState.musicRequest, 1);
  EXPECT_EQ(form->GameState.showHowToPlayNext, 1);
  EXPECT_EQ(form->GameState.titleZoom, 768);
  EXPECT_EQ(form->dirCos[8], -15);
  EXPECT_EQ(backend.app.Headless()->Caption(), "SOLVARA 2001");
  EXPECT_FALSE(backend.app.Headless()->CursorShown());
  EXPECT_TRUE(backend.app.HasIdleHandler());
}

// The worker thread's save is in the thread sanitizer's set (RankingSave).
TEST_F(FormTest, RankingSavedAtOnceAfterANewRowAndKeptAtClose) {
  RankEntry rows[8] = {};
  FillDefaultRanking(rows, "2001/08/01 12:00:00");
  rows[0].score = 54321;
  ASSERT_TRUE(WriteScoreFile(ScorePath(), rows));
  CreateForm();
  EXPECT_TRUE(backend.app.Messages().empty());
  EXPECT_EQ(form->Ranking[0].score, 54321);
  EXPECT_EQ(form->Ranking[7].score, 0);

  form->GameState.score = 33333;
  form->InsertScore();
  // On disk before the program closes: a crash from now on loses nothing.
  form->scoreStore->Wait();
  RankEntry back[8] = {};
  ASSERT_EQ(ReadScoreFile(ScorePath(), back), ScoreFileState::kRead);
  EXPECT_EQ(back[1].score, 33333);

  form->FormKeyDown({platform::kVirtualKeyEscape});
  EXPECT_TRUE(backend.app.Terminated());
  EXPECT_FALSE(backend.app.HasIdleHandler());
  EXPECT_EQ(form->cdraw, nullptr);
  EXPECT_EQ(form->chip, nullptr);
  ASSERT_EQ(fs::file_size(ScorePath()), 308u);
  ASSERT_EQ(ReadScoreFile(ScorePath(), back), ScoreFileState::kRead);
  EXPECT_EQ(back[0].score, 54321);
  EXPECT_EQ(back[1].score, 33333);
  EXPECT_EQ(RankText(back[2]), "2001/08/01 12:00:00");
}

TEST_F(FormTest, OtherKeysDoNotClose) {
  CreateForm();
  backend.app.PressKey('Z');
  backend.app.PressKey(13);
  EXPECT_FALSE(backend.app.Terminated());
}

// A short file is read as it comes, after its bytes were kept beside it.
TEST_F(FormTest, ShortScoreFileKeepsZerosAndIsKeptBeforeItIsWrittenWhole) {
  const std::string bytes("\x10\x27\0\0", 4);
  std::ofstream(ScorePath(), std::ios::binary) << bytes;
  CreateForm();
  ASSERT_EQ(backend.app.Messages().size(), 1u);
  EXPECT_NE(backend.app.Messages()[0].find("is damaged (4 bytes, not 308)"), std::string::npos);
  EXPECT_EQ(form->Ranking[0].score, 10000);
  EXPECT_EQ(form->Ranking[1].score, 0);
  form->Close();
  EXPECT_EQ(fs::file_size(ScorePath()), 308u);
  std::ifstream kept(ScorePath() + ".damaged", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), bytes);
}

TEST_F(FormTest, RankingSaveThatFailsIsReportedAndCloseGoesOn) {
  CreateForm();
  // A folder in the way of the file: it can be neither written nor replaced.
  fs::create_directories(ScorePath());
  // The save after a new row fails on the worker; the frame thread says so.
  form->GameState.score = 50000;
  form->InsertScore();
  form->scoreStore->Wait();
  backend.app.Step();
  form->Close();
  EXPECT_TRUE(backend.app.Terminated());
  const std::string failed = VN_TEXT("score.dat へのアクセスに失敗しました。");
  EXPECT_EQ(backend.app.Messages(), (std::vector<std::string>{VN_TEXT("スコア記録ファイルを作成します。"), failed, failed}));
  EXPECT_EQ(form->cmid, nullptr);
}

TEST_F(FormTest, FramesStartNoSoonerThan33MillisecondsApartWithoutCatchingUp) {
  CreateForm();
  ASSERT_TRUE(backend.app.Step());
  const uint32_t first = backend.clock.Milliseconds();
  ASSERT_TRUE(backend.app.Step());
  EXPECT_EQ(backend.clock.Milliseconds(), first + 33);
  // A frame that took 50 ms is followed at once ...
  backend.clock.Advance(50);
  ASSERT_TRUE(backend.app.Step());
  EXPECT_EQ(backend.clock.Milliseconds(), first + 33 + 50);
  // ... and the one after it waits its 33 ms again.
  backend.clock.Advance(10);
  ASSERT_TRUE(backend.app.Step());
  EXPECT_EQ(backend.clock.Milliseconds(), first + 33 + 50 + 33);
}

TEST_F(FormTest, FirstFrameStartsAtOnceWhereverTheClockStands) {
  backend.clock.Set(0x90000000u);
  CreateForm();
  ASSERT_TRUE(backend.app.Step());
  EXPECT_EQ(backend.clock.Milliseconds(), 0x90000000u);
  ASSERT_TRUE(backend.app.Step());
  EXPECT_EQ(backend.clock.Milliseconds(), 0x90000000u + 33);
}

TEST_F(FormTest, ScreensWithoutCodeOnlyClearServeAndPresent) {
  CreateForm();
  form->GameState.screen = 5;
  form->GameState.soundRequest = 2;
  form->GameState.score = 77;
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(backend.app.Step());
  EXPECT_EQ(form->GameState.screen, 5);
  EXPECT_EQ(form->GameState.screenCounter, 0);
  EXPECT_EQ(form->GameState.soundRequest, 0);
  EXPECT_EQ(form->GameState.score, 77);
  EXPECT_TRUE(backend.app.Exceptions().empty());
}

TEST_F(FormTest, TheTitleSongStartsOnTheFirstFrame) {
  CreateForm();
  ASSERT_TRUE(backend.app.Step());
  EXPECT_EQ(form->songStarted, 1);
  EXPECT_EQ(form->GameState.musicRequest, 0);
  ASSERT_TRUE(backend.app.Step());
  EXPECT_EQ(form->songStarted, 0);
}

// A synthesizer still loading its SoundFont: the frames go on without
// music, and the last song requested meanwhile plays once it is ready.
TEST_F(FormTest, TheLastSongRequestWaitsForTheSynthesizer) {
  backend.midi.HoldStarting(true);
  CreateForm();
  ASSERT_TRUE(backend.app.Step());
  form->GameState.musicRequest = 3;
  ASSERT_TRUE(backend.app.Step());
  EXPECT_EQ(form->songStarted, 0);
  EXPECT_EQ(form->GameState.musicRequest, 0);
  for (const platform::headless::MidiRecord& r : backend.midi.Records())
    EXPECT_EQ(r.kind, platform::headless::MidiRecord::Kind::Open);
  backend.midi.HoldStarting(false);
  ASSERT_TRUE(backend.app.Step());
  EXPECT_EQ(form->songStarted, 3);
  ASSERT_TRUE(backend.app.Step());
  EXPECT_EQ(form->songStarted, 0);
}

TEST_F(FormTest, RequestsAreServedOncePerFrame) {
  CreateForm();
  ASSERT_TRUE(backend.app.Step());
  // Music 7 or above stops the music and plays nothing.
  form->songStarted = 0;
  form->GameState.musicRequest = 7;
  form->ServeRequests();
  EXPECT_EQ(form->songStarted, 0);
  EXPECT_EQ(form->GameState.musicRequest, 0);
  form->GameState.musicRequest = 5;
  form->ServeRequests();
  EXPECT_EQ(form->songStarted, 5);

  // Two sound requests in one frame: the later one plays.
  form->GameState.soundRequest = 3;
  form->GameState.soundRequest = 6;
  form->ServeRequests();
  EXPECT_EQ(form->effectStarted, 6);
  EXPECT_TRUE(form->csou->IsPlaying("06"));
  EXPECT_FALSE(form->csou->IsPlaying("03"));
  EXPECT_EQ(form->GameState.soundRequest, 0);

  // Effects above 10 play nothing and are cleared.
  form->effectStarted = 0;
  form->GameState.soundRequest = 11;
  form->ServeRequests();
  EXPECT_EQ(form->effectStarted, 0);
  EXPECT_EQ(form->GameState.soundRequest, 0);
}

TEST_F(FormTest, AFailingRequestIsReportedOnceNotEveryFrame) {
  CreateForm();
  ASSERT_TRUE(backend.app.Step());
  form->csou->DeleteBuffer("04");
  form->GameState.soundRequest = 4;
  ASSERT_TRUE(backend.app.Step());
  ASSERT_TRUE(backend.app.Step());
  EXPECT_EQ(backend.app.Exceptions().size(), 1u);
  EXPECT_EQ(form->GameState.soundRequest, 0);
}

TEST_F(FormTest, ResetsForANewGameAStageAndANewLife) {
  CreateForm();
  form->GameState.stage = 1;
  form->GameState.score = 500;
  form->GameState.lives = 0;
  form->GameState.layerX[2] = 99;
  form->PlayerShip.power = 3;
  form->PlayerShip.powerCounter = 1;
  form->ResetRun();
  EXPECT_EQ(form->GameState.stage, 0);
  EXPECT_EQ(form->GameState.score, 0);
  EXPECT_EQ(form->GameState.lives, 2);
  EXPECT_EQ(form->GameState.layerX[2], 0);
  EXPECT_EQ(form->PlayerShip.power, 0);
  EXPECT_EQ(form->PlayerShip.powerCounter, 0);

  form->Shot[3].active = 1;
  form->Enemy[39].state = 2;
  form->EnemyBullet[120].active = 1;
  form->Effect[0].active = 1;
  form->Banner[20].timer = 7;
  form->GameState.scriptPos = 40;
  form->GameState.invincible = 9;
  form->GameState.gameOver = 1;
  form->PlayerShip.power = 3;
  form->ResetStage();
  EXPECT_EQ(form->PlayerShip.x, -1600);
  EXPECT_EQ(form->PlayerShip.y, 240);
  EXPECT_EQ(form->PlayerShip.tilt, 5);
  EXPECT_EQ(form->GameState.autopilot, 1);
  EXPECT_EQ(form->GameState.autopilotSpeed, 58);
  EXPECT_EQ(form->GameState.scriptPos, 0);
  EXPECT_EQ(form->GameState.invincible, 0);
  EXPECT_EQ(form->GameState.gameOver, 0);
  EXPECT_EQ(form->PlayerShip.power, 3);  // kept: only a new game resets it
  for (const TrailPoint& p : form->Trail) EXPECT_EQ(p.x, -1600);
  EXPECT_EQ(LiveCount(form->Shot) + LiveCount(form->Enemy) + LiveCount(form->EnemyBullet) +
                LiveCount(form->Effect) + LiveCount(form->Banner),
            0);

  form->Shot[0].active = 1;
  form->GameState.score = 1234;
  form->GameState.dying = 1;
  form->StartNewLife();
  EXPECT_EQ(form->PlayerShip.x, -600);
  EXPECT_EQ(form->GameState.autopilotSpeed, 38);
  EXPECT_EQ(form->GameState.invincible, 120);
  EXPECT_EQ(form->GameState.dying, 0);
  EXPECT_EQ(form->Trail[20].x, -600);
  EXPECT_EQ(form->Shot[0].active, 1);
  EXPECT_EQ(form->GameState.score, 1234);
  EXPECT_EQ(form->PlayerShip.power, 3);
}

TEST_F(FormTest, TrailMovesOnePlaceDown) {
  CreateForm();
  form->SetTrail(0, 0);
  form->PlayerShip.x = 10;
  form->PlayerShip.y = 20;
  form->UpdateTrail();
  form->PlayerShip.x = 11;
  form->UpdateTrail();
  EXPECT_EQ(form->Trail[0].x, 11);
  EXPECT_EQ(form->Trail[1].x, 11);
  EXPECT_EQ(form->Trail[2].x, 10);
  EXPECT_EQ(form->Trail[3].x, 0);
}

}  // namespace
}  // namespace game::testing
