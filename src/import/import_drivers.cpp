#include "import/import_drivers.h"

#include <fmt/format.h>

#include <string_view>
#include <utility>

#include "db/queries.h"
#include "db/tables.h"
#include "fileutil/file_ops.h"
#include "fileutil/path_helpers.h"
#include "import/package_audit.h"
#include "import/package_source.h"
#include "import/table_importers.h"
#include "quillon/error.h"
#include "tree/owner_reservation.h"

namespace quillon::importing {
namespace {

constexpr const char* kTitle = "导出";
constexpr const char* kTenderFileLost = "招表文件掉失";
constexpr const char* kLibraryFileLost = "招标文件丢失";

}  // namespace

Value ImportDrivers::InputBs(const std::string& InputName, bool FgOldBs) {
  return run(InputName, FgOldBs, 1, Tree::Plain);
}

Value ImportDrivers::InputTBs(const std::string& InputName, bool FgOldBs) {
  return run(InputName, FgOldBs, 1, Tree::Bid);
}

Value ImportDrivers::InputRESOURCE(const std::string& InputName, bool FgOldBs) {
  return run(InputName, FgOldBs, 2, Tree::Plain);
}

Value ImportDrivers::run(const std::string& InputName, bool FgOldBs, std::int16_t ori, Tree treeImport) {
  const bool project = ori == 1;
  if (!pub::FileExists(InputName)) {
    session_.host.message(kTitle, project ? kTenderFileLost : kLibraryFileLost, Icon::Question);
    return Value();
  }
  const Package package(InputName);
  const std::string_view treeTable = db::sideOf(ori).tree;
  const std::string_view ownerColumn = db::sideOf(ori).owner;
  if (package.records(treeTable) == 0) {
    if (!project) return Value();
    throw Error(ErrorKind::InvalidPackage, fmt::format("the package's {} element has no record", treeTable));
  }
  const std::int32_t oldOwner = package.firstNumber(treeTable, ownerColumn);
  // Decided before the placeholder: a refused package leaves no trace.
  PackageAudit(session_, package).check(ori, oldOwner, treeImport == Tree::Bid);

  tree::OwnerReservation(session_).InserMaxNo(ori);
  const std::int32_t owner = db::Queries(session_).GetMaxNo(std::string(treeTable), std::string(ownerColumn));
  TableImporters(session_, package).importAll(ori, oldOwner);
  TreeImport trees(session_, package, placement_);
  const std::string sourceFolder = pub::ExtractFilePath(InputName);
  if (treeImport == Tree::Bid)
    trees.inputTreeFromXmlEx(ori, oldOwner, sourceFolder, FgOldBs);
  else
    trees.inputTreeFromXml(ori, oldOwner, sourceFolder, FgOldBs);
  return Value(std::int64_t{owner});
}

}  // namespace quillon::importing
