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

void psql(const std::string& sql) {
  const std::string command =
      fmt::format("psql -q -X -v ON_ERROR_STOP=1 \"{} dbname=postgres\" -c \"{}\"", *testServer(), sql);
  if (std::system(command.c_str()) != 0) throw std::runtime_error("the test server refused: " + sql);
}

}  // namespace

ServerDatabase::ServerDatabase() {
  static std::atomic<int> counter{0};
  name_ = fmt::format("quillon_test_{}_{}", ::getpid(), counter.fetch_add(1));
  psql(fmt::format("DROP DATABASE IF EXISTS {}", name_));
  psql(fmt::format("CREATE DATABASE {} TEMPLATE template0 LC_COLLATE 'C' LC_CTYPE 'C'", name_));
  url_ = fmt::format("{} dbname={}", *testServer(), name_);
}

ServerDatabase::~ServerDatabase() {
  try {
    psql(fmt::format("DROP DATABASE IF EXISTS {} WITH (FORCE)", name_));
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
