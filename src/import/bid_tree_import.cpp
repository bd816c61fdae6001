// The tree import of a bid: the tender's tree taken in whole, then turned
// into the start of a bid document.
#include <fmt/format.h>

#include <array>

#include "db/queries.h"
#include "db/tables.h"
#include "fileutil/copy_dir.h"
#include "fileutil/file_copy.h"
#include "fileutil/file_ops.h"
#include "fileutil/path_helpers.h"
#include "fileutil/safe_name.h"
#include "fileutil/settings_file.h"
#include "import/record_copy.h"
#include "import/tree_import.h"
#include "import/tree_side.h"
#include "quillon/error.h"

namespace quillon::importing {
namespace {

constexpr std::int32_t kMovedTenderRoot = 31;
constexpr std::int32_t kKeyInformation = 20;

// The sections a bid starts with, beside the tender it answers.
enum class Under { TenderParent, BidRoot, KeyInformation };
struct BidSection {
  const char* name;
  std::int32_t layersBelowTender;
  Under parent;
  std::int32_t type;   // 0: the tender root's
  std::int32_t order;  // -1: the tender root's
};
constexpr std::array<BidSection, 6> kBidSections{{
    {"投标书", 0, Under::TenderParent, 0, -1},
    {"投标关键信息", 1, Under::BidRoot, kKeyInformation, 0},
    {"附件", 1, Under::BidRoot, 14, 100},
    {"投标一览表", 2, Under::KeyInformation, 21, 1},
    {"评分信息表", 2, Under::KeyInformation, 21, 2},
    {"符合性检查表", 2, Under::KeyInformation, 21, 3},
}};

}  // namespace

bool TreeImport::inputTreeFromXmlEx(std::int16_t ori, std::int32_t oldOwner, const std::string& sourceFolder,
                                    bool FgOldBs) {
  if (!db::projectSide(ori))
    throw Error(ErrorKind::InvalidInput, "a bid tree is imported on the project side only");
  if (copyTree(ori, oldOwner, sourceFolder, FgOldBs, Variant::Bid)) addBidSections(tenderRoot_);
  return false;
}

std::string TreeImport::projectPath() const {
  if (placement_.projectPath) return *placement_.projectPath;
  // Read for every document: the application may move its projects between
  // two documents of one package.
  return pub::SlashSeparated(pub::ProjectPathIn(session_.settingsFile().string()));
}

void TreeImport::placeBidFiles(const std::string& sourceFolder, const std::string& name, std::int32_t node) {
  // As in a tender import, the package's name is one path component at most
  // and links beside the package are never followed.
  const std::string n = pub::pathSafeName(name);
  const std::string number = std::to_string(node);
  const std::string folder = projectPath() + number + "/";
  pub::DirExists_Base(folder, true);
  pub::DelFile(folder + number + ".PDF");
  pub::DelFile(folder + n + ".doc");
  for (const char* extension : {".PDF", ".DOC"}) {
    const std::string file = n + extension;
    unchecked([&] { pub::CopyWholeFile(sourceFolder + file, folder + file, pub::IfTargetExists::Replace); });
  }
  unchecked([&] { pub::CopyFolderInto(sourceFolder + "附件", folder); });
}

void TreeImport::addBidSections(std::int32_t tenderRoot) {
  const ImportSide side(1);
  const std::string columns(db::columns::kProjectTreeNode);
  const std::string table(side.tree);
  db::Queries queries(session_);
  Recordset rs;
  // Without a tender root (none of type 9 came in) there is nothing to
  // build a bid around.
  if (!queries.GetValue(fmt::format("Select {} from {} where NODE_ID={}", columns, table, tenderRoot), rs) ||
      rs.atEnd())
    return;

  const int count = rs.fieldCount();
  std::vector<std::string> tender(static_cast<std::size_t>(count));
  std::vector<int> types(static_cast<std::size_t>(count));
  for (int j = 0; j < count; ++j) {
    const Value& v = rs.value(j);
    tender[static_cast<std::size_t>(j)] = v.isNull() ? std::string() : v.toText();
    types[static_cast<std::size_t>(j)] = rs.fieldType(j);
  }
  const int layerColumn = rs.fieldIndex("LAYER_ID");
  const std::int32_t tenderLayer = asIdentifier(tender[static_cast<std::size_t>(layerColumn)]);

  std::int32_t bidRoot = 0, keyInformation = 0;
  for (const BidSection& section : kBidSections) {
    rs.addNew();
    for (int j = 0; j < count; ++j) {
      const std::string_view text = tender[static_cast<std::size_t>(j)];
      rs.setValue(j, byValueRule(types[static_cast<std::size_t>(j)], &text));
    }
    rs.setValue("NODE_NAME", Value(std::string(section.name)));
    const std::int32_t number = queries.GetMaxNo(table, "NODE_ID");
    rs.setValue("NODE_ID", whole(number));
    rs.setValue("LAYER_ID", whole(shifted(tenderLayer, section.layersBelowTender, 0)));
    if (section.parent == Under::BidRoot) rs.setValue("PARENT_NOED_ID", whole(bidRoot));
    if (section.parent == Under::KeyInformation) rs.setValue("PARENT_NOED_ID", whole(keyInformation));
    if (section.type != 0) rs.setValue("TYPE_ID", whole(section.type));
    if (section.order >= 0) rs.setValue("NODE_ORDER", whole(section.order));
    rs.update();

    if (section.parent == Under::TenderParent) {
      bidRoot = number;
      // The tender now lies below the bid that answers it.
      rs.moveFirst();
      if (rs.atEnd()) continue;
      rs.edit();
      rs.setValue("PARENT_NOED_ID", whole(bidRoot));
      rs.setValue("TYPE_ID", whole(kMovedTenderRoot));
      rs.setValue("LAYER_ID", whole(shifted(numberIn(rs, "LAYER_ID"), 1, 0)));
      rs.update();
    } else if (section.type == kKeyInformation) {
      keyInformation = number;
    }
  }
}

}  // namespace quillon::importing
