// quillon save-template: a project's tender document saved into the library.
#include <fmt/format.h>

#include <iostream>

#include "commands.h"

namespace quillon::cli {
namespace {

struct SaveOptions {
  std::int32_t project = 0;
  std::string name;
};

int saveTemplate(DBFunc& object, CliHost& host, const SaveOptions& o) {
  if (object.Db_GetCount("T_PROJECT_TREE", fmt::format("PROJECT_ID={}", o.project)) <= 0) {
    host.error(fmt::format("project {} has no document tree; nothing was saved", o.project));
    return 3;
  }
  // The save takes this same number: nothing is written in between.
  const std::int32_t resource = object.GetMaxNo("T_RESOURCE_TREE", "RESOURCE_ID");
  if (resource < 0) {
    host.error("could not take a new resource number; nothing was saved");
    return 3;
  }
  object.SavaBsInResource(std::to_string(o.project), "", Value(o.name));
  std::cout << "resource " << resource << "\n";
  return 0;
}

const bool registered = addCommand([](CLI::App& app, Globals& g) {
  auto* cmd = app.add_subcommand(
      "save-template",
      "Save a project's tender document into the library as a new template (tree, bid-opening lines, "
      "compliance checks, scoring items and project record; live rows only for all but the tree); print the "
      "new RESOURCE_ID");
  auto o = std::make_shared<SaveOptions>();
  cmd->add_option("--project", o->project, "PROJECT_ID of the project to save")->required();
  cmd->add_option("--name", o->name, "Name of the template (its document node and project record)")
      ->required();
  cmd->footer(
      "Exit status 3 when the project has no tree or the tree copy fails (tree rows written before the "
      "failure stay; the other tables are then not copied).");
  cmd->callback([&g, o] {
    g.exitCode = g.withObject([&](DBFunc& object, CliHost& host) { return saveTemplate(object, host, *o); });
  });
});

}  // namespace
}  // namespace quillon::cli
