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
  void add(std::span<const Value> values) override { connection_.insertRow(table_, columns_, values); }

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
