#include "engine/postgres/pg_connection.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cstring>
#include <utility>

#include "engine/failure.h"
#include "engine/postgres/pg_connection_impl.h"
#include "engine/sql_words.h"

namespace quillon::engine::postgres {
namespace {

std::string lower(std::string_view text) {
  std::string out(text);
  for (auto& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

std::string serverName(std::string_view name) {
  std::string out = "\"";
  for (const char c : lower(name)) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

std::string insertText(std::string_view table, std::span<const std::string> columns) {
  std::string names, marks;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i) names += ',', marks += ',';
    names += serverName(columns[i]);
    marks += fmt::format("${}", i + 1);
  }
  return columns.empty() ? fmt::format("INSERT INTO {} DEFAULT VALUES", serverName(table))
                         : fmt::format("INSERT INTO {}({}) VALUES({})", serverName(table), names, marks);
}

std::atomic<std::uint64_t> trips{0};

std::uint64_t roundTrips() { return trips.load(); }

namespace {

// The connection string with what a desk needs of every connection, where
// the settings do not say otherwise: dead peers noticed (a desk that dies
// frees its hold), a server that does not answer given up on after a while
// rather than the system's minutes, and names as the server gives them to
// clients in UTF-8.
std::string withSettings(const std::string& url) {
  const bool uri = url.rfind("postgresql://", 0) == 0 || url.rfind("postgres://", 0) == 0;
  constexpr std::string_view kSettings[] = {
      "keepalives=1",       "keepalives_idle=30",   "keepalives_interval=10",   "keepalives_count=3",
      "connect_timeout=10", "client_encoding=UTF8", "application_name=quillon",
  };
  std::string out = url;
  char separator = uri ? (url.find('?') == std::string::npos ? '?' : '&') : ' ';
  for (const std::string_view setting : kSettings) {
    if (url.find(setting.substr(0, setting.find('=') + 1)) != std::string::npos) continue;
    out += separator;
    out += setting;
    if (uri) separator = '&';
  }
  return out;
}

}  // namespace

PGconn* connectTo(const std::string& url) {
  const auto& api = pq();
  PGconn* conn = api.connectdb(withSettings(url).c_str());
  if (!conn) throw EngineError(Failure::IO, 0, "cannot reach the database server: out of memory");
  if (api.status(conn) != CONNECTION_OK) {
    std::string why = api.errorMessage(conn);
    api.finish(conn);
    while (!why.empty() && (why.back() == '\n' || why.back() == ' ')) why.pop_back();
    throw EngineError(Failure::IO, 0, fmt::format("cannot reach the database server: {}", why));
  }
  // Notices (an index that exists already) are not the caller's business.
  api.setNoticeProcessor(
      conn, [](void*, const char*) {}, nullptr);
  return conn;
}

PgConnection::PgConnection(PGconn* conn, std::vector<std::string> spellings)
    : conn_(conn), lockWaitMs_(kLockWaitMs) {
  for (auto& name : spellings) spellings_.emplace(lower(name), std::move(name));
}

PgConnection::~PgConnection() {
  const bool alive = pq().status(conn_) == CONNECTION_OK;
  // The session holding the desk stays while other connections of this
  // program share the hold; what this connection had begun is undone.
  if (holder_ && alive && hold_.use_count() > 1) {
    rollback();
    // A session kept before was lost: this one took the desk after it.
    if (hold_->session) pq().finish(hold_->session);
    hold_->session = conn_;
    return;
  }
  if (hold_) forgetSession(*hold_, pq().backendPID(conn_));
  if (holder_) {
    rollback();
    letGo(conn_);
  }
  pq().finish(conn_);
}

void PgConnection::countChanges(PGresult* result) {
  const char* tuples = pq().cmdTuples(result);
  const char* tag = pq().cmdStatus(result);
  if (tuples && *tuples && tag &&
      (std::strncmp(tag, "INSERT", 6) == 0 || std::strncmp(tag, "UPDATE", 6) == 0 ||
       std::strncmp(tag, "DELETE", 6) == 0))
    changes_ += std::atoll(tuples);
}

Result PgConnection::checked(PGresult* raw) {
  Result result(raw);
  const auto status = raw ? pq().resultStatus(raw) : PGRES_FATAL_ERROR;
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) throwFailure(conn_, raw);
  countChanges(raw);
  return result;
}

Result PgConnection::exchange(std::span<const std::function<int()>> sends) {
  collectAhead();
  ++trips;
  const auto& api = pq();
  const std::vector<std::string> before = std::exchange(deferred_, {});
  if (!api.enterPipelineMode(conn_)) throwFailure(conn_, nullptr);
  int sent = 0;
  bool whole = true;
  for (const auto& sql : before) {
    if (!api.sendQueryParams(conn_, sql.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0)) {
      whole = false;
      break;
    }
    ++sent;
  }
  for (const auto& send : sends) {
    if (!whole || !send()) {
      whole = false;
      break;
    }
    ++sent;
  }
  if (!api.pipelineSync(conn_)) whole = false;
  // Every result is read, up to the end of the round trip, even after a
  // failure: the statements after it answer that they did not run.
  Result failed, last;
  failedSend_ = -1;
  for (int i = 0; i < sent && api.status(conn_) == CONNECTION_OK; ++i) {
    for (PGresult* raw; (raw = api.getResult(conn_)) != nullptr;) {
      Result result(raw);
      const auto status = api.resultStatus(raw);
      if (status == PGRES_FATAL_ERROR || status == PGRES_NONFATAL_ERROR || status == PGRES_BAD_RESPONSE) {
        if (!failed) {
          failed = std::move(result);
          failedSend_ = i - static_cast<int>(before.size());
        }
      } else if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) {
        countChanges(raw);
        if (i == sent - 1) last = std::move(result);
      }
    }
  }
  while (api.status(conn_) == CONNECTION_OK) {
    const Result end(api.getResult(conn_));
    if (!end || api.resultStatus(end.get()) == PGRES_PIPELINE_SYNC) break;
  }
  api.exitPipelineMode(conn_);
  if (failed) throwFailure(conn_, failed.get());
  if (!whole || !last) throwFailure(conn_, nullptr);
  return last;
}

Result PgConnection::run(const std::string& sql) {
  sendQueued();
  collectAhead();
  ++trips;
  if (deferred_.empty()) return checked(pq().exec(conn_, sql.c_str()));
  // The simple protocol takes several statements in one text; the last
  // one's result comes back, or the first failure.
  std::string text;
  for (const auto& before : std::exchange(deferred_, {})) text += before + "; ";
  text += sql;
  return checked(pq().exec(conn_, text.c_str()));
}

void PgConnection::runQuietly(const std::string& sql) noexcept {
  try {
    run(sql);
  } catch (const Error&) {
  }
}

Result PgConnection::runParams(const std::string& numberedSql, const TextParams& params) {
  sendQueued();
  const auto& api = pq();
  if (deferred_.empty()) {
    collectAhead();
    ++trips;
    return checked(api.execParams(conn_, numberedSql.c_str(), params.count(), nullptr, params.values(),
                                  nullptr, nullptr, 0));
  }
  return exchange({[&] {
    return api.sendQueryParams(conn_, numberedSql.c_str(), params.count(), nullptr, params.values(), nullptr,
                               nullptr, 0);
  }});
}

Result PgConnection::runPrepared(const std::string& numberedSql, std::span<const Value> params) {
  sendQueued();
  const auto& api = pq();
  const TextParams text(params);
  const auto execute = [&](const std::string& name) {
    return [&api, this, &text, name] {
      return api.sendQueryPrepared(conn_, name.c_str(), text.count(), text.values(), nullptr, nullptr, 0);
    };
  };
  if (const auto found = prepared_.find(numberedSql); found != prepared_.end()) {
    if (deferred_.empty()) {
      collectAhead();
      ++trips;
      return checked(
          api.execPrepared(conn_, found->second.c_str(), text.count(), text.values(), nullptr, nullptr, 0));
    }
    return exchange({execute(found->second)});
  }
  // Prepared and run in one round trip. Parameter types are left to the
  // server, as for an untyped text. Names are never used twice: a statement
  // the server prepared before its run failed is kept under its name.
  const std::string name = fmt::format("quillon_s{}", ++statements_);
  try {
    Result result =
        exchange({[&] { return api.sendPrepare(conn_, name.c_str(), numberedSql.c_str(), 0, nullptr); },
                  execute(name)});
    prepared_.emplace(numberedSql, name);
    return result;
  } catch (const Error&) {
    if (failedSend_ == 1) prepared_.emplace(numberedSql, name);
    throw;
  }
}

bool PgConnection::fetchAhead(const void* owner, const std::string& fetch) {
  if (ahead_.owner) return false;
  sendQueued();
  std::string text;
  for (const auto& waiting : std::exchange(deferred_, {})) text += waiting + "; ";
  text += fetch;
  const bool inside = inTransaction();
  ++trips;
  if (!pq().sendQuery(conn_, text.c_str())) throwFailure(conn_, nullptr);
  ahead_.owner = owner;
  ahead_.inTransaction = inside;
  return true;
}

void PgConnection::collectAhead() {
  if (!ahead_.owner || ahead_.read) return;
  const auto& api = pq();
  Result failed, last;
  for (PGresult* raw; (raw = api.getResult(conn_)) != nullptr;) {
    Result result(raw);
    const auto status = api.resultStatus(raw);
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
      last = std::move(result);
    else if (!failed)
      failed = std::move(result);
  }
  ahead_.read = true;
  if (failed || !last) {
    ahead_ = {};
    throwFailure(conn_, failed.get());
  }
  ahead_.result = std::move(last);
}

Result PgConnection::takeAhead(const void* owner) {
  if (ahead_.owner != owner) return {};
  collectAhead();
  Result result = std::move(ahead_.result);
  ahead_ = {};
  return result;
}

void PgConnection::dropAhead(const void* owner) noexcept {
  if (ahead_.owner != owner) return;
  try {
    collectAhead();
  } catch (const Error&) {
    // The batch was never asked for by its cursor's user.
  }
  ahead_ = {};
}

Result PgConnection::declareAndFetch(const std::string& declare, const TextParams& params,
                                     const std::string& fetch) {
  sendQueued();
  const auto& api = pq();
  return exchange(
      {[&] {
         return api.sendQueryParams(conn_, declare.c_str(), params.count(), nullptr, params.values(), nullptr,
                                    nullptr, 0);
       },
       [&] { return api.sendQueryParams(conn_, fetch.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0); }});
}

Result PgConnection::describe(const std::string& numberedSql) {
  sendQueued();
  const auto& api = pq();
  return exchange({[&] { return api.sendPrepare(conn_, "", numberedSql.c_str(), 0, nullptr); },
                   [&] { return api.sendDescribePrepared(conn_, ""); }});
}

void PgConnection::execute(std::string_view sql, std::span<const Value> params) {
  reviveIfLost();
  int count = 0;
  const std::string numbered = numberedParameters(sql, count);
  // One statement, as on every engine: the extended protocol refuses a text
  // of several.
  if (params.empty() && count == 0) {
    runParams(numbered, TextParams({}));
    return;
  }
  runPrepared(numbered, params);
}

void PgConnection::executeScript(std::string_view script) {
  reviveIfLost();
  run(std::string(script));
}

void PgConnection::insertRow(std::string_view table, std::span<const std::string> columns,
                             std::span<const Value> values) {
  runPrepared(insertText(table, columns), values);
}

void PgConnection::updateRow(std::string_view table, const Value& locator,
                             std::span<const std::string> columns, std::span<const Value> values) {
  if (columns.empty()) return;
  std::string sets;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i) sets += ',';
    sets += fmt::format("{}=${}", serverName(columns[i]), i + 1);
  }
  std::vector<Value> params(values.begin(), values.end());
  params.push_back(locator);
  runPrepared(fmt::format("UPDATE {} SET {} WHERE ctid=${}", serverName(table), sets, params.size()), params);
}

void PgConnection::deleteRow(std::string_view table, const Value& locator) {
  runPrepared(fmt::format("DELETE FROM {} WHERE ctid=$1", serverName(table)),
              std::span<const Value>(&locator, 1));
}

std::string PgConnection::nextStatementName() { return fmt::format("quillon_s{}", ++statements_); }

void PgConnection::prepareTyped(const std::string& name, const std::string& sql,
                                const std::vector<Oid>& types) {
  sendQueued();
  const auto& api = pq();
  exchange({[&] {
    return api.sendPrepare(conn_, name.c_str(), sql.c_str(), static_cast<int>(types.size()), types.data());
  }});
}

Result PgConnection::runNamed(const std::string& name, std::span<const Value> params) {
  sendQueued();
  const auto& api = pq();
  const TextParams text(params);
  return exchange({[&] {
    return api.sendQueryPrepared(conn_, name.c_str(), text.count(), text.values(), nullptr, nullptr, 0);
  }});
}

void PgConnection::refuseCommit(std::string why) { refusal_ = std::move(why); }

void PgConnection::begin(Intent intent) {
  againIfLost([&] { beginOnce(intent); });
}

void PgConnection::beginOnce(Intent intent) {
  ++transactions_;
  sendQueued();
  // One snapshot for every row a reader reads, as a file gives it. Writers
  // of all desks take turns: numbers come from max()+1, which only holds
  // while no other writer numbers the same column. Writers stay READ
  // COMMITTED so that each sees what the writer before it committed.
  std::string text = intent == Intent::Read ? "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"
                                            : "BEGIN ISOLATION LEVEL READ COMMITTED";
  // What waits to be sent goes after BEGIN, in the same round trip: nothing
  // may run in a transaction before its isolation is set.
  for (const auto& waiting : std::exchange(deferred_, {})) text += "; " + waiting;
  if (intent == Intent::Write) text += fmt::format("; SELECT pg_advisory_xact_lock({})", kInstallationLock);
  collectAhead();
  ++trips;
  try {
    checked(pq().exec(conn_, text.c_str()));
    transactionOpen_ = true;
  } catch (...) {
    // BEGIN may have run before the lock or a statement after it failed:
    // the caller was told the transaction did not begin, so none is left
    // open for the next call to find aborted.
    rollback();
    throw;
  }
}

void PgConnection::commit() {
  ++transactions_;
  transactionOpen_ = false;
  try {
    sendQueued();
  } catch (const Error& e) {
    refusal_ = e.what();
  }
  if (!refusal_.empty()) {
    const std::string why = std::exchange(refusal_, {});
    rollback();
    throw EngineError(Failure::TransactionEnded, 0, fmt::format("rows could not be written: {}", why));
  }
  const Result result = run("COMMIT");
  // After a failed statement the server answers COMMIT with ROLLBACK, and
  // no error.
  const char* tag = pq().cmdStatus(result.get());
  if (!tag || std::strcmp(tag, "COMMIT") != 0)
    throw EngineError(Failure::TransactionEnded, 0,
                      "the server rolled the transaction back: a statement in it had failed");
}

void PgConnection::rollback() noexcept {
  ++transactions_;
  transactionOpen_ = false;
  refusal_.clear();
  deferred_.clear();
  queued_.clear();
  queuedBytes_ = 0;
  try {
    collectAhead();
  } catch (const Error&) {
    // Ended with the transaction.
  }
  ahead_ = {};
  if (!inTransaction()) return;
  ++trips;
  Result(pq().exec(conn_, "ROLLBACK"));
}

bool PgConnection::inTransaction() const {
  // While a batch asked ahead is on its way the connection is busy, in
  // whatever transaction it was.
  if (ahead_.owner && !ahead_.read) return ahead_.inTransaction;
  const auto status = pq().transactionStatus(conn_);
  return status == PQTRANS_INTRANS || status == PQTRANS_INERROR || status == PQTRANS_ACTIVE;
}

// A savepoint and its release go with the statements they surround.
void PgConnection::savepoint(std::string_view name) {
  sendQueued();
  defer(fmt::format("SAVEPOINT {}", serverName(name)));
}
void PgConnection::release(std::string_view name) {
  sendQueued();
  const std::string opened = fmt::format("SAVEPOINT {}", serverName(name));
  if (!deferred_.empty() && deferred_.back() == opened)
    deferred_.pop_back();  // nothing ran inside it
  else
    defer(fmt::format("RELEASE SAVEPOINT {}", serverName(name)));
}
void PgConnection::rollbackTo(std::string_view name) {
  run(fmt::format("ROLLBACK TO SAVEPOINT {}", serverName(name)));
}

void PgConnection::setBusyTimeout(int milliseconds) {
  lockWaitMs_ = std::max(milliseconds, 1);
  run(fmt::format("SET lock_timeout = {}", lockWaitMs_));
}

std::string PgConnection::spelled(std::string_view name) const {
  const auto found = spellings_.find(lower(name));
  return found == spellings_.end() ? std::string(name) : found->second;
}

std::vector<Result> PgConnection::runAll(const std::string& sql) {
  sendQueued();
  collectAhead();
  const auto& api = pq();
  ++trips;
  if (!api.sendQuery(conn_, sql.c_str())) throwFailure(conn_, nullptr);
  std::vector<Result> results;
  Result failed;
  for (PGresult* raw; (raw = api.getResult(conn_)) != nullptr;) {
    Result result(raw);
    const auto status = api.resultStatus(raw);
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
      results.push_back(std::move(result));
    else if (!failed)
      failed = std::move(result);
  }
  if (failed) throwFailure(conn_, failed.get());
  return results;
}

void PgConnection::knowTables(const PGresult* names) {
  const auto& api = pq();
  for (int row = 0; row < api.ntuples(names); ++row)
    tables_.emplace(static_cast<Oid>(std::strtoul(api.getvalue(names, row, 0), nullptr, 10)),
                    spelled(api.getvalue(names, row, 1)));
}

std::string PgConnection::tableOf(Oid table) {
  if (table == InvalidOid) return {};
  if (const auto found = tables_.find(table); found != tables_.end()) return found->second;
  const std::array<Value, 1> oid{Value(static_cast<std::int64_t>(table))};
  const Result result =
      runPrepared("SELECT relname FROM pg_class WHERE oid=$1 AND relkind IN ('r', 'p')", oid);
  const std::string name = pq().ntuples(result.get()) == 1 ? spelled(pq().getvalue(result.get(), 0, 0)) : "";
  return tables_.emplace(table, name).first->second;
}

bool createIfEmpty(const std::string& url, std::string_view probe, std::string_view script) {
  PgConnection connection(connectTo(url), {});
  // Every desk must order text as SQLite does, byte by byte: a list sorted
  // on one desk must not come out in another order on the next.
  const Result collation =
      connection.run("SELECT datcollate FROM pg_database WHERE datname = current_database()");
  const std::string order = pq().getvalue(collation.get(), 0, 0);
  if (order != "C" && order != "POSIX")
    throw Error(ErrorKind::Refused,
                fmt::format("the database orders text by the collation {}; an installation needs C "
                            "(CREATE DATABASE ... LC_COLLATE 'C' TEMPLATE template0)",
                            order));
  connection.run(fmt::format("BEGIN; SELECT pg_advisory_xact_lock({})", kInstallationLock));
  const std::array<Value, 1> table{Value(lower(probe))};
  const Result found = connection.runPrepared(
      "SELECT count(*) FROM pg_tables WHERE schemaname = current_schema() AND tablename = $1", table);
  if (std::strcmp(pq().getvalue(found.get(), 0, 0), "0") != 0) {
    connection.run("ROLLBACK");
    return false;
  }
  connection.run(std::string(script));
  connection.commit();
  return true;
}

}  // namespace quillon::engine::postgres
