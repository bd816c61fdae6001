#include "tree/document_list.h"

#include <fmt/format.h>

#include "db/tables.h"
#include "quillon/recordset.h"

namespace quillon::tree {
namespace {

// One grouped scan of the tree with a few indexed look-ups per owner: the
// owner indexes make each subquery a short range read, so the listing stays
// linear in the size of the tree. The row an import reserves its number with
// carries nothing but its node and owner numbers; it is no document.
std::string listSql(const db::Side& side) {
  return fmt::format(
      "SELECT o, (SELECT NODE_NAME FROM {0} WHERE NODE_ID=head), (SELECT y.TYPE_NAME FROM T_PROJECT_TYPE y"
      " JOIN {0} h ON y.TYPE_ID=h.{2} WHERE h.NODE_ID=head LIMIT 1), live,"
      " (SELECT count(*) FROM {3} WHERE {1}=o AND STS='V'), (SELECT count(*) FROM {4} WHERE {1}=o AND"
      " STS='V'), (SELECT NODE_NAME FROM {0} WHERE NODE_ID=entry), (SELECT STS FROM {0} WHERE"
      " NODE_ID=entry), (SELECT STS FROM {0} WHERE NODE_ID=head)"
      " FROM (SELECT {1} o, coalesce(min(CASE WHEN TYPE_ID=2 THEN NODE_ID END), min(NODE_ID)) head,"
      " sum(CASE WHEN STS='V' THEN 1 ELSE 0 END) live, min(CASE WHEN TYPE_ID=9 THEN NODE_ID END) entry FROM "
      "{0} WHERE {1} IS NOT NULL"
      " AND (TYPE_ID IS NOT NULL OR NODE_NAME IS NOT NULL)"
      "{5} GROUP BY {1}) owners ORDER BY o",
      side.tree, side.owner, side.projectType, side.checks, side.items,
      side.project ? "" : " AND RESOURCE_ID<>0");
}

std::string textOf(const Value& v) { return v.isNull() || v.isEmpty() ? std::string() : v.toText(); }

}  // namespace

std::vector<DocumentSummary> listDocuments(Session& session, int ori) {
  const db::Side& side = db::sideOf(ori);
  const bool project = side.project;
  Recordset rs = session.database().openRecordset(listSql(side));
  std::vector<DocumentSummary> out;
  for (; !rs.atEnd(); rs.moveNext()) {
    DocumentSummary d;
    d.id = static_cast<std::int32_t>(rs.value(0).toInt64());
    d.name = textOf(rs.value(1));
    d.projectType = textOf(rs.value(2));
    d.nodes = rs.value(3).isNull() ? 0 : rs.value(3).toInt64();
    d.checks = rs.value(4).toInt64();
    d.scoringItems = rs.value(5).toInt64();
    if (!project) d.entry = textOf(rs.value(6));
    d.live = textOf(rs.value(8)) == "V" && (d.entry.empty() || textOf(rs.value(7)) == "V");
    out.push_back(std::move(d));
  }
  return out;
}

}  // namespace quillon::tree
