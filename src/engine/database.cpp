#include "engine/database.h"

#include <fmt/format.h>

#include <utility>

#include "engine/failure.h"
#include "engine/postgres/pg_connection.h"
#include "engine/recordset_impl.h"
#include "engine/sqlite/sqlite_connection.h"

namespace quillon::engine {
namespace {

std::function<std::shared_ptr<Connection>(std::shared_ptr<Connection>)>& connectionWrapper() {
  static std::function<std::shared_ptr<Connection>(std::shared_ptr<Connection>)> wrap;
  return wrap;
}

}  // namespace

void wrapConnections(std::function<std::shared_ptr<Connection>(std::shared_ptr<Connection>)> wrap) {
  connectionWrapper() = std::move(wrap);
}

Database::Database(std::shared_ptr<Connection> connection) : connection_(std::move(connection)) {}

std::shared_ptr<Database> Database::open(const std::filesystem::path& file) {
  std::shared_ptr<Connection> connection = sqlite::open(file);
  if (const auto& wrap = connectionWrapper()) connection = wrap(std::move(connection));
  return std::make_shared<Database>(std::move(connection));
}

std::shared_ptr<Database> Database::openServer(const std::string& url, const std::string& desk,
                                               std::vector<std::string> spellings) {
  std::shared_ptr<Connection> connection = postgres::open(url, desk, std::move(spellings));
  if (const auto& wrap = connectionWrapper()) connection = wrap(std::move(connection));
  return std::make_shared<Database>(std::move(connection));
}

bool Database::createOnServer(const std::string& url, std::string_view probe, std::string_view script) {
  return postgres::createIfEmpty(url, probe, script);
}

int Database::releaseDesk(const std::string& url, const std::string& desk) {
  return postgres::releaseDesk(url, desk);
}

void Database::create(const std::filesystem::path& file, std::string_view script) {
  sqlite::create(file, script);
}

void Database::requireLiveTransaction() const {
  if (scopes_ > 0 && !connection_->inTransaction())
    throw EngineError(
        Failure::TransactionEnded, 0,
        fmt::format("the database ended the transaction after a failure ({}); nothing more is written",
                    lastFailure_));
}

template <class Work>
void Database::noting(Work&& work, bool guarded) {
  requireLiveTransaction();
  try {
    if (guarded && connection_->failureEndsTransaction() && connection_->inTransaction()) {
      // Only this statement is undone when it fails, as on every engine.
      static constexpr std::string_view kStatement = "quillon_statement";
      connection_->savepoint(kStatement);
      try {
        work();
      } catch (...) {
        if (connection_->inTransaction()) {
          try {
            connection_->rollbackTo(kStatement);
            connection_->release(kStatement);
          } catch (const Error&) {
            // The statement's own failure is the one to report.
          }
        }
        throw;
      }
      connection_->release(kStatement);
    } else {
      work();
    }
  } catch (const Error& e) {
    lastFailure_ = e.what();
    throw;
  }
}

void Database::execute(std::string_view sql, std::span<const Value> params) {
  noting([&] { connection_->execute(sql, params); });
}

void Database::executeScript(std::string_view script) { connection_->executeScript(script); }

void Database::insertRow(std::string_view table, std::span<const std::string> columns,
                         std::span<const Value> values) {
  noting([&] { connection_->insertRow(table, columns, values); });
}

void Database::updateRow(std::string_view table, const Value& locator, std::span<const std::string> columns,
                         std::span<const Value> values) {
  noting([&] { connection_->updateRow(table, locator, columns, values); });
}

void Database::deleteRow(std::string_view table, const Value& locator) {
  noting([&] { connection_->deleteRow(table, locator); });
}

class NotingWriter final : public RowWriter {
 public:
  NotingWriter(std::shared_ptr<Database> database, std::unique_ptr<RowWriter> writer)
      : database_(std::move(database)), writer_(std::move(writer)) {}
  // An engine's writer keeps the rows before a failed one itself, so each
  // row is not put in a savepoint of its own here.
  void add(std::span<const Value> values) override {
    database_->noting([&] { writer_->add(values); }, false);
  }
  void flush() override {
    database_->noting([&] { writer_->flush(); }, false);
  }

 private:
  std::shared_ptr<Database> database_;
  std::unique_ptr<RowWriter> writer_;
};

std::unique_ptr<RowWriter> Database::rowWriter(std::string_view table, std::vector<std::string> columns) {
  return std::make_unique<NotingWriter>(shared_from_this(),
                                        connection_->rowWriter(table, std::move(columns)));
}

Recordset Database::openRecordset(std::string_view sql, std::span<const Value> params) {
  return RecordsetImplFactory::open(shared_from_this(), sql, params);
}

}  // namespace quillon::engine
