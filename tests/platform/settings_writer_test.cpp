// The game's changes to the player's settings file: line by line, the
// player's lines kept; the file in every state a player may leave it in,
// written as nobody (permissions mean nothing to root); state.toml's display
// mode taken over once.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/settings.h"
#include "platform/settings_writer.h"
#include "platform/user_dirs.h"
#include "tests/as_player.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// A key of 30,000 dotted parts after `first`, which would run the TOML
// parser's recursion out of stack.
std::string DeepKeyLine(const std::string& first = "a") {
  std::string line = first;
  for (int part = 1; part < 30000; ++part) line += ".a";
  return line + " = 1\n";
}

TEST(SettingsText, OneLineChangesAndTheRestStays) {
  struct Case {
    std::string before;
    SettingChange change;
    const char* after;  // null: refused
  };
  const Case cases[] = {
      // The value replaced; its comment, the order and unknown keys stay.
      {"[sound]\nmusic = 80   # loud\nbass = 3\neffects = 5\n", {"sound", "music", "45"},
       "[sound]\nmusic = 45   # loud\nbass = 3\neffects = 5\n"},
      {"[keys]\nup = \"#\" # the hash key\n", {"keys", "up", "\"W\""}, "[keys]\nup = \"W\" # the hash key\n"},
      {"[sound]\n\"music\" = 80\n", {"sound", "music", "5"}, "[sound]\n\"music\" = 5\n"},
      {"['sound']\n'music' = 80\n", {"sound", "music", "5"}, "['sound']\n'music' = 5\n"},
      {"[sound]\n\"mus\\u0069c\" = 80\n", {"sound", "music", "5"}, nullptr},
      // Added after the last key of its table; a comment before the next
      // table stays with it.
      {"[display] # the screen\nmode = \"window\"\n\n# keys next\n[keys]\nup = \"W\"\n", {"display", "scale", "\"fit\""},
       "[display] # the screen\nmode = \"window\"\nscale = \"fit\"\n\n# keys next\n[keys]\nup = \"W\"\n"},
      {"[keys]\n# none yet\n", {"keys", "button1", "\"V\""}, "[keys]\nbutton1 = \"V\"\n# none yet\n"},
      // The table added at the end.
      {"# mine\n[display]\nmode = \"window\"", {"sound", "music", "10"},
       "# mine\n[display]\nmode = \"window\"\n\n[sound]\nmusic = 10\n"},
      {"", {"keys", "button1", "\"V\""}, "[keys]\nbutton1 = \"V\"\n"},
      {"[sound]\r\nmusic = 80\r\n", {"sound", "effects", "5"}, "[sound]\r\nmusic = 80\r\neffects = 5\r\n"},
      // A byte-order mark stays first.
      {"\xEF\xBB\xBF[sound]\nmusic = 80\n", {"sound", "music", "5"}, "\xEF\xBB\xBF[sound]\nmusic = 5\n"},
      {"\xEF\xBB\xBF# mine\r\n", {"sound", "music", "5"}, "\xEF\xBB\xBF# mine\r\n\r\n[sound]\r\nmusic = 5\r\n"},
      {"\xEF\xBB\xBF", {"sound", "music", "5"}, "\xEF\xBB\xBF[sound]\nmusic = 5\n"},
      // Removed with its comment; a key that is not there changes nothing.
      {"[keys]\nup = \"W\"  # mine\nfoo = 1\n", {"keys", "up", std::nullopt}, "[keys]\nfoo = 1\n"},
      {"[pad]\n", {"pad", "pause", std::nullopt}, "[pad]\n"},
      // What cannot be changed line by line, and what is no TOML.
      {"sound.music = 80\n", {"sound", "music", "5"}, nullptr},
      {"sound = { music = 80 }\n", {"sound", "music", "5"}, nullptr},
      {"[sound]\nmusic = \"\"\"\n80\"\"\"\n", {"sound", "music", "5"}, nullptr},
      {"[sound]\nmusic = 1\n[sound\n", {"sound", "music", "5"}, nullptr},
      {DeepKeyLine(), {"sound", "music", "5"}, nullptr},
      {DeepKeyLine("\"=\""), {"sound", "music", "5"}, nullptr},
  };
  for (const Case& c : cases) {
    std::string text = c.before, error;
    EXPECT_EQ(EditSettingsText(text, {c.change}, error), c.after != nullptr) << c.before << error;
    EXPECT_EQ(text, c.after ? c.after : c.before);
    EXPECT_EQ(error.empty(), c.after != nullptr) << c.before;
  }
  std::string broken = "[sound]\nmusic = 1\n[sound\n", error;
  EditSettingsText(broken, {{"sound", "music", "5"}}, error);
  EXPECT_EQ(error.rfind("line 3 is no TOML", 0), 0u) << error;
}

// Reset controls removes every key and pad button the file names, from any
// file: a table it leaves empty stays, and none is made where there was none.
TEST(SettingsText, ResettingTheControlsRemovesTheirLines) {
  std::vector<SettingChange> reset;
  for (const char* table : {"keys", "pad"})
    for (const char* control : kControlNames) reset.push_back({table, control, std::nullopt});
  struct Case {
    const char* before;
    const char* after;
  };
  const Case cases[] = {
      {"", ""},
      {"# SOLVARA 2001 settings, made by the game's Options\n\n[sound]\nmusic = 45\n",
       "# SOLVARA 2001 settings, made by the game's Options\n\n[sound]\nmusic = 45\n"},
      {"[keys]\nup = \"W\"\n", "[keys]\n"},
      {"[pad]\nbutton1 = \"y\"\n# mine\n", "[pad]\n# mine\n"},
      {"[sound]\nmusic = 5\n[keys]\nbutton2 = \"V\" # fire\njump = \"J\"\n[pad]\npause = \"back\"\n[display]\n",
       "[sound]\nmusic = 5\n[keys]\njump = \"J\"\n[pad]\n[display]\n"},
      {"[ \"keys\" ]\r\n\"up\" = \"W\"\r\n", "[ \"keys\" ]\r\n"},
      {"\xEF\xBB\xBF[keys]\nup = \"W\"\n", "\xEF\xBB\xBF[keys]\n"},
      {"keys = 3\n", "keys = 3\n"},
  };
  for (const Case& c : cases) {
    std::string text = c.before, error;
    EXPECT_TRUE(EditSettingsText(text, reset, error)) << c.before << error;
    EXPECT_EQ(text, c.after);
  }
  // What cannot be changed line by line still says so.
  std::string dotted = "keys.up = \"W\"\n", error;
  EXPECT_FALSE(EditSettingsText(dotted, reset, error));
  EXPECT_EQ(error, "the file is written in a way the game cannot change line by line");
}

// Saves as the player, with the settings in `config`; "saved", or the
// reason, and the backup made.
std::string SaveAsNobody(const fs::path& config, rlim_t fileSizeLimit, const std::vector<SettingChange>& changes) {
  return testing_as_player::AsPlayer([&] {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit size{fileSizeLimit, fileSizeLimit};
    setrlimit(RLIMIT_FSIZE, &size);
    SetConfigDir(config.string());
    const SettingsSaved saved = SaveSettings(changes);
    return (saved.saved ? "saved" : saved.error) + "|" + saved.backup;
  });
}

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

void Write(const fs::path& path, const std::string& text, fs::perms mode = fs::perms(0644)) {
  std::ofstream(path, std::ios::binary) << text;
  fs::permissions(path, mode);
}

constexpr const char* kMine = "# my settings\n[sound]\nmusic = 80 # loud\n";
constexpr const char* kOwn = "# SOLVARA 2001 settings, made by the game's Options\n[sound]\nmusic = 80\n";

TEST(SettingsFile, EveryStateItMayBeIn) {
  struct Case {
    const char* name;
    std::function<void(const fs::path& config)> arrange;
    rlim_t fileSizeLimit;
    const char* said;      // "saved", or a part of the reason
    bool backup;           // settings.toml.bak made now
    const char* settings;  // settings.toml (or what it points to) afterwards
    const char* copy;      // settings.toml.bak afterwards (null: none)
  };
  const std::string mineSaved = "# my settings\n[sound]\nmusic = 45 # loud\n";
  const Case cases[] = {
      {"none yet", [](const fs::path&) {}, RLIM_INFINITY, "saved", false,
       "# SOLVARA 2001 settings, made by the game's Options\n\n[sound]\nmusic = 45\n", nullptr},
      {"the player's", [](const fs::path& c) { Write(c / "settings.toml", kMine, fs::perms(0600)); }, RLIM_INFINITY,
       "saved", true, mineSaved.c_str(), kMine},
      {"the player's, a copy kept before",
       [](const fs::path& c) {
         Write(c / "settings.toml", kMine);
         Write(c / "settings.toml.bak", "older");
       },
       RLIM_INFINITY, "saved", false, mineSaved.c_str(), "older"},
      {"the game's own", [](const fs::path& c) { Write(c / "settings.toml", kOwn); }, RLIM_INFINITY, "saved", false,
       "# SOLVARA 2001 settings, made by the game's Options\n[sound]\nmusic = 45\n", nullptr},
      {"a link to a file elsewhere",
       [](const fs::path& c) {
         Write(c / "real.toml", kMine);
         fs::create_symlink("real.toml", c / "settings.toml");
       },
       RLIM_INFINITY, "saved", true, mineSaved.c_str(), kMine},
      {"read-only", [](const fs::path& c) { Write(c / "settings.toml", kMine, fs::perms(0444)); }, RLIM_INFINITY,
       "Permission denied", false, kMine, nullptr},
      {"in a read-only folder",
       [](const fs::path& c) {
         Write(c / "settings.toml", kOwn);
         fs::permissions(c, fs::perms(0555));
       },
       RLIM_INFINITY, "Permission denied", false, kOwn, nullptr},
      {"a link to a folder", [](const fs::path& c) { fs::create_directory_symlink("/tmp", c / "settings.toml"); },
       RLIM_INFINITY, "not a regular file", false, nullptr, nullptr},
      {"a link to /dev/null", [](const fs::path& c) { fs::create_symlink("/dev/null", c / "settings.toml"); },
       RLIM_INFINITY, "not a regular file", false, nullptr, nullptr},
      {"a named pipe", [](const fs::path& c) { mkfifo((c / "settings.toml").c_str(), 0644); }, RLIM_INFINITY,
       "not a regular file", false, nullptr, nullptr},
      {"a full disk", [](const fs::path& c) { Write(c / "settings.toml", kOwn); }, 16, "File too large", false, kOwn, nullptr},
      {"no TOML", [](const fs::path& c) { Write(c / "settings.toml", "[sound\n"); }, RLIM_INFINITY, "line 1", false,
       "[sound\n", nullptr},
  };
  const fs::path root = fs::temp_directory_path() / ("solvara-writer-" + std::to_string(getpid()));
  for (const Case& c : cases) {
    fs::remove_all(root);
    const fs::path config = root / "config";
    fs::create_directories(config);
    fs::permissions(root, fs::perms(0755));
    c.arrange(config);
    if (geteuid() == 0) {
      lchown(config.c_str(), 65534, 65534);
      for (const fs::directory_entry& e : fs::directory_iterator(config)) lchown(e.path().c_str(), 65534, 65534);
    }
    const fs::path settings = config / "settings.toml", copy = config / "settings.toml.bak";
    const fs::perms mode = fs::status(settings).permissions();
    const std::string said = SaveAsNobody(config, c.fileSizeLimit, {{"sound", "music", "45"}});
    EXPECT_NE(said.find(c.said), std::string::npos) << c.name << ": " << said;
    EXPECT_EQ(said.substr(said.find('|') + 1).empty(), !c.backup) << c.name << ": " << said;
    if (c.settings) {
      EXPECT_EQ(Read(settings), c.settings) << c.name;
    }
    if (mode != fs::perms::unknown) {
      EXPECT_EQ(fs::status(settings).permissions(), mode) << c.name;
    }
    EXPECT_EQ(fs::exists(copy), c.copy != nullptr) << c.name;
    if (c.copy) {
      EXPECT_EQ(Read(copy), c.copy) << c.name;
      EXPECT_FALSE(fs::is_symlink(copy)) << c.name;
    }
    if (c.backup) {
      EXPECT_EQ(fs::status(copy).permissions(), mode) << c.name;
    }
    fs::permissions(config, fs::perms::owner_all, fs::perm_options::add);
  }
  fs::remove_all(root);
}

// A settings or state file of a gigabyte is read no further than a settings
// file may be long, and changes nothing.
TEST(SettingsFile, AHugeFileIsNotReadWhole) {
  const fs::path root = fs::temp_directory_path() / ("solvara-huge-" + std::to_string(getpid()));
  fs::remove_all(root);
  fs::create_directories(root);
  for (const char* name : {"settings.toml", "state.toml"}) {
    Write(root / name, "fullscreen = false\n");
    fs::resize_file(root / name, 1 << 30);
  }
  const std::string said = testing_as_player::AsPlayer([&] {
    SetConfigDir(root.string());
    SetStateDir(root.string());
    std::string note;
    const bool taken = TakeOverRememberedMode(false, note).has_value();
    const SettingsSaved saved = SaveSettings({{"sound", "music", "45"}});
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return std::string(taken || saved.saved ? "changed" : saved.error) + "|" + std::to_string(usage.ru_maxrss / 1024);
  });
  EXPECT_NE(said.find("settings.toml: the file is larger than 64 KiB"), std::string::npos) << said;
  EXPECT_LT(std::stoi(said.substr(said.find('|') + 1)), 256) << "MiB resident at most";
  EXPECT_EQ(fs::file_size(root / "settings.toml"), 1u << 30);
  fs::remove_all(root);
}

// The file is read again before each change: what the player wrote into it
// meanwhile stays.
TEST(SettingsFile, APlayersEditBetweenTwoChangesStays) {
  const fs::path config = fs::temp_directory_path() / ("solvara-reread-" + std::to_string(getpid()));
  fs::remove_all(config);
  fs::create_directories(config);
  SetConfigDir(config.string());
  EXPECT_TRUE(SaveSettings({{"sound", "music", "45"}}).saved);
  std::ofstream(config / "settings.toml", std::ios::app) << "# mine\n[keys]\nup = \"W\"\n";
  EXPECT_TRUE(SaveSettings({{"sound", "effects", "5"}}).saved);
  EXPECT_EQ(Read(config / "settings.toml"),
            "# SOLVARA 2001 settings, made by the game's Options\n\n[sound]\nmusic = 45\neffects = 5\n# mine\n[keys]\n"
            "up = \"W\"\n");
  SetConfigDir("");
  fs::remove_all(config);
}

// Alt+Enter's choice of earlier versions moves into the settings file once;
// a mode the settings file names wins, and state.toml goes either way.
TEST(SettingsFile, TheRememberedModeIsTakenOverOnce) {
  const fs::path root = fs::temp_directory_path() / ("solvara-takeover-" + std::to_string(getpid()));
  struct Case {
    std::string state;
    bool fileNamesAMode;
    std::optional<bool> taken;
    const char* settings;  // afterwards (null: none)
  };
  const Case cases[] = {
      {"fullscreen = false\n", false, false, "\n[display]\nmode = \"window\"\n"},
      {"fullscreen = false\n", true, std::nullopt, nullptr},
      {"fullscreen = ", false, std::nullopt, nullptr},
      {DeepKeyLine(), false, std::nullopt, nullptr},
      {DeepKeyLine("\"=\""), false, std::nullopt, nullptr},
  };
  for (const Case& c : cases) {
    fs::remove_all(root);
    fs::create_directories(root / "state");
    fs::create_directories(root / "config");
    Write(root / "state" / "state.toml", c.state);
    SetConfigDir((root / "config").string());
    SetStateDir((root / "state").string());
    std::string note;
    EXPECT_EQ(TakeOverRememberedMode(c.fileNamesAMode, note), c.taken) << c.state;
    EXPECT_FALSE(fs::exists(root / "state" / "state.toml")) << c.state;
    EXPECT_EQ(fs::exists(root / "config" / "settings.toml"), c.settings != nullptr);
    if (c.settings) {
      EXPECT_NE(Read(root / "config" / "settings.toml").find(c.settings), std::string::npos);
    }
    std::string again;
    EXPECT_EQ(TakeOverRememberedMode(false, again), std::nullopt);
  }
  SetConfigDir("");
  SetStateDir("");
  fs::remove_all(root);
}

}  // namespace
}  // namespace platform
