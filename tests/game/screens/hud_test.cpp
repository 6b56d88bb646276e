#include "tests/game/form_fixture.h"

namespace game::testing {
namespace {

using VantorDrawSystem::beColorAdd;
using VantorDrawSystem::beNormal;

std::vector<DrawCall> Named(const std::vector<DrawCall>& calls, const std::string& name) {
  std::vector<DrawCall> out;
  for (const DrawCall& c : calls)
    if (c.name == name) out.push_back(c);
  return out;
}

TEST_F(FormTest, GlyphTextMapsCharactersToTheirSprites) {
  CreateForm();
  RecordingDraw& draw = Record();
  form->DrawGlyphText(100, 50, 0, "A0Z[9");
  ASSERT_EQ(draw.calls.size(), 5u);
  const char* names[] = {"A", "0", "Z", "[", "9"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(draw.calls[i].name, names[i]);
    EXPECT_EQ(draw.calls[i].x, 100 + 16 * i);
    EXPECT_EQ(draw.calls[i].y, 50);
    EXPECT_EQ(draw.calls[i].a, beNormal);
    EXPECT_EQ(draw.calls[i].b, -1);
  }
  draw.calls.clear();
  form->DrawGlyphText(0, 0, 1, "1907");
  ASSERT_EQ(draw.calls.size(), 4u);
  EXPECT_EQ(draw.calls[0].name, "1s");
  EXPECT_EQ(draw.calls[3].name, "7s");
  EXPECT_EQ(draw.calls[3].x, 48);

  draw.calls.clear();
  form->DrawGlyphText(0, 0, 2, "B");
  ASSERT_EQ(draw.calls.size(), 1u);
  EXPECT_EQ(draw.calls[0].name, "B");
  EXPECT_EQ(draw.calls[0].a, beColorAdd);
  EXPECT_EQ(draw.calls[0].b, 0x777777);

  draw.calls.clear();
  form->DrawGlyphText(0, 0, 3, "ABC");
  EXPECT_TRUE(draw.calls.empty());
}

TEST_F(FormTest, CharactersWithoutAGlyphAreSkippedButKeepTheirPlace) {
  CreateForm();
  RecordingDraw& draw = Record();
  form->DrawGlyphText(0, 0, 0, std::string_view("a-\xff\0B", 5));
  ASSERT_EQ(draw.calls.size(), 1u);
  EXPECT_EQ(draw.calls[0].name, "B");
  EXPECT_EQ(draw.calls[0].x, 64);
  draw.calls.clear();
  // The small digits have no letters.
  form->DrawGlyphText(0, 0, 1, "1A2");
  ASSERT_EQ(draw.calls.size(), 2u);
  EXPECT_EQ(draw.calls[1].name, "2s");
  EXPECT_EQ(draw.calls[1].x, 32);
}

TEST_F(FormTest, ScoreLinePlacesDigitsFrom120AndTheHighScoreFrom480) {
  CreateForm();
  RecordingDraw& draw = Record();
  for (int32_t score : {1234, 56789, 123456, 1234567}) {
    draw.calls.clear();
    form->GameState.score = score;
    form->GameState.lives = 0;
    form->DrawScoreLine();
    const std::string digits = std::to_string(score);
    std::vector<DrawCall> small;
    for (const DrawCall& c : draw.calls)
      if (c.name.size() == 2 && c.name[1] == 's' && c.y == 0 && c.x < 330) small.push_back(c);
    ASSERT_EQ(small.size(), digits.size()) << score;
    for (size_t i = 0; i < digits.size(); ++i) {
      EXPECT_EQ(small[i].x, 120 + 16 * static_cast<int>(i));
      EXPECT_EQ(small[i].name, std::string(1, digits[i]) + "s");
    }
  }
  // The high score is the ranking's best until the game beats it.
  auto highScoreShown = [&](int32_t score) {
    draw.calls.clear();
    form->GameState.score = score;
    form->DrawScoreLine();
    std::string high;
    for (const DrawCall& c : draw.calls)
      if (c.x >= 480) high += c.name[0];
    return high;
  };
  EXPECT_EQ(highScoreShown(900), "14000");
  EXPECT_EQ(highScoreShown(14001), "14001");
  // The captions.
  EXPECT_EQ(Named(draw.calls, "S").front().x, 20);
  EXPECT_EQ(Named(draw.calls, "H").front().x, 330);
  EXPECT_EQ(Named(draw.calls, "[").front().x, 330 + 32);
  // A practice has no high score: its mark stands there.
  form->practice = &PracticePoints()[0];
  EXPECT_EQ(highScoreShown(900), "");
  std::string mark;
  for (const DrawCall& c : draw.calls)
    if (c.x >= 330) mark += c.name[0];
  EXPECT_EQ(mark, "PRACTICE");
}

TEST_F(FormTest, SpareShipsUpToTen) {
  CreateForm();
  RecordingDraw& draw = Record();
  form->GameState.lives = 3;
  form->DrawScoreLine();
  auto ships = Named(draw.calls, "left");
  ASSERT_EQ(ships.size(), 3u);
  EXPECT_EQ(ships[0].x, 13);
  EXPECT_EQ(ships[2].x, 73);
  EXPECT_EQ(ships[2].y, 444);
  for (int32_t lives : {0, 11, -1}) {
    draw.calls.clear();
    form->GameState.lives = lives;
    form->DrawScoreLine();
    EXPECT_TRUE(Named(draw.calls, "left").empty()) << lives;
  }
  draw.calls.clear();
  form->GameState.lives = 10;
  form->DrawScoreLine();
  EXPECT_EQ(Named(draw.calls, "left").size(), 10u);
}

TEST_F(FormTest, BannerStaysFullHeightForNinetyFramesThenFlattensAndSinks) {
  CreateForm();
  RecordingDraw& draw = Record();
  ASSERT_NE(form->ShowBanner(0, 100), nullptr);
  for (int frame = 1; frame <= 100; ++frame) {
    draw.calls.clear();
    form->UpdateBanners();
    ASSERT_EQ(draw.calls.size(), 1u) << frame;
    const DrawCall& c = draw.calls[0];
    EXPECT_EQ(c.op, "ZoomDraw");
    EXPECT_EQ(c.name, "stage1");
    EXPECT_EQ(c.x, 230);
    if (frame <= 90) {
      EXPECT_EQ(c.b, 256) << frame;
      EXPECT_EQ(c.y, 220) << frame;
    } else {
      EXPECT_EQ(c.b, 256 - 25 * (frame - 90)) << frame;
      EXPECT_EQ(c.y, 220 + 2 * (frame - 90)) << frame;
    }
  }
  EXPECT_EQ(LiveCount(form->Banner), 0);
  draw.calls.clear();
  form->UpdateBanners();
  EXPECT_TRUE(draw.calls.empty());
}

TEST_F(FormTest, ItemCaptionsSitAtTheItemAndSinkOnePixelPerFrame) {
  CreateForm();
  RecordingDraw& draw = Record();
  form->ShowBanner(6, 10, 300, 200);
  form->UpdateBanners();
  ASSERT_EQ(draw.calls.size(), 1u);
  EXPECT_EQ(draw.calls[0].name, "g_pup");
  EXPECT_EQ(draw.calls[0].x, 300 - 48);
  EXPECT_EQ(draw.calls[0].y, 200 + 1);
  EXPECT_EQ(draw.calls[0].b, 256 - 25);
}

TEST_F(FormTest, WarningStripStepsAndFlashes) {
  CreateForm();
  RecordingDraw& draw = Record();
  form->ShowBanner(9, 121, 0, 0, 0);
  std::vector<int> xs(122, -1);
  for (int timer = 120; timer >= 0; --timer) {
    draw.calls.clear();
    form->UpdateBanners();
    if (!draw.calls.empty()) xs[timer] = draw.calls[0].x;
  }
  EXPECT_EQ(xs[100], -1);
  EXPECT_EQ(xs[99], 25);
  EXPECT_EQ(xs[81], 25);
  EXPECT_EQ(xs[80], -1);
  EXPECT_EQ(xs[59], 15);
  EXPECT_EQ(xs[40], -1);
  EXPECT_EQ(xs[19], 5);
  EXPECT_EQ(xs[0], 5);
}

TEST_F(FormTest, BannersAreDroppedWhenAllTwentyOneAreBusy) {
  CreateForm();
  for (int i = 0; i < 21; ++i) ASSERT_NE(form->ShowBanner(3, 390), nullptr);
  EXPECT_EQ(form->ShowBanner(3, 390), nullptr);
}

TEST_F(FormTest, BackgroundDrawsThreeCopiesPerPictureAndWrapsTo320) {
  CreateForm();
  RecordingDraw& draw = Record();
  form->GameState.layerX[0] = 0;
  form->GameState.layerX[1] = 2;
  form->GameState.layerX[2] = 100;
  form->GameState.layerX[3] = 1;
  form->ScrollBackground();
  ASSERT_EQ(draw.calls.size(), 24u);
  auto b00 = Named(draw.calls, "b00");
  ASSERT_EQ(b00.size(), 6u);
  const int want[6][2] = {{0, 0}, {0, 240}, {320, 0}, {320, 240}, {-320, 0}, {-320, 240}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(b00[i].x, want[i][0]);
    EXPECT_EQ(b00[i].y, want[i][1]);
  }
  EXPECT_EQ(Named(draw.calls, "b01")[0].y, 444);
  EXPECT_EQ(Named(draw.calls, "b06")[0].y, 59);
  // Each offset steps down; a negative one becomes 320 (not + 320).
  EXPECT_EQ(form->GameState.layerX[0], 320);
  EXPECT_EQ(form->GameState.layerX[1], 320);
  EXPECT_EQ(form->GameState.layerX[2], 97);
  EXPECT_EQ(form->GameState.layerX[3], 320);
}

}  // namespace
}  // namespace game::testing
