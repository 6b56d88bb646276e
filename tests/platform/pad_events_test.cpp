// A pad as the real application hears it (SDL's dummy video driver, a pad
// that exists only inside SDL): buttons going down and up, the stick pushed
// past half way and back, and the pad pulled out.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/sdl/application.h"
#include "platform/pad.h"
#include "platform/sdl/input_virtual_pad.h"

namespace platform::sdl {
namespace {

TEST(PadEvents, ButtonsStickAndUnplugging) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  SdlApplication app;
  VirtualPad pad(VirtualPad::Kind::GameController);
  ASSERT_TRUE(pad.Attached());
  // The input component opens the pad in the game; its events come then.
  SDL_GameController* controller = SDL_GameControllerOpen(0);
  ASSERT_NE(controller, nullptr);

  std::vector<std::string> heard;
  auto note = [&](const char* what, const KeyEvent& key) {
    heard.push_back(std::string(what) + " " + std::to_string(key.virtualKey) + " " + std::to_string(key.padButton));
  };
  app.OnKeyDown([&](const KeyEvent& key) { note("down", key); });
  app.OnKeyUp([&](const KeyEvent& key) { note("up", key); });
  app.OnDeactivate([&] { heard.push_back("unplugged"); });

  struct Step {
    std::function<void()> act;
    std::vector<std::string> then;  // what the application heard after it
  };
  const std::string a = " " + std::to_string(kPadA);
  const std::string none = " -1";
  const std::vector<Step> steps = {
      {[&] { pad.SetButton(VirtualPad::kA, true); }, {"down 195" + a}},
      {[&] { pad.SetButton(VirtualPad::kA, false); }, {"up 195" + a}},
      {[&] { pad.SetAxis(VirtualPad::kLeftY, -16384); }, {}},
      {[&] { pad.SetAxis(VirtualPad::kLeftY, -16385); }, {"down 211" + none}},
      {[&] { pad.SetAxis(VirtualPad::kLeftY, 32767); }, {"up 211" + none, "down 212" + none}},
      {[&] { pad.SetAxis(VirtualPad::kLeftY, 0); }, {"up 212" + none}},
      // Pulled out with a button held: the button goes up first.
      {[&] { pad.SetButton(VirtualPad::kA, true); }, {"down 195" + a}},
      {[&] { pad.Detach(); }, {"up 195" + a, "unplugged"}},
  };
  size_t step = 0;
  // Each step acts once the events of the one before have been handled.
  app.OnIdle([&] {
    if (step > 0) {
      EXPECT_EQ(heard, steps[step - 1].then) << "step " << step - 1;
    }
    heard.clear();
    if (step == steps.size()) app.Terminate();
    else steps[step++].act();
    return false;
  });
  app.Run();
  EXPECT_EQ(step, steps.size());
  app.OnIdle(nullptr);
  SDL_GameControllerClose(controller);
}

}  // namespace
}  // namespace platform::sdl
