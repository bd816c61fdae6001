// The updatable result set over an engine's cursor. Rows are stepped one at
// a time, never read ahead; a change goes to the engine by the row locator
// the cursor reports.
#include <fmt/format.h>

#include <string>
#include <vector>

#include "engine/connection.h"
#include "engine/database.h"
#include "engine/recordset_impl.h"
#include "platform/field_name.h"
#include "quillon/error.h"

namespace quillon {

using engine::Database;

namespace {

constexpr const char* kNoCurrentRecord = "No current record.";

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

}  // namespace

struct Recordset::Impl {
  enum class Mode { None, Edit, AddNew };

  // Declared before the cursor, which gives its statement back to the
  // connection when it closes.
  std::shared_ptr<Database> db;
  std::unique_ptr<engine::Cursor> cursor;
  std::vector<Value> row;
  Value locator;
  bool atEnd = true;
  bool deleted = false;
  // On the first row with nothing written on the connection since it was
  // read, moving first again would read the same row: it is not re-run.
  bool onFirstRow = false;
  std::int64_t changesWhenRead = 0;
  Mode mode = Mode::None;
  std::vector<Value> pending;
  std::vector<bool> dirty;

  // What the cursor said of its columns when it opened: asked once, as the
  // rows are read column by column.
  const std::vector<engine::Column>* columnList = nullptr;
  const std::string* changeable = nullptr;

  const std::vector<engine::Column>& columns() const { return *columnList; }
  int count() const { return static_cast<int>(columnList->size()); }
  const std::string& table() const { return *changeable; }

  void checkPosition(int position) const {
    if (position < 0 || position >= count())
      throw Error(ErrorKind::InvalidInput, "Item not found in this collection.");
  }

  void read(bool found) {
    atEnd = !found;
    if (!found) return;
    if (!table().empty()) locator = cursor->locator();
    cursor->readRow(row);
  }

  void step() {
    mode = Mode::None;
    deleted = false;
    atEnd = true;
    read(cursor->next());
  }

  void stepFromStart() {
    mode = Mode::None;
    deleted = false;
    atEnd = true;
    read(cursor->first());
    onFirstRow = !atEnd;
    changesWhenRead = db->connection().changeCount();
  }

  void requireCurrent() const {
    if (atEnd) throw Error(ErrorKind::InvalidInput, kNoCurrentRecord);
    if (deleted) throw Error(ErrorKind::InvalidInput, "Record is deleted.");
  }

  void requireUpdatable() const {
    if (table().empty())
      throw Error(ErrorKind::InvalidInput, "Cannot update. Database or object is read-only.");
  }
};

Recordset engine::RecordsetImplFactory::open(std::shared_ptr<Database> db, std::string_view sql,
                                             std::span<const Value> params) {
  auto impl = std::make_unique<Recordset::Impl>();
  impl->cursor = db->connection().query(sql, params, true);
  impl->columnList = &impl->cursor->columns();
  impl->changeable = &impl->cursor->changeableTable();
  impl->db = std::move(db);
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
// The set's state; a closed set fails every call but isOpen() and close().
auto& openImpl(const auto& impl) {
  if (!impl) throw Error(ErrorKind::InvalidInput, "Object is invalid or no longer set.");
  return *impl;
}
}  // namespace

bool Recordset::isOpen() const { return impl_ != nullptr; }
std::span<const Value> engine::RecordsetImplFactory::currentRow(const Recordset& rs) {
  auto& r = openImpl(rs.impl_);
  r.requireCurrent();
  if (r.mode != Recordset::Impl::Mode::None) throw Error("the row is being changed");
  return r.row;
}

bool Recordset::atEnd() const { return openImpl(impl_).atEnd; }

void Recordset::moveFirst() {
  auto& r = openImpl(impl_);
  if (r.onFirstRow && r.mode == Impl::Mode::None && !r.deleted &&
      r.db->connection().changeCount() == r.changesWhenRead)
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
  return r.columns()[static_cast<std::size_t>(position)].name;
}

int Recordset::fieldType(int position) const {
  auto& r = openImpl(impl_);
  r.checkPosition(position);
  const int declared = r.columns()[static_cast<std::size_t>(position)].type;
  if (declared >= 0) return declared;
  // An expression column has no declared type: its current value decides.
  return typeFromValue(r.row[static_cast<std::size_t>(position)]);
}

int Recordset::fieldIndex(std::string_view name) const {
  auto& r = openImpl(impl_);
  for (int i = 0; i < r.count(); ++i) {
    const auto& n = r.columns()[static_cast<std::size_t>(i)].name;
    if (platform::sameFieldName(n, name)) return i;
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
  if (r.columns()[p].origin.empty()) throw Error(ErrorKind::InvalidInput, "Field cannot be updated.");
  r.pending[p] = std::move(v);
  r.dirty[p] = true;
}

void Recordset::update() {
  auto& r = openImpl(impl_);
  if (r.mode == Impl::Mode::None)
    throw Error(ErrorKind::InvalidInput, "Update or CancelUpdate without AddNew or Edit.");
  std::vector<std::string> names;
  std::vector<Value> values;
  for (std::size_t i = 0; i < r.pending.size(); ++i) {
    if (!r.dirty[i]) continue;
    names.push_back(r.columns()[i].origin);
    values.push_back(r.pending[i]);
  }
  if (r.mode == Impl::Mode::AddNew)
    r.db->insertRow(r.table(), names, values);
  else if (!names.empty())
    r.db->updateRow(r.table(), r.locator, names, values);
  if (r.mode == Impl::Mode::Edit) r.row = r.pending;
  r.mode = Impl::Mode::None;
}

void Recordset::deleteCurrent() {
  auto& r = openImpl(impl_);
  r.requireUpdatable();
  r.requireCurrent();
  r.db->deleteRow(r.table(), r.locator);
  r.deleted = true;
  r.mode = Impl::Mode::None;
}

void Recordset::close() { impl_.reset(); }

}  // namespace quillon
