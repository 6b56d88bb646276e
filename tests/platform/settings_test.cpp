// The settings file: every setting read, and whatever is wrong reported with
// its line and left at its default.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "platform/settings.h"
#include "platform/user_dirs.h"

namespace platform {
namespace {

// A dotted key of `parts` parts: "a.a.a...".
std::string DeepKey(int parts) {
  std::string key = "a";
  for (int i = 1; i < parts; ++i) key += ".a";
  return key;
}

TEST(Settings, EverySettingIsRead) {
  std::vector<SettingsProblem> problems;
  const Settings s = ParseSettings(
      "[display]\nmode = \"window\"\nscale = \"integer\"\nreduced_flashing = true\nvsync = \"off\"\n"
      "[sound]\nmusic = 0\neffects = 55\n"
      "[keys]\nup = \"W\"\nbutton1 = \"Left Shift\"\npause = \"F1\"\n"
      "[pad]\nbutton3 = \"y\"\npause = \"back\"\n"
      "[online]\nserver = \"https://board.example.org:8443/solvara\"\nname = \"Ace\"\n",
      "s.toml", problems);
  EXPECT_TRUE(problems.empty()) << problems.front().what;
  EXPECT_EQ(s.fullScreen, false);
  EXPECT_EQ(s.scaling, Scaling::Integer);
  EXPECT_TRUE(s.reducedFlashing);
  EXPECT_EQ(s.vsync, VSync::Off);
  EXPECT_EQ(s.musicVolume, 0);
  EXPECT_EQ(s.effectsVolume, 55);
  EXPECT_EQ(s.keys[kUp].name, "W");
  EXPECT_EQ(s.keys[kButton1].name, "Left Shift");
  EXPECT_EQ(s.keys[kButton1].line, 11);
  EXPECT_EQ(s.keys[kPause].name, "F1");
  EXPECT_TRUE(s.keys[kDown].name.empty());
  EXPECT_EQ(s.padButtons[kButton3].name, "y");
  EXPECT_EQ(s.padButtons[kPause].name, "back");
  EXPECT_EQ(s.onlineServer, "https://board.example.org:8443/solvara");
  EXPECT_EQ(s.onlineName, "Ace");
  // Plain HTTP to this machine, and nothing at all.
  for (const char* server : {"http://localhost:8642", "http://127.0.0.1", "http://[::1]:8642/", ""}) {
    const Settings local = ParseSettings(std::string("[online]\nserver = \"") + server + "\"\n", "s.toml", problems);
    EXPECT_TRUE(problems.empty()) << server;
    EXPECT_EQ(local.onlineServer, server);
  }
}

TEST(Settings, WhatIsWrongIsReportedWithItsLineAndKeepsItsDefault) {
  struct Case {
    std::string text;
    int line;
    const char* problem;  // the start of the one problem
  };
  // Dotted keys of 50,000 parts (a 100 KB file), which take the parser's
  // recursion past the end of the stack, and of 30,000 (60 KB).
  const Case cases[] = {
      {DeepKey(50000) + " = 1\n", 0, "the file is larger than 64 KiB"},
      {DeepKey(30000) + " = 1\n", 1, "tables, keys or values nested more than 16 levels deep"},
      {"[display]\nmode = \"window\"\n\"=\"." + DeepKey(31990) + " = 1\n", 3, "tables, keys or values nested"},
      {"[display]\nmode = \"window\"\n[" + DeepKey(17) + "]\n", 3, "tables, keys or values nested"},
      {"[sound]\nmusic = " + std::string(20000, '[') + "\n", 2, "tables, keys or values nested"},
      {"# " + std::string(64 * 1024, 'x') + "\n", 0, "the file is larger than 64 KiB"},
      {"[display]\nmode = \"big\"\n", 2, "[display] mode must be"},
      {"[display]\nscale = 2\n", 2, "[display] scale must be"},
      {"[display]\n\nreduced_flashing = \"yes\"\n", 3, "[display] reduced_flashing must be"},
      {"[display]\nvsync = true\n", 2, "[display] vsync must be"},
      {"[sound]\nmusic = 101\n", 2, "[sound] music must be"},
      {"[sound]\neffects = -1\n", 2, "[sound] effects must be"},
      {"[sound]\neffects = 50.5\n", 2, "[sound] effects must be"},
      {"[keys]\nup = 38\n", 2, "[keys] up must be"},
      {"[keys]\nup = \"\"\n", 2, "[keys] up must be"},
      {"[online]\nserver = 8642\n", 2, "[online] server must be an https:// address in quotes"},
      {"[online]\nserver = \"http://board.example.org\"\n", 2, "[online] server must be an https:// address: http:// only"},
      {"[online]\nserver = \"http://localhost.example.org\"\n", 2, "[online] server must be an https:// address: http://"},
      {"[online]\nserver = \"http://localhost@example.org\"\n", 2, "[online] server must be an address with a host"},
      {"[online]\nserver = \"ftp://localhost\"\n", 2, "[online] server must be an https:// address (http://"},
      {"[online]\nserver = \"https://\"\n", 2, "[online] server must be an address with a host"},
      {"[online]\nserver = \"https://a b\"\n", 2, "[online] server must be an address without spaces"},
      {"[online]\nname = \"seventeen chars!!\"\n", 2, "[online] name must be 1-16 printable"},
      {"[online]\nname = \" Ace\"\n", 2, "[online] name must be 1-16 printable"},
      {"[display]\nmode = \"window\"\n[sound\nmusic = 5\n", 3, ""},
  };
  for (const Case& c : cases) {
    std::vector<SettingsProblem> problems;
    const Settings s = ParseSettings(c.text, "s.toml", problems);
    ASSERT_EQ(problems.size(), 1u) << c.text.substr(0, 100);
    EXPECT_EQ(problems[0].line, c.line) << c.text.substr(0, 100);
    EXPECT_EQ(problems[0].what.rfind(c.problem, 0), 0u) << problems[0].what;
    EXPECT_FALSE(s.fullScreen) << c.text.substr(0, 100);  // a file that is no TOML keeps even what was right
    EXPECT_FALSE(s.scaling);
    EXPECT_FALSE(s.reducedFlashing);
    EXPECT_EQ(s.vsync, VSync::Auto);
    EXPECT_EQ(s.musicVolume, 100);
    EXPECT_EQ(s.effectsVolume, 100);
    EXPECT_TRUE(s.keys[kUp].name.empty());
    EXPECT_TRUE(s.onlineServer.empty());
    EXPECT_TRUE(s.onlineName.empty());
  }
}

// A key the game does not know (a newer version's, a mistyped name) is no
// mistake: the rest is read, and one line names them all for stderr and the
// log, in the order of their lines.
TEST(Settings, KeysTheGameDoesNotKnowAreNamedOnceAndStopNothing) {
  struct Case {
    std::string text;
    size_t problems;   // mistakes said in the window
    const char* note;  // after "s.toml names settings ... unused):"
  };
  const Case cases[] = {
      {"[sound]\nmusic = 5\n", 0, nullptr},
      {"[sound]\nmusic = 5\n[keys]\njump = \"J\"\n", 0, " line 4 [keys] jump"},
      {"volume = 3\n[pad]\nup = \"dpup\"\n[sound]\nmusic = 5\n[extra]\n[extra.deeper]\n", 0,
       " line 1 volume, line 3 [pad] up, line 7 [extra] deeper"},
      // A mistaken value of a known key is still a mistake.
      {"[sound]\nmuisc = 5\nmusic = 500\n", 1, " line 2 [sound] muisc"},
      {"\"\\u001b[2J\" = 1\n[sound]\nmusic = 5\n\"" + std::string(50, 'k') + "\u00e9\" = 1\n", 0,
       " line 1 ?[2J, line 4 [sound] kkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkk..."},
  };
  for (const Case& c : cases) {
    std::vector<SettingsProblem> problems;
    const Settings s = ParseSettings(c.text, "s.toml", problems);
    EXPECT_EQ(problems.size(), c.problems) << c.text;
    EXPECT_EQ(s.musicVolume, c.problems ? 100 : 5) << c.text;
    const std::string note = UnknownKeysNote(s);
    if (!c.note) {
      EXPECT_EQ(note, "") << c.text;
      continue;
    }
    EXPECT_EQ(note, std::string("s.toml names settings this version does not know (they stay in the file, unused):") +
                        c.note);
  }
  std::string many;
  for (int key = 0; key < 12; ++key) many += "k" + std::to_string(key) + " = 1\n";
  std::vector<SettingsProblem> problems;
  const std::string note = UnknownKeysNote(ParseSettings(many, "s.toml", problems));
  EXPECT_NE(note.find("line 10 k9 and 2 more"), std::string::npos) << note;
}

// The file itself, in the player's config folder.
TEST(Settings, TheSettingsFileIsRead) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("solvara-settings-" + std::to_string(getpid()));
  fs::remove_all(dir);
  SetConfigDir((dir / "config").string());
  SetStateDir((dir / "state" / "solvara").string());
  std::vector<SettingsProblem> problems;
  EXPECT_EQ(LoadSettings(problems).musicVolume, 100);  // no file: the defaults
  EXPECT_TRUE(problems.empty());

  fs::create_directories(dir / "config");
  std::ofstream(dir / "config" / "settings.toml") << "[sound]\nmusic = 40\n";
  EXPECT_EQ(LoadSettings(problems).musicVolume, 40);
  fs::remove(dir / "config" / "settings.toml");
  fs::create_directories(dir / "config" / "settings.toml");
  EXPECT_EQ(LoadSettings(problems).musicVolume, 100);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].what.find("cannot be read"), std::string::npos) << problems[0].what;
  // One message, in the order of the lines, naming the file; past ten
  // mistakes, what fits the window and the count of the rest.
  EXPECT_EQ(ProblemsMessage("s.toml", {{4, "b"}, {0, "a"}, {2, "c"}}),
            "Mistakes in s.toml; what they name keeps its default:\na\nline 2: c\nline 4: b");
  std::vector<SettingsProblem> many;
  for (int line = 25; line >= 1; --line) many.push_back({line, "x"});
  const std::string message = ProblemsMessage("s.toml", many);
  EXPECT_NE(message.find("\nline 10: x\nand 15 more"), std::string::npos) << message;
  EXPECT_EQ(message.find("line 11:"), std::string::npos) << message;

  // Temporary files a writer that died left: gone once ten minutes old.
  const fs::path old = dir / "config" / ".settings.toml.0123456789abcdef.tmp";
  const fs::path young = dir / "state" / "solvara" / ".state.toml.fedcba9876543210.tmp";
  fs::create_directories(young.parent_path());
  std::ofstream(old) << "left";
  std::ofstream(young) << "being written";
  fs::last_write_time(old, fs::file_time_type::clock::now() - std::chrono::minutes(11));
  LoadSettings(problems);
  EXPECT_FALSE(fs::exists(old));
  EXPECT_TRUE(fs::exists(young));
  SetConfigDir("");
  SetStateDir("");
  fs::remove_all(dir);
}

}  // namespace
}  // namespace platform
