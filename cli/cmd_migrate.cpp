// quillon migrate: moves an installation from its file to a server.
#include <iostream>

#include "commands.h"
#include "quillon/error.h"
#include "quillon/setup.h"
#include "terminal_progress.h"

namespace quillon::cli {
namespace {

const bool registered = addCommand({"migrate"}, [](CLI::App& app, Globals& g) {
  auto* cmd = app.add_subcommand(
      "migrate",
      "Move the installation from its file to an empty database on a PostgreSQL server, in one transaction");
  auto url = std::make_shared<std::string>();
  cmd->add_option("--to", *url, "Connection URL of the server's database, e.g. postgresql://dbhost/tenders")
      ->required();
  cmd->footer(
      "The schema and every row of every table are copied in one transaction and counted on both sides;\n"
      "then SysUser.ini names the server, and this folder is its first desk. Texts with bytes that are not\n"
      "UTF-8 are stored with U+FFFD in their place (counted). Refused, with nothing written: a database\n"
      "that holds tables already, or values the server would not store as the file holds them (a text in\n"
      "a number column, a number held twice), each named. Data/zbs.mdb is left as it was. On a terminal a\n"
      "bar shows each large table's rows; then the rows copied per table are printed.\n"
      "Exit status 0 done, 2 usage error, 3 refused or failed.");
  cmd->callback([&g, url] {
    const auto host = g.makeHost();
    try {
      const ProgressOnTerminal progress(g.messages != "json");
      const MigrationReport r = migrateToServer(g.homePath(), *url);
      std::int64_t total = 0;
      for (const auto& [table, rows] : r.rows) {
        std::cout << "  " << table << std::string(table.size() < 34 ? 34 - table.size() : 1, ' ') << rows
                  << " rows\n";
        total += rows;
      }
      std::cout << "moved " << total << " rows to the server";
      if (r.textsReplaced)
        std::cout << " (" << r.textsReplaced << " texts with U+FFFD for bytes that were not UTF-8)";
      std::cout << "; SysUser.ini names it now\n";
      g.exitCode = 0;
    } catch (const std::exception& e) {
      host->error(e.what());
      g.exitCode = 3;
    }
  });
});

}  // namespace
}  // namespace quillon::cli
