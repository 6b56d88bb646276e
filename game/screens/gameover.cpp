// The game-over picture: it opens vertically over the still-running world.
#include "game/form.h"
#include "vantor/draw/draw.h"

namespace game {

void TForm1::DrawGameOverPicture() {
  static const AnsiString kPicture = "gover";
  game::GameState& g = GameState;
  if (g.gameOverGrow < 25) g.gameOverGrow += 1;
  const int grow = g.gameOverGrow;
  cdraw->ZoomDraw(190, 240 - grow, 256, 10 * grow + 6, kPicture, 0);
}

}  // namespace game
