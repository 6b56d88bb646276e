// The generated pictures: every file the game loads, at the size its draw calls need,
// with a clean colour key, seamless backgrounds and frames that mean what the game uses
// them for.
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "asset_files.h"
#include "asset_names.h"

namespace assets_test {
namespace {

// Each picture is read once per test run; the tests only look at them.
const Image& Load(const std::string& name) {
  static std::map<std::string, Image> cache;
  auto it = cache.find(name);
  if (it != cache.end()) return it->second;
  auto img = ReadBmp(AssetPath("bmp/" + name + ".bmp"));
  if (!img) ADD_FAILURE() << name << ".bmp is missing or not a 24-bit BMP";
  return cache.emplace(name, img ? *img : Image{}).first->second;
}

// Mean absolute colour difference between two lines of pixels: columns a and b, or rows.
double LineDifference(const Image& img, int a, int b, bool columns) {
  const int n = columns ? img.height : img.width;
  double sum = 0;
  for (int i = 0; i < n; ++i) {
    const Rgb& p = columns ? img.At(a, i) : img.At(i, a);
    const Rgb& q = columns ? img.At(b, i) : img.At(i, b);
    sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
  }
  return sum / n;
}

struct Coverage {
  int pixels = 0;
  double luma = 0;  // mean over the covered pixels
};
Coverage Measure(const Image& img) {
  Coverage c;
  long sum = 0;
  for (const Rgb& p : img.pixels)
    if (!p.IsKey()) {
      ++c.pixels;
      sum += p.Luma();
    }
  c.luma = c.pixels ? double(sum) / c.pixels : 0;
  return c;
}

TEST(Pictures, SpriteTableHas469NamesAndEveryPictureLoadsAtItsDrawnSize) {
  ASSERT_EQ(SpriteTable().size(), 469u);
  std::map<std::string, std::pair<int, int>> want;
  for (const NamedPicture& n : NamedPictures()) want[n.file] = {n.width, n.height};
  for (const SpriteRun& r : SpriteRuns())
    for (int i = 0; i < r.count; ++i) want[Numbered(r.prefix, r.first + i)] = {r.width, r.height};
  for (int i = 0; i < 8; ++i) want["5_" + std::to_string(i)] = {5, 5};  // drawn at x - 2: centred
  int files = 0;
  for (const std::string& name : SpriteTable()) {
    const Image& img = Load(name);
    ++files;
    if (name.size() <= 2 && name.find('_') == std::string::npos) {
      // Glyphs and small digits advance by 16 pixels and must not overlap the next one.
      EXPECT_EQ(img.width, 16) << name;
      EXPECT_GE(img.height, 8) << name;
      EXPECT_LE(img.height, 46) << name;  // ranking rows are 46 apart
      continue;
    }
    EXPECT_EQ(img.width, want[name].first) << name;
    EXPECT_EQ(img.height, want[name].second) << name;
  }
  for (const NamedPicture& n : NamedPictures()) {
    const Image& img = Load(n.file);
    ++files;
    EXPECT_EQ(img.width, n.width) << n.file;
    EXPECT_EQ(img.height, n.height) << n.file;
  }
  EXPECT_EQ(files, 488);
}

TEST(Pictures, TheLogoClearsTheCreditLineAndTheSpareShipsFitTheirRow) {
  // Draw(90, 65, "title") sits above the credit text at y 294; spare ships are 30 apart
  // from x 13 and drawn at y 444 on a 480-line screen; "warn2" steps to x 25.
  EXPECT_LE(65 + Load("title").height, 294);
  EXPECT_LE(Load("left").width, 30);
  EXPECT_LE(444 + Load("left").height, 480);
  EXPECT_LE(25 + Load("warn2").width, 640);
}

TEST(Pictures, NoPixelTurnsIntoTheKeyInsideASprite) {
  std::vector<std::string> all = SpriteTable();
  for (const NamedPicture& n : NamedPictures()) all.push_back(n.file);
  for (const std::string& name : all) {
    const Image& img = Load(name);
    int nearBlack = 0, holes = 0;
    for (int y = 0; y < img.height; ++y) {
      for (int x = 0; x < img.width; ++x) {
        const Rgb& p = img.At(x, y);
        if (!p.IsKey() && p.KeyIn565()) ++nearBlack;  // vanishes on a 16-bit display
        if (!p.KeyIn565() || x == 0 || y == 0 || x + 1 == img.width || y + 1 == img.height) continue;
        if (!img.At(x - 1, y).KeyIn565() && !img.At(x + 1, y).KeyIn565() && !img.At(x, y - 1).KeyIn565() &&
            !img.At(x, y + 1).KeyIn565())
          ++holes;
      }
    }
    EXPECT_EQ(nearBlack, 0) << name;
    EXPECT_EQ(holes, 0) << name;
  }
}

TEST(Pictures, SpritesStandOnTheKeyAndBackdropsCoverEveryPixel) {
  for (const std::string& name : SpriteTable()) {
    const Image& img = Load(name);
    const int w = img.width - 1, h = img.height - 1;
    EXPECT_TRUE(img.At(0, 0).IsKey() && img.At(w, 0).IsKey() && img.At(0, h).IsKey() && img.At(w, h).IsKey())
        << name << " has no transparent corners";
  }
  for (const char* name : {"b00", "b01", "b02", "b04", "b05"}) EXPECT_EQ(Measure(Load(name)).pixels, 320 * Load(name).height) << name;
  // The word gap is empty; every other glyph has strokes.
  EXPECT_EQ(Measure(Load("[")).pixels, 0);
  for (char g : std::string("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ")) EXPECT_GT(Measure(Load(std::string(1, g))).pixels, 20) << g;
}

TEST(Pictures, BackgroundsAreSeamlessWhereTheyWrap) {
  for (const char* name : {"b00", "b01", "b02", "b03", "b04", "b05", "b06"}) {
    const Image& img = Load(name);
    double worst = 0;
    for (int x = 0; x + 1 < img.width; ++x) worst = std::max(worst, LineDifference(img, x, x + 1, true));
    EXPECT_LE(LineDifference(img, img.width - 1, 0, true), worst) << name << " shows a seam at its side edges";
  }
  // The title turns and zooms "b00" and the play field stacks it at y 0 and 240.
  const Image b00 = Load("b00");
  double worst = 0;
  for (int y = 0; y + 1 < b00.height; ++y) worst = std::max(worst, LineDifference(b00, y, y + 1, false));
  EXPECT_LE(LineDifference(b00, b00.height - 1, 0, false), worst);
}

TEST(Pictures, EveryAnimationStepChangesThePicture) {
  // Frames advanced one by one must differ, or the animation stalls.
  struct Animation {
    std::string prefix;
    int first, count;
  };
  const std::vector<Animation> animations = {
      {"24", 0, 7},   {"32", 11, 7},  {"40", 0, 12},  {"62", 0, 6},   {"62", 6, 6},   {"62", 12, 6},
      {"60", 0, 5},   {"64", 0, 16},  {"70", 0, 15},  {"80", 0, 15},  {"80", 15, 15}, {"80", 31, 17},
      {"80", 49, 6},  {"80", 55, 12}, {"80", 67, 10}, {"96", 0, 16},  {"96", 16, 16}, {"96", 32, 16},
      {"100", 0, 11}, {"100", 44, 8}, {"100", 52, 7}, {"100", 60, 15}, {"120", 0, 21}, {"150", 0, 15},
      {"1507", 0, 10}, {"180", 0, 20}, {"200", 0, 52},
  };
  auto same = [](const Image& a, const Image& b) {
    return a.pixels.size() == b.pixels.size() &&
           std::equal(a.pixels.begin(), a.pixels.end(), b.pixels.begin(),
                      [](const Rgb& p, const Rgb& q) { return p.r == q.r && p.g == q.g && p.b == q.b; });
  };
  for (const Animation& a : animations) {
    const Image* previous = &Load(Numbered(a.prefix, a.first));
    for (int i = 1; i < a.count; ++i) {
      const Image* next = &Load(Numbered(a.prefix, a.first + i));
      EXPECT_FALSE(same(*previous, *next)) << Numbered(a.prefix, a.first + i - 1) << " and "
                                         << Numbered(a.prefix, a.first + i) << " are the same picture";
      previous = next;
    }
  }
}

TEST(Pictures, ShipBlocksMeanPoseFiringAndBlink) {
  for (int pose = 0; pose < 22; ++pose) {
    // The blink block is the same ship, brighter.
    const Coverage normal = Measure(Load(Numbered("100", pose))), bright = Measure(Load(Numbered("100", pose + 22)));
    EXPECT_GT(bright.luma, normal.luma + 10) << "pose " << pose;
  }
  for (int tilt = 0; tilt < 11; ++tilt) {
    // The firing pose adds the muzzle flash ahead of the nose, right of the ship's body.
    const Image calm = Load(Numbered("100", tilt)), firing = Load(Numbered("100", tilt + 11));
    int calmNose = 0, firingNose = 0;
    for (int y = 40; y < 60; ++y)
      for (int x = 93; x < 100; ++x) {
        calmNose += !calm.At(x, y).IsKey();
        firingNose += !firing.At(x, y).IsKey();
      }
    EXPECT_EQ(calmNose, 0) << "tilt " << tilt;
    EXPECT_GT(firingNose, 10) << "tilt " << tilt;
  }
}

// Pixels of a picture matching a test, inside columns [x0, x1).
template <typename Pred>
int CountPixels(const Image& img, int x0, int x1, Pred pred) {
  int n = 0;
  for (int y = 0; y < img.height; ++y)
    for (int x = x0; x < x1 && x < img.width; ++x) n += pred(img.At(x, y));
  return n;
}

int LeftmostCovered(const Image& img) {
  for (int x = 0; x < img.width; ++x)
    for (int y = 0; y < img.height; ++y)
      if (!img.At(x, y).IsKey()) return x;
  return img.width;
}

TEST(Pictures, OpeningSequencesOpenStepByStep) {
  auto glowing = [](const Rgb& p) { return p.r > 200 && p.g > 120 && p.b < 200; };
  auto magenta = [](const Rgb& p) { return p.r > 180 && p.b > 90 && p.g < 120; };
  auto covered = [](const Rgb& p) { return !p.IsKey(); };
  // The hatch ship's hatch (frames 12-16) opens on a glowing gun at its front.
  for (int f = 12; f < 16; ++f)
    EXPECT_LT(CountPixels(Load(Numbered("80", 31 + f)), 0, 30, glowing), CountPixels(Load(Numbered("80", 32 + f)), 0, 30, glowing))
        << "hatch frame " << f;
  // The gunner runs its cannon out ahead of the hull over frames 0-6.
  for (int f = 0; f < 6; ++f)
    EXPECT_GT(LeftmostCovered(Load(Numbered("100", 44 + f))), LeftmostCovered(Load(Numbered("100", 45 + f))))
        << "gunner frame " << f;
  // The stage-1 boss unfolds its gun arms from frame 0 to 19.
  for (int f = 0; f < 19; ++f)
    EXPECT_LE(CountPixels(Load(Numbered("180", f)), 0, 180, covered), CountPixels(Load(Numbered("180", f + 1)), 0, 180, covered))
        << "boss frame " << f;
  EXPECT_GT(LeftmostCovered(Load("180_00")), LeftmostCovered(Load("180_19")) + 40);
  // The gunship's bow opens on more and more of its gun ports.
  EXPECT_LT(CountPixels(Load("1507_00"), 0, 60, magenta), CountPixels(Load("1507_09"), 0, 60, magenta));
  // The stage-2 boss: frames 38-44 close the violet shell over it.
  auto violet = [](const Rgb& p) { return p.b > p.g + 30 && p.r > p.g; };
  for (int f = 38; f < 44; ++f)
    EXPECT_LT(CountPixels(Load(Numbered("200", f)), 0, 200, violet), CountPixels(Load(Numbered("200", f + 1)), 0, 200, violet))
        << "shell frame " << f;
}

TEST(Pictures, ExplosionsGrowThenFade) {
  for (const auto& [prefix, first] : std::vector<std::pair<std::string, int>>{{"64", 0}, {"96", 0}, {"96", 16}, {"96", 32}}) {
    const Coverage start = Measure(Load(Numbered(prefix, first))), peak = Measure(Load(Numbered(prefix, first + 6)));
    const Coverage end = Measure(Load(Numbered(prefix, first + 15)));
    EXPECT_GT(peak.pixels, start.pixels) << prefix << "_" << first << " does not grow";
    EXPECT_LT(end.luma, start.luma * 0.6) << prefix << "_" << first << " does not fade";
    EXPECT_LT(end.pixels, peak.pixels) << prefix << "_" << first << " does not break up";
  }
}

TEST(Pictures, EnemyFireIsHotAndPlayerFireIsCold) {
  // Told apart at a glance: the bullet "32_11" is red-dominant, player shots blue-dominant.
  auto balance = [](const Image& img) {
    long red = 0, blue = 0;
    for (const Rgb& p : img.pixels) {
      red += p.r;
      blue += p.b;
    }
    return std::pair{red, blue};
  };
  for (int i = 0; i < 10; ++i) {
    const auto [r, b] = balance(Load(Numbered("32", i)));
    EXPECT_GT(b, r) << "player shot " << i;
  }
  for (const char* bullet : {"32_11", "32_18", "60_05", "60_06"}) {
    const auto [r, b] = balance(Load(bullet));
    EXPECT_GT(r, b) << bullet;
  }
}

}  // namespace
}  // namespace assets_test
