// A desk held by one program at a time, on the server: the session lock
// that holds it, the sessions of this program that share it, and a session
// the server ended made again with the desk taken again.
#include <fmt/format.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <set>

#include "engine/postgres/pg_connection.h"
#include "engine/postgres/pg_connection_impl.h"
#include "quillon/error.h"

namespace quillon::engine::postgres {
namespace {

// How often the server looks for the client of a working statement.
constexpr int kClientCheckMs = 100;

// The desks this process holds, by URL and desk. Another connection of the
// process to a desk it holds shares the hold, as a second object on a file
// shares its program's hold.
std::mutex holdsMutex;
std::map<std::string, std::weak_ptr<DeskHold>>& holds() {
  static std::map<std::string, std::weak_ptr<DeskHold>> held;
  return held;
}

std::string quotedText(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("''") : std::string(1, c);
  return quoted + "'";
}

// The desk is one program at a time: a session lock on the installation's
// number and the desk's (`desk`, an SQL expression), which the server lets
// go of when the session ends. These are the locks that hold it.
std::string deskLocks(const std::string& desk) {
  return fmt::format(
      "pg_locks WHERE locktype = 'advisory' AND database = (SELECT oid FROM pg_database WHERE datname = "
      "current_database()) AND classid = {} AND objid = hashtext({})::oid AND objsubid = 2 AND granted",
      kInstallationLock, desk);
}

// Whether this session has the desk: 's' when another session of this
// program (`ours`, the server's processes of its sessions) holds it, 't'
// when this one took it, 'r' when another program holds it.
std::string deskQuery(const std::string& desk, const std::set<int>& ours) {
  const std::string quoted = quotedText(desk);
  return fmt::format(
      "SELECT CASE WHEN held IN ({}) THEN 's' WHEN pg_try_advisory_lock({}, hashtext({})) THEN 't' ELSE 'r' "
      "END "
      "FROM (SELECT coalesce((SELECT pid FROM {} LIMIT 1), 0) AS held) desk",
      ours.empty() ? std::string("-1") : fmt::format("{}", fmt::join(ours, ",")), kInstallationLock, quoted,
      deskLocks(quoted));
}

// What every session of a desk is set to: a statement waits for a row
// another desk holds a while; a program that dies in the middle of a
// statement lets its desk go within a tenth of a second, not when the
// statement ends (the server looks for its client while it works).
std::string sessionSettings(int lockWaitMs) {
  return fmt::format("SET lock_timeout = {}; SET client_connection_check_interval = {}", lockWaitMs,
                     kClientCheckMs);
}

Error deskInUse(const std::string& desk) {
  return Error(ErrorKind::Locked,
               fmt::format("the installation is in use by another program of desk {}", desk));
}

}  // namespace

void forgetSession(DeskHold& hold, int pid) {
  const std::lock_guard<std::mutex> guard(holdsMutex);
  hold.sessions.erase(pid);
}

void letGo(PGconn* session) noexcept {
  // The server lets go of a closed session's hold only once its process
  // has ended: let go now, so that the next program, or the next object of
  // this one, finds the desk free at once.
  Result(pq().exec(session, "SELECT pg_advisory_unlock_all()"));
}

DeskHold::~DeskHold() {
  if (!session) return;
  letGo(session);
  pq().finish(session);
}

std::shared_ptr<Connection> open(const std::string& url, const std::string& desk,
                                 std::vector<std::string> spellings) {
  auto connection = std::make_shared<PgConnection>(connectTo(url), std::move(spellings));
  const std::lock_guard<std::mutex> guard(holdsMutex);
  auto& known = holds()[url + '\n' + desk];
  std::shared_ptr<DeskHold> shared = known.lock();
  // In one round trip: the session's settings; the desk, unless a session
  // of this program holds it; and the names of the tables, which results
  // name by number.
  const auto results = connection->runAll(fmt::format(
      "{}; {}; SELECT c.oid, c.relname FROM pg_class c JOIN pg_namespace n ON "
      "n.oid = c.relnamespace WHERE n.nspname = current_schema() AND c.relkind IN ('r', 'p')",
      sessionSettings(kLockWaitMs), deskQuery(desk, shared ? shared->sessions : std::set<int>{})));
  const char answer = *pq().getvalue(results[2].get(), 0, 0);
  if (answer == 'r') throw deskInUse(desk);
  connection->knowTables(results[3].get());
  if (!shared) {
    shared = std::make_shared<DeskHold>();
    known = shared;
  }
  connection->holdDesk(shared, desk, answer == 't');
  return connection;
}

void PgConnection::holdDesk(std::shared_ptr<DeskHold> hold, std::string desk, bool took) {
  hold_ = std::move(hold);
  desk_ = std::move(desk);
  holder_ = took;
  hold_->sessions.insert(pq().backendPID(conn_));
}

void PgConnection::reviveIfLost() {
  const auto& api = pq();
  if (transactionOpen_) return;
  // What the server said while the session was idle is read without
  // waiting: a session it ended has said so, and closed, before this call
  // sends anything that could run twice. Read twice: the first read may
  // take its last words, the second the close.
  for (int read = 0; read < 2 && api.status(conn_) == CONNECTION_OK; ++read) api.consumeInput(conn_);
  if (api.status(conn_) == CONNECTION_OK && !deskRefused_) return;
  if (api.status(conn_) != CONNECTION_OK) {
    if (hold_) forgetSession(*hold_, api.backendPID(conn_));
    api.reset(conn_);
    ++sessions_;
    holder_ = false;
    deskRefused_ = hold_ != nullptr;
    // Whatever the lost session had was lost with it.
    prepared_.clear();
    deferred_.clear();
    queued_.clear();
    queuedBytes_ = 0;
    refusal_.clear();
    ahead_ = {};
    if (api.status(conn_) != CONNECTION_OK) throwFailure(conn_, nullptr);
    if (hold_) {
      const std::lock_guard<std::mutex> guard(holdsMutex);
      hold_->sessions.insert(api.backendPID(conn_));
    }
  }
  if (!hold_) {
    run(sessionSettings(lockWaitMs_));
    return;
  }
  // The desk is still this program's while one of its sessions holds it;
  // when none does it is taken again, if no other program has it.
  std::set<int> ours;
  {
    const std::lock_guard<std::mutex> guard(holdsMutex);
    ours = hold_->sessions;
  }
  const auto results = runAll(fmt::format("{}; {}", sessionSettings(lockWaitMs_), deskQuery(desk_, ours)));
  const char answer = *api.getvalue(results[2].get(), 0, 0);
  if (answer == 'r') throw deskInUse(desk_);
  holder_ = answer == 't';
  deskRefused_ = false;
}

int releaseDesk(const std::string& url, const std::string& desk) {
  PgConnection connection(connectTo(url), {});
  const std::array<Value, 1> name{Value(desk)};
  const Result ended = connection.runPrepared(
      fmt::format("SELECT count(*) FILTER (WHERE pg_terminate_backend(pid)) FROM {}", deskLocks("$1")), name);
  return std::atoi(pq().getvalue(ended.get(), 0, 0));
}

}  // namespace quillon::engine::postgres
