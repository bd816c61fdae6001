// quillon: the command line of the tender-document data component.
#include <iostream>

#include "commands.h"
#include "quillon/version.h"

int main(int argc, char** argv) {
  using namespace quillon::cli;
  CLI::App app{
      "quillon: keeps a tendering installation's database of projects and templates.\n"
      "The installation (component) folder holds Data/zbs.mdb, Conf/AccordedCheck.xsl and SysUser.ini."};
  app.set_help_all_flag("--help-all", "Show the help of every command");
  app.set_version_flag(
      "--version",
      [] {
        return std::string("quillon ") + QUILLON_VERSION + " (library " + quillon::libraryVersion() + ")";
      },
      "Print the version of the command and of the library it runs on, then exit");
  app.require_subcommand(1);
  // Global options may also follow the command (quillon list projects --home office).
  app.fallthrough();
  Globals globals;
  // Known before parsing, so that a usage error is written in the style asked for.
  bool json = false;
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    json = json || word == "--messages=json" ||
           (word == "--messages" && i + 1 < argc && std::string(argv[i + 1]) == "json");
  }
  if (json) setMessageStyle(MessageStyle::Json);
  app.add_option("--home", globals.home,
                 "Installation folder (default: $QUILLON_HOME, else $XDG_DATA_HOME/quillon, else "
                 "~/.local/share/quillon)")
      ->check([](const std::string& v) {
        return v.empty() ? std::string("--home needs a folder, got the empty text") : "";
      });
  app.add_option("--messages", globals.messages, "How message boxes and questions are shown on stderr")
      ->check(CLI::IsMember({"human", "json"}))
      ->capture_default_str();
  app.add_option("--answer", globals.answer,
                 "Answer to every yes/no question (default: ask a terminal, otherwise no)")
      ->check(CLI::IsMember({"yes", "no"}));
  app.add_option("--set", globals.sets,
                 "Write a public data member before the call: InputBsPath, vNew_PARENT_NOED_ID or "
                 "PARENT_LAYER_ID (repeatable)")
      ->type_name("FIELD=VALUE");
  app.footer(
      "Exit status: 0 when the command ran (for call: whatever the member returned), 2 for a usage\n"
      "error, 3 when the call ended with an error (its description on stderr); export and\n"
      "export-library exit 1 when an overwrite question is answered no.");
  try {
    addReachableCommands(app, globals, argc, argv);
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() != 0 && json) {
      usageNote(e.what());
      return 2;
    }
    const int code = app.exit(e);
    return code == 0 ? 0 : 2;
  }
  return globals.exitCode;
}
