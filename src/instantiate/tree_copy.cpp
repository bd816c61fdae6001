// The document tree of a template copied into the project tree. The walk is
// depth first, siblings in NODE_ID order, every copy numbered just before it
// is written, so the copies are numbered in walk order. Deep templates are
// walked with an explicit stack rather than by recursion.
#include <fmt/format.h>

#include <array>
#include <limits>
#include <span>
#include <vector>

#include "core/numbering.h"
#include "db/bound_value.h"
#include "db/queries.h"
#include "db/sql_text.h"
#include "db/tables.h"
#include "instantiate/instantiation.h"
#include "quillon/error.h"

namespace quillon::instantiate {
namespace {

// Template columns, in the order they are selected.
enum TemplateColumn {
  kNodeId,
  kLayerId,
  kParent,
  kNodeName,
  kSts,
  kTypeId,
  kResourceTypeId,
  kResourceId,
  kBookmark,
  kNodeOrder,
  kProjectType,
  kTemplateColumnCount
};
constexpr std::string_view kTemplateColumns = db::columns::kResourceTree;

const std::string kInsertNode = db::insertStatement(db::table::kProjectTree, db::columns::kProjectTreeNode);

using TemplateRow = std::array<Value, kTemplateColumnCount>;

TemplateRow readRow(const Recordset& rs) {
  TemplateRow row;
  for (int i = 0; i < kTemplateColumnCount; ++i) row[static_cast<std::size_t>(i)] = rs.value(i);
  return row;
}

std::vector<TemplateRow> readAll(Session& session, const std::string& sql, std::span<const Value> values) {
  Recordset rs = session.database().openRecordset(sql, values);
  std::vector<TemplateRow> rows;
  for (; !rs.atEnd(); rs.moveNext()) rows.push_back(readRow(rs));
  return rows;
}

// Every child of a template node on the given layer, live or not.
std::vector<TemplateRow> children(Session& session, std::int32_t parent, std::int32_t layer) {
  static const std::string sql =
      fmt::format("select {} from T_RESOURCE_TREE where PARENT_NOED_ID=? and LAYER_ID=? order by NODE_ID",
                  kTemplateColumns);
  const std::array<Value, 2> values{Value(parent), Value(layer)};
  return readAll(session, sql, values);
}

Value orLiteral(const Value& v, Value literal) { return v.isNull() ? std::move(literal) : v; }

void insertNode(Session& session, std::int32_t node, const Value& name, const Value& project,
                std::int32_t layer, std::int32_t parent, const TemplateRow& row) {
  using copy::asNumber;
  using copy::asText;
  const std::array<Value, 12> params{
      Value(node),
      asText(name),
      asNumber(project),
      Value(0),  // BUNDLE_ID
      Value(layer),
      Value(parent),
      asText(row[kTypeId]),
      asNumber(row[kResourceTypeId]),
      asText(row[kSts]),
      asText(orLiteral(row[kBookmark], Value("B"))),
      asNumber(orLiteral(row[kNodeOrder], Value(0))),
      asNumber(row[kProjectType]),
  };
  session.database().execute(kInsertNode, params);
}

}  // namespace

std::int32_t TemplateInstantiation::Get_Tree_NodeFromInfo(std::int32_t resource_id, std::int32_t project_id,
                                                          const std::string& bsName,
                                                          std::int32_t PARENT_NOED_ID,
                                                          std::int32_t Layer_ID) {
  try {
    Value name(bsName);
    const std::int32_t newLayer = copy::plusOne(Layer_ID);
    if (project_id == 0) project_id = db::Queries(session_).GetMaxNo("T_PROJECT_TREE", "PROJECT_ID");
    const Value project(project_id);
    // Nothing else writes the project tree during the copy.
    numbering::Sequence numbers(
        [this] { return db::Queries(session_).GetMaxNo("T_PROJECT_TREE", "NODE_ID"); });
    Recordset top = session_.database().openRecordset(
        fmt::format("select {} from T_RESOURCE_TREE where RESOURCE_ID={} and LAYER_ID=2 and TYPE_ID=2 "
                    "order by NODE_ID",
                    kTemplateColumns, resource_id));
    for (; !top.atEnd(); top.moveNext()) {
      const TemplateRow row = readRow(top);
      // The first top node's own name serves for the later ones too.
      if (name.toText().empty()) name = Value(row[kNodeName].toText());
      const std::int32_t node = numbers.next();
      insertNode(session_, node, name, project, newLayer, PARENT_NOED_ID, row);
      const std::int32_t id = row[kNodeId].toInt32();
      const std::int32_t layer = row[kLayerId].toInt32();
      if (isHaveChild(id, layer) &&
          !copyBranches(id, layer, std::to_string(project_id), node, copy::plusOne(newLayer), numbers))
        return -1;
    }
    return project_id;
  } catch (const std::exception& e) {
    session_.silentFailure(e);
    return -1;
  }
}

bool TemplateInstantiation::copyBranches(std::int32_t PARENT_NOED_ID, std::int32_t Layer_ID,
                                         const std::string& project_id, std::int32_t New_PARENT_NOED_ID,
                                         std::int32_t New_LAYER_ID, numbering::Sequence& numbers) {
  // One entry per template node whose children are being copied: the
  // children still to do, where their copies hang and on which layer.
  struct Level {
    std::vector<TemplateRow> rows;
    std::size_t next = 0;
    std::int32_t childLayer;  // template layer of `rows`
    std::int32_t newParent;
    std::int32_t newLayer;
  };
  try {
    const Value project(project_id);
    std::vector<Level> stack;
    const std::int32_t firstLayer = copy::plusOne(Layer_ID);
    stack.push_back(
        {children(session_, PARENT_NOED_ID, firstLayer), 0, firstLayer, New_PARENT_NOED_ID, New_LAYER_ID});
    while (!stack.empty()) {
      Level& level = stack.back();
      if (level.next == level.rows.size()) {
        stack.pop_back();
        continue;
      }
      const TemplateRow row = std::move(level.rows[level.next++]);
      const std::int32_t childLayer = level.childLayer;
      const std::int32_t newLayer = level.newLayer;
      const std::int32_t node = numbers.next();
      insertNode(session_, node, row[kNodeName], project, newLayer, level.newParent, row);
      const std::int32_t id = row[kNodeId].toInt32();
      if (isHaveChild(id, row[kLayerId].toInt32())) {
        const std::int32_t grandLayer = copy::plusOne(childLayer);
        // `level` may move when the stack grows: everything needed was read.
        stack.push_back({children(session_, id, grandLayer), 0, grandLayer, node, copy::plusOne(newLayer)});
      }
    }
    return true;
  } catch (const std::exception& e) {
    session_.silentFailure(e);
    return false;
  }
}

}  // namespace quillon::instantiate
