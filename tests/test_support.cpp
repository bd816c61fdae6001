#include "test_support.h"

#include <fmt/format.h>
#include <unistd.h>

#include <atomic>

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

void HomeTest::open(bool demo) {
  obj.reset();
  initializeHome(dir.path(), InitOptions{demo, true});
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
