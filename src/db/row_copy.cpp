#include "db/row_copy.h"

#include <fmt/format.h>

#include <vector>

#include "db/queries.h"
#include "db/sql_text.h"
#include "quillon/error.h"
#include "quillon/recordset.h"

namespace quillon::copy {
namespace {

// The working copy of the current source row, NULLs of the fill range
// replaced.
void readRow(const Recordset& rs, const TableCopy& table, std::vector<Value>& row) {
  const int count = rs.fieldCount();
  row.resize(static_cast<std::size_t>(count));
  const int end = table.fill.end < 0 ? count : std::min(table.fill.end, count);
  for (int i = 0; i < count; ++i) {
    Value v = rs.value(i);
    if (v.isNull() && i >= table.fill.first && i < end) v = nullStandIn(rs.fieldType(i));
    row[static_cast<std::size_t>(i)] = std::move(v);
  }
}

Value fieldValue(const Recordset& rs, const TableCopy& table, const std::vector<Value>& row, const Out& out) {
  if (out.field < 0 || out.field >= static_cast<int>(row.size()))
    throw Error(ErrorKind::InvalidInput,
                fmt::format("column {} is not selected from {}", out.field, table.sourceTable));
  const Value& v = row[static_cast<std::size_t>(out.field)];
  if (!v.isNull()) return v;
  if (out.literal) return Value(out.literal);
  if (table.fillWritten) return nullStandIn(rs.fieldType(out.field));
  return v;  // NULL: the conversion below fails the copy
}

Value outValue(const Recordset& rs, const TableCopy& table, const std::vector<Value>& row, const Out& out,
               const CopyKeys& keys, const Value& newId) {
  switch (out.from) {
    case Out::From::Field:
      return bound(fieldValue(rs, table, row, out), out.form);
    case Out::From::NewId:
      return bound(newId, out.form);
    case Out::From::Source:
      return bound(keys.source, out.form);
    case Out::From::Owner:
      return bound(keys.owner, out.form);
    case Out::From::Parent:
      return bound(keys.parent, out.form);
    case Out::From::Name:
      return bound(keys.name, out.form);
    case Out::From::Literal:
      return bound(Value(out.literal), out.form);
  }
  throw Error(ErrorKind::InvalidInput, "unknown value source");
}

std::string selectSql(const TableCopy& table) {
  return fmt::format("SELECT {} FROM {} WHERE {}=? AND sts='V'", table.sourceColumns, table.sourceTable,
                     table.sourceKey);
}

std::string insertSql(const TableCopy& table) {
  return db::insertStatement(table.targetTable, table.targetColumns);
}

Recordset openSource(Session& session, const TableCopy& table, const Value& source) {
  return session.database().openRecordset(selectSql(table), std::span<const Value>(&source, 1));
}

}  // namespace

bool hasSourceRows(Session& session, const TableCopy& table, const Value& source) {
  return !openSource(session, table, source).atEnd();
}

CopyOutcome copyRows(Session& session, const TableCopy& table, const CopyKeys& keys) {
  CopyOutcome outcome;
  try {
    auto& database = session.database();
    Recordset rs = openSource(session, table, keys.source);
    const std::string insert = insertSql(table);
    std::vector<Value> row;
    std::vector<Value> params;
    while (!rs.atEnd()) {
      readRow(rs, table, row);
      Value newId;
      if (!table.idTable.empty())
        newId = Value(db::Queries(session).GetMaxNo(std::string(table.idTable), std::string(table.idColumn)));
      if (table.below) {
        const CopyKeys belowKeys{Value(row.front().toInt32()), keys.owner, newId, keys.name};
        if (!copyRows(session, *table.below, belowKeys).ok) return outcome;
      }
      params.clear();
      for (const Out& out : table.values) params.push_back(outValue(rs, table, row, out, keys, newId));
      database.execute(insert, params);
      ++outcome.inserted;
      rs.moveNext();
    }
    outcome.ok = true;
  } catch (const std::exception& e) {
    session.silentFailure(e);
    outcome.ok = false;
  }
  return outcome;
}

}  // namespace quillon::copy
