// quillon init: a fresh installation folder.
#include <iostream>

#include "commands.h"
#include "quillon/error.h"
#include "quillon/setup.h"

namespace quillon::cli {
namespace {

const bool registered = addCommand({"init"}, [](CLI::App& app, Globals& g) {
  auto* cmd = app.add_subcommand(
      "init",
      "Create Data/zbs.mdb with the schema, Conf/AccordedCheck.xsl and SysUser.ini in the component folder");
  auto demo = std::make_shared<bool>(false);
  auto force = std::make_shared<bool>(false);
  auto server = std::make_shared<std::string>();
  cmd->add_flag("--demo", *demo,
                "Also add seven demo templates (goods, works, services) and one worked project");
  cmd->add_flag("--force", *force, "Replace an existing database (its data is lost)");
  cmd->add_option("--server", *server,
                  "Make this folder a desk of an installation on a PostgreSQL server (a connection URL, "
                  "e.g. postgresql://host/tenders; passwords belong in ~/.pgpass): its tables are made there "
                  "when the database has none, otherwise no row is touched")
      ->excludes("--force");
  cmd->footer(
      "Every installation starts with the project types, the evaluation methods, the library root\n"
      "(招标文件范本库, node 1) and one category per project type (nodes 2 to 4), which templates imported\n"
      "from other offices are filed under. Template numbers 1 to 20 are the system's: templates saved or\n"
      "imported are numbered from 21. An existing style sheet and settings file are kept (--force\n"
      "rewrites the style sheet). Prints 'created DATABASE', then 'wrote' or 'kept' for the style sheet\n"
      "and SysUser.ini. With --server, the folder is one desk of an installation on the server: SysUser.ini\n"
      "names it ([Database] Url=; Desk= names the desk, default host:folder; QUILLON_DATABASE_URL\n"
      "overrides). Exit status 0 done, 2 usage error, 3 the database exists (without --force), is in\n"
      "use or cannot be written, or the server cannot be reached or refuses.");
  cmd->callback([&g, demo, force, server] {
    const auto host = g.makeHost();
    try {
      const auto home = g.homePath();
      InitOptions options;
      options.demo = *demo;
      options.force = *force;
      options.library = true;
      options.server = *server;
      const InitResult r = initializeHome(home, options);
      if (server->empty())
        std::cout << "created " << r.database.string()
                  << (*demo ? " (schema and demo library)" : " (schema and an empty library)") << "\n";
      else if (r.serverCreated)
        std::cout << "created the installation's tables on the server"
                  << (*demo ? " (schema and demo library)" : " (schema and an empty library)") << "\n";
      else
        std::cout << "joined the installation the server holds"
                  << (*demo ? " (--demo ignored: it is not empty)" : "") << "\n";
      std::cout << (r.styleSheetWritten ? "wrote " : "kept ") << r.styleSheet.string() << "\n";
      std::cout << (r.settingsWritten ? "wrote " : "kept ") << r.settings.string() << "\n";
      g.exitCode = 0;
    } catch (const std::exception& e) {
      host->error(e.what());
      g.exitCode = 3;
    }
  });
});

}  // namespace
}  // namespace quillon::cli
