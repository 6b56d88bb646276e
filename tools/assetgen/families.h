#pragma once

#include "canvas.h"

namespace assetgen {

// Player side (ship_art.cpp).
void PaintShip(const Canvas& c, int tilt, bool firing, bool bright);
void PaintOption(const Canvas& c, int frame);
void PaintLivesIcon(const Canvas& c);
// The ship at the origin of the current transform, leaning forward, afterburner open.
void PaintEmblemShip(const Canvas& c);

// Shots and bullets (shots_art.cpp).
void PaintPlayerShot(const Canvas& c, int power, int flicker);
void PaintHitSpark(const Canvas& c);
void PaintEnemyBullet(const Canvas& c, int fade);
void PaintLaser(const Canvas& c);
void PaintShockWave(const Canvas& c);
void PaintLance(const Canvas& c);

// Debris, smoke and explosions (blast_art.cpp).
enum class Blast { kSmall, kShip, kMedium, kLarge };
void PaintDebris(const Canvas& c, int frame, bool fromShip);
void PaintSmoke(const Canvas& c, int frame);
void PaintExplosion(const Canvas& c, Blast kind, int frame);

// Items (items_art.cpp).
enum class Item { kPowerUp, kExtraShip, kBonus };
void PaintItem(const Canvas& c, Item kind, int frame);

// Small and medium enemies (enemies_art.cpp).
void PaintDrone(const Canvas& c, int frame, bool carrier);
void PaintMine(const Canvas& c, int frame);
void PaintDart(const Canvas& c);
void PaintHatchShip(const Canvas& c, int frame);
void PaintRaider(const Canvas& c);
void PaintHomingMissile(const Canvas& c, int frame);
void PaintFormationFlyer(const Canvas& c, int frame);
void PaintWaveFlyer(const Canvas& c, int frame);
void PaintBossMissile(const Canvas& c, int frame);

// Large craft (craft_art.cpp).
void PaintGunner(const Canvas& c, int frame);
void PaintTurretShip(const Canvas& c, int frame);
void PaintRiser(const Canvas& c, int frame);
void PaintHeavyCraft(const Canvas& c, int frame);
void PaintFortress(const Canvas& c, int frame);
void PaintBattleship(const Canvas& c, int frame);

// Bosses (bosses_art.cpp).
void PaintStageOneBoss(const Canvas& c, int frame);
void PaintStageTwoBoss(const Canvas& c, int frame);
void PaintFirstBoss(const Canvas& c, bool materialising);

// Lettering pictures (lettering_art.cpp).
void PaintGlyph(const Canvas& c, char ch);
void PaintSmallDigit(const Canvas& c, char ch);
void PaintBanner(const Canvas& c, const char* text, int tone);
void PaintWarningStrip(const Canvas& c);
void PaintScorePopup(const Canvas& c, const char* text);
void PaintLogo(const Canvas& c);

// Backgrounds (backgrounds_art.cpp).
void PaintDeepSpace(const Canvas& c);
void PaintBand(const Canvas& c, int layer);

}  // namespace assetgen
