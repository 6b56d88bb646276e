#pragma once
// A real TForm1 on the headless backend, with the generated assets and a
// fresh home folder for score.dat, and a draw component that records what
// the routines draw.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "game/form.h"
#include "platform/files.h"
#include "platform/headless/backend.h"
#include "vantor/draw/draw.h"

namespace game::testing {

struct DrawCall {
  std::string op;  // "Draw", "ZoomDraw", "RotZoomDraw", "TextOutA"
  int x, y;
  std::string name;  // picture, or the text of TextOutA
  int a, b;          // Draw: effect, level; ZoomDraw: zoomX, zoomY; RotZoomDraw: angle, zoom; TextOutA: colour
};

// Records the drawing calls instead of drawing (it is never initialised).
class RecordingDraw final : public VantorDrawSystem::TVantorDraw {
 public:
  using TVantorDraw::TVantorDraw;
  void Draw(int x, int y, const AnsiString& name, int, VantorDrawSystem::TBlendEffect effect, int level) override {
    calls.push_back({"Draw", x, y, name, effect, level});
  }
  void ZoomDraw(int x, int y, int zoomX, int zoomY, const AnsiString& name, int) override {
    calls.push_back({"ZoomDraw", x, y, name, zoomX, zoomY});
  }
  void RotZoomDraw(int x, int y, int angle, int zoom, const AnsiString& name, int) override {
    calls.push_back({"RotZoomDraw", x, y, name, angle, zoom});
  }
  void TextOutA(int x, int y, const AnsiString& text) override {
    calls.push_back({"TextOutA", x, y, text, static_cast<int>(GetFont()->Color), 0});
  }
  std::vector<DrawCall> calls;
};

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = std::filesystem::temp_directory_path() /
            ("solvara_form_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(home_);
    std::filesystem::create_directories(home_);
    platform::ClearFolderMaps();
    platform::SetHomeDir(home_.string());
    platform::MapFolder("bmp", std::string(SOLVARA_BUILD_DIR) + "/bmp");
    platform::MapFolder("sound", std::string(SOLVARA_BUILD_DIR) + "/sound");
  }
  void TearDown() override {
    form.reset();
    platform::ClearFolderMaps();
    std::filesystem::remove_all(home_);
  }

  void CreateForm() { form = std::make_unique<TForm1>(nullptr); }

  // Swaps in the recording draw component (for routines called directly).
  RecordingDraw& Record() {
    auto draw = std::make_unique<RecordingDraw>(form.get());
    RecordingDraw& r = *draw;
    form->cdraw = std::move(draw);
    return r;
  }

  std::string ScorePath() const { return (home_ / "score.dat").string(); }

  platform::headless::Backend backend;
  std::filesystem::path home_;
  std::unique_ptr<TForm1> form;
};

}  // namespace game::testing
