// quillon tree: a document tree as an indented outline.
#include <iostream>
#include <limits>

#include "commands.h"
#include "existence.h"
#include "json.h"
#include "members.h"

namespace quillon::cli {
namespace {

struct TreeOptions {
  std::string project;
  std::string resource;
  bool all = false;
  bool json = false;
};

const bool registered = addCommand({"tree"}, [](CLI::App& app, Globals& g) {
  auto* cmd = app.add_subcommand("tree", "Print a project's or a template's document tree as an outline");
  auto opts = std::make_shared<TreeOptions>();
  auto* project =
      cmd->add_option("--project", opts->project, "PROJECT_ID of a project's tree")->type_name("ID");
  auto* resource =
      cmd->add_option("--resource", opts->resource, "RESOURCE_ID of a template's tree in the library")
          ->type_name("ID");
  project->excludes(resource);
  cmd->add_flag("--all", opts->all, "Also show invalidated nodes (STS 'I'), marked [invalidated]");
  cmd->add_flag("--json", opts->json,
                "One JSON object per node, in the outline's order: node, parent, name, type, depth (0 at the "
                "top), live, parentCycle");
  cmd->footer(
      "Give exactly one of --project and --resource.\n"
      "One line per node: NAME (type TYPE_ID, node NODE_ID), children under their parent in\n"
      "NODE_ORDER, then NODE_ID order. Top-level lines are the nodes whose parent is not a shown\n"
      "node of the same owner. A node whose parent chain loops is drawn once, from a node of the\n"
      "loop marked [parent cycle].\n"
      "When the owner has no node to show, a note says so on stderr, stdout stays empty and the\n"
      "exit status is 0. Exit status 2 for a usage error, 3 when the project or template does not\n"
      "exist or the database cannot be read.\n");
  cmd->callback([&g, opts] {
    const bool onProject = !opts->project.empty();
    if (onProject == !opts->resource.empty()) {
      usageNote("tree: give --project ID or --resource ID");
      g.exitCode = 2;
      return;
    }
    g.exitCode = g.withStrictObject([&](DBFunc& object, CliHost&) {
      const std::string& idText = onProject ? opts->project : opts->resource;
      const auto id = static_cast<std::int32_t>(parseInteger(idText, std::numeric_limits<std::int32_t>::min(),
                                                             std::numeric_limits<std::int32_t>::max()));
      const std::int16_t ori = onProject ? 1 : 2;
      if (onProject)
        requireProject(object, id);
      else
        requireTemplate(object, id);
      if (opts->json) {
        for (const auto& node : object.treeNodes(ori, id, opts->all))
          std::cout << jsonLine(outlineJson(node)) << "\n";
        return 0;
      }
      const std::string outline = object.treeOutline(ori, id, opts->all);
      if (!outline.empty()) {
        std::cout << outline << std::flush;
        return 0;
      }
      const std::string owner = (onProject ? "project " : "template ") + std::to_string(id);
      if (!opts->all && !object.treeOutline(ori, id, true).empty())
        note(owner + " has no live nodes; --all shows its invalidated ones");
      else
        note(owner + " has no nodes");
      return 0;
    });
  });
});

}  // namespace
}  // namespace quillon::cli
