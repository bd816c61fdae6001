// The row writer every engine has: one insertRow() a row. Wrappers that
// watch insertRow() (the tests' faults) see every row through it.
#include <string>
#include <utility>
#include <vector>

#include "engine/connection.h"

namespace quillon::engine {
namespace {

class InsertingWriter final : public RowWriter {
 public:
  InsertingWriter(Connection& connection, std::string_view table, std::vector<std::string> columns)
      : connection_(connection), table_(table), columns_(std::move(columns)) {}
  void add(std::span<const Value> values) override {
    // Where a failure ends the transaction, a row is written in a savepoint
    // of its own, so that a failed row undoes only itself.
    if (!connection_.failureEndsTransaction() || !connection_.inTransaction()) {
      connection_.insertRow(table_, columns_, values);
      return;
    }
    static constexpr std::string_view kRow = "quillon_row";
    connection_.savepoint(kRow);
    try {
      connection_.insertRow(table_, columns_, values);
    } catch (...) {
      if (connection_.inTransaction()) {
        try {
          connection_.rollbackTo(kRow);
          connection_.release(kRow);
        } catch (const std::exception&) {
          // The row's own failure is the one to report.
        }
      }
      throw;
    }
    connection_.release(kRow);
  }

 private:
  Connection& connection_;
  std::string table_;
  std::vector<std::string> columns_;
};

}  // namespace

std::unique_ptr<RowWriter> Connection::rowWriter(std::string_view table, std::vector<std::string> columns) {
  return std::make_unique<InsertingWriter>(*this, table, std::move(columns));
}

}  // namespace quillon::engine
