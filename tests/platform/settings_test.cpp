// The settings file: every setting read, and whatever is wrong reported with
// its line and left at its default.
#include <gtest/gtest.h>

#include "platform/settings.h"

namespace platform {
namespace {

TEST(Settings, EverySettingIsRead) {
  std::vector<std::string> problems;
  const Settings s = ParseSettings(
      "[display]\nmode = \"window\"\nscale = \"integer\"\nreduced_flashing = true\n"
      "[sound]\nmusic = 0\neffects = 55\n"
      "[keys]\nup = \"W\"\nbutton1 = \"Left Shift\"\npause = \"F1\"\n"
      "[pad]\nbutton3 = \"y\"\npause = \"back\"\n",
      "s.toml", problems);
  EXPECT_TRUE(problems.empty()) << problems.front();
  EXPECT_EQ(s.fullScreen, false);
  EXPECT_EQ(s.scaling, Scaling::Integer);
  EXPECT_TRUE(s.reducedFlashing);
  EXPECT_EQ(s.musicVolume, 0);
  EXPECT_EQ(s.effectsVolume, 55);
  EXPECT_EQ(s.keys[kUp].name, "W");
  EXPECT_EQ(s.keys[kButton1].name, "Left Shift");
  EXPECT_EQ(s.keys[kButton1].line, 10);
  EXPECT_EQ(s.keys[kPause].name, "F1");
  EXPECT_TRUE(s.keys[kDown].name.empty());
  EXPECT_EQ(s.padButtons[kButton3].name, "y");
  EXPECT_EQ(s.padButtons[kPause].name, "back");
}

TEST(Settings, WhatIsWrongIsReportedWithItsLineAndKeepsItsDefault) {
  struct Case {
    const char* text;
    const char* problem;  // the start of the one problem
  };
  const Case cases[] = {
      {"[display]\nmode = \"big\"\n", "s.toml line 2: [display] mode must be"},
      {"[display]\nscale = 2\n", "s.toml line 2: [display] scale must be"},
      {"[display]\n\nreduced_flashing = \"yes\"\n", "s.toml line 3: [display] reduced_flashing must be"},
      {"[sound]\nmusic = 101\n", "s.toml line 2: [sound] music must be"},
      {"[sound]\neffects = -1\n", "s.toml line 2: [sound] effects must be"},
      {"[sound]\neffects = 50.5\n", "s.toml line 2: [sound] effects must be"},
      {"[keys]\nup = 38\n", "s.toml line 2: [keys] up must be"},
      {"[keys]\nup = \"\"\n", "s.toml line 2: [keys] up must be"},
      {"[keys]\njump = \"J\"\n", "s.toml line 2: unknown setting [keys] jump"},
      {"[pad]\nup = \"dpup\"\n", "s.toml line 2: unknown setting [pad] up"},
      {"volume = 3\n", "s.toml line 1: unknown setting volume"},
      {"[display]\nmode = \"window\"\n[sound\nmusic = 5\n", "s.toml line 3: "},
  };
  for (const Case& c : cases) {
    std::vector<std::string> problems;
    const Settings s = ParseSettings(c.text, "s.toml", problems);
    ASSERT_EQ(problems.size(), 1u) << c.text;
    EXPECT_EQ(problems[0].rfind(c.problem, 0), 0u) << problems[0];
    EXPECT_FALSE(s.fullScreen) << c.text;  // a file that is no TOML keeps even what was right
    EXPECT_FALSE(s.scaling);
    EXPECT_FALSE(s.reducedFlashing);
    EXPECT_EQ(s.musicVolume, 100);
    EXPECT_EQ(s.effectsVolume, 100);
    EXPECT_TRUE(s.keys[kUp].name.empty());
  }
}

}  // namespace
}  // namespace platform
