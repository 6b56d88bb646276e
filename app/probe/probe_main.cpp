// solvara-probe: runs the game headless, frame by frame (see runner.h).
#include <iostream>

#include "app/command_line.h"
#include "app/probe/options.h"
#include "app/probe/runner.h"
#include "app/probe/submit.h"
#include "platform/signals.h"

int main(int argc, char** argv) {
  probe::Options options;
  const int status = probe::ParseOptions(argc, argv, options, std::cout, std::cerr);
  if (status != command_line::kRun) return status;
  if (!options.submit.empty()) return probe::SubmitToBoard(options, std::cout, std::cerr);
  // SIGTERM, SIGINT and SIGHUP close the form as Escape does (ranking saved).
  platform::CatchCloseSignals();
  probe::Runner runner(options);
  return runner.Run(std::cerr);
}
