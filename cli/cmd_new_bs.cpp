// quillon new-bs: a new project's tender document from a library template.
#include <fmt/format.h>

#include <iostream>
#include <limits>

#include "commands.h"
#include "existence.h"
#include "json.h"
#include "members.h"
#include "quillon/numbering.h"
#include "quillon/text.h"
#include "quillon/transaction.h"

namespace quillon::cli {
namespace {

struct NewBsOptions {
  std::int32_t resource = 0;
  std::string name;
  std::int32_t project = 0;
  std::int32_t parent = 0;
  std::int32_t layer = 0;
  std::string root;
  bool json = false;
};

// The project's own root (type 9, layer 1), as the application makes one for
// each project: the tender document hangs under it, and a bid made from the
// tender's package is built around it.
std::int32_t addProjectRoot(DBFunc& object, CliHost& host, const NewBsOptions& o, std::int32_t project) {
  const std::int32_t node = object.GetMaxNo("T_PROJECT_TREE", "NODE_ID");
  const std::int32_t type = object.GetProjectTypeId(o.resource, 2);
  if (node < 0 || type < 0) return -1;
  const TextArray row{1,
                      {std::to_string(node), o.root, std::to_string(project), "0", "1", "0", "9", "0", "V",
                       std::to_string(type), "BM_PROJECT", "1"}};
  if (!object.T_PROJECT_TREE_Insert(row)) {
    host.error(fmt::format("could not store the project root: {}; nothing was stored", object.lastError()));
    return -1;
  }
  return node;
}

int newBs(DBFunc& object, CliHost& host, NewBsOptions o, bool projectGiven) {
  requireName(o.name, "--name");
  requireName(o.root, "--root");
  // All or nothing: a failure anywhere leaves no part of the new project.
  Transaction whole(object);
  requireTemplate(object, o.resource);
  if (o.root.empty() && o.parent != 0) requireProjectNode(object, o.parent);  // 0: no parent
  if (object.Db_GetCount("T_RESOURCE_TREE",
                         fmt::format("RESOURCE_ID={} and LAYER_ID=2 and TYPE_ID=2", o.resource)) <= 0) {
    host.error(
        fmt::format("template {} has no document node in the library; nothing was copied", o.resource));
    return 3;
  }
  // Both calls must use the same number, so a new one is taken first: one
  // that no project-side table holds, not even rows a failed copy left.
  const std::int32_t project = projectGiven ? o.project : object.nextOwnerId(1);
  if (project > kLargestFreeNumber) {
    host.error(fmt::format("the next project number {} leaves fewer than {} numbers free; nothing was stored",
                           project, kNumberingSlack));
    return 3;
  }
  if (!object.New_Bs(o.resource, 0, o.name, std::to_string(project))) {
    host.error(fmt::format(
        "could not copy the project record or the compliance checks of template {} into project {}: {}; "
        "nothing was stored",
        o.resource, project, object.lastError()));
    return 3;
  }
  if (!o.root.empty()) {
    o.parent = addProjectRoot(object, host, o, project);
    if (o.parent < 0) return 3;
    o.layer = 1;
  }
  if (object.Get_Tree_NodeFromInfo(o.resource, project, o.name, o.parent, o.layer) < 0) {
    host.error(fmt::format("the tree copy of template {} into project {} failed: {}; nothing was stored",
                           o.resource, project, object.lastError()));
    return 3;
  }
  whole.commit();
  if (o.json) {
    nlohmann::json tree = nlohmann::json::array();
    for (const auto& node : object.treeNodes(1, project, false)) tree.push_back(outlineJson(node));
    std::cout << jsonLine({{"project", project}, {"tree", tree}}) << "\n";
  } else {
    std::cout << "project " << project << "\n" << object.treeOutline(1, project, false);
  }
  return 0;
}

const bool registered = addCommand({"new-bs"}, [](CLI::App& app, Globals& g) {
  auto* cmd = app.add_subcommand(
      "new-bs",
      "Make a new project's tender document from a library template: copy the template's project record, "
      "compliance checks, bid-opening lines and scoring items, then its document tree under --parent; print "
      "the project number and its tree");
  auto o = std::make_shared<NewBsOptions>();
  cmd->add_option("--template", o->resource, "RESOURCE_ID of the template")->required();
  cmd->add_option("--name", o->name,
                  "Name of the new document: its project record and top tree node (given empty, the top node "
                  "keeps the template's name)")
      ->required();
  auto* project =
      cmd->add_option("--project", o->project,
                      fmt::format("PROJECT_ID of the new project, 1 to {} (default: the next free project "
                                  "number); larger ones would leave later projects no numbers",
                                  kLargestFreeNumber))
          ->check(CLI::Range(1, kLargestFreeNumber));
  auto* parent =
      cmd->add_option("--parent", o->parent, "NODE_ID of the project node the document hangs under");
  auto* layer = cmd->add_option("--layer", o->layer,
                                "LAYER_ID of that parent node (the document goes one layer below)");
  auto* root = cmd->add_option("--root", o->root,
                               "Instead of --parent and --layer: first make the project's root node (type 9, "
                               "layer 1) with this name, and hang the document under it");
  root->excludes(parent)->excludes(layer);
  cmd->add_flag(
      "--json", o->json,
      "Print one JSON object instead: {\"project\": N, \"tree\": [nodes as tree --json gives them]}");
  cmd->footer(
      "Prints \"project N\" and the new project's tree (live nodes). All or nothing: exit status 3, with\n"
      "the reason, when the template or the --parent node (0 for none) does not exist, the template has no\n"
      "document node, a copy step fails or the database cannot store the copy; nothing of the new project\n"
      "is then stored. Exit status 2 for a usage error, such as a name that is not UTF-8 text.");
  cmd->callback([&g, o, project, parent, layer, root] {
    if (root->count() == 0 && (parent->count() == 0 || layer->count() == 0))
      throw CLI::ValidationError("new-bs needs --parent and --layer, or --root");
    g.exitCode = g.withStrictObject(
        [&](DBFunc& object, CliHost& host) { return newBs(object, host, *o, project->count() > 0); });
  });
});

}  // namespace
}  // namespace quillon::cli
