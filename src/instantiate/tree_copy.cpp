// The document tree of a template copied into the project tree. The walk is
// depth first, siblings in NODE_ID order, every copy numbered just before it
// is written, so the copies are numbered in walk order. Deep templates are
// walked with an explicit stack rather than by recursion.
#include <fmt/format.h>

#include <array>
#include <memory>
#include <string>
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
  kHasLiveChild,
  kTemplateColumnCount
};

// Each row says whether its node has a live child on the next layer, the test
// that decides whether its children are copied, so that a leaf costs no query
// of its own. Node 0 never has children.
const std::string kTemplateColumns = fmt::format(
    "{}, NODE_ID<>0 and exists(select 1 from T_RESOURCE_TREE c where c.PARENT_NOED_ID=t.NODE_ID "
    "and c.LAYER_ID=t.LAYER_ID+1 and c.STS='V')",
    db::columns::kResourceTree);

// The project tree's columns a copy writes, one by one.
std::vector<std::string> nodeColumns() {
  std::vector<std::string> names;
  std::string_view list = db::columns::kProjectTreeNode;
  for (std::size_t comma; (comma = list.find(',')) != std::string_view::npos; list.remove_prefix(comma + 1))
    names.emplace_back(list.substr(0, comma));
  names.emplace_back(list);
  return names;
}

// Every child of a template node on the given layer, live or not.
Recordset children(Session& session, std::int32_t parent, std::int32_t layer) {
  static const std::string sql =
      fmt::format("select {} from T_RESOURCE_TREE t where PARENT_NOED_ID=? and LAYER_ID=? order by NODE_ID",
                  kTemplateColumns);
  const std::array<Value, 2> values{Value(parent), Value(layer)};
  return session.database().openRecordset(sql, values);
}

// Whether the node's children are copied. The next layer's number must exist,
// as the count it replaces needed it.
bool copiesChildren(const Recordset& row) {
  (void)copy::plusOne(row.value(kLayerId).toInt32());
  return row.value(kHasLiveChild).toInt32() != 0;
}

Value orLiteral(const Value& v, Value literal) { return v.isNull() ? std::move(literal) : v; }

// Writes the copies of template rows into the project tree, one prepared
// insert for the whole walk.
class NodeWriter {
 public:
  NodeWriter(Session& session, Value project)
      : writer_(session.database().rowWriter(db::table::kProjectTree, nodeColumns())),
        project_(copy::asNumber(project)) {}

  void write(std::int32_t node, const Value& name, std::int32_t layer, std::int32_t parent,
             const Recordset& row) {
    using copy::asNumber;
    using copy::asText;
    const std::array<Value, 12> params{
        Value(node),
        asText(name),
        project_,
        Value(0),  // BUNDLE_ID
        Value(layer),
        Value(parent),
        asText(row.value(kTypeId)),
        asNumber(row.value(kResourceTypeId)),
        asText(row.value(kSts)),
        asText(orLiteral(row.value(kBookmark), Value("B"))),
        asNumber(orLiteral(row.value(kNodeOrder), Value(0))),
        asNumber(row.value(kProjectType)),
    };
    writer_->add(params);
  }

 private:
  std::unique_ptr<engine::RowWriter> writer_;
  const Value project_;
};

// Copies the children of template node `parent` (on `layer`) under project
// node `newParent` (on `newLayer`), and theirs in turn. One open cursor per
// level of the walk; deep templates are walked without recursion.
void copyBranches(Session& session, NodeWriter& writer, numbering::Sequence& numbers, std::int32_t parent,
                  std::int32_t layer, std::int32_t newParent, std::int32_t newLayer) {
  struct Level {
    Recordset rows;
    std::int32_t childLayer;  // template layer of `rows`
    std::int32_t newParent;
    std::int32_t newLayer;
  };
  std::vector<Level> stack;
  const std::int32_t firstLayer = copy::plusOne(layer);
  stack.push_back({children(session, parent, firstLayer), firstLayer, newParent, newLayer});
  while (!stack.empty()) {
    Level& level = stack.back();
    if (level.rows.atEnd()) {
      stack.pop_back();
      continue;
    }
    const Recordset& row = level.rows;
    const std::int32_t node = numbers.next();
    writer.write(node, row.value(kNodeName), level.newLayer, level.newParent, row);
    const std::int32_t id = row.value(kNodeId).toInt32();
    const bool descend = copiesChildren(row);
    const std::int32_t grandLayer = descend ? copy::plusOne(level.childLayer) : 0;
    const std::int32_t grandNewLayer = descend ? copy::plusOne(level.newLayer) : 0;
    level.rows.moveNext();
    // `level` may move when the stack grows: everything needed was read.
    if (descend) stack.push_back({children(session, id, grandLayer), grandLayer, node, grandNewLayer});
  }
}

// The copy as a walk: a query for the children of each node it copies.
void walkTree(Session& session, NodeWriter& writer, numbering::Sequence numbers, std::int32_t resource,
              Value name, std::int32_t parentNode, std::int32_t newLayer) {
  Recordset top = session.database().openRecordset(
      fmt::format("select {} from T_RESOURCE_TREE t where RESOURCE_ID={} and LAYER_ID=2 and TYPE_ID=2 "
                  "order by NODE_ID",
                  kTemplateColumns, resource));
  for (; !top.atEnd(); top.moveNext()) {
    // The first top node's own name serves for the later ones too.
    if (name.toText().empty()) name = Value(top.value(kNodeName).toText());
    const std::int32_t node = numbers.next();
    writer.write(node, name, newLayer, parentNode, top);
    if (copiesChildren(top))
      copyBranches(session, writer, numbers, top.value(kNodeId).toInt32(), top.value(kLayerId).toInt32(),
                   node, copy::plusOne(newLayer));
  }
}

}  // namespace

std::int32_t TemplateInstantiation::Get_Tree_NodeFromInfo(std::int32_t resource_id, std::int32_t project_id,
                                                          const std::string& bsName,
                                                          std::int32_t PARENT_NOED_ID,
                                                          std::int32_t Layer_ID) {
  try {
    const std::int32_t newLayer = copy::plusOne(Layer_ID);
    if (project_id == 0) project_id = db::Queries(session_).GetMaxNo("T_PROJECT_TREE", "PROJECT_ID");
    NodeWriter writer(session_, Value(project_id));
    // Nothing else writes the project tree during the copy.
    const auto ask = [this] { return db::Queries(session_).GetMaxNo("T_PROJECT_TREE", "NODE_ID"); };
    walkTree(session_, writer, numbering::Sequence(ask), resource_id, Value(bsName), PARENT_NOED_ID,
             newLayer);
    return project_id;
  } catch (const std::exception& e) {
    session_.silentFailure(e);
    return -1;
  }
}

}  // namespace quillon::instantiate
