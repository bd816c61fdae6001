// quillon import and import-library: a package from another office taken in,
// all or nothing.
#include <fmt/format.h>
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <span>
#include <system_error>

#include "commands.h"
#include "members.h"
#include "quillon/transaction.h"
#include "terminal_progress.h"

namespace quillon::cli {
namespace {

namespace fs = std::filesystem;

// The tables an import adds rows to, for the summary.
constexpr const char* kProjectTables[] = {
    "T_PROJECT_TREE",       "TJ_PROCUREMENT_PROJECT",    "T_ACCORDED_CHECK",  "TJ_OPEN_BID_DETAILS",
    "T_AUTO_GRADE_DETAILS", "T_GRADE_INGREDIENT_DETAIL", "T_GRADE_INGREDIENT"};
constexpr const char* kLibraryTables[] = {"T_RESOURCE_TREE",           "TJ_PROCUREMENT_PROJECT_INFO",
                                          "T_ACCORDED_CHECK_INFO",     "TJ_OPEN_BID_DETAILS_INFO",
                                          "T_AUTO_GRADE_DETAILS_INFO", "T_GRADE_INGREDIENT_DETAIL_INFO",
                                          "T_GRADE_INGREDIENT_INFO"};

std::map<std::string, std::int64_t> rowCounts(DBFunc& object, bool project) {
  std::map<std::string, std::int64_t> counts;
  for (const char* table : project ? std::span(kProjectTables) : std::span(kLibraryTables)) {
    const std::int32_t n = object.Db_GetCount(table, "");
    if (n < 0)
      throw std::runtime_error(fmt::format("cannot count the rows of {}: {}", table, object.lastError()));
    counts[table] = n;
  }
  return counts;
}

void printAdded(const std::map<std::string, std::int64_t>& before,
                const std::map<std::string, std::int64_t>& after) {
  for (const auto& [table, n] : after)
    if (n != before.at(table))
      std::cout << fmt::format("  {:<32} {:>7} rows added\n", table, n - before.at(table));
}

// A folder beside the document root that the import's files go to first;
// only a stored import moves them in, so a failure leaves the root as it was.
class Staging {
 public:
  explicit Staging(const fs::path& root) : root_(root) {
    std::error_code ec;
    fs::create_directories(root_, ec);
    if (ec) throw std::runtime_error(fmt::format("cannot create {}: {}", root_.string(), ec.message()));
    path_ = root_ / fmt::format(".quillon-import-{}", ::getpid());
    fs::remove_all(path_, ec);
    fs::create_directory(path_, ec);
    if (ec) throw std::runtime_error(fmt::format("cannot create {}: {}", path_.string(), ec.message()));
  }
  ~Staging() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  std::string folderText() const { return path_.string() + "/"; }
  // Moves the document folders made into the root; returns folders and files.
  std::pair<int, int> commit() {
    int folders = 0, files = 0;
    for (const auto& entry : fs::directory_iterator(path_)) {
      const fs::path target = root_ / entry.path().filename();
      if (fs::exists(fs::symlink_status(target)))
        throw std::runtime_error(fmt::format("{} exists already; nothing was imported", target.string()));
      ++folders;
      for (const auto& inside : fs::recursive_directory_iterator(entry.path()))
        files += inside.is_regular_file() ? 1 : 0;
    }
    for (const auto& entry : fs::directory_iterator(path_)) {
      const fs::path target = root_ / entry.path().filename();
      fs::rename(entry.path(), target);
      moved_.push_back(target);
    }
    return {folders, files};
  }
  // Takes back what commit() moved, when the database then refused.
  void undo() {
    std::error_code ec;
    for (const auto& folder : moved_) fs::remove_all(folder, ec);
  }

 private:
  fs::path root_;
  fs::path path_;
  std::vector<fs::path> moved_;
};

struct ImportOptions {
  std::string package;
  std::int32_t parent = 0;
  std::int32_t layer = 0;
  std::string docRoot;
  bool replaceOld = false;
};

int importPackage(DBFunc& object, CliHost& host, const ImportOptions& o, bool project) {
  const fs::path package = fs::absolute(o.package);
  if (!fs::is_regular_file(package)) {
    host.error(fmt::format("{} is not a package file", package.string()));
    return 3;
  }
  std::optional<Staging> staging;
  if (project) {
    staging.emplace(fs::absolute(o.docRoot));
    object.InputBsPath = staging->folderText();
    object.vNew_PARENT_NOED_ID = std::to_string(o.parent);
    object.PARENT_LAYER_ID = o.layer;
  }
  // All or nothing: the rows and the placeholder go with the transaction, the
  // files with the staging folder.
  Transaction whole(object);
  const auto before = rowCounts(object, project);
  const Value owner = project ? object.InputBs(package.string(), false)
                              : object.InputRESOURCE(package.string(), o.replaceOld);
  if (owner.isEmpty()) {
    host.error(project ? "the package holds no document; nothing was imported"
                       : "the package holds no template; nothing was imported");
    return 3;
  }
  const auto after = rowCounts(object, project);
  const auto [folders, files] = staging ? staging->commit() : std::pair<int, int>{0, 0};
  try {
    whole.commit();
  } catch (...) {
    if (staging) staging->undo();
    throw;
  }
  std::cout << (project ? "project " : "resource ") << owner.toText() << "\n";
  printAdded(before, after);
  if (project) std::cout << fmt::format("  {} document folder(s) made, {} file(s) copied\n", folders, files);
  return 0;
}

const bool registered = addCommand([](CLI::App& app, Globals& g) {
  auto o = std::make_shared<ImportOptions>();
  auto* cmd = app.add_subcommand("import", "Import a tender-document package as a new project");
  cmd->add_option("PACKAGE", o->package, "The package file, e.g. in/plan/plan.xml")->required();
  cmd->add_option("--parent", o->parent, "NODE_ID of the project node the document hangs under")->required();
  cmd->add_option("--layer", o->layer, "LAYER_ID of that parent node")->required();
  cmd->add_option("--doc-root", o->docRoot, "Folder the document's folder (NAME + node number) is made in")
      ->required();
  cmd->footer(
      "The document's files (NAME.doc, NAME.PDF, 合并标书.PDF, the 附件 folder, drawings) are taken from "
      "the\n"
      "package's folder. All or nothing: on any failure the database and --doc-root are as before; exit\n"
      "status 3 with the reason. Prints the new project number and the rows added per table.");
  cmd->callback([&g, o] {
    g.exitCode = g.withStrictObject(
        [&](DBFunc& object, CliHost& host) { return importPackage(object, host, *o, true); });
  });

  auto l = std::make_shared<ImportOptions>();
  auto* lib = app.add_subcommand("import-library", "Import a library package as new templates");
  lib->add_option("PACKAGE", l->package, "The package file, e.g. in/library.xml")->required();
  lib->add_flag("--replace-old", l->replaceOld,
                "Invalidate the library's templates of the same names (default: rename the imported ones)");
  lib->footer(
      "All or nothing: on any failure the library is as before; exit status 3 with the reason. Prints the\n"
      "first new template number and the rows added per table.");
  lib->callback([&g, l] {
    g.exitCode = g.withStrictObject(
        [&](DBFunc& object, CliHost& host) { return importPackage(object, host, *l, false); });
  });
});

}  // namespace
}  // namespace quillon::cli
