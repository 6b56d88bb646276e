// The game's command line.
#include <gtest/gtest.h>

#include <sstream>

#include "app/command_line.h"
#include "app/game_options.h"

namespace {

struct Parsed {
  int status;
  GameOptions options;
  std::string out, err;
};
Parsed Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "solvara");
  Parsed p;
  std::ostringstream out, err;
  p.status = ParseGameOptions(static_cast<int>(args.size()), args.data(), p.options, out, err);
  p.out = out.str();
  p.err = err.str();
  return p;
}

TEST(GameOptions, EachOptionReachesTheSettings) {
  const Parsed none = Parse({});
  ASSERT_EQ(none.status, command_line::kRun);
  EXPECT_FALSE(none.options.fullScreen);
  EXPECT_FALSE(none.options.scaling);
  EXPECT_FALSE(none.options.vsync);
  EXPECT_TRUE(none.options.logFile.empty());
  EXPECT_TRUE(none.options.dataDir.empty());
  EXPECT_FALSE(none.options.mute);

  EXPECT_EQ(Parse({"--window"}).options.fullScreen, false);
  EXPECT_EQ(Parse({"--fullscreen"}).options.fullScreen, true);
  EXPECT_EQ(Parse({"--scale", "integer"}).options.scaling, platform::Scaling::Integer);
  EXPECT_EQ(Parse({"--scale=fit"}).options.scaling, platform::Scaling::Fit);
  EXPECT_EQ(Parse({"--vsync", "off"}).options.vsync, platform::VSync::Off);
  EXPECT_EQ(Parse({"--vsync=on"}).options.vsync, platform::VSync::On);
  EXPECT_EQ(Parse({"--vsync", "auto"}).options.vsync, platform::VSync::Auto);
  EXPECT_EQ(Parse({"--log", "pacing.log"}).options.logFile, "pacing.log");
  EXPECT_EQ(Parse({"--data-dir", "/tmp/ranking"}).options.dataDir, "/tmp/ranking");
  EXPECT_TRUE(Parse({"--mute"}).options.mute);
  EXPECT_EQ(Parse({"--replay", "a.rpl"}).options.replay, "a.rpl");
  EXPECT_EQ(Parse({"--replay-rank", "7"}).options.replayRank, 7);
  // A replay opened from the desktop: the file alone.
  EXPECT_EQ(Parse({"game.rpl"}).options.replay, "game.rpl");
  EXPECT_EQ(Parse({"--window", "/tmp/a b.rpl"}).options.replay, "/tmp/a b.rpl");
}

TEST(GameOptions, HelpAndVersionExitZeroAndBadCommandLinesTwo) {
  const Parsed help = Parse({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"--window", "--fullscreen", "--scale fit|integer", "--vsync auto|on|off", "--data-dir DIR",
                             "--mute", "--replay FILE", "--replay-rank N", "--log FILE"})
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  const Parsed version = Parse({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("solvara ", 0), 0u);

  const std::vector<std::vector<const char*>> bad = {
      {"--window", "--fullscreen"}, {"--scale", "big"}, {"--scale"}, {"--vsync", "sometimes"}, {"--data-dir", ""},
      {"--log", ""}, {"--bogus"}, {"a.rpl", "b.rpl"}, {"a.rpl", "--replay", "b.rpl"}, {"a.rpl", "--replay-rank", "1"},
      {""}, {"--replay-rank", "0"}, {"--replay-rank", "8"},
      {"--replay", "a.rpl", "--replay-rank", "1"}, {"--replay", ""},
      // an option where a value belongs
      {"--data-dir", "--window"}, {"--log", "--window"}, {"--replay", "--mute"}, {"--scale", "--vsync=off"},
  };
  for (const auto& args : bad) {
    const Parsed parsed = Parse(args);
    EXPECT_EQ(parsed.status, 2) << args[0];
    EXPECT_EQ(parsed.err.rfind("solvara: ", 0), 0u) << parsed.err;
    EXPECT_NE(parsed.err.find("--data-dir DIR"), std::string::npos);  // the usage follows
    EXPECT_TRUE(parsed.out.empty());
  }
}

}  // namespace
