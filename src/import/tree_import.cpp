#include "import/tree_import.h"

#include <fmt/chrono.h>
#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <ctime>
#include <limits>

#include "db/queries.h"
#include "db/tables.h"
#include "fileutil/copy_dir.h"
#include "fileutil/file_copy.h"
#include "fileutil/file_ops.h"
#include "fileutil/safe_name.h"
#include "import/record_copy.h"
#include "import/tree_side.h"
#include "platform/number_text.h"
#include "quillon/error.h"

namespace quillon::importing {
namespace {

// Library nodes whose parent is kept as the package gives it and whose names
// are checked against the library.
bool keepsItsParent(std::int32_t type) { return type >= 9 && type <= 12; }

std::string importSuffix() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return fmt::format("({:%Y-%m-%d %H-%M-%S}导入)", local);
}

}  // namespace

Value TreePlacement::parentNode() const {
  if (vNew_PARENT_NOED_ID.find_first_not_of(" \t\r\n") == std::string::npos) return Value(std::int64_t{0});
  const std::optional<std::int64_t> n = platform::wholeNumber(vNew_PARENT_NOED_ID);
  if (!n || *n < std::numeric_limits<std::int32_t>::min() || *n > std::numeric_limits<std::int32_t>::max())
    throw Error(
        ErrorKind::InvalidInput,
        fmt::format("Type mismatch: vNew_PARENT_NOED_ID '{}' is not a node number", vNew_PARENT_NOED_ID));
  return Value(*n);
}

bool TreeImport::inputTreeFromXml(std::int16_t ori, std::int32_t oldOwner, const std::string& sourceFolder,
                                  bool FgOldBs) {
  copyTree(ori, oldOwner, sourceFolder, FgOldBs, Variant::Tender);
  return false;
}

bool TreeImport::copyTree(std::int16_t ori, std::int32_t oldOwner, const std::string& sourceFolder,
                          bool FgOldBs, Variant variant) {
  const bool bid = variant == Variant::Bid;
  const ImportSide side(ori);
  db::Queries queries(session_);
  const std::int32_t nextOwner = queries.GetMaxNo(std::string(side.tree), std::string(side.owner));
  const std::int32_t nextNode = queries.GetMaxNo(std::string(side.tree), "NODE_ID");

  std::int32_t owner = 0, node = 0, parent = 0, root = 0, referenceLayer = 0;
  documentFolder_.clear();
  tenderRoot_ = 0;
  // A link to a node the package does not bring (0 above a top node, a
  // chapter a bid export left out) would land on an unrelated row once
  // shifted: such a node hangs at the top instead.
  // Sorted, four bytes a node: a package may bring millions.
  auto inside = carriedOver(package_.numbers(side.tree, "NODE_ID"));
  std::sort(inside.begin(), inside.end());
  const auto linked = [&](std::int32_t to) {
    return std::binary_search(inside.begin(), inside.end(), to) ? shifted(nextNode, to, root) : 0;
  };
  return copyRecords(session_, package_, side.tree, bid ? db::columns::kProjectTreeNode : side.columns,
                     {{side.owner, &owner}, {"NODE_ID", &node}, {"PARENT_NOED_ID", &parent}},
                     [&](NewRow& row, std::size_t index) {
                       if (index == 0) root = node;
                       // A bid's tree starts its page and level columns afresh.
                       if (side.project && !bid) {
                         if (const std::int32_t bs = numberIn(row, "BS_NODE_ID"); bs != 0)
                           row.setValue("BS_NODE_ID", whole(linked(bs)));
                       }
                       row.setValue(side.owner, whole(shifted(nextOwner, owner, oldOwner)));
                       const std::int32_t newNode = shifted(nextNode, node, root);
                       row.setValue("NODE_ID", whole(newNode));
                       const std::int32_t type = numberIn(row, "TYPE_ID");
                       const bool library = ori == 2 && keepsItsParent(type);
                       row.setValue("PARENT_NOED_ID", whole(library ? parent : linked(parent)));
                       if (library) checkLibraryName(row, side, type, FgOldBs);
                       // A drawing sits one layer deeper in a bid than in the tender.
                       if (bid && type == kPdfNode)
                         row.setValue("LAYER_ID", whole(shifted(numberIn(row, "LAYER_ID"), 1, 0)));
                       if (type == kDocumentNode) {
                         row.setValue("PARENT_NOED_ID", ori == 1 ? placement_.parentNode() : whole(parent));
                         if (ori == 1) {
                           referenceLayer = numberIn(row, "LAYER_ID");
                           const std::string name = row.value("NODE_NAME").toText();
                           if (bid)
                             placeBidFiles(sourceFolder, name, newNode);
                           else
                             placeDocumentFiles(sourceFolder, name, newNode);
                         }
                       }
                       if (!bid && type == kPdfNode)
                         copyPdf(sourceFolder, row.value("NODE_NAME").toText(), node, newNode);
                       if (bid && type == kTenderRoot) {
                         row.setValue("NODE_NAME", Value(std::string(kTenderRootName)));
                         tenderRoot_ = newNode;
                       }
                       if (ori == 1) {
                         const std::int32_t layer =
                             shifted(numberIn(row, "LAYER_ID"), placement_.PARENT_LAYER_ID, referenceLayer);
                         row.setValue("LAYER_ID", whole(shifted(layer, 1, 0)));
                       }
                     });
}

void TreeImport::checkLibraryName(NewRow& row, const ImportSide& side, std::int32_t type, bool FgOldBs) {
  const std::string name = row.value("NODE_NAME").toText();
  const Value projectTypeValue = row.value(side.projectType);
  const std::string projectType = projectTypeValue.toText();
  if (FgOldBs) {
    // The rows this template replaces; the package's name is bound, so
    // nothing in it can reach other rows, and the library's own skeleton
    // (root, categories, resources up to 20) stays.
    try {
      session_.database().execute(
          fmt::format("UPDATE {} SET sts='I' WHERE node_name=? AND {} =? AND type_id=? AND {} > 20",
                      side.tree, side.projectType, side.owner),
          std::array<Value, 3>{Value(name), projectTypeValue, whole(type)});
    } catch (const std::exception& e) {
      session_.silentFailure(e);
    }
  } else {
    std::string free = chenkNodeEx(name, projectType, 2, type);
    if (free != name) session_.namesChanged.emplace_back(name, free);
    row.setValue("NODE_NAME", Value(std::move(free)));
  }
}

void TreeImport::placeDocumentFiles(const std::string& sourceFolder, const std::string& name,
                                    std::int32_t node) {
  // A package names its document: the name becomes one path component, and
  // links beside the package are never followed (the file helpers copy
  // regular files and real folders only).
  const std::string n = pub::pathSafeName(name);
  documentFolder_ = placement_.InputBsPath + n + std::to_string(node) + "/";
  pub::DirExists_Base(documentFolder_, true);
  pub::DelFile(documentFolder_ + n + ".doc");
  pub::DelFile(documentFolder_ + n + "投标书.doc");
  for (const std::string& file : {n + ".doc", n + ".PDF", std::string("合并标书.PDF")})
    unchecked(
        [&] { pub::CopyWholeFile(sourceFolder + file, documentFolder_ + file, pub::IfTargetExists::Fail); });
  unchecked([&] { pub::CopyFolderInto(sourceFolder + "附件", documentFolder_); });
}

void TreeImport::unchecked(const std::function<void()>& copy) {
  try {
    copy();
  } catch (const Error& e) {
    session_.silentFailure(e);
  }
}

void TreeImport::copyPdf(const std::string& sourceFolder, const std::string& name, std::int32_t packageNode,
                         std::int32_t node) {
  // Before the first document node there is no folder to put it in; the
  // bare file name would land wherever the process happens to stand.
  if (documentFolder_.empty()) return;
  const std::string n = pub::pathSafeName(name);
  const std::string from = sourceFolder + n + std::to_string(packageNode) + ".PDF";
  unchecked([&] {
    pub::CopyWholeFile(from, documentFolder_ + n + std::to_string(node) + ".PDF",
                       pub::IfTargetExists::Replace);
  });
}

std::string TreeImport::chenkNodeEx(const std::string& name, const std::string& projectType, std::int16_t ori,
                                    std::int32_t nodeType) {
  const ImportSide side(ori);
  std::string candidate = name;
  while (true) {
    std::int64_t clashes = 0;
    try {
      Recordset rs = session_.database().openRecordset(
          fmt::format("select count(*) from {} where NODE_NAME=? and {} =? and TYPE_ID=?", side.tree,
                      side.projectType),
          std::array<Value, 3>{Value(candidate), Value(projectType), whole(nodeType)});
      clashes = rs.value(0).toInt64();
    } catch (const std::exception& e) {
      session_.silentFailure(e);  // a failed count is no clash
    }
    if (clashes <= 0) return candidate;
    candidate += importSuffix();
  }
}

std::string TreeImport::chenkNode(const std::string& name, const std::string& projectType, std::int16_t ori) {
  return chenkNodeEx(name, projectType, ori, kDocumentNode);
}

}  // namespace quillon::importing
