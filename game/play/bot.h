#pragma once
// A simple pilot for the headless runner's --bot: it starts one game from the
// title, holds fire, flies to collect items when there are any, otherwise
// keeps to the height of the strongest enemy, and spins now and then. It then
// leaves the screens to run out on their own.
#include "game/play/play.h"

namespace game {

class TForm1;

class Pilot {
 public:
  // The keys to hold in the coming frame.
  ControlKeys Next(const TForm1& f);

 private:
  ControlKeys Fly(const TForm1& f);

  bool started_ = false;
  int playFrames_ = 0;
};

}  // namespace game
