#include "app/command_line.h"

#include <CLI/CLI.hpp>

namespace command_line {
namespace {

// Lists each option with its value's name only (CLI11 adds the checks on it
// and the options it excludes).
class Formatter final : public CLI::Formatter {
 public:
  std::string make_option_opts(const CLI::Option* option) const override {
    return option->get_type_size() != 0 && !option->get_type_name().empty() ? " " + option->get_type_name() : "";
  }
};

}  // namespace

void Prepare(CLI::App& app, const std::string& version) {
  app.formatter(std::make_shared<Formatter>());
  // CLI11 answers with a "Run with --help" hint and exit codes of its own.
  app.failure_message([](const CLI::App* parsed, const CLI::Error& e) {
    return parsed->get_name() + ": " + e.what() + "\n" + parsed->help();
  });
  if (!version.empty()) app.set_version_flag("--version", version, "print the version and exit");
  app.set_help_flag("-h,--help", "print this help and exit");
}

namespace {

// A value that is one of the program's options ("--log --window") is the
// player's slip, not a file of that name: every option that takes a value
// refuses them.
void RefuseOptionsAsValues(CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::Option* option : app.get_options()) {
    for (const std::string& name : option->get_lnames()) names.push_back("--" + name);
    for (const std::string& name : option->get_snames()) names.push_back("-" + name);
  }
  const CLI::Validator notAnOption(
      [names](const std::string& value) {
        for (const std::string& name : names)
          if (value == name || value.rfind(name + "=", 0) == 0) return name + " is an option, not a value";
        return std::string();
      },
      "");
  for (CLI::Option* option : app.get_options())
    if (option->get_type_size() != 0) option->check(notAnOption);
}

}  // namespace

int Parse(CLI::App& app, int argc, const char* const argv[], std::ostream& out, std::ostream& err) {
  RefuseOptionsAsValues(app);
  try {
    app.parse(argc, argv);
    return kRun;
  } catch (const CLI::ParseError& e) {
    return app.exit(e, out, err) == 0 ? 0 : 2;
  }
}

const CLI::Validator& NotEmpty() {
  static const CLI::Validator check(
      [](const std::string& value) { return value.empty() ? std::string("an empty value") : std::string(); }, "");
  return check;
}

}  // namespace command_line
