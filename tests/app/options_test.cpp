#include <gtest/gtest.h>

#include <sstream>

#include "app/command_line.h"
#include "app/probe/key_script.h"
#include "app/probe/options.h"

namespace probe {
namespace {

// Parses like the runner's main; the status, and what went to stdout and stderr.
struct Parsed {
  int status;
  std::string out, err;
};
Parsed Parse(std::vector<const char*> args, Options& o) {
  args.insert(args.begin(), "solvara-probe");
  std::ostringstream out, err;
  const int status = ParseOptions(static_cast<int>(args.size()), args.data(), o, out, err);
  return {status, out.str(), err.str()};
}

TEST(ProbeOptions, DefaultsAndEveryOption) {
  Options o;
  ASSERT_EQ(Parse({}, o).status, command_line::kRun);
  EXPECT_EQ(o.frames, 1000);
  EXPECT_FALSE(o.framesGiven);
  EXPECT_EQ(o.seed, 1u);
  EXPECT_TRUE(o.home.empty());
  EXPECT_FALSE(o.bot);
  EXPECT_FALSE(o.invincible);

  const Parsed parsed = Parse({"--frames", "100", "--seed", "42", "--home", "/tmp/h", "--assets", "/tmp/a", "--keys",
                               "k.txt", "--shot", "5:a.png", "--shot", "12:b.png", "--trace", "t.jsonl", "--wav", "w.wav",
                               "--bot", "--invincible"},
                              o);
  ASSERT_EQ(parsed.status, command_line::kRun) << parsed.err;
  EXPECT_EQ(o.frames, 100);
  EXPECT_EQ(o.seed, 42u);
  EXPECT_EQ(o.home, "/tmp/h");
  EXPECT_EQ(o.assets, "/tmp/a");
  EXPECT_EQ(o.keys, "k.txt");
  ASSERT_EQ(o.shots.size(), 2u);
  EXPECT_EQ(o.shots[0], std::make_pair(5, std::string("a.png")));
  EXPECT_EQ(o.shots[1], std::make_pair(12, std::string("b.png")));
  EXPECT_EQ(o.trace, "t.jsonl");
  EXPECT_EQ(o.wav, "w.wav");
  EXPECT_TRUE(o.bot);
  EXPECT_TRUE(o.invincible);

  Options record;
  ASSERT_EQ(Parse({"--bot", "--record", "r.rpl"}, record).status, command_line::kRun);
  EXPECT_EQ(record.record, "r.rpl");
  Options replay;
  ASSERT_EQ(Parse({"--replay", "r.rpl", "--verify", "--frames", "5"}, replay).status, command_line::kRun);
  EXPECT_EQ(replay.replay, "r.rpl");
  EXPECT_TRUE(replay.verify);
  EXPECT_TRUE(replay.framesGiven);
  // Watching, keys work the watching controls.
  Options watch;
  ASSERT_EQ(Parse({"--replay", "r.rpl", "--keys", "k.txt", "--fast"}, watch).status, command_line::kRun);
  EXPECT_TRUE(watch.fast);
  Options practice;
  ASSERT_EQ(Parse({"--bot", "--practice", "5", "--power", "4"}, practice).status, command_line::kRun);
  EXPECT_EQ(practice.practice, 5);
  EXPECT_EQ(practice.power, 4);
}

TEST(ProbeOptions, BadCommandLinesExitTwoWithTheReasonAndTheUsage) {
  const std::vector<std::vector<const char*>> bad = {
      {"--frames"},       {"--frames", "ten"},  {"--frames", "-1"},   {"--seed", "4294967296"},
      {"--shot", "5"},    {"--shot", "0:a.png"}, {"--shot", "x:a.png"}, {"--shot", "3:"},
      {"--home", ""},     {"--bogus"},          {"--bot", "extra"},
      // a replay is its own input, and a recording is of a game that can be lost
      {"--verify"}, {"--replay", "r.rpl", "--bot"}, {"--fast"}, {"--replay", "r.rpl", "--practice", "1"},
      {"--practice", "6"}, {"--practice", "0"}, {"--power", "2"}, {"--practice", "1", "--power", "5"},
      {"--replay", "r.rpl", "--seed", "3"}, {"--replay", "r.rpl", "--record", "s.rpl"},
      {"--record", "r.rpl", "--invincible"},
      // an option where a value belongs
      {"--log", "--bot"}, {"--home", "--frames", "5"}, {"--trace", "--log=run.log"}, {"--shot", "--help"},
      {"--keys", "-h"},
  };
  for (const auto& args : bad) {
    Options o;
    const Parsed parsed = Parse(args, o);
    EXPECT_EQ(parsed.status, 2) << args[0];
    EXPECT_EQ(parsed.err.rfind("solvara-probe: ", 0), 0u) << parsed.err;
    EXPECT_NE(parsed.err.find("--trace FILE.jsonl"), std::string::npos);
  }
  Options o;
  const Parsed help = Parse({"--help"}, o);
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"--keys FILE", "--bot", "--invincible", "--profile", "--record FILE", "--replay FILE",
                             "--verify", "Exit status"})
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
}

TEST(KeyScript, RangesSingleFramesAndOpenEnds) {
  std::istringstream in(
      "# a comment line\n"
      "10-12 Z\n"
      "\n"
      "20 Up+Left   # one frame\n"
      "30- X+C\n"
      "11 Down\n");
  KeyScript script;
  std::string error;
  ASSERT_TRUE(script.Parse(in, error)) << error;
  EXPECT_EQ(script.KeysAt(9), 0);
  EXPECT_EQ(script.KeysAt(10), kKeyZ);
  EXPECT_EQ(script.KeysAt(11), kKeyZ | kKeyDown);
  EXPECT_EQ(script.KeysAt(12), kKeyZ);
  EXPECT_EQ(script.KeysAt(13), 0);
  EXPECT_EQ(script.KeysAt(20), kKeyUp | kKeyLeft);
  EXPECT_EQ(script.KeysAt(21), 0);
  EXPECT_EQ(script.KeysAt(30), kKeyX | kKeyC);
  EXPECT_EQ(script.KeysAt(100000), kKeyX | kKeyC);
}

TEST(KeyScript, EveryKeyName) {
  std::istringstream in("1 Up+Down+Left+Right+Z+X+C+V+Escape+P\n");
  KeyScript script;
  std::string error;
  ASSERT_TRUE(script.Parse(in, error)) << error;
  EXPECT_EQ(script.KeysAt(1), 0x3FF);
}

// Text runs to the last quote of its line, "#" and quotes included, and
// is typed on its frame only.
TEST(KeyScript, TextIsTypedOnItsFrame) {
  std::istringstream in(
      "5 \"Ace\"\n"
      "6 \"a # b \"q\"\"   # a comment\n"
      "7 \"\"\n"
      "5 \"!\"\n"
      "10 Up  # \"no text\"\n");
  KeyScript script;
  std::string error;
  ASSERT_TRUE(script.Parse(in, error)) << error;
  EXPECT_EQ(script.TextAt(5), "Ace!");
  EXPECT_EQ(script.TextAt(6), "a # b \"q\"");
  EXPECT_EQ(script.TextAt(7), "");
  EXPECT_EQ(script.TextAt(10), "");
  EXPECT_EQ(script.KeysAt(10), kKeyUp);
  EXPECT_EQ(script.KeysAt(5), 0u);
}

TEST(KeyScript, BadLinesNameTheirLine) {
  const char* bad[] = {"5 Q\n",         "0 Z\n",         "7-3 Z\n",           "x Z\n",          "5\n",
                       "5 Z X\n",       "5-6-7 Z\n",     "5 Z+\n",            "5 \"abc\n",      "x \"abc\"\n",
                       "5-9 \"abc\"\n", "5 6 \"abc\"\n", "5 \"abc\" Z\n",      "\"abc\"\n"};
  for (const char* text : bad) {
    std::istringstream in(std::string("# ok\n") + text);
    KeyScript script;
    std::string error;
    EXPECT_FALSE(script.Parse(in, error)) << text;
    EXPECT_EQ(error.rfind("line 2: ", 0), 0u) << error;
  }
}

}  // namespace
}  // namespace probe
