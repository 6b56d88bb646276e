#pragma once
// What both programs' command lines have in common: --help and --version
// print on stdout and exit 0; a command line that cannot be parsed (an
// unknown option, a missing or bad value) prints the reason and the usage on
// stderr and exits 2.
#include <ostream>
#include <string>

// Declared only: the parser's header is heavy to compile, so the programs
// that build a command line include <CLI/CLI.hpp> themselves and those that
// only look at Parse's answer do not.
namespace CLI {
class App;
class Validator;
}  // namespace CLI

namespace command_line {

// Parse's answer when the program should go on.
constexpr int kRun = -1;

// Gives `app` the failure message above and a --version flag printing
// `version` (empty: none).
void Prepare(CLI::App& app, const std::string& version);

// Parses argv[1..]; kRun, or the status to exit with once `out` and `err`
// have been written. A value that is itself one of the options is an error.
int Parse(CLI::App& app, int argc, const char* const argv[], std::ostream& out, std::ostream& err);

// A check that refuses an empty value.
const CLI::Validator& NotEmpty();

}  // namespace command_line
