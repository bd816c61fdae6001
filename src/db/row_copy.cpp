#include "db/row_copy.h"

#include <fmt/format.h>

#include <cmath>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include "core/numbering.h"
#include "db/queries.h"
#include "db/sql_text.h"
#include "quillon/error.h"
#include "quillon/recordset.h"

namespace quillon::copy {
namespace {

// Keys of the rows below, asked for this many at a time.
constexpr std::size_t kKeysPerQuery = 500;

using Row = std::vector<Value>;

// Rows of one source table as read, and the engine types of their columns.
struct SourceRows {
  std::vector<int> types;
  std::vector<Row> rows;
};

// The working copy of a source row: NULLs of the fill range replaced.
Row filled(const Row& raw, const TableCopy& table, const std::vector<int>& types) {
  Row row(raw);
  const int count = static_cast<int>(row.size());
  const int end = table.fill.end < 0 ? count : std::min(table.fill.end, count);
  for (int i = table.fill.first; i < end; ++i)
    if (row[static_cast<std::size_t>(i)].isNull())
      row[static_cast<std::size_t>(i)] = nullStandIn(types[static_cast<std::size_t>(i)]);
  return row;
}

Value fieldValue(const TableCopy& table, const std::vector<int>& types, const Row& row, const Out& out) {
  if (out.field < 0 || out.field >= static_cast<int>(row.size()))
    throw Error(ErrorKind::InvalidInput,
                fmt::format("column {} is not selected from {}", out.field, table.sourceTable));
  const Value& v = row[static_cast<std::size_t>(out.field)];
  if (!v.isNull()) return v;
  if (out.literal) return Value(out.literal);
  if (table.fillWritten) return nullStandIn(types[static_cast<std::size_t>(out.field)]);
  return v;  // NULL: the conversion below fails the copy
}

Value outValue(const TableCopy& table, const std::vector<int>& types, const Row& row, const Out& out,
               const CopyKeys& keys, const Value& newId) {
  switch (out.from) {
    case Out::From::Field:
      return bound(fieldValue(table, types, row, out), out.form);
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

Recordset openSource(Session& session, const TableCopy& table, const Value& source) {
  return session.database().openRecordset(selectSql(table), std::span<const Value>(&source, 1));
}

// Reads the rows of `rs`; the last `extra` columns are not the table's.
SourceRows readAll(Recordset rs, int extra = 0) {
  SourceRows out;
  const int count = rs.fieldCount() - extra;
  for (int i = 0; i < count; ++i) out.types.push_back(rs.fieldType(i));
  for (; !rs.atEnd(); rs.moveNext()) {
    Row& row = out.rows.emplace_back();
    row.reserve(static_cast<std::size_t>(rs.fieldCount()));
    for (int i = 0; i < rs.fieldCount(); ++i) row.push_back(rs.value(i));
  }
  return out;
}

// The key a row below is selected by: the first column of the row above,
// read as a whole number. None when it cannot be (the copy then fails when
// it reaches that row, as it always has).
std::optional<std::int32_t> keyOf(const Row& row) {
  try {
    return row.front().toInt32();
  } catch (const Error&) {
    return std::nullopt;
  }
}

// One copy and everything below it: the rows of every level read up front, a
// query for a level rather than one a row; numbers from one sequence per
// numbered table; rows through one writer per table.
class Copier {
 public:
  explicit Copier(Session& session) : session_(session) {}

  void copy(const TableCopy& table, const CopyKeys& keys, std::int32_t& inserted) {
    SourceRows top = readAll(openSource(session_, table, keys.source));
    std::vector<Row> rows;
    for (const Row& raw : top.rows) rows.push_back(filled(raw, table, top.types));
    if (table.below) loadBelow(*table.below, rows);
    copyLevel(table, keys, top.types, rows, &inserted);
  }

  // Sends every row held back; rows added before a failure stay.
  void flush() {
    for (auto& [table, writer] : writers_) writer->flush();
  }

 private:
  // The rows below the given rows of `table`'s parent, and theirs in turn,
  // grouped by the key they are selected by.
  void loadBelow(const TableCopy& table, const std::vector<Row>& parents) {
    std::vector<std::int32_t> keys;
    for (const Row& parent : parents)
      if (const auto key = keyOf(parent)) keys.push_back(*key);
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    Level& level = levels_[&table];
    std::vector<Row> all;
    for (std::size_t from = 0; from < keys.size(); from += kKeysPerQuery) {
      const std::size_t count = std::min(kKeysPerQuery, keys.size() - from);
      std::string marks;
      std::vector<Value> values;
      for (std::size_t i = 0; i < count; ++i) {
        marks += i ? ",?" : "?";
        values.emplace_back(keys[from + i]);
      }
      // The key goes last, after the table's own columns.
      SourceRows read =
          readAll(session_.database().openRecordset(
                      fmt::format("SELECT {}, {} FROM {} WHERE {} IN ({}) AND sts='V'", table.sourceColumns,
                                  table.sourceKey, table.sourceTable, table.sourceKey, marks),
                      values),
                  1);
      level.types = read.types;
      for (Row& raw : read.rows) {
        const Value key = raw.back();
        raw.pop_back();
        // The query matched the key to one of the numbers asked for.
        Row row = filled(raw, table, level.types);
        level.rows[static_cast<std::int32_t>(std::llround(key.toDouble()))].push_back(row);
        if (table.below) all.push_back(std::move(row));
      }
    }
    if (table.below) loadBelow(*table.below, all);
  }

  void copyLevel(const TableCopy& table, const CopyKeys& keys, const std::vector<int>& types,
                 const std::vector<Row>& rows, std::int32_t* inserted) {
    engine::RowWriter& writer = writerFor(table);
    std::vector<Value> params;
    for (const Row& row : rows) {
      Value newId;
      if (!table.idTable.empty()) newId = Value(sequenceFor(table).next());
      if (table.below) {
        const std::int32_t key = row.front().toInt32();
        const Level& level = levels_[table.below];
        const auto found = level.rows.find(key);
        static const std::vector<Row> kNone;
        const CopyKeys belowKeys{Value(key), keys.owner, newId, keys.name};
        copyLevel(*table.below, belowKeys, level.types, found == level.rows.end() ? kNone : found->second,
                  nullptr);
      }
      params.clear();
      for (const Out& out : table.values) params.push_back(outValue(table, types, row, out, keys, newId));
      writer.add(params);
      if (inserted) ++*inserted;
    }
  }

  engine::RowWriter& writerFor(const TableCopy& table) {
    auto& writer = writers_[&table];
    if (!writer)
      writer = session_.database().rowWriter(table.targetTable, db::columnNames(table.targetColumns));
    return *writer;
  }

  numbering::Sequence& sequenceFor(const TableCopy& table) {
    auto found = numbers_.find(&table);
    if (found == numbers_.end()) {
      // Nothing else numbers the table while the copy runs.
      const TableCopy* t = &table;
      found = numbers_
                  .emplace(&table, numbering::Sequence([this, t] {
                    return db::Queries(session_).GetMaxNo(std::string(t->idTable), std::string(t->idColumn));
                  }))
                  .first;
    }
    return found->second;
  }

  struct Level {
    std::vector<int> types;
    std::unordered_map<std::int32_t, std::vector<Row>> rows;
  };
  Session& session_;
  std::map<const TableCopy*, Level> levels_;
  std::map<const TableCopy*, numbering::Sequence> numbers_;
  std::map<const TableCopy*, std::unique_ptr<engine::RowWriter>> writers_;
};

}  // namespace

bool hasSourceRows(Session& session, const TableCopy& table, const Value& source) {
  return !openSource(session, table, source).atEnd();
}

CopyOutcome copyRows(Session& session, const TableCopy& table, const CopyKeys& keys) {
  CopyOutcome outcome;
  Copier copier(session);
  try {
    copier.copy(table, keys, outcome.inserted);
    outcome.ok = true;
  } catch (const std::exception& e) {
    session.silentFailure(e);
    outcome.ok = false;
  }
  try {
    copier.flush();
  } catch (const std::exception& e) {
    // The first failure is the one told.
    if (outcome.ok) session.silentFailure(e);
    outcome.ok = false;
  }
  return outcome;
}

}  // namespace quillon::copy
