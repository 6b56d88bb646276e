#include <gtest/gtest.h>

#include <cstring>

#include "platform/headless/backend.h"
#include "platform/platform.h"
#include "platform/sdl/input.h"
#include "vantor/input/input.h"

namespace {

// The real input service on a machine without a keyboard in front of it:
// it opens, enumerates whatever pads there are, and reads a keyboard on
// which nothing is held.
TEST(SdlInputTest, OpensAndReadsNothingHeld) {
  platform::headless::Backend backend;
  platform::sdl::SdlInput sdl;
  platform::Current().input = &sdl;
  {
    VantorInputSystem::TVantorInput input(nullptr);
    input.Init();
    ASSERT_TRUE(input.Initialized());
    for (int poll = 0; poll < 2; ++poll) {
      VantorInputSystem::TVantorInputState state;
      std::memset(&state, 0xFF, sizeof state);
      input.GetState(state);
      uint8_t bytes[8];
      std::memcpy(bytes, &state, sizeof bytes);
      // A pad on the test machine may be held; the keyboard is not.
      const int first = input.HasJoystick() ? 2 : 0;
      for (int i = first; i < 8; ++i) EXPECT_EQ(bytes[i], 0) << i;
    }
    input.CleanUp();
  }
  platform::Current().input = &backend.input;
}

}  // namespace
