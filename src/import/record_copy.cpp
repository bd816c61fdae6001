#include "import/record_copy.h"

#include <fmt/format.h>

#include "db/queries.h"
#include "export/progress.h"
#include "export/table_writer.h"
#include "platform/field_name.h"
#include "quillon/error.h"
#include "quillon/recordset.h"

namespace quillon::importing {
namespace {

namespace xml = platform::xml;

// The second pass over one table: each record becomes a row as soon as it is
// read.
class Copier final : public xml::RecordVisitor {
 public:
  Copier(std::vector<std::string> names, std::vector<int> types, const std::vector<Capture>& captures,
         const Renumber& renumber, engine::RowWriter& writer, exporting::TableProgress& progress)
      : names_(std::move(names)),
        types_(std::move(types)),
        captures_(captures),
        renumber_(renumber),
        writer_(writer),
        progress_(progress),
        given_(names_.size()),
        values_(names_.size()) {
    for (const Capture& capture : captures_) capturePositions_.push_back(position(capture.column));
  }

  bool table(std::string_view) override { return true; }

  void record(std::span<const xml::Field> fields) override {
    std::fill(given_.begin(), given_.end(), nullptr);
    // Fields mostly come in the order of the column list: look there first.
    std::size_t expected = 0;
    for (const auto& field : fields) {
      std::size_t j =
          expected < names_.size() && names_[expected] == field.name ? expected : position(field.name);
      if (j == names_.size()) continue;
      if (!given_[j]) given_[j] = &field.text;
      expected = j + 1;
    }
    for (std::size_t j = 0; j < names_.size(); ++j) values_[j] = byValueRule(types_[j], given_[j]);
    for (std::size_t c = 0; c < captures_.size(); ++c)
      if (const auto j = capturePositions_[c]; j < names_.size() && given_[j])
        *captures_[c].into = asIdentifier(*given_[j]);
    NewRow row(names_, values_);
    renumber_(row, index_++);
    writer_.add(values_);
    progress_.row();
  }

 private:
  // The column a package element fills (names as written), or past the end.
  std::size_t position(std::string_view name) const {
    for (std::size_t j = 0; j < names_.size(); ++j)
      if (names_[j] == name) return j;
    return names_.size();
  }

  const std::vector<std::string> names_;
  const std::vector<int> types_;
  const std::vector<Capture>& captures_;
  std::vector<std::size_t> capturePositions_;
  const Renumber& renumber_;
  engine::RowWriter& writer_;
  exporting::TableProgress& progress_;
  std::vector<const std::string_view*> given_;
  std::vector<Value> values_;
  std::size_t index_ = 0;
};

}  // namespace

Value byValueRule(int type, const std::string_view* text) {
  const bool integral = type == field_type::kLong;
  const bool numeric = integral || type == field_type::kDouble;
  if (!text) return numeric ? Value(std::int64_t{0}) : Value(std::string(" "));
  if (numeric) {
    const double number = leadingNumber(*text);
    return integral ? whole(roundToInt32(number)) : Value(number);
  }
  return text->empty() ? Value(std::string(" ")) : Value(*text);
}

std::size_t NewRow::position(std::string_view column) const {
  for (std::size_t j = 0; j < names_.size(); ++j)
    if (platform::sameFieldName(names_[j], column)) return j;
  throw Error(ErrorKind::InvalidInput, fmt::format("no column {} in the row being added", column));
}

bool copyRecords(Session& session, const Package& package, std::string_view table, std::string_view columns,
                 const std::vector<Capture>& captures, const Renumber& renumber) {
  const exporting::ColumnList names(columns);
  const auto count = names.names().size();
  std::vector<int> types(count);
  {
    // The engine's type of each column decides how the package's text is stored.
    Recordset rs;
    if (!db::Queries(session).GetValue(fmt::format("Select {} from {} where 1=0", columns, table), rs))
      return false;
    for (std::size_t j = 0; j < count; ++j) types[j] = rs.fieldType(static_cast<int>(j));
  }
  const auto writer = session.database().rowWriter(table, names.names());

  exporting::TableProgress progress(table, currentProgressListener());
  progress.start(static_cast<std::int64_t>(package.records(table)));
  // Told also when a record fails, before the error leaves.
  struct Finish {
    exporting::TableProgress& progress;
    ~Finish() { progress.finish(); }
  } finish{progress};
  Copier copier(names.names(), std::move(types), captures, renumber, *writer, progress);
  package.read(table, copier);
  // Rows an engine held back go now: what comes next reads them.
  writer->flush();
  return true;
}

}  // namespace quillon::importing
