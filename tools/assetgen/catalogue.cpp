#include "catalogue.h"

#include <cstdio>

#include "families.h"

namespace assetgen {

namespace {

using FramePainter = std::function<void(const Canvas&, int)>;

// A run of sprite-table names sharing one size and one painter, which receives the frame
// number counted from the first name of the run.
struct SpriteRun {
  const char* prefix;  // "80" gives "80_00", "80_01", ...
  int first;
  int count;
  int width, height;
  FramePainter paint;
};

std::string TwoDigits(const char* prefix, int n) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s_%02d", prefix, n);
  return buf;
}

void AddSprite(std::vector<PictureSpec>& out, const std::string& name, int w, int h,
               std::function<void(const Canvas&)> paint) {
  out.push_back({name, name + ".bmp", w, h, false, std::move(paint)});
}

// The named pictures: banners, captions, backgrounds, the logo and the spare-ship icon.
void AddNamedPictures(std::vector<PictureSpec>& out) {
  out.push_back({"title", "title.bmp", 460, 200, false, PaintLogo});
  out.push_back({"stage1", "stage1.bmp", 180, 40, false, [](const Canvas& c) { PaintBanner(c, "STAGE 1", 0); }});
  out.push_back({"stage2", "stage2.bmp", 180, 40, false, [](const Canvas& c) { PaintBanner(c, "STAGE 2", 0); }});
  out.push_back(
      {"mscplt", "mscplt.bmp", 420, 40, false, [](const Canvas& c) { PaintBanner(c, "MISSION COMPLETE", 1); }});
  out.push_back({"gover", "gover.bmp", 260, 50, false, [](const Canvas& c) { PaintBanner(c, "GAME OVER", 3); }});
  out.push_back({"warning", "warn.bmp", 210, 40, false, [](const Canvas& c) { PaintBanner(c, "WARNING", 2); }});
  out.push_back({"warn2", "warn2.bmp", 590, 20, false, PaintWarningStrip});
  out.push_back({"g_1up", "g_1up.bmp", 48, 16, false, [](const Canvas& c) { PaintScorePopup(c, "1UP"); }});
  out.push_back({"g_pup", "g_pup.bmp", 96, 16, false, [](const Canvas& c) { PaintScorePopup(c, "POWER UP"); }});
  out.push_back({"g_3000", "g_3000.bmp", 50, 16, false, [](const Canvas& c) { PaintScorePopup(c, "3000"); }});
  out.push_back({"g_1000", "g_1000.bmp", 48, 16, false, [](const Canvas& c) { PaintScorePopup(c, "1000"); }});
  out.push_back({"b00", "b00.bmp", 320, 240, true, PaintDeepSpace});
  // Bands of the perspective floor and ceiling: heights reach from each band's row to the next.
  struct Band {
    const char* name;
    int height;
    bool opaque;
  };
  const Band bands[] = {{"b01", 36, true}, {"b02", 22, true}, {"b03", 24, false},
                        {"b04", 37, true}, {"b05", 22, true}, {"b06", 30, false}};
  for (int i = 0; i < 6; ++i) {
    const Band& b = bands[i];
    out.push_back({b.name, std::string(b.name) + ".bmp", 320, b.height, b.opaque,
                   [i](const Canvas& c) { PaintBand(c, i + 1); }});
  }
  out.push_back({"left", "left.bmp", 28, 24, false, PaintLivesIcon});
}

// The sprite table in load order; each entry's size follows from where the game draws it.
std::vector<SpriteRun> SpriteRuns() {
  return {
      {"24", 0, 7, 24, 24, PaintSmoke},
      {"32", 0, 10, 32, 32, [](const Canvas& c, int f) { PaintPlayerShot(c, f / 2, f % 2); }},
      {"32", 10, 1, 32, 32, [](const Canvas& c, int) { PaintHitSpark(c); }},
      {"32", 11, 7, 32, 32, PaintEnemyBullet},
      {"32", 18, 1, 32, 32, [](const Canvas& c, int) { PaintLaser(c); }},
      {"40", 0, 12, 40, 40, PaintOption},
      {"62", 0, 6, 62, 62, [](const Canvas& c, int f) { PaintItem(c, Item::kPowerUp, f); }},
      {"62", 6, 6, 62, 62, [](const Canvas& c, int f) { PaintItem(c, Item::kExtraShip, f); }},
      {"62", 12, 6, 62, 62, [](const Canvas& c, int f) { PaintItem(c, Item::kBonus, f); }},
      {"60", 0, 5, 60, 60, PaintBossMissile},
      {"60", 5, 1, 60, 60, [](const Canvas& c, int) { PaintShockWave(c); }},
      {"60", 6, 1, 60, 60, [](const Canvas& c, int) { PaintLance(c); }},
      {"64", 0, 16, 64, 64, [](const Canvas& c, int f) { PaintExplosion(c, Blast::kSmall, f); }},
      {"70", 0, 15, 70, 70, PaintMine},
      {"80", 0, 15, 80, 80, [](const Canvas& c, int f) { PaintDrone(c, f, false); }},
      {"80", 15, 15, 80, 80, [](const Canvas& c, int f) { PaintDrone(c, f, true); }},
      {"80", 30, 1, 80, 80, [](const Canvas& c, int) { PaintDart(c); }},
      {"80", 31, 17, 80, 80, PaintHatchShip},
      {"80", 48, 1, 80, 80, [](const Canvas& c, int) { PaintRaider(c); }},
      {"80", 49, 6, 80, 80, PaintHomingMissile},
      {"80", 55, 12, 80, 80, PaintFormationFlyer},
      {"80", 67, 10, 80, 80, PaintWaveFlyer},
      {"96", 0, 16, 96, 96, [](const Canvas& c, int f) { PaintExplosion(c, Blast::kShip, f); }},
      {"96", 16, 16, 96, 96, [](const Canvas& c, int f) { PaintExplosion(c, Blast::kMedium, f); }},
      {"96", 32, 16, 96, 96, [](const Canvas& c, int f) { PaintExplosion(c, Blast::kLarge, f); }},
      {"100", 0, 44, 100, 100,
       [](const Canvas& c, int f) { PaintShip(c, f % 11, (f / 11) % 2 == 1, f >= 22); }},
      {"100", 44, 8, 100, 100, PaintGunner},
      {"100", 52, 8, 100, 100, PaintTurretShip},
      {"100", 60, 15, 100, 100, PaintRiser},
      {"120", 0, 21, 120, 120, PaintHeavyCraft},
      {"150", 0, 15, 150, 150, PaintFortress},
      {"1507", 0, 10, 150, 70, PaintBattleship},
      {"180", 0, 20, 180, 180, PaintStageOneBoss},
      {"200", 0, 52, 200, 200, PaintStageTwoBoss},
      {"300", 0, 2, 300, 300, [](const Canvas& c, int f) { PaintFirstBoss(c, f == 0); }},
  };
}

}  // namespace

std::vector<PictureSpec> BuildCatalogue() {
  std::vector<PictureSpec> out;
  AddNamedPictures(out);

  for (int i = 0; i < 8; ++i)
    AddSprite(out, "5_" + std::to_string(i), 5, 5, [i](const Canvas& c) { PaintDebris(c, i % 4, i >= 4); });
  for (char d = '0'; d <= '9'; ++d)
    AddSprite(out, std::string(1, d) + "s", 16, 16, [d](const Canvas& c) { PaintSmallDigit(c, d); });
  const std::string glyphs = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ[";
  for (char g : glyphs) AddSprite(out, std::string(1, g), 16, 16, [g](const Canvas& c) { PaintGlyph(c, g); });

  for (const SpriteRun& run : SpriteRuns()) {
    for (int i = 0; i < run.count; ++i) {
      FramePainter paint = run.paint;
      AddSprite(out, TwoDigits(run.prefix, run.first + i), run.width, run.height,
                [paint, i](const Canvas& c) { paint(c, i); });
    }
  }
  return out;
}

Picture Render(const PictureSpec& entry) {
  Canvas canvas(entry.width, entry.height);
  entry.paint(canvas);
  return entry.opaque ? canvas.FinishOpaque() : canvas.FinishSprite();
}

}  // namespace assetgen
