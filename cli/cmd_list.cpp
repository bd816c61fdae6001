// quillon list: what an installation holds, projects or templates.
#include <fmt/format.h>

#include <iostream>

#include "commands.h"
#include "json.h"

namespace quillon::cli {
namespace {

// Columns of East Asian text take two cells on a terminal; counting them as
// one would push every later column out of line.
std::size_t displayWidth(const std::string& text) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    width += length >= 3 ? 2 : 1;
    i += length;
  }
  return width;
}

std::string padded(const std::string& text, std::size_t width) {
  const std::size_t w = displayWidth(text);
  return text + std::string(w < width ? width - w : 0, ' ');
}

void printTable(const std::vector<DocumentSummary>& docs, bool templates) {
  std::size_t typeWidth = 4;
  for (const auto& d : docs) typeWidth = std::max(typeWidth, displayWidth(d.projectType));
  std::cout << fmt::format("{:>8}  {}  {:>6}  {:>6}  {:>6}  NAME\n", templates ? "TEMPLATE" : "PROJECT",
                           padded("TYPE", typeWidth), "NODES", "CHECKS", "ITEMS");
  for (const auto& d : docs) {
    std::string line =
        fmt::format("{:>8}  {}  {:>6}  {:>6}  {:>6}  {}", d.id, padded(d.projectType, typeWidth), d.nodes,
                    d.checks, d.scoringItems, d.name);
    if (!d.entry.empty() && d.entry != d.name) line += fmt::format("  (in the library as {})", d.entry);
    if (!d.live) line += "  [invalidated]";
    std::cout << line << "\n";
  }
}

void printJson(const std::vector<DocumentSummary>& docs, bool templates) {
  for (const auto& d : docs) {
    std::string line = fmt::format(
        "{{\"{}\":{},\"name\":{},\"projectType\":{},\"nodes\":{},\"checks\":{},\"scoringItems\":{},\"live\":{"
        "}",
        templates ? "template" : "project", d.id, jsonString(d.name), jsonString(d.projectType), d.nodes,
        d.checks, d.scoringItems, d.live ? "true" : "false");
    if (templates) line += fmt::format(",\"entry\":{}", d.entry.empty() ? "null" : jsonString(d.entry));
    std::cout << line << "}\n";
  }
}

const bool registered = addCommand({"list"}, [](CLI::App& app, Globals& g) {
  auto* cmd = app.add_subcommand("list", "List the projects or the templates of the installation");
  auto what = std::make_shared<std::string>();
  auto json = std::make_shared<bool>(false);
  cmd->add_option("what", *what, "projects or templates")
      ->required()
      ->check(CLI::IsMember({"projects", "templates"}));
  cmd->add_flag("--json", *json, "One JSON object per line instead of a table");
  cmd->footer(
      "One line per project (PROJECT_ID) or template (RESOURCE_ID) that has a document tree, in number\n"
      "order: its number, project type, live nodes, live compliance checks, live scoring items and the\n"
      "name of its document node. A template whose library entry has another name (an import renamed\n"
      "it) shows that name too; one whose document node or entry is invalidated is marked\n"
      "[invalidated]. The library root and its categories are not templates, and a number an import\n"
      "reserved (a tree row with nothing but its numbers) is no document: neither is listed.\n"
      "With --json: {\"project\"|\"template\":N, \"name\", \"projectType\", \"nodes\", \"checks\",\n"
      "\"scoringItems\", \"live\"} and, for templates, \"entry\" (null when there is none).\n"
      "Exit status 0, also when there is nothing to list; 2 for a usage error, 3 when the database\n"
      "cannot be read.");
  cmd->callback([&g, what, json] {
    g.exitCode = g.withStrictObject([&](DBFunc& object, CliHost&) {
      const bool templates = *what == "templates";
      const auto docs = object.listDocuments(templates ? 2 : 1);
      if (*json)
        printJson(docs, templates);
      else if (docs.empty())
        note("no " + *what + " in this installation");
      else
        printTable(docs, templates);
      return 0;
    });
  });
});

}  // namespace
}  // namespace quillon::cli
