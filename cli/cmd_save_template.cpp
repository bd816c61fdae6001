// quillon save-template: a project's tender document saved into the library.
#include <fmt/format.h>

#include <iostream>

#include "commands.h"
#include "existence.h"
#include "json.h"
#include "members.h"
#include "quillon/numbering.h"
#include "quillon/transaction.h"

namespace quillon::cli {
namespace {

struct SaveOptions {
  std::int32_t project = 0;
  std::string name;
  bool json = false;
};

int saveTemplate(DBFunc& object, CliHost& host, const SaveOptions& o) {
  requireName(o.name, "--name");
  // All or nothing: a failure anywhere leaves no part of the new template.
  Transaction whole(object);
  requireProject(object, o.project);
  if (object.Db_GetCount("T_PROJECT_TREE", fmt::format("PROJECT_ID={}", o.project)) <= 0) {
    host.error(fmt::format("project {} has no document tree; nothing was saved", o.project));
    return 3;
  }
  object.SavaBsInResource(std::to_string(o.project), "", Value(o.name));
  const std::optional<std::int32_t> resource = object.ownerMade();
  if (!resource) {
    host.error(
        fmt::format("could not take a new resource number: {}; nothing was saved", object.lastError()));
    return 3;
  }
  if (*resource > kLargestFreeNumber) {
    host.error(fmt::format("the new resource number {} leaves fewer than {} numbers free; nothing was saved",
                           *resource, kNumberingSlack));
    return 3;
  }
  whole.commit();
  if (o.json)
    std::cout << jsonLine({{"resource", *resource}}) << "\n";
  else
    std::cout << "resource " << *resource << "\n";
  return 0;
}

const bool registered = addCommand({"save-template"}, [](CLI::App& app, Globals& g) {
  auto* cmd = app.add_subcommand(
      "save-template",
      "Save a project's tender document into the library as a new template (tree, bid-opening lines, "
      "compliance checks, scoring items and project record; live rows only for all but the tree); print the "
      "new RESOURCE_ID");
  auto o = std::make_shared<SaveOptions>();
  cmd->add_option("--project", o->project, "PROJECT_ID of the project to save")->required();
  cmd->add_option("--name", o->name, "Name of the template (its document node and project record)")
      ->required();
  cmd->add_flag("--json", o->json, "Print {\"resource\": N} instead");
  cmd->footer(
      "All or nothing: exit status 3, with the reason, when the project does not exist or has no tree, a\n"
      "copy step fails or the database cannot store the copy; nothing of the new template is then stored.\n"
      "Exit status 2 for a usage error, such as a name that is not UTF-8 text.");
  cmd->callback([&g, o] {
    g.exitCode =
        g.withStrictObject([&](DBFunc& object, CliHost& host) { return saveTemplate(object, host, *o); });
  });
});

}  // namespace
}  // namespace quillon::cli
