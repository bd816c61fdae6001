// quillon import and import-library: a package from another office taken in
// all or nothing, or only tried (--check) with nothing kept.
#include <fmt/format.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <optional>

#include "commands.h"
#include "import_staging.h"
#include "json.h"
#include "members.h"
#include "quillon/component_folder.h"
#include "quillon/package_files.h"
#include "quillon/transaction.h"
#include "terminal_progress.h"

namespace quillon::cli {
namespace {

namespace fs = std::filesystem;

enum class Kind { Tender, Bid, Library };

using Counts = std::map<std::string, std::int64_t>;

Counts rowCounts(DBFunc& object, bool project) {
  Counts counts;
  for (const std::string& table : packageTables(project)) {
    const std::int32_t n = object.Db_GetCount(table, "");
    if (n < 0)
      throw std::runtime_error(fmt::format("cannot count the rows of {}: {}", table, object.lastError()));
    counts[table] = n;
  }
  return counts;
}

void printAdded(const Counts& before, const Counts& after) {
  for (const auto& [table, n] : after)
    if (n != before.at(table)) std::cout << fmt::format("  {:<32} {:>7} rows\n", table, n - before.at(table));
}

// The documents (or templates) an import made: number and name. Ordered by
// owner first, so that the owner's index finds them rather than a walk over
// every node in node order.
std::vector<std::pair<std::string, std::string>> documentsMade(DBFunc& object, Kind kind,
                                                               const Value& owner) {
  const std::string sql =
      kind == Kind::Library
          ? fmt::format(
                "select NODE_ID, NODE_NAME from T_RESOURCE_TREE where RESOURCE_ID>={} and TYPE_ID=9 "
                "order by RESOURCE_ID, NODE_ID",
                owner.toInt64())
          : fmt::format(
                "select NODE_ID, NODE_NAME from T_PROJECT_TREE where PROJECT_ID>={} and TYPE_ID=2 "
                "order by PROJECT_ID, NODE_ID",
                owner.toInt64());
  std::vector<std::pair<std::string, std::string>> made;
  Recordset rs;
  if (!object.GetValue(sql, rs)) return made;
  for (; !rs.atEnd(); rs.moveNext())
    made.emplace_back(rs.value(0).toText(), rs.value(1).isNull() ? "" : rs.value(1).toText());
  return made;
}

struct ImportOptions {
  std::string package;
  std::optional<std::int32_t> parent;
  std::optional<std::int32_t> layer;
  std::string docRoot;
  bool bid = false;
  bool replaceOld = false;
  bool check = false;
  bool json = false;
};

// Where the document folders of a stored import end up.
fs::path documentRoot(const DBFunc& object, Kind kind, const ImportOptions& o) {
  if (kind == Kind::Tender) {
    if (o.docRoot.empty()) throw UsageError("import needs --doc-root (or --bid, or --check)");
    return fs::absolute(o.docRoot);
  }
  const std::string projects = projectPathOf(object.componentFolder());
  if (projects.empty())
    throw std::runtime_error(
        fmt::format("{} sets no ProjectPath in [AppInfo], the folder bids are kept in; nothing was imported",
                    (object.componentFolder() / "SysUser.ini").string()));
  return fs::absolute(projects);
}

struct Attempt {
  Value owner;
  std::string problem;  // empty when the import went through
  Counts before, after;
  std::vector<std::pair<std::string, std::string>> documents;
  std::vector<std::pair<std::string, std::string>> renamed;
  std::pair<int, int> foldersAndFiles{0, 0};
};

Attempt attempt(DBFunc& object, Kind kind, const ImportOptions& o, const fs::path& package,
                Staging* staging) {
  const bool project = kind != Kind::Library;
  Attempt a;
  a.before = rowCounts(object, project);
  try {
    if (kind == Kind::Tender) a.owner = object.InputBs(package.string(), false);
    if (kind == Kind::Bid) a.owner = object.InputTBs(package.string(), false);
    if (kind == Kind::Library) a.owner = object.InputRESOURCE(package.string(), o.replaceOld);
  } catch (const std::exception& e) {
    if (!o.check) throw;
    a.problem = e.what();
    return a;
  }
  a.renamed = object.namesChanged();  // before the next call clears them
  if (a.owner.isEmpty()) {
    a.problem = project ? "the package holds no document" : "the package holds no template";
    return a;
  }
  a.after = rowCounts(object, project);
  a.documents = documentsMade(object, kind, a.owner);
  if (staging) a.foldersAndFiles = staging->counted();
  return a;
}

void printReport(const Attempt& a, Kind kind, const fs::path& package) {
  std::cout << "package " << package.string() << "\n";
  if (!a.problem.empty()) {
    std::cout << "would not import: " << a.problem << "\n";
    return;
  }
  const bool library = kind == Kind::Library;
  std::cout << fmt::format("would import as {} {}\n", library ? "resource" : "project", a.owner.toText());
  std::cout << (library ? "templates:\n" : "documents:\n");
  for (const auto& [node, name] : a.documents) std::cout << fmt::format("  {:>8}  {}\n", node, name);
  std::cout << "rows it would add:\n";
  printAdded(a.before, a.after);
  if (!library)
    std::cout << fmt::format("  {} document folder(s) with {} file(s)\n", a.foldersAndFiles.first,
                             a.foldersAndFiles.second);
  for (const auto& [from, to] : a.renamed)
    std::cout << fmt::format("  would rename \"{}\" to \"{}\" (the library holds that name)\n", from, to);
}

// What the import added (or, with --check, would add), as one JSON line.
std::string reportJson(const Attempt& a, Kind kind, const fs::path& package, bool check) {
  nlohmann::json report{{"package", package.string()}, {"check", check}, {"imports", a.problem.empty()}};
  if (!a.problem.empty()) {
    report["problem"] = a.problem;
    return jsonLine(report);
  }
  report[kind == Kind::Library ? "resource" : "project"] = a.owner.toInt64();
  nlohmann::json documents = nlohmann::json::array();
  for (const auto& [node, name] : a.documents)
    documents.push_back({{"node", std::stoll(node)}, {"name", name}});
  report["documents"] = documents;
  nlohmann::json rows = nlohmann::json::object();
  for (const auto& [table, n] : a.after) rows[table] = n - a.before.at(table);
  report["rows"] = rows;
  if (kind != Kind::Library) {
    report["folders"] = a.foldersAndFiles.first;
    report["files"] = a.foldersAndFiles.second;
  }
  nlohmann::json renamed = nlohmann::json::array();
  for (const auto& [from, to] : a.renamed) renamed.push_back({{"from", from}, {"to", to}});
  report["renamed"] = renamed;
  return jsonLine(report);
}

int importPackage(DBFunc& object, CliHost& host, const ImportOptions& o, Kind kind) {
  const fs::path package = fs::absolute(o.package);
  const auto refuse = [&](const std::string& why) {
    if (o.check) {
      if (o.json) {
        Attempt refused;
        refused.problem = why;
        std::cout << reportJson(refused, kind, package, true) << "\n";
      } else {
        std::cout << "package " << package.string() << "\nwould not import: " << why << "\n";
      }
      return 1;
    }
    host.error(why);
    return 3;
  };
  if (!fs::is_regular_file(package)) {
    std::error_code ec;
    return refuse(fs::exists(package, ec) ? fmt::format("{} is not a package file", package.string())
                                          : fmt::format("{} does not exist", package.string()));
  }
  // An import numbers what it adds after the largest owner number of the
  // side, and with none at all its reservation has nothing to count from.
  // Every installation has its library root; a new office has no project.
  const bool firstProject = kind != Kind::Library && !object.holdsOwners(1);
  if (kind == Kind::Library && !object.holdsOwners(2))
    return refuse(
        "the library is empty, without even its root; make the installation again with quillon init");
  if (kind != Kind::Library && !o.check && (!o.parent || !o.layer))
    throw UsageError("import needs --parent and --layer (only --check can do without them)");

  // The files go to a staging folder first: beside the document root for an
  // import, in a scratch folder for a check.
  std::optional<ScratchFolder> scratch;
  std::optional<Staging> staging;
  if (kind != Kind::Library) {
    if (o.check) scratch.emplace();
    staging.emplace(o.check ? scratch->path() : documentRoot(object, kind, o));
    object.InputBsPath = staging->folderText();
    object.projectPathOverride = staging->folderText();
    object.vNew_PARENT_NOED_ID = std::to_string(o.parent.value_or(0));
    object.PARENT_LAYER_ID = o.layer.value_or(0);
  }
  // All or nothing: the rows and the placeholder go with the transaction, the
  // files with the staging folder. A check is never committed.
  std::optional<Transaction> whole(std::in_place, object);
  // The first project of an installation: a row holding nothing but the
  // numbers (project 0, never listed) lets the import count from it.
  if (firstProject)
    object.ExecuteSql(fmt::format("Insert into T_PROJECT_TREE(NODE_ID,PROJECT_ID) values({},0)",
                                  object.GetMaxNo("T_PROJECT_TREE", "NODE_ID")));
  const Attempt a = attempt(object, kind, o, package, staging ? &*staging : nullptr);
  if (o.check) {
    if (o.json)
      std::cout << reportJson(a, kind, package, true) << "\n";
    else
      printReport(a, kind, package);
    return a.problem.empty() ? 0 : 1;
  }
  if (!a.problem.empty()) {
    host.error(a.problem + "; nothing was imported");
    return 3;
  }
  // The rows and the note of the folders still to move are stored together;
  // a kill after the commit leaves the moves to the next command's recovery.
  std::optional<ImportJournalEntry> entry;
  if (staging) {
    entry =
        ImportJournalEntry{staging->path(), staging->root(), staging->foldersToMove(), a.owner.toInt32() - 1};
    object.recordImport(*entry);
  }
  whole->commit();
  whole.reset();  // the journal's own statements run after it
  if (entry) {
    staging->handOver();
    object.finishImport(*entry);
  }
  if (o.json) {
    std::cout << reportJson(a, kind, package, false) << "\n";
    return 0;
  }
  std::cout << (kind == Kind::Library ? "resource " : "project ") << a.owner.toText() << "\n";
  printAdded(a.before, a.after);
  if (staging)
    std::cout << fmt::format("  {} document folder(s) made, {} file(s) copied\n", a.foldersAndFiles.first,
                             a.foldersAndFiles.second);
  for (const auto& [from, to] : a.renamed)
    std::cout << fmt::format("  renamed \"{}\" to \"{}\": the library holds that name\n", from, to);
  return 0;
}

constexpr const char* kCheckHelp =
    "Only try the import: read the package, run every step and report what it would add (documents, rows "
    "per table, files) or why it would fail; nothing is written to the database or the disk. Exit status 0 "
    "when the package would import, 1 when it would not";

constexpr const char* kJsonHelp =
    "Print the report as one JSON object: package, check, imports (true or false), problem (when it does "
    "not import), project or resource, documents [{node, name}], rows {table: added}, folders, files, "
    "renamed [{from, to}]";

const bool registered = addCommand({"import", "import-library"}, [](CLI::App& app, Globals& g) {
  auto o = std::make_shared<ImportOptions>();
  auto* cmd = app.add_subcommand("import", "Import a tender-document package as a new project or bid");
  cmd->add_option("PACKAGE", o->package, "The package file, e.g. in/plan/plan.xml")->required();
  cmd->add_option("--parent", o->parent, "NODE_ID of the project node the document hangs under");
  cmd->add_option("--layer", o->layer, "LAYER_ID of that parent node");
  cmd->add_option("--doc-root", o->docRoot,
                  "Folder the document's folder (NAME + node number) is made in; not with --bid");
  cmd->add_flag("--bid", o->bid,
                "Import as the start of a bid: the tender's root becomes 标书 under a new 投标书 beside the "
                "bid sections, and the document folders (node number) go to ProjectPath of SysUser.ini");
  cmd->add_flag("--check", o->check, kCheckHelp);
  cmd->add_flag("--json", o->json, kJsonHelp);
  cmd->footer(
      "--parent and --layer are required unless --check is given, --doc-root too without --bid. The\n"
      "document's files are taken from the package's folder (NAME.doc, NAME.PDF, 合并标书.PDF, 附件 and\n"
      "drawings; with --bid NAME.PDF, NAME.DOC and 附件). All or nothing: on any failure the database and\n"
      "the document folders are as before; exit status 3 with the reason. Prints the new project number,\n"
      "the rows added per table, and the folders and files made. Exit status 2 for a usage error.");
  cmd->callback([&g, o] {
    g.exitCode = g.withStrictObject([&](DBFunc& object, CliHost& host) {
      if (o->bid && !o->docRoot.empty()) throw UsageError("--doc-root does not go with --bid");
      const ProgressOnTerminal progress(g.messages != "json");
      return importPackage(object, host, *o, o->bid ? Kind::Bid : Kind::Tender);
    });
  });

  auto l = std::make_shared<ImportOptions>();
  auto* lib = app.add_subcommand("import-library", "Import a library package as new templates");
  lib->add_option("PACKAGE", l->package, "The package file, e.g. in/library.xml")->required();
  lib->add_flag("--replace-old", l->replaceOld,
                "Invalidate the library's templates of the same names (default: rename the imported ones)");
  lib->add_flag("--check", l->check, kCheckHelp);
  lib->add_flag("--json", l->json, kJsonHelp);
  lib->footer(
      "All or nothing: on any failure the library is as before; exit status 3 with the reason. Prints the\n"
      "first new template number, the rows added per table and each template renamed for a name clash.");
  lib->callback([&g, l] {
    g.exitCode = g.withStrictObject([&](DBFunc& object, CliHost& host) {
      const ProgressOnTerminal progress(g.messages != "json");
      return importPackage(object, host, *l, Kind::Library);
    });
  });
});

}  // namespace
}  // namespace quillon::cli
