#include "app/probe/trace.h"

#include "game/form.h"

namespace probe {
namespace {

std::string JsonName(const char* name) { return name ? std::string("\"") + name + "\"" : "null"; }

// A menu's name and entry: a replay's row shows its file's name, which may
// hold quotes and backslashes (its other bytes are printable already).
std::string JsonString(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

std::string TraceLine(int frame, game::TForm1& form) {
  const game::GameState& g = form.GameState;
  const game::PlayerShip& ship = form.PlayerShip;
  const std::pair<const char*, int> numbers[] = {
      {"frame", frame},
      {"screen", g.screen},
      {"screenCounter", g.screenCounter},
      {"score", g.score},
      {"lives", g.lives},
      {"stage", g.stage},
      {"scriptPos", g.scriptPos},
      {"x", ship.x},
      {"y", ship.y},
      {"power", ship.power},
      {"shots", game::LiveCount(form.Shot)},
      {"enemies", game::LiveCount(form.Enemy)},
      {"bullets", game::LiveCount(form.EnemyBullet)},
      {"effects", game::LiveCount(form.Effect)},
      {"banners", game::LiveCount(form.Banner)},
  };
  std::string line = "{";
  for (const auto& [key, value] : numbers) line += "\"" + std::string(key) + "\":" + std::to_string(value) + ",";
  line += std::string("\"paused\":") + (form.Paused() ? "true," : "false,");
  const std::string menu = form.menus.TraceName();
  line += "\"menu\":" + (menu.empty() ? std::string("null") : JsonString(menu)) + ",";
  line += "\"song\":" + JsonName(game::SongName(form.songStarted));
  line += ",\"effect\":" + JsonName(game::EffectName(form.effectStarted)) + "}";
  return line;
}

}  // namespace probe
