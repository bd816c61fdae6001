#pragma once
// A connection that passes every call on to another one: a base for
// connections that change a few calls only, such as the fault-injecting one
// the tests put in front of a real engine.
#include <memory>
#include <utility>

#include "engine/connection.h"

namespace quillon::engine {

class ConnectionWrapper : public Connection {
 public:
  explicit ConnectionWrapper(std::shared_ptr<Connection> target) : target_(std::move(target)) {}

  void execute(std::string_view sql, std::span<const Value> params) override {
    target_->execute(sql, params);
  }
  void executeScript(std::string_view script) override { target_->executeScript(script); }
  std::unique_ptr<Cursor> query(std::string_view sql, std::span<const Value> params,
                                bool changeable) override {
    return target_->query(sql, params, changeable);
  }
  std::unique_ptr<RowWriter> rowWriter(std::string_view table, std::vector<std::string> columns) override {
    return target_->rowWriter(table, std::move(columns));
  }
  void insertRow(std::string_view table, std::span<const std::string> columns,
                 std::span<const Value> values) override {
    target_->insertRow(table, columns, values);
  }
  void updateRow(std::string_view table, const Value& locator, std::span<const std::string> columns,
                 std::span<const Value> values) override {
    target_->updateRow(table, locator, columns, values);
  }
  void deleteRow(std::string_view table, const Value& locator) override {
    target_->deleteRow(table, locator);
  }
  void begin(Intent intent) override { target_->begin(intent); }
  void commit() override { target_->commit(); }
  void rollback() noexcept override { target_->rollback(); }
  bool inTransaction() const override { return target_->inTransaction(); }
  bool failureEndsTransaction() const override { return target_->failureEndsTransaction(); }
  void savepoint(std::string_view name) override { target_->savepoint(name); }
  void release(std::string_view name) override { target_->release(name); }
  void rollbackTo(std::string_view name) override { target_->rollbackTo(name); }
  std::int64_t changeCount() const override { return target_->changeCount(); }
  void setBusyTimeout(int milliseconds) override { target_->setBusyTimeout(milliseconds); }

  Connection& target() const { return *target_; }

 private:
  std::shared_ptr<Connection> target_;
};

}  // namespace quillon::engine
