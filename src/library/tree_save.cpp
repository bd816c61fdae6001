// A project's document tree copied into the library tree. Every node keeps
// its distance from the project's first node, so the template has the shape
// and order of the project; the document node hangs under the library root
// (node 1) with the template's name, and the layers are lowered so that the
// document node ends on layer 2.
#include <fmt/format.h>

#include <array>
#include <unordered_set>

#include "db/bound_value.h"
#include "db/queries.h"
#include "db/sql_text.h"
#include "db/tables.h"
#include "library/library_save.h"
#include "platform/number_text.h"
#include "quillon/error.h"

namespace quillon::library {
namespace {

enum ProjectColumn {
  kNodeId,
  kNodeName,
  kProjectId,
  kBundleId,
  kLayerId,
  kParent,
  kTypeId,
  kResourceTypeId,
  kSts,
  kBookmark,
  kNodeOrder,
  kProjectTypeId,
};
constexpr std::string_view kProjectColumns = db::columns::kProjectTreeNode;

constexpr std::int32_t kLibraryRoot = 1;
constexpr std::int32_t kDocumentLayer = 2;

// A node of kind 2 owns the document; a NULL kind is no document node.
bool isDocumentNode(const Value& type) { return !type.isNull() && type.toDouble() == 2.0; }

// Why a node could not be copied, for people: the conversion's own text
// (the member's error) with the row and the first NULL column it stopped at.
std::string whereItStopped(const Recordset& rs, std::string_view why) {
  static constexpr std::array<int, 10> kRead{kNodeId, kLayerId,        kParent,   kNodeName,  kSts,
                                             kTypeId, kResourceTypeId, kBookmark, kNodeOrder, kProjectTypeId};
  for (const int column : kRead) {
    if (rs.value(column).isNull())
      return fmt::format("{} (T_PROJECT_TREE, node {}, column {})", why, rs.value(kNodeId).toText(),
                         rs.fieldName(column));
  }
  return std::string(why);
}

std::int32_t renumbered(const Value& id, std::int32_t first, std::int32_t next) {
  return roundToInt32(id.toDouble() - first + next);
}

}  // namespace

// Parents follow the renumbering when they are nodes of the project. Above
// them, shifted, a parent would name an unrelated node of another template:
// the project's root (type 9) becomes the template's catalogue entry under
// the category of its project type, and any other such node goes to the top.
std::int32_t LibrarySave::parentInLibrary(const Recordset& rs, const std::unordered_set<std::int64_t>& nodes,
                                          std::int32_t first, std::int32_t next, engine::RowWriter& written) {
  const Value& parent = rs.value(kParent);
  if (parent.isNull() || nodes.count(parent.toInt64())) return renumbered(parent, first, next);
  if (rs.value(kTypeId).isNull() || rs.value(kTypeId).toDouble() != 9.0) return 0;
  written.flush();
  Recordset category = session_.database().openRecordset(
      "select min(NODE_ID) from T_RESOURCE_TREE where TYPE_ID in (10, 11, 12) and RESOURCE_ID <= 20 and "
      "PROJECT_TYPE = ?",
      std::array<Value, 1>{copy::asNumber(rs.value(kProjectTypeId))});
  return category.value(0).isNull() ? 0 : category.value(0).toInt32();
}

std::int32_t LibrarySave::saveTrInResource(const std::string& project_id, const std::string& /*resource_id*/,
                                           const std::string& RESOURCE_NAME) {
  db::Queries queries(session_);
  const std::int32_t next = queries.GetMaxNo("T_RESOURCE_TREE", "NODE_ID");
  const std::int32_t resource = queries.GetMaxNo("T_RESOURCE_TREE", "RESOURCE_ID");

  // The project number arrives as text; the component reads it as a whole
  // number, and text that is none names no project (no row matches NULL).
  const std::optional<std::int64_t> projectNumber = platform::wholeNumber(project_id);
  const Value project = projectNumber ? Value(*projectNumber) : Value::null();
  Recordset rs;
  try {
    rs = session_.database().openRecordset(
        fmt::format("select {} from T_PROJECT_TREE where PROJECT_ID=? order by NODE_ID", kProjectColumns),
        std::span<const Value>(&project, 1));
  } catch (const std::exception& e) {
    session_.silentFailure(e);
    return resource;
  }

  std::unordered_set<std::int64_t> nodes;
  {
    Recordset own = session_.database().openRecordset("select NODE_ID from T_PROJECT_TREE where PROJECT_ID=?",
                                                      std::span<const Value>(&project, 1));
    for (; !own.atEnd(); own.moveNext())
      if (!own.value(0).isNull()) nodes.insert(own.value(0).toInt64());
  }
  std::int32_t first = 0;
  std::int32_t baseLayer = 0;
  // One writer for the whole tree: an engine may send its rows together.
  const auto writer =
      session_.database().rowWriter(db::table::kResourceTree, db::columnNames(db::columns::kResourceTree));
  for (; !rs.atEnd(); rs.moveNext()) {
    std::array<Value, 11> params;
    try {
      if (first == 0) first = rs.value(kNodeId).toInt32();
      const bool document = isDocumentNode(rs.value(kTypeId));
      if (document) baseLayer = rs.value(kLayerId).toInt32();
      params = {
          Value(renumbered(rs.value(kNodeId), first, next)),
          copy::asNumber(rs.value(kLayerId)),
          Value(document ? kLibraryRoot : parentInLibrary(rs, nodes, first, next, *writer)),
          document ? Value(RESOURCE_NAME) : copy::asText(rs.value(kNodeName)),
          copy::asText(rs.value(kSts)),
          copy::asNumber(rs.value(kTypeId)),
          copy::asNumber(rs.value(kResourceTypeId)),
          Value(resource),
          copy::asText(rs.value(kBookmark)),
          copy::asNumber(rs.value(kNodeOrder)),
          copy::asNumber(rs.value(kProjectTypeId)),
      };
    } catch (const Error& e) {
      session_.noteFailure(whereItStopped(rs, e.what()));
      throw;
    }
    writer->add(params);
  }
  writer->flush();
  rs.close();

  if (baseLayer > kDocumentLayer)
    queries.ExecuteSql(fmt::format("Update T_RESOURCE_TREE set LAYER_ID=LAYER_ID-{} where RESOURCE_ID={}",
                                   baseLayer - kDocumentLayer, resource));
  return resource;
}

}  // namespace quillon::library
