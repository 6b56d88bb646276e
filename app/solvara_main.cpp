// solvara: the game on the real SDL backend.
#include <cstdio>
#include <exception>

#include "game/form.h"
#include "platform/app.h"
#include "platform/platform.h"
#include "platform/sdl/backend.h"

int main() {
  std::unique_ptr<platform::sdl::Backend> backend;
  try {
    backend = platform::sdl::Start();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "solvara: %s\n", e.what());
    return 1;
  }
  platform::Application& app = *platform::Current().app;
  try {
    app.SetTitle("SOLVARA 2001");
    game::TForm1 form(nullptr);
    app.Run();
  } catch (const std::exception& e) {
    // An exception that reaches the entry is shown and ends the program.
    app.ShowException(e.what());
    return 1;
  }
  return 0;
}
