#include "game/form.h"
#include "vantor/draw/draw.h"

namespace game {
namespace {

// One background layer: its pictures (top row first) and its step per frame.
struct Layer {
  struct Row {
    const char* picture;
    int y;
  } rows[2];
  int step;
};

constexpr Layer kLayers[4] = {
    {{{"b00", 0}, {"b00", 240}}, 1},
    {{{"b04", 0}, {"b01", 444}}, 4},
    {{{"b05", 37}, {"b02", 422}}, 3},
    {{{"b06", 59}, {"b03", 398}}, 2},
};

constexpr int kTileWidth = 320;

// Where and how each banner kind is drawn. Kinds 0-1 and 4-8 open and close
// with a vertical zoom; the item captions (5-8) sit at the banner's own
// position, shifted by `dx`.
enum class BannerStyle { Silent, Fixed, Zoomed, ZoomedAtItem, Warning };
struct BannerKind {
  const char* picture;
  BannerStyle style;
  int x, y;  // fixed position, or the shift from the item's position
  int sink;  // pixels per frame while it closes
};

constexpr BannerKind kBannerKinds[10] = {
    {"stage1", BannerStyle::Zoomed, 230, 220, 2},
    {"stage2", BannerStyle::Zoomed, 230, 220, 2},
    {nullptr, BannerStyle::Silent, 0, 0, 2},
    {"mscplt", BannerStyle::Fixed, 110, 220, 2},
    {"warning", BannerStyle::Zoomed, 215, 220, 2},
    {"g_1up", BannerStyle::ZoomedAtItem, -24, 0, 1},
    {"g_pup", BannerStyle::ZoomedAtItem, -48, 0, 1},
    {"g_3000", BannerStyle::ZoomedAtItem, -25, 0, 1},
    {"g_1000", BannerStyle::ZoomedAtItem, -24, 0, 1},
    {"warn2", BannerStyle::Warning, 0, 230, 1},
};

// The stepping warning strip: x by the frames left.
struct WarningStep {
  int fromTimer, toTimer, x;
};
constexpr WarningStep kWarningSteps[] = {{0, 19, 5}, {41, 59, 15}, {81, 99, 25}};

}  // namespace

void TForm1::ScrollBackground() {
  for (int l = 0; l < 4; ++l) {
    const Layer& layer = kLayers[l];
    int32_t& x = GameState.layerX[l];
    for (int copy : {x, x + kTileWidth, x - kTileWidth})
      for (const Layer::Row& row : layer.rows) cdraw->Draw(copy, row.y, row.picture, 0, VantorDrawSystem::beNormal, -1);
    x -= layer.step;
    if (x < 0) x = kTileWidth;
  }
}

game::Banner* TForm1::ShowBanner(int kind, int timer, int x, int y, int zoomY) {
  game::Banner* b = TakeFree(Banner);
  if (!b) return nullptr;
  b->timer = timer;
  b->kind = kind;
  b->x = x;
  b->y = y;
  b->zoomY = zoomY;
  b->drift = 0;
  return b;
}

void TForm1::UpdateBanners() {
  for (game::Banner& b : Banner) {
    if (b.timer < 1) continue;
    b.timer -= 1;
    // Out of range kinds come only from a broken caller; they just run out.
    if (b.kind < 0 || b.kind > 9) continue;
    const BannerKind& k = kBannerKinds[b.kind];
    if (b.timer < 10) {
      b.zoomY -= 25;
      b.drift += k.sink;
    }
    switch (k.style) {
      case BannerStyle::Silent:
        break;
      case BannerStyle::Fixed:
        cdraw->Draw(k.x, k.y, k.picture, 0, VantorDrawSystem::beNormal, -1);
        break;
      case BannerStyle::Zoomed:
        cdraw->ZoomDraw(k.x, k.y + b.drift, 256, b.zoomY, k.picture, 0);
        break;
      case BannerStyle::ZoomedAtItem:
        cdraw->ZoomDraw(b.x + k.x, b.y + b.drift, 256, b.zoomY, k.picture, 0);
        break;
      case BannerStyle::Warning:
        for (const WarningStep& s : kWarningSteps)
          if (b.timer >= s.fromTimer && b.timer <= s.toTimer)
            cdraw->Draw(s.x, k.y, k.picture, 0, VantorDrawSystem::beNormal, -1);
        break;
    }
  }
}

bool TForm1::FlashLit(bool everyFrame, int32_t frames) const {
  if (!reducedFlashing) return everyFrame;
  return (frames / kReducedFlashFrames) % 2 == 1;
}

}  // namespace game
