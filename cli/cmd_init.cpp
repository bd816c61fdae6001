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
  cmd->add_flag("--demo", *demo,
                "Also add seven demo templates (goods, works, services) and one worked project");
  cmd->add_flag("--force", *force, "Replace an existing database (its data is lost)");
  cmd->footer(
      "Every installation starts with the project types, the evaluation methods, the library root\n"
      "(招标文件范本库, node 1) and one category per project type (nodes 2 to 4), which templates imported\n"
      "from other offices are filed under. Template numbers 1 to 20 are the system's: templates saved or\n"
      "imported are numbered from 21. An existing style sheet and settings file are kept (--force\n"
      "rewrites the style sheet). Prints 'created DATABASE', then 'wrote' or 'kept' for the style sheet\n"
      "and SysUser.ini. Exit status 0 done, 2 usage error, 3 the database exists (without --force), is in\n"
      "use or cannot be written.");
  cmd->callback([&g, demo, force] {
    const auto host = g.makeHost();
    try {
      const auto home = g.homePath();
      const InitResult r = initializeHome(home, InitOptions{*demo, *force, true});
      std::cout << "created " << r.database.string()
                << (*demo ? " (schema and demo library)" : " (schema and an empty library)") << "\n";
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
