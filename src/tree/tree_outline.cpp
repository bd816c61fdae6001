// The outline is built in memory from one read of the owner's rows: a query
// per node would cost a round trip per line on large documents. The walk is
// iterative so that deep trees cannot exhaust the stack, and every node is
// drawn once, so a damaged parent chain that loops cannot make it loop.
#include "tree/tree_outline.h"

#include <fmt/format.h>

#include <algorithm>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "db/tables.h"
#include "quillon/error.h"

namespace quillon::tree {
namespace {

struct Node {
  std::int64_t id = 0;
  std::optional<std::int64_t> parent;
  std::string name;
  std::optional<std::int64_t> type;
  std::optional<std::int64_t> order;
  bool live = false;
  std::vector<std::size_t> children;
  bool drawn = false;
};

std::optional<std::int64_t> wholeNumber(const Value& v) {
  if (v.isNull() || v.isEmpty()) return std::nullopt;
  try {
    return v.toInt64();
  } catch (const Error&) {
    return std::nullopt;
  }
}

// A name with a line break or tab in it would break the outline apart.
std::string printable(const Value& v) {
  if (v.kind() != Value::Kind::Text) return v.isNull() || v.isEmpty() ? std::string() : v.toText();
  std::string out = v.text();
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  return out;
}

std::vector<Node> readNodes(Session& session, int ori, std::int32_t ownerId, bool all) {
  const db::Side& side = db::sideOf(ori);
  std::string sql =
      fmt::format("SELECT NODE_ID, PARENT_NOED_ID, NODE_NAME, TYPE_ID, NODE_ORDER, STS FROM {} WHERE {}=?",
                  side.tree, side.owner);
  if (!all) sql += " AND STS='V'";
  const Value owner{static_cast<std::int64_t>(ownerId)};
  Recordset rs = session.database().openRecordset(sql, std::span<const Value>(&owner, 1));

  std::vector<Node> nodes;
  for (; !rs.atEnd(); rs.moveNext()) {
    const auto id = wholeNumber(rs.value(0));
    if (!id) continue;  // NODE_ID is NOT NULL; a row without one cannot be placed
    Node n;
    n.id = *id;
    n.parent = wholeNumber(rs.value(1));
    n.name = printable(rs.value(2));
    n.type = wholeNumber(rs.value(3));
    n.order = wholeNumber(rs.value(4));
    const Value& sts = rs.value(5);
    n.live = sts.kind() == Value::Kind::Text && sts.text() == "V";
    nodes.push_back(std::move(n));
  }
  return nodes;
}

class Outline {
 public:
  explicit Outline(std::vector<Node> nodes) : nodes_(std::move(nodes)) {}

  void render() {
    byId_.reserve(nodes_.size());
    for (std::size_t i = 0; i < nodes_.size(); ++i) byId_.emplace(nodes_[i].id, i);

    std::vector<std::size_t> roots;
    for (std::size_t i = 0; i < nodes_.size(); ++i) {
      const auto& p = nodes_[i].parent;
      const auto it = p ? byId_.find(*p) : byId_.end();
      if (it == byId_.end())
        roots.push_back(i);
      else
        nodes_[it->second].children.push_back(i);
    }
    const auto before = [this](std::size_t a, std::size_t b) {
      const Node& x = nodes_[a];
      const Node& y = nodes_[b];
      if (x.order != y.order) return x.order < y.order;  // no order sorts first
      return x.id < y.id;
    };
    for (auto& n : nodes_) std::sort(n.children.begin(), n.children.end(), before);
    std::sort(roots.begin(), roots.end(), before);

    for (const std::size_t r : roots) draw(r, false);
    drawCycles();
  }

  std::string& text() { return out_; }
  std::vector<OutlineNode>& lines() { return lines_; }

 private:
  struct Pending {
    std::size_t node;
    std::size_t depth;
    bool last;
  };

  // Nodes left undrawn hang below a parent chain that loops back on itself:
  // walking up from one of them ends on the loop, which is drawn from there.
  void drawCycles() {
    std::vector<std::size_t> order(nodes_.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [this](std::size_t a, std::size_t b) { return nodes_[a].id < nodes_[b].id; });
    std::vector<std::size_t> walkMark(nodes_.size(), 0);
    std::size_t walk = 0;
    for (const std::size_t start : order) {
      if (nodes_[start].drawn) continue;
      ++walk;
      std::size_t at = start;
      while (walkMark[at] != walk) {
        walkMark[at] = walk;
        at = byId_.at(*nodes_[at].parent);  // undrawn nodes always have a parent here
      }
      draw(at, true);
    }
  }

  void draw(std::size_t root, bool cycle) {
    std::vector<Pending> stack{{root, 0, true}};
    std::vector<bool> lastAt;
    nodes_[root].drawn = true;
    while (!stack.empty()) {
      const Pending p = stack.back();
      stack.pop_back();
      lastAt.resize(p.depth + 1);
      lastAt[p.depth] = p.last;
      for (std::size_t level = 1; level < p.depth; ++level) out_ += lastAt[level] ? "    " : "│   ";
      if (p.depth > 0) out_ += p.last ? "└── " : "├── ";
      appendLabel(nodes_[p.node], cycle && p.node == root, static_cast<int>(p.depth));

      const auto& kids = nodes_[p.node].children;
      std::vector<std::size_t> fresh;
      for (const std::size_t k : kids)
        if (!nodes_[k].drawn) fresh.push_back(k);
      for (auto it = fresh.rbegin(); it != fresh.rend(); ++it) {
        nodes_[*it].drawn = true;
        stack.push_back({*it, p.depth + 1, it == fresh.rbegin()});
      }
    }
  }

  void appendLabel(const Node& n, bool cycle, int depth) {
    lines_.push_back({n.id, n.parent, n.name, n.type, depth, n.live, cycle});
    out_ += n.name;
    out_ += " (type ";
    out_ += n.type ? std::to_string(*n.type) : std::string("-");
    out_ += ", node ";
    out_ += std::to_string(n.id);
    out_ += ')';
    if (!n.live) out_ += " [invalidated]";
    if (cycle) out_ += " [parent cycle]";
    out_ += '\n';
  }

  std::vector<Node> nodes_;
  std::unordered_map<std::int64_t, std::size_t> byId_;
  std::string out_;
  std::vector<OutlineNode> lines_;
};

}  // namespace

std::string renderOutline(Session& session, int ori, std::int32_t ownerId, bool all) {
  Outline outline(readNodes(session, ori, ownerId, all));
  outline.render();
  return std::move(outline.text());
}

std::vector<OutlineNode> outlineNodes(Session& session, int ori, std::int32_t ownerId, bool all) {
  Outline outline(readNodes(session, ori, ownerId, all));
  outline.render();
  return std::move(outline.lines());
}

}  // namespace quillon::tree
