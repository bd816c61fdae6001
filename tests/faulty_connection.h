#pragma once
// A connection in front of the real engine that fails the calls a test names,
// the way an engine fails them, so that the tests of failures run on every
// engine instead of relying on one engine's triggers or page limits.
#include <strings.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/connection_wrapper.h"
#include "engine/database.h"
#include "engine/failure.h"

namespace quillon::test {

class FaultyConnection : public engine::ConnectionWrapper {
 public:
  struct Fault {
    engine::Failure failure = engine::Failure::Other;
    std::string text;
    // The engine rolls the whole transaction back, as some do on a full disk.
    bool endsTransaction = false;
  };

  using ConnectionWrapper::ConnectionWrapper;

  // Behave as a server does: a failed statement ends the whole transaction
  // unless a savepoint was open, which then has to be rolled back to.
  bool abortsTransactions = false;

  // Every COMMIT fails with `fault` until cleared.
  std::optional<Fault> commitFault;
  // The `nth` write (1-based) to `table` from now on fails, and so do all
  // later ones until cleared.
  void failWrite(std::string table, int nth, Fault fault) {
    writeTable_ = std::move(table);
    writesLeft_ = nth;
    writeFault_ = std::move(fault);
  }
  void clear() {
    commitFault.reset();
    writeFault_.reset();
  }

  bool failureEndsTransaction() const override {
    return abortsTransactions || ConnectionWrapper::failureEndsTransaction();
  }
  void savepoint(std::string_view name) override {
    refuseWhileAborted();
    ConnectionWrapper::savepoint(name);
    ++savepoints_;
  }
  void release(std::string_view name) override {
    refuseWhileAborted();
    ConnectionWrapper::release(name);
    --savepoints_;
  }
  void rollbackTo(std::string_view name) override {
    ConnectionWrapper::rollbackTo(name);
    aborted_ = false;
  }
  void rollback() noexcept override {
    ConnectionWrapper::rollback();
    aborted_ = false;
    savepoints_ = 0;
  }
  std::unique_ptr<engine::Cursor> query(std::string_view sql, std::span<const Value> params,
                                        bool changeable) override {
    refuseWhileAborted();
    return ConnectionWrapper::query(sql, params, changeable);
  }

  void execute(std::string_view sql, std::span<const Value> params) override {
    refuseWhileAborted();
    check(tableWritten(sql));
    ConnectionWrapper::execute(sql, params);
  }
  void insertRow(std::string_view table, std::span<const std::string> columns,
                 std::span<const Value> values) override {
    refuseWhileAborted();
    check(table);
    ConnectionWrapper::insertRow(table, columns, values);
  }
  void updateRow(std::string_view table, const Value& locator, std::span<const std::string> columns,
                 std::span<const Value> values) override {
    refuseWhileAborted();
    check(table);
    ConnectionWrapper::updateRow(table, locator, columns, values);
  }
  void deleteRow(std::string_view table, const Value& locator) override {
    refuseWhileAborted();
    check(table);
    ConnectionWrapper::deleteRow(table, locator);
  }
  void commit() override {
    if (aborted_) {
      rollback();
      throw engine::EngineError(engine::Failure::TransactionEnded, -1,
                                "the aborted transaction was rolled back");
    }
    if (commitFault) fail(*commitFault);
    ConnectionWrapper::commit();
  }

 private:
  // The table an INSERT, UPDATE or DELETE writes; empty for anything else.
  static std::string tableWritten(std::string_view sql) {
    auto word = [&](std::size_t& i) {
      while (i < sql.size() && (sql[i] == ' ' || sql[i] == '\n' || sql[i] == '\t')) ++i;
      const std::size_t start = i;
      while (i < sql.size() && sql[i] != ' ' && sql[i] != '(' && sql[i] != '\n') ++i;
      std::string w(sql.substr(start, i - start));
      if (w.size() >= 2 && w.front() == '"') w = w.substr(1, w.size() - 2);
      return w;
    };
    std::size_t i = 0;
    const std::string first = word(i);
    if (strcasecmp(first.c_str(), "update") == 0) return word(i);
    if (strcasecmp(first.c_str(), "insert") == 0 || strcasecmp(first.c_str(), "delete") == 0) {
      word(i);  // INTO, FROM
      return word(i);
    }
    return {};
  }

  void check(std::string_view table) {
    if (!writeFault_ || table.empty() ||
        strncasecmp(table.data(), writeTable_.c_str(), writeTable_.size()) != 0 ||
        table.size() != writeTable_.size())
      return;
    if (--writesLeft_ > 0) return;
    fail(*writeFault_);
  }

  [[noreturn]] void fail(const Fault& fault) {
    if (fault.endsTransaction || (abortsTransactions && savepoints_ == 0))
      rollback();
    else if (abortsTransactions)
      aborted_ = true;
    throw engine::EngineError(fault.failure, -1, fault.text);
  }

  void refuseWhileAborted() const {
    if (aborted_)
      throw engine::EngineError(
          engine::Failure::TransactionEnded, -1,
          "current transaction is aborted, commands ignored until end of transaction block");
  }

  std::string writeTable_;
  int writesLeft_ = 0;
  int savepoints_ = 0;
  bool aborted_ = false;
  std::optional<Fault> writeFault_;
};

// Runs `open` with the connection it opens behind a FaultyConnection, which
// it returns.
inline std::shared_ptr<FaultyConnection> openWithFaults(const std::function<void()>& open) {
  std::shared_ptr<FaultyConnection> made;
  engine::wrapConnections([&](std::shared_ptr<engine::Connection> c) {
    made = std::make_shared<FaultyConnection>(std::move(c));
    return made;
  });
  open();
  engine::wrapConnections({});
  return made;
}

}  // namespace quillon::test
