// solvara-probe: runs the game headless, frame by frame (see runner.h).
#include <iostream>

#include "app/probe/options.h"
#include "app/probe/runner.h"
#include "platform/signals.h"

int main(int argc, char** argv) {
  probe::Options options;
  std::string error;
  if (!probe::ParseOptions(argc, argv, options, error)) {
    std::cerr << "solvara-probe: " << error << "\n" << probe::Usage();
    return 2;
  }
  // SIGTERM, SIGINT and SIGHUP close the form as Escape does (ranking saved).
  platform::CatchCloseSignals();
  probe::Runner runner(options);
  return runner.Run(std::cerr);
}
