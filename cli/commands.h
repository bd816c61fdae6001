#pragma once
// The subcommands of `quillon`. Each cmd_*.cpp registers a setup function
// that adds its subcommand to the application.
#include <CLI/CLI.hpp>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cli_host.h"
#include "quillon/dbfunc.h"

namespace quillon::cli {

struct Globals {
  std::string home;
  std::string messages = "human";
  std::string answer;
  std::vector<std::string> sets;
  int exitCode = 0;

  std::filesystem::path homePath() const;
  std::unique_ptr<CliHost> makeHost() const;
  // Creates one object (applying --set), runs `body`, releases the object.
  // Errors that end the body become exit status 3, usage errors 2.
  int withObject(const std::function<int(DBFunc&, CliHost&)>& body) const;
  // The same with the object's messages going to `shown` (a host that wraps
  // the command's own) and errors of the call to `errors`.
  int withObjectOn(Host& shown, CliHost& errors, const std::function<int(DBFunc&)>& body,
                   bool strict = false) const;
  // For the commands for people: the object is strict (a failure the member
  // would keep silent ends the command) and one without a database stops
  // before the body, with the reason.
  int withStrictObject(const std::function<int(DBFunc&, CliHost&)>& body) const;
};

using CommandSetup = std::function<void(CLI::App& app, Globals& globals)>;
struct CommandEntry {
  std::vector<std::string> names;  // the subcommands the setup adds
  CommandSetup setup;
};
std::vector<CommandEntry>& commandSetups();
bool addCommand(std::vector<std::string> names, CommandSetup setup);
// Adds the subcommands the command line can reach. Building every parser
// costs more than a short call takes, so when the first word names one
// command only that one is built; help across commands and unknown words
// get them all, so the messages and listings stay those of the full set.
// A first word that names no command is a usage error with a suggestion;
// `quillon help COMMAND` shows a command's help.
void addReachableCommands(CLI::App& app, Globals& globals, int argc, const char* const* argv);

}  // namespace quillon::cli
