#include "test_support.h"

#include <fmt/format.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <stdexcept>

#include "quillon/setup.h"

namespace quillon::test {

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  path_ = std::filesystem::temp_directory_path() /
          fmt::format("quillon-test-{}-{}", ::getpid(), counter.fetch_add(1));
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::optional<std::string> testServer() {
  const char* server = std::getenv("QUILLON_TEST_SERVER");
  if (!server || !*server) return std::nullopt;
  return std::string(server);
}

namespace {

// Runs each statement in turn, in one session of the server's own client.
void psql(std::initializer_list<std::string> statements) {
  std::string command = fmt::format(
      "psql -q -X -v ON_ERROR_STOP=1 \"{} dbname=postgres\" "
      "-c \"SET client_min_messages = warning\"",
      *testServer());
  for (const auto& sql : statements) command += fmt::format(" -c \"{}\"", sql);
  if (std::system(command.c_str()) != 0) throw std::runtime_error("the test server refused: " + command);
}

}  // namespace

ServerDatabase::ServerDatabase() {
  static std::atomic<int> counter{0};
  name_ = fmt::format("quillon_test_{}_{}", ::getpid(), counter.fetch_add(1));
  psql({fmt::format("DROP DATABASE IF EXISTS {}", name_),
        fmt::format("CREATE DATABASE {} TEMPLATE template0 LC_COLLATE 'C' LC_CTYPE 'C'", name_)});
  url_ = fmt::format("{} dbname={}", *testServer(), name_);
}

ServerDatabase::~ServerDatabase() {
  try {
    psql({fmt::format("DROP DATABASE IF EXISTS {} WITH (FORCE)", name_)});
  } catch (const std::exception&) {
    // Left for the cluster's removal.
  }
}

void HomeTest::open(bool demo) {
  obj.reset();
  InitOptions options{demo, true};
  if (testServer()) {
    server = std::make_unique<ServerDatabase>();
    options.server = server->url();
  }
  initializeHome(dir.path(), options);
  obj = std::make_unique<DBFunc>(host, dir.path());
  ASSERT_TRUE(obj->connected());
  host.shown.clear();
}

void HomeTest::exec(const std::string& sql) { ASSERT_TRUE(obj->ExecuteSql(sql)) << sql; }

void HomeTest::logInserts(const std::string& table, const std::string& what) {
  if (!onServer()) {
    exec("create temp table if not exists writes(seq integer primary key, what text)");
    exec(fmt::format(
        "create temp trigger log_{0} after insert on {0} begin insert into writes(what) values ({1}); end",
        table, what));
    return;
  }
  exec("create table if not exists writes(seq serial primary key, what text)");
  exec(
      fmt::format("create function log_{0}() returns trigger language plpgsql as "
                  "$$ begin insert into writes(what) values ({1}); return new; end $$",
                  table, what));
  exec(fmt::format("create trigger log_{0} after insert on {0} for each row execute function log_{0}()",
                   table));
}

void HomeTest::refuseDeletes(const std::string& name, const std::string& table, const std::string& condition,
                             const std::string& message) {
  if (!onServer()) {
    exec(
        fmt::format("create temp trigger {} before delete on {} when {} begin select raise(abort, '{}'); end",
                    name, table, condition, message));
    return;
  }
  exec(
      fmt::format("create function {0}() returns trigger language plpgsql as "
                  "$$ begin if {1} then raise exception '{2}'; end if; return old; end $$",
                  name, condition, message));
  exec(fmt::format("create trigger {0} before delete on {1} for each row execute function {0}()", name,
                   table));
}

void HomeTest::dropTrigger(const std::string& name, const std::string& table) {
  exec(onServer() ? fmt::format("drop trigger {} on {}", name, table) : "drop trigger " + name);
}

std::vector<std::string> HomeTest::rows(const std::string& sql) { return rowsOf(*obj, sql); }

std::vector<std::string> rowsOf(DBFunc& object, const std::string& sql) {
  Recordset rs;
  EXPECT_TRUE(object.GetValue(sql, rs)) << sql << ": " << object.lastError();
  std::vector<std::string> out;
  if (!rs.isOpen()) return out;
  while (!rs.atEnd()) {
    std::string line;
    for (int i = 0; i < rs.fieldCount(); ++i) {
      if (i) line += '|';
      line += rs.value(i).isNull() ? std::string("NULL") : rs.value(i).toText();
    }
    out.push_back(line);
    rs.moveNext();
  }
  return out;
}

std::string HomeTest::scalar(const std::string& sql) {
  const auto r = rows(sql);
  return r.empty() ? std::string("<no row>") : r.front();
}

}  // namespace quillon::test
