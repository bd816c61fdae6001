// The document tree of a template copied into the project tree. The walk is
// depth first, siblings in NODE_ID order, every copy numbered just before it
// is written, so the copies are numbered in walk order. Deep templates are
// walked with an explicit stack rather than by recursion.
//
// The children come from memory when the template's rows can stand in for
// the database (instantiate/template_rows.h), otherwise from a query per
// copied node. Either way the walk is the same code, so the copies, their
// numbers and what a failure leaves behind are the same.
#include <fmt/format.h>

#include <array>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/numbering.h"
#include "db/bound_value.h"
#include "db/queries.h"
#include "db/sql_text.h"
#include "db/tables.h"
#include "engine/recordset_impl.h"
#include "instantiate/instantiation.h"
#include "instantiate/template_rows.h"
#include "quillon/error.h"

namespace quillon::instantiate {
namespace {

// Asked of the database, each row says whether its node has a live child on
// the next layer, so that a leaf costs no query of its own. Node 0 never has
// children.
const std::string kTemplateColumns = fmt::format(
    "{}, NODE_ID<>0 and exists(select 1 from T_RESOURCE_TREE c where c.PARENT_NOED_ID=t.NODE_ID "
    "and c.LAYER_ID=t.LAYER_ID+1 and c.STS='V')",
    db::columns::kResourceTree);

// The template's nodes as the database gives them: one open cursor for each
// level of the walk.
class CursorSource {
 public:
  class Level {
   public:
    explicit Level(Recordset rows) : rows_(std::move(rows)) {}
    bool atEnd() const { return rows_.atEnd(); }
    std::span<const Value> row() const { return engine::RecordsetImplFactory::currentRow(rows_); }
    void next() { rows_.moveNext(); }

   private:
    Recordset rows_;
  };

  CursorSource(Session& session, std::int32_t resource) : session_(session), resource_(resource) {}

  Level tops() const {
    return Level(session_.database().openRecordset(
        fmt::format("select {} from T_RESOURCE_TREE t where RESOURCE_ID={} and LAYER_ID=2 and TYPE_ID=2 "
                    "order by NODE_ID",
                    kTemplateColumns, resource_)));
  }
  // Every child, live or not, of the node the level `of` is on (`parent`)
  // on the given layer.
  Level children(const Level&, std::int32_t parent, std::int32_t layer) const {
    static const std::string sql =
        fmt::format("select {} from T_RESOURCE_TREE t where PARENT_NOED_ID=? and LAYER_ID=? order by NODE_ID",
                    kTemplateColumns);
    const std::array<Value, 2> values{Value(parent), Value(layer)};
    return Level(session_.database().openRecordset(sql, values));
  }

 private:
  Session& session_;
  std::int32_t resource_;
};

// The template's nodes from its rows held in memory.
class MemorySource {
 public:
  class Level {
   public:
    Level(const TemplateRows& rows, std::span<const std::int32_t> nodes) : rows_(&rows), nodes_(nodes) {
      load();
    }
    bool atEnd() const { return nodes_.empty(); }
    std::span<const Value> row() const { return current_; }
    void next() {
      nodes_ = nodes_.subspan(1);
      load();
    }
    std::int32_t node() const { return nodes_.front(); }

   private:
    void load() {
      if (!nodes_.empty()) rows_->read(nodes_.front(), current_);
    }
    const TemplateRows* rows_;
    std::span<const std::int32_t> nodes_;
    TemplateRow current_;
  };

  explicit MemorySource(const TemplateRows& rows) : rows_(rows) {}
  Level tops() const { return Level(rows_, rows_.tops()); }
  // The walk asks for the children of the row it is on: the same node, and
  // the next layer.
  Level children(const Level& of, std::int32_t, std::int32_t) const {
    return Level(rows_, rows_.children(of.node()));
  }

 private:
  const TemplateRows& rows_;
};

// Whether the node's children are copied. The next layer's number must exist,
// as the count it replaces needed it.
bool copiesChildren(std::span<const Value> row) {
  (void)copy::plusOne(row[kLayerId].toInt32());
  return row[kHasLiveChild].toInt32() != 0;
}

Value orLiteral(const Value& v, Value literal) { return v.isNull() ? std::move(literal) : v; }

// Writes the copies of template rows into the project tree, one prepared
// insert for the whole walk.
class NodeWriter {
 public:
  NodeWriter(Session& session, Value project)
      : writer_(session.database().rowWriter(db::table::kProjectTree,
                                             db::columnNames(db::columns::kProjectTreeNode))),
        project_(copy::asNumber(project)) {}

  void write(std::int32_t node, const Value& name, std::int32_t layer, std::int32_t parent,
             std::span<const Value> row) {
    using copy::asNumber;
    using copy::asText;
    const std::array<Value, 12> params{
        Value(node),
        asText(name),
        project_,
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
    writer_->add(params);
  }
  void flush() { writer_->flush(); }

 private:
  std::unique_ptr<engine::RowWriter> writer_;
  const Value project_;
};

// Copies the children of the row `from` is on (a template node on `layer`)
// under project node `newParent` (on `newLayer`), and theirs in turn.
template <class Source>
void copyBranches(const Source& source, NodeWriter& writer, numbering::Sequence& numbers,
                  const typename Source::Level& from, std::int32_t layer, std::int32_t newParent,
                  std::int32_t newLayer) {
  struct Level {
    typename Source::Level rows;
    std::int32_t childLayer;  // template layer of `rows`
    std::int32_t newParent;
    std::int32_t newLayer;
  };
  std::vector<Level> stack;
  const std::int32_t firstLayer = copy::plusOne(layer);
  stack.push_back(
      {source.children(from, from.row()[kNodeId].toInt32(), firstLayer), firstLayer, newParent, newLayer});
  while (!stack.empty()) {
    Level& level = stack.back();
    if (level.rows.atEnd()) {
      stack.pop_back();
      continue;
    }
    const auto row = level.rows.row();
    const std::int32_t node = numbers.next();
    writer.write(node, row[kNodeName], level.newLayer, level.newParent, row);
    if (!copiesChildren(row)) {
      level.rows.next();
      continue;
    }
    const std::int32_t grandLayer = copy::plusOne(level.childLayer);
    const std::int32_t grandNewLayer = copy::plusOne(level.newLayer);
    auto grandChildren = source.children(level.rows, row[kNodeId].toInt32(), grandLayer);
    level.rows.next();
    // `level` may move when the stack grows: everything needed was read.
    stack.push_back({std::move(grandChildren), grandLayer, node, grandNewLayer});
  }
}

// The copy: the template's top nodes under `parentNode`, each with its
// branches.
template <class Source>
void walkTree(const Source& source, NodeWriter& writer, numbering::Sequence numbers, Value name,
              std::int32_t parentNode, std::int32_t newLayer) {
  for (auto top = source.tops(); !top.atEnd(); top.next()) {
    const auto row = top.row();
    // The first top node's own name serves for the later ones too.
    if (name.toText().empty()) name = Value(row[kNodeName].toText());
    const std::int32_t node = numbers.next();
    writer.write(node, name, newLayer, parentNode, row);
    if (copiesChildren(row))
      copyBranches(source, writer, numbers, top, row[kLayerId].toInt32(), node, copy::plusOne(newLayer));
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
    if (const auto rows = TemplateRows::load(session_, resource_id))
      walkTree(MemorySource(*rows), writer, numbering::Sequence(ask), Value(bsName), PARENT_NOED_ID,
               newLayer);
    else
      walkTree(CursorSource(session_, resource_id), writer, numbering::Sequence(ask), Value(bsName),
               PARENT_NOED_ID, newLayer);
    return project_id;
  } catch (const std::exception& e) {
    session_.silentFailure(e);
    return -1;
  }
}

}  // namespace quillon::instantiate
