#pragma once
// A connection in front of the real engine that fails the calls a test names,
// the way an engine fails them, so that the tests of failures run on every
// engine instead of relying on one engine's triggers or page limits.
#include <strings.h>

#include <cctype>
#include <cstring>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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
  // Queries that read `table` fail when they step past their first
  // `rows` rows, as a row the engine cannot compute fails them.
  void failReads(std::string table, int rows, Fault fault) {
    reads_.push_back({std::move(table), rows, std::move(fault)});
  }
  void clear() {
    commitFault.reset();
    writeFault_.reset();
    reads_.clear();
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
    auto cursor = ConnectionWrapper::query(sql, params, changeable);
    for (const auto& read : reads_)
      if (readsFrom(sql, read.table)) return std::make_unique<FailingCursor>(std::move(cursor), read);
    return cursor;
  }

  void execute(std::string_view sql, std::span<const Value> params) override {
    refuseWhileAborted();
    check(tableWritten(sql));
    ConnectionWrapper::execute(sql, params);
  }
  // Every row through insertRow(), where the faults are.
  std::unique_ptr<engine::RowWriter> rowWriter(std::string_view table,
                                               std::vector<std::string> columns) override {
    return Connection::rowWriter(table, std::move(columns));
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
  struct ReadFault {
    std::string table;
    int rows;
    Fault fault;
  };
  class FailingCursor : public engine::Cursor {
   public:
    FailingCursor(std::unique_ptr<engine::Cursor> target, ReadFault fault)
        : target_(std::move(target)), fault_(std::move(fault)) {}
    bool first() override {
      read_ = 0;
      return counted(target_->first());
    }
    bool next() override { return counted(target_->next()); }
    const std::vector<engine::Column>& columns() const override { return target_->columns(); }
    Value value(int column) const override { return target_->value(column); }
    const std::string& changeableTable() const override { return target_->changeableTable(); }
    Value locator() const override { return target_->locator(); }

   private:
    bool counted(bool found) {
      if (found && ++read_ > fault_.rows)
        throw engine::EngineError(fault_.fault.failure, -1, fault_.fault.text);
      return found;
    }
    std::unique_ptr<engine::Cursor> target_;
    ReadFault fault_;
    int read_ = 0;
  };

  // Whether the query's text names `table` after a FROM or a JOIN.
  static bool readsFrom(std::string_view sql, const std::string& table) {
    std::string text(sql);
    for (auto& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::string name = table;
    for (auto& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* before : {"FROM ", "JOIN "})
      for (std::size_t at = text.find(before + name); at != std::string::npos;
           at = text.find(before + name, at + 1)) {
        const std::size_t end = at + std::strlen(before) + name.size();
        if (end == text.size() || !(std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_'))
          return true;
      }
    return false;
  }

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

  std::vector<ReadFault> reads_;
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
