#pragma once
// One real form on the headless backend, shared by the tests of a suite: the
// assets come from the build folder; each test starts from a fresh stage with
// the ship steering at (200, 240).
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "game/form.h"
#include "game/play/play.h"
#include "platform/files.h"
#include "platform/headless/backend.h"
#include "platform/random.h"

namespace game::testing {

class PlayWorld : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    namespace fs = std::filesystem;
    home_ = fs::temp_directory_path() / ("solvara_play_" + std::to_string(::getpid()));
    fs::create_directories(home_);
    platform::SetHomeDir(home_.string());
    platform::MapFolder("bmp", std::string(SOLVARA_BUILD_DIR) + "/bmp");
    platform::MapFolder("sound", std::string(SOLVARA_BUILD_DIR) + "/sound");
    backend_ = std::make_unique<platform::headless::Backend>();
    form_ = std::make_unique<TForm1>(nullptr);
  }

  static void TearDownTestSuite() {
    form_->Close();
    form_.reset();
    backend_.reset();
    platform::ClearFolderMaps();
    std::filesystem::remove_all(home_);
  }

  void SetUp() override {
    ASSERT_TRUE(backend_->app.Exceptions().empty()) << "the form did not start";
    TForm1& f = Form();
    f.keepShipUnhurt = false;
    f.ResetRun();
    f.ResetStage();
    f.GameState.screen = ScreenPlay;
    f.GameState.autopilot = 0;
    f.GameState.musicRequest = 0;
    f.GameState.soundRequest = 0;
    f.PlayerShip.x = 200;
    f.PlayerShip.y = 240;
    f.SetTrail(200, 240);
    // options well away from the field until a test places them
    for (int k = 0; k < 2; ++k) {
      f.PlayerShip.optionX[k] = -300;
      f.PlayerShip.optionY[k] = -300;
    }
    platform::Rand().Seed(7);
  }

  static TForm1& Form() { return *form_; }

  template <class Pool>
  static int Live(Pool& pool) {
    return LiveCount(pool);
  }

  // An alive enemy in record `index` that does not move (behaviour 42).
  static Enemy& StillEnemy(int index, int x, int y, int half, int hp, int spriteSet = 0) {
    Enemy& e = Form().Enemy[index];
    e = Enemy{};
    e.state = 1;
    e.x = x;
    e.y = y;
    e.halfW = half;
    e.halfH = half;
    e.hp = hp;
    e.behaviour = 42;
    e.spriteSet = spriteSet;
    e.points = 10;
    return e;
  }

  static Shot& PlaceShot(int index, int x, int y, int half, int damage) {
    Shot& s = Form().Shot[index];
    s = Shot{};
    s.active = 1;
    s.x = x;
    s.y = y;
    s.halfW = half;
    s.halfH = half;
    s.damage = damage;
    return s;
  }

 private:
  static inline std::filesystem::path home_;
  static inline std::unique_ptr<platform::headless::Backend> backend_;
  static inline std::unique_ptr<TForm1> form_;
};

}  // namespace game::testing
