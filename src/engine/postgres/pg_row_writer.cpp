// Rows written through the row writers. They wait in the connection and go
// many to a statement, every statement in one round trip, so that a
// command's round trips do not grow with its rows. Rows of several tables
// wait in one queue in the order they were added: when one of them fails, the
// rows before it stay and none after it is written, whatever its table, as
// when each row is sent at once.
#include <fmt/format.h>

#include <algorithm>
#include <deque>
#include <utility>

#include "engine/failure.h"
#include "engine/postgres/pg_connection_impl.h"

namespace quillon::engine::postgres {
namespace {

// Rows wait until there are this many, or this many bytes of values.
constexpr std::size_t kQueuedRows = 8192;
constexpr std::size_t kQueuedBytes = 4 << 20;
// A statement's parameters are counted in 16 bits.
constexpr std::size_t kParameters = 60000;
// A run of this many rows of one table goes by COPY: two round trips, but
// far less work for the server than as parameters of an INSERT.
constexpr std::size_t kCopyRows = 64;
constexpr std::size_t kCopyPiece = 1 << 20;

// A row in COPY's text format: tab between values, \N for NULL, backslash
// escapes for the characters the format gives a meaning.
void appendCopyRow(std::span<const Value> values, std::string& out) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i) out += '\t';
    const Value& v = values[i];
    switch (v.kind()) {
      case Value::Kind::Integer:
        fmt::format_to(std::back_inserter(out), "{}", v.integer());
        break;
      case Value::Kind::Real:
        fmt::format_to(std::back_inserter(out), "{}", v.real());
        break;
      case Value::Kind::Text: {
        const std::string_view text = v.text();
        if (text.find('\0') != std::string_view::npos)
          throw EngineError(Failure::Syntax, 0,
                            "a text holds a NUL character, which the server cannot store");
        // Runs without a character the format escapes go whole.
        for (std::size_t at = 0;;) {
          const std::size_t special = text.find_first_of("\\\t\n\r", at);
          out.append(text.substr(at, special - at));
          if (special == std::string_view::npos) break;
          const char c = text[special];
          out += c == '\\' ? "\\\\" : c == '\t' ? "\\t" : c == '\n' ? "\\n" : "\\r";
          at = special + 1;
        }
        break;
      }
      default:
        out += "\\N";
    }
  }
  out += '\n';
}

std::size_t sizeOf(const Value& v) { return v.kind() == Value::Kind::Text ? v.text().size() + 8 : 8; }

class PgRowWriter final : public RowWriter {
 public:
  PgRowWriter(PgConnection& connection, std::string_view table, std::vector<std::string> columns)
      : connection_(connection), target_(std::make_shared<InsertTarget>()) {
    target_->table = table;
    target_->columns = std::move(columns);
    // The server tells the columns' types for one row; a statement of many
    // rows gives each of its parameters the type of its column.
    const Result described = connection_.describe(insertText(table, target_->columns));
    const auto& api = pq();
    for (int i = 0; i < api.nparams(described.get()); ++i)
      target_->types.push_back(api.paramtype(described.get(), i));
    const std::size_t width = std::max<std::size_t>(1, target_->columns.size());
    target_->batch = std::clamp<std::size_t>(kParameters / width, 1, kQueuedRows);
  }

  ~PgRowWriter() override {
    // Rows still waiting were added before whatever ends the writer, also a
    // failure of its user's own: they stay, as they would had they been sent
    // at once. When they cannot be written now, the transaction must not
    // commit without them.
    if (target_.use_count() == 1) return;
    try {
      connection_.sendQueued();
    } catch (const Error& e) {
      connection_.refuseCommit(e.what());
    }
  }

  void add(std::span<const Value> values) override { connection_.queueRow(target_, values); }
  void flush() override { connection_.sendQueued(); }

 private:
  PgConnection& connection_;
  std::shared_ptr<InsertTarget> target_;
};

// The statement that inserts `count` rows into the target.
std::string insertMany(const InsertTarget& target, std::size_t count, std::vector<Oid>& types) {
  std::string sql = insertText(target.table, target.columns);
  sql.resize(sql.find(" VALUES(") + 7);
  std::size_t n = 0;
  for (std::size_t r = 0; r < count; ++r) {
    sql += r ? ",(" : "(";
    for (std::size_t c = 0; c < target.columns.size(); ++c) {
      sql += fmt::format("{}${}", c ? "," : "", ++n);
      types.push_back(c < target.types.size() ? target.types[c] : InvalidOid);
    }
    sql += ')';
  }
  return sql;
}

}  // namespace

std::unique_ptr<RowWriter> PgConnection::rowWriter(std::string_view table, std::vector<std::string> columns) {
  reviveIfLost();
  return std::make_unique<PgRowWriter>(*this, table, std::move(columns));
}

void PgConnection::queueRow(const std::shared_ptr<InsertTarget>& target, std::span<const Value> values) {
  auto& row = queued_.emplace_back(QueuedRow{target, std::vector<Value>(values.begin(), values.end())});
  for (const Value& v : row.values) queuedBytes_ += sizeOf(v);
  if (queued_.size() >= kQueuedRows || queuedBytes_ >= kQueuedBytes) sendQueued();
}

void PgConnection::sendQueued() {
  if (queued_.empty()) return;
  std::vector<QueuedRow> rows = std::exchange(queued_, {});
  queuedBytes_ = 0;
  try {
    undoneOnFailure([&] { sendTogether(rows); });
    return;
  } catch (const Error&) {
    if (pq().status(conn_) != CONNECTION_OK) throw;
    // Told by the row that fails below.
  }
  for (auto& row : rows) undoneOnFailure([&] { sendTogether(std::span<QueuedRow>(&row, 1)); });
}

void PgConnection::sendTogether(std::span<QueuedRow> rows) {
  const auto& api = pq();
  struct Statement {
    std::string name;
    std::string sql;  // empty when prepared already
    std::vector<Oid> types;
    std::unique_ptr<TextParams> params;
    InsertTarget* target;
    std::size_t count;
  };
  std::deque<Statement> statements;
  // The statements gathered so far, in one round trip.
  const auto sendStatements = [&] {
    if (statements.empty()) return;
    std::vector<std::function<int()>> sends;
    for (const Statement& s : statements) {
      if (!s.sql.empty())
        sends.emplace_back([&api, this, &s] {
          return api.sendPrepare(conn_, s.name.c_str(), s.sql.c_str(), static_cast<int>(s.types.size()),
                                 s.types.data());
        });
      sends.emplace_back([&api, this, &s] {
        return api.sendQueryPrepared(conn_, s.name.c_str(), s.params->count(), s.params->values(), nullptr,
                                     nullptr, 0);
      });
    }
    try {
      exchange(sends);
    } catch (const Error&) {
      // Which statements the server kept is not known: the next trip
      // prepares under new names.
      for (const Statement& s : statements)
        if (!s.sql.empty()) s.target->statements.erase(s.count);
      throw;
    }
    statements.clear();
  };
  std::vector<Value> flat;
  for (std::size_t at = 0; at < rows.size();) {
    InsertTarget& target = *rows[at].target;
    std::size_t run = 1;
    while (at + run < rows.size() && rows[at + run].target.get() == &target) ++run;
    if (run >= kCopyRows) {
      sendStatements();
      copyIn(rows.subspan(at, run));
      at += run;
      continue;
    }
    for (const std::size_t end = at + run; at < end;) {
      const std::size_t count = std::min(end - at, target.batch);
      flat.clear();
      for (std::size_t r = at; r < at + count; ++r)
        flat.insert(flat.end(), rows[r].values.begin(), rows[r].values.end());
      Statement& statement = statements.emplace_back();
      statement.target = &target;
      statement.count = count;
      statement.params = std::make_unique<TextParams>(flat);
      if (const auto found = target.statements.find(count); found != target.statements.end()) {
        statement.name = found->second;
      } else {
        statement.name = nextStatementName();
        statement.sql = insertMany(target, count, statement.types);
        // Two runs of the same length in one trip prepare it once.
        target.statements.emplace(count, statement.name);
      }
      at += count;
    }
  }
  sendStatements();
}

void PgConnection::copyIn(std::span<const QueuedRow> rows) {
  const auto& api = pq();
  const InsertTarget& target = *rows.front().target;
  // The rows as COPY reads text, made before anything is sent: a value the
  // server cannot take stops the copy before it starts.
  std::string data;
  for (const QueuedRow& row : rows) appendCopyRow(row.values, data);
  std::string text;
  for (const auto& waiting : std::exchange(deferred_, {})) text += waiting + "; ";
  text += fmt::format("COPY {}(", serverName(target.table));
  for (std::size_t i = 0; i < target.columns.size(); ++i)
    text += (i ? "," : "") + serverName(target.columns[i]);
  text += ") FROM STDIN";
  collectAhead();
  trips += 2;  // the server's readiness, then the outcome
  if (!api.sendQuery(conn_, text.c_str())) throwFailure(conn_, nullptr);
  // Every result up to the end of the exchange; the first failure is told.
  Result failed;
  const auto collect = [&](bool untilCopy) {
    for (PGresult* raw; (raw = api.getResult(conn_)) != nullptr;) {
      Result result(raw);
      const auto status = api.resultStatus(raw);
      if (status == PGRES_COPY_IN && untilCopy) return true;
      if (status == PGRES_COMMAND_OK)
        countChanges(raw);
      else if (!failed)
        failed = std::move(result);
    }
    return false;
  };
  if (collect(true)) {
    bool sent = true;
    for (std::size_t from = 0; sent && from < data.size(); from += kCopyPiece)
      sent = api.putCopyData(conn_, data.data() + from,
                             static_cast<int>(std::min(kCopyPiece, data.size() - from))) == 1;
    if (api.putCopyEnd(conn_, sent ? nullptr : "the client could not send the rows") != 1)
      throwFailure(conn_, nullptr);
    collect(false);
  }
  if (failed || api.status(conn_) != CONNECTION_OK) throwFailure(conn_, failed.get());
}

}  // namespace quillon::engine::postgres
