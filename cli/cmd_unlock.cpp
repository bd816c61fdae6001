// quillon unlock: frees a desk of a server installation.
#include <iostream>

#include "commands.h"
#include "quillon/error.h"
#include "quillon/setup.h"

namespace quillon::cli {
namespace {

const bool registered = addCommand({"unlock"}, [](CLI::App& app, Globals& g) {
  auto* cmd = app.add_subcommand(
      "unlock",
      "For an administrator: free a desk of an installation on a server by ending the program that holds it");
  auto desk = std::make_shared<std::string>();
  cmd->add_option("--desk", *desk, "The desk's name: Desk= of its SysUser.ini, else its host:folder")
      ->required();
  cmd->footer(
      "A desk is held by one program at a time; the server frees it by itself when that program ends or\n"
      "its machine stops answering (after about a minute). unlock ends the holder at once: use it for a\n"
      "program that hangs. The installation is the one the --home folder's settings name. Prints how many\n"
      "programs held the desk. Exit status 0 done (also when none held it), 2 usage error, 3 the folder\n"
      "is not a desk of a server, or the server refuses (ending another user's program takes the rights "
      "to).");
  cmd->callback([&g, desk] {
    const auto host = g.makeHost();
    try {
      const int ended = unlockDesk(g.homePath(), *desk);
      std::cout << (ended == 0 ? "no program held desk " : "freed desk ") << *desk << "\n";
      g.exitCode = 0;
    } catch (const std::exception& e) {
      host->error(e.what());
      g.exitCode = 3;
    }
  });
});

}  // namespace
}  // namespace quillon::cli
