#pragma once
// The engine interface. Everything above this folder reaches a database
// through a Connection; each engine implements it in a folder of its own and
// nothing above sees an engine's API. Every failure is thrown as
// engine::EngineError (engine/failure.h).
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "quillon/value.h"

namespace quillon::engine {

// What a transaction is for: a reader takes no write lock, a writer waits
// for it up front rather than fail half-way.
enum class Intent { Read, Write };

// One result column as the query wrote it.
struct Column {
  std::string name;    // the spelling of the SQL text
  int type = -1;       // a field_type code of the base column; -1 for an expression
  std::string table;   // base table, empty for an expression
  std::string origin;  // base column, empty for an expression
};

// Rows of one query, read one step at a time, never ahead.
class Cursor {
 public:
  virtual ~Cursor() = default;
  // Runs the query from its start onto its first row; false when it has none.
  virtual bool first() = 0;
  // Steps onto the next row; false past the last.
  virtual bool next() = 0;
  virtual const std::vector<Column>& columns() const = 0;
  virtual Value value(int column) const = 0;
  // The current row's values, one a column, into `out` (as many as there
  // are columns): one call a row rather than one a value.
  virtual void readRow(std::span<Value> out) const {
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = value(static_cast<int>(i));
  }
  // The table whose rows can be changed through locator(); empty when the
  // rows cannot be changed one by one (joins, DISTINCT, aggregates).
  virtual const std::string& changeableTable() const = 0;
  // Names the current row to updateRow and deleteRow.
  virtual Value locator() const = 0;
};

// Rows added to one table, one call a row, in the order given; rows added
// before a failure stay.
// An engine may hold rows back to send them together: flush() sends them,
// and a writer's user calls it before it reads the table or ends its work.
// A failure may then be told by a later add() or by flush(): the rows before
// the failed one stay, none after it is written.
class RowWriter {
 public:
  virtual ~RowWriter() = default;
  virtual void add(std::span<const Value> values) = 0;
  virtual void flush() {}
};

class Connection {
 public:
  virtual ~Connection() = default;

  // One statement with `?` marks; parameters are bound untyped.
  virtual void execute(std::string_view sql, std::span<const Value> params) = 0;
  // A text of several statements without parameters (schema scripts).
  virtual void executeScript(std::string_view script) = 0;
  // A query with `?` marks. With `changeable`, the engine adds a row locator
  // after the caller's columns when the query allows one.
  virtual std::unique_ptr<Cursor> query(std::string_view sql, std::span<const Value> params,
                                        bool changeable) = 0;

  // Row changes by column name; a locator comes from Cursor::locator().
  virtual void insertRow(std::string_view table, std::span<const std::string> columns,
                         std::span<const Value> values) = 0;
  virtual void updateRow(std::string_view table, const Value& locator, std::span<const std::string> columns,
                         std::span<const Value> values) = 0;
  virtual void deleteRow(std::string_view table, const Value& locator) = 0;
  // Rows into `table`'s `columns` for as long as the writer lives. This one
  // adds each through insertRow(); an engine prepares its statement once.
  virtual std::unique_ptr<RowWriter> rowWriter(std::string_view table, std::vector<std::string> columns);

  virtual void begin(Intent intent) = 0;
  virtual void commit() = 0;
  virtual void rollback() noexcept = 0;
  virtual bool inTransaction() const = 0;
  // Whether a failed statement ends the whole transaction (a server does)
  // rather than undoing only itself (SQLite): the house then runs each
  // statement inside a transaction in a savepoint of its own, so that rows
  // written before a failure stay on every engine.
  virtual bool failureEndsTransaction() const = 0;
  virtual void savepoint(std::string_view name) = 0;
  virtual void release(std::string_view name) = 0;
  virtual void rollbackTo(std::string_view name) = 0;

  // Grows with every row written through this connection, so a reader can
  // tell that rows it read may have changed.
  virtual std::int64_t changeCount() const = 0;
  // How long a statement waits for another connection's lock.
  virtual void setBusyTimeout(int milliseconds) = 0;
};

}  // namespace quillon::engine
