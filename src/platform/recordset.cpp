// The updatable result set. A SELECT over one table is prepared a second time
// with the table's rowid after its columns, so that the current row can
// be changed or deleted; every other query gives a read-only set. Rows are
// stepped one at a time, never read ahead.
#include <fmt/format.h>
#include <strings.h>

#include <cctype>
#include <string>
#include <vector>

#include "platform/database.h"
#include "platform/recordset_impl.h"
#include "platform/sql_words.h"
#include "platform/sqlite_handles.h"
#include "quillon/error.h"

namespace quillon {

using platform::Database;
using platform::PreparedQuery;
using platform::Statement;

namespace {

constexpr const char* kNoCurrentRecord = "No current record.";

int typeFromDeclaration(const char* declared) {
  if (!declared) return -1;
  std::string t(declared);
  for (auto& c : t) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  auto has = [&](const char* word) { return t.find(word) != std::string::npos; };
  if (has("BIGINT")) return field_type::kBigInt;
  if (has("SMALLINT")) return field_type::kInteger16;
  if (has("TINYINT") || has("BYTE")) return field_type::kByte;
  if (has("INT") || has("LONG") || has("COUNTER")) return field_type::kLong;
  if (has("SINGLE")) return field_type::kSingle;
  if (has("DOUBLE") || has("REAL") || has("FLOA") || has("NUMERIC") || has("DECIMAL"))
    return field_type::kDouble;
  if (has("BOOL") || has("BIT")) return field_type::kBoolean;
  if (has("DATE") || has("TIME")) return field_type::kDate;
  if (has("CURRENCY") || has("MONEY")) return field_type::kCurrency;
  if (has("BLOB") || has("BINARY")) return field_type::kBinary;
  if (has("MEMO") || has("LONGTEXT")) return field_type::kMemo;
  return field_type::kText;
}

int typeFromValue(const Value& v) {
  switch (v.kind()) {
    case Value::Kind::Integer:
      return field_type::kLong;
    case Value::Kind::Real:
      return field_type::kDouble;
    default:
      return field_type::kText;
  }
}

// Adds the row locator after the caller's columns, so that positions in
// ORDER BY and the like still name the columns the caller wrote; empty when
// the text gives no place for it.
std::string withRowid(std::string_view sql) {
  const std::size_t from = platform::rowLocatorInsertPoint(sql);
  if (from == std::string_view::npos) return {};
  std::string out(sql.substr(0, from));
  out += ", rowid ";
  out += sql.substr(from);
  return out;
}

Statement prepareOrNull(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr) != SQLITE_OK) {
    sqlite3_finalize(raw);
    return Statement();
  }
  return Statement(raw);
}

// Prepares `sql` and works out whether its rows can be changed: they can when
// every column comes straight from one table, and then the statement is
// prepared again with that table's rowid after the caller's columns.
PreparedQuery analyse(Database& db, const std::string& sql) {
  sqlite3* h = db.handle();
  Statement plain = prepareOrNull(h, sql);
  if (!plain) platform::throwEngineError(h);
  if (sqlite3_stmt_readonly(plain.get()) == 0 || sqlite3_column_count(plain.get()) == 0)
    throw Error(ErrorKind::InvalidInput, "the text is not a query that returns rows");

  PreparedQuery query;
  platform::QueryShape& shape = query.shape;
  query.schemaGeneration = db.schemaGeneration();
  const int columns = sqlite3_column_count(plain.get());
  std::string table;
  bool single = true;
  for (int i = 0; i < columns && single; ++i) {
    const char* t = sqlite3_column_table_name(plain.get(), i);
    if (!t || (!table.empty() && strcasecmp(t, table.c_str()) != 0))
      single = false;
    else
      table = t;
  }
  if (single && !table.empty()) {
    const std::string rewritten = withRowid(sql);
    Statement withId = rewritten.empty() ? Statement() : prepareOrNull(h, rewritten);
    if (withId && sqlite3_column_count(withId.get()) == columns + 1) {
      query.stmt = std::move(withId);
      shape.rowidColumn = columns;
      shape.table = table;
    }
  }
  if (!query.stmt) query.stmt = std::move(plain);

  sqlite3_stmt* s = query.stmt.get();
  for (int i = 0; i < columns; ++i) {
    shape.names.emplace_back(sqlite3_column_name(s, i));
    const char* origin = sqlite3_column_origin_name(s, i);
    shape.originNames.emplace_back(origin ? origin : "");
    shape.declaredTypes.push_back(typeFromDeclaration(sqlite3_column_decltype(s, i)));
  }
  return query;
}

}  // namespace

struct Recordset::Impl {
  enum class Mode { None, Edit, AddNew };

  std::shared_ptr<Database> db;
  std::string sql;  // the key the statement goes back under
  PreparedQuery query;
  std::vector<Value> row;
  std::int64_t rowid = 0;
  bool atEnd = true;
  bool deleted = false;
  // On the first row with nothing written on the connection since it was
  // read, moving first again would read the same row: it is not re-run.
  bool onFirstRow = false;
  std::int64_t changesWhenRead = 0;
  Mode mode = Mode::None;
  std::vector<Value> pending;
  std::vector<bool> dirty;

  ~Impl() {
    if (db && query.stmt) db->keepQuery(std::move(sql), std::move(query));
  }

  const platform::QueryShape& shape() const { return query.shape; }
  int count() const { return static_cast<int>(shape().names.size()); }
  sqlite3_stmt* stmt() const { return query.stmt.get(); }

  void checkPosition(int position) const {
    if (position < 0 || position >= count())
      throw Error(ErrorKind::InvalidInput, "Item not found in this collection.");
  }

  void step() {
    mode = Mode::None;
    deleted = false;
    const int rc = sqlite3_step(stmt());
    if (rc == SQLITE_ROW) {
      atEnd = false;
      if (shape().rowidColumn >= 0) rowid = sqlite3_column_int64(stmt(), shape().rowidColumn);
      for (int i = 0; i < count(); ++i) row[static_cast<std::size_t>(i)] = platform::columnValue(stmt(), i);
      return;
    }
    atEnd = true;
    if (rc != SQLITE_DONE) platform::throwEngineError(db->handle());
  }

  void stepFromStart() {
    sqlite3_reset(stmt());
    step();
    onFirstRow = !atEnd;
    changesWhenRead = sqlite3_total_changes64(db->handle());
  }

  void requireCurrent() const {
    if (atEnd) throw Error(ErrorKind::InvalidInput, kNoCurrentRecord);
    if (deleted) throw Error(ErrorKind::InvalidInput, "Record is deleted.");
  }

  void requireUpdatable() const {
    if (shape().table.empty())
      throw Error(ErrorKind::InvalidInput, "Cannot update. Database or object is read-only.");
  }
};

Recordset platform::RecordsetImplFactory::open(std::shared_ptr<Database> db, std::string_view sql,
                                               std::span<const Value> params) {
  auto impl = std::make_unique<Recordset::Impl>();
  impl->sql = std::string(sql);
  if (!db->takeQuery(impl->sql, impl->query)) impl->query = analyse(*db, impl->sql);
  impl->db = std::move(db);
  sqlite3_stmt* s = impl->stmt();
  for (std::size_t i = 0; i < params.size(); ++i) platform::bindValue(s, static_cast<int>(i + 1), params[i]);
  impl->row.assign(static_cast<std::size_t>(impl->count()), Value::null());
  impl->stepFromStart();
  return Recordset(std::move(impl));
}

Recordset::Recordset() = default;
Recordset::Recordset(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Recordset::Recordset(Recordset&&) noexcept = default;
Recordset& Recordset::operator=(Recordset&&) noexcept = default;
Recordset::~Recordset() = default;

namespace {
Recordset::Impl& openImpl(const std::unique_ptr<Recordset::Impl>& impl) {
  if (!impl) throw Error(ErrorKind::InvalidInput, "Object is invalid or no longer set.");
  return *impl;
}
}  // namespace

bool Recordset::isOpen() const { return impl_ != nullptr; }
bool Recordset::atEnd() const { return openImpl(impl_).atEnd; }

void Recordset::moveFirst() {
  auto& r = openImpl(impl_);
  if (r.onFirstRow && r.mode == Impl::Mode::None && !r.deleted &&
      sqlite3_total_changes64(r.db->handle()) == r.changesWhenRead)
    return;
  r.stepFromStart();
}

void Recordset::moveNext() {
  auto& r = openImpl(impl_);
  if (r.atEnd) throw Error(ErrorKind::InvalidInput, kNoCurrentRecord);
  r.onFirstRow = false;
  r.step();
}

int Recordset::fieldCount() const { return openImpl(impl_).count(); }

std::string Recordset::fieldName(int position) const {
  auto& r = openImpl(impl_);
  r.checkPosition(position);
  return r.shape().names[static_cast<std::size_t>(position)];
}

int Recordset::fieldType(int position) const {
  auto& r = openImpl(impl_);
  r.checkPosition(position);
  const int declared = r.shape().declaredTypes[static_cast<std::size_t>(position)];
  if (declared >= 0) return declared;
  // An expression column has no declared type: its current value decides.
  return typeFromValue(r.row[static_cast<std::size_t>(position)]);
}

int Recordset::fieldIndex(std::string_view name) const {
  auto& r = openImpl(impl_);
  for (int i = 0; i < r.count(); ++i) {
    const auto& n = r.shape().names[static_cast<std::size_t>(i)];
    if (n.size() == name.size() && strncasecmp(n.data(), name.data(), n.size()) == 0) return i;
  }
  throw Error(ErrorKind::InvalidInput, fmt::format("Item not found in this collection: {}", name));
}

const Value& Recordset::value(int position) const {
  auto& r = openImpl(impl_);
  r.checkPosition(position);
  const auto p = static_cast<std::size_t>(position);
  if (r.mode != Impl::Mode::None && r.dirty[p]) return r.pending[p];
  if (r.mode == Impl::Mode::AddNew) {
    static const Value kNull = Value::null();
    return kNull;
  }
  r.requireCurrent();
  return r.row[p];
}

void Recordset::addNew() {
  auto& r = openImpl(impl_);
  r.requireUpdatable();
  r.mode = Impl::Mode::AddNew;
  r.pending.assign(r.row.size(), Value::null());
  r.dirty.assign(r.row.size(), false);
}

void Recordset::edit() {
  auto& r = openImpl(impl_);
  r.requireUpdatable();
  r.requireCurrent();
  r.mode = Impl::Mode::Edit;
  r.pending = r.row;
  r.dirty.assign(r.row.size(), false);
}

void Recordset::setValue(int position, Value v) {
  auto& r = openImpl(impl_);
  r.checkPosition(position);
  if (r.mode == Impl::Mode::None)
    throw Error(ErrorKind::InvalidInput, "Update or CancelUpdate without AddNew or Edit.");
  const auto p = static_cast<std::size_t>(position);
  if (r.shape().originNames[p].empty()) throw Error(ErrorKind::InvalidInput, "Field cannot be updated.");
  r.pending[p] = std::move(v);
  r.dirty[p] = true;
}

void Recordset::update() {
  auto& r = openImpl(impl_);
  if (r.mode == Impl::Mode::None)
    throw Error(ErrorKind::InvalidInput, "Update or CancelUpdate without AddNew or Edit.");
  std::vector<Value> params;
  std::string sql;
  if (r.mode == Impl::Mode::AddNew) {
    std::string cols, marks;
    for (std::size_t i = 0; i < r.pending.size(); ++i) {
      if (!r.dirty[i]) continue;
      if (!cols.empty()) cols += ',', marks += ',';
      cols += fmt::format("\"{}\"", r.shape().originNames[i]);
      marks += '?';
      params.push_back(r.pending[i]);
    }
    sql = cols.empty() ? fmt::format("INSERT INTO \"{}\" DEFAULT VALUES", r.shape().table)
                       : fmt::format("INSERT INTO \"{}\"({}) VALUES({})", r.shape().table, cols, marks);
  } else {
    std::string sets;
    for (std::size_t i = 0; i < r.pending.size(); ++i) {
      if (!r.dirty[i]) continue;
      if (!sets.empty()) sets += ',';
      sets += fmt::format("\"{}\"=?", r.shape().originNames[i]);
      params.push_back(r.pending[i]);
    }
    if (!sets.empty()) {
      sql = fmt::format("UPDATE \"{}\" SET {} WHERE rowid=?", r.shape().table, sets);
      params.emplace_back(r.rowid);
    }
  }
  if (!sql.empty()) r.db->execute(sql, params);
  if (r.mode == Impl::Mode::Edit) r.row = r.pending;
  r.mode = Impl::Mode::None;
}

void Recordset::deleteCurrent() {
  auto& r = openImpl(impl_);
  r.requireUpdatable();
  r.requireCurrent();
  const Value id(r.rowid);
  r.db->execute(fmt::format("DELETE FROM \"{}\" WHERE rowid=?", r.shape().table),
                std::span<const Value>(&id, 1));
  r.deleted = true;
  r.mode = Impl::Mode::None;
}

void Recordset::close() { impl_.reset(); }

}  // namespace quillon
