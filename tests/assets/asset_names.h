#pragma once
// What the game loads: the 19 named pictures (surface name and file), the 469 sprite-table
// names in load order, the six songs and the ten effects.
#include <cstdio>
#include <string>
#include <vector>

namespace assets_test {

inline std::string Numbered(const std::string& prefix, int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%s_%02d", prefix.c_str(), n);
  return buf;
}

// A run of sprite-table names with the size their draw calls imply: Draw(x - w/2, y - h/2)
// centres a sprite on its object, and pictures drawn turned or zoomed carry it in their names.
struct SpriteRun {
  std::string prefix;
  int first, count, width, height;
};

inline const std::vector<SpriteRun>& SpriteRuns() {
  static const std::vector<SpriteRun> runs = {
      {"24", 0, 7, 24, 24},     {"32", 0, 19, 32, 32},     {"40", 0, 12, 40, 40},     {"62", 0, 18, 62, 62},
      {"60", 0, 7, 60, 60},     {"64", 0, 16, 64, 64},     {"70", 0, 15, 70, 70},     {"80", 0, 77, 80, 80},
      {"96", 0, 48, 96, 96},    {"100", 0, 75, 100, 100}, {"120", 0, 21, 120, 120}, {"150", 0, 15, 150, 150},
      {"1507", 0, 10, 150, 70}, {"180", 0, 20, 180, 180}, {"200", 0, 52, 200, 200}, {"300", 0, 2, 300, 300},
  };
  return runs;
}

struct NamedPicture {
  std::string surface, file;
  int width, height;
};

// Banners are centred on the screen (ZoomDraw(230, 220) of a 180 x 40 picture covers 230..410
// and 220..260); captions are drawn at item.x - width / 2; background bands reach from their
// row to the next band's.
inline const std::vector<NamedPicture>& NamedPictures() {
  static const std::vector<NamedPicture> named = {
      {"title", "title", 460, 200}, {"stage1", "stage1", 180, 40}, {"stage2", "stage2", 180, 40},
      {"mscplt", "mscplt", 420, 40}, {"gover", "gover", 260, 50},  {"warning", "warn", 210, 40},
      {"warn2", "warn2", 590, 20},  {"g_1up", "g_1up", 48, 16},   {"g_pup", "g_pup", 96, 16},
      {"g_3000", "g_3000", 50, 16}, {"g_1000", "g_1000", 48, 16}, {"b00", "b00", 320, 240},
      {"b01", "b01", 320, 36},      {"b02", "b02", 320, 22},      {"b03", "b03", 320, 24},
      {"b04", "b04", 320, 37},      {"b05", "b05", 320, 22},      {"b06", "b06", 320, 30},
      {"left", "left", 28, 24},
  };
  return named;
}

inline std::vector<std::string> SpriteTable() {
  std::vector<std::string> names;
  for (int i = 0; i < 8; ++i) names.push_back("5_" + std::to_string(i));
  for (char d = '0'; d <= '9'; ++d) names.push_back(std::string(1, d) + "s");
  for (char g : std::string("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ[")) names.push_back(std::string(1, g));
  for (const SpriteRun& r : SpriteRuns())
    for (int i = 0; i < r.count; ++i) names.push_back(Numbered(r.prefix, r.first + i));
  return names;
}

inline std::string SongFile(int n) { return "bgm" + std::to_string(n) + ".mid"; }
inline std::string EffectFile(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "sou%02d.wav", n);
  return buf;
}

}  // namespace assets_test
