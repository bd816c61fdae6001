#include "bench_support.h"

#include <unistd.h>

#include <array>

#include <fmt/format.h>

#include "component/session_access.h"
#include "quillon/setup.h"

namespace quillon::bench {

BenchHome::~BenchHome() {
  obj.reset();
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
}

std::unique_ptr<BenchHome> makeHome(const std::string& tag, const std::function<void(DBFunc&)>& fill) {
  auto home = std::make_unique<BenchHome>();
  home->folder =
      std::filesystem::temp_directory_path() / ("quillon-bench-" + tag + "-" + std::to_string(::getpid()));
  std::filesystem::remove_all(home->folder);
  initializeHome(home->folder, InitOptions{});
  home->obj = std::make_unique<DBFunc>(home->host, home->folder);
  {
    engine::Transaction tx(sessionOf(*home->obj).database());
    fill(*home->obj);
    tx.commit();
  }
  return home;
}

void addProjectTreeRows(DBFunc& obj, std::int64_t firstId, std::int64_t count, std::int32_t projectId) {
  auto& db = sessionOf(obj).database();
  for (std::int64_t i = 0; i < count; ++i) {
    const std::int64_t id = firstId + i;
    const std::array<Value, 6> v{Value(id), Value("节点 " + std::to_string(id)), Value(projectId),
                                 Value(3),  Value(id > firstId ? firstId : 0),   Value("V")};
    db.execute(
        "insert into T_PROJECT_TREE(NODE_ID,NODE_NAME,PROJECT_ID,LAYER_ID,PARENT_NOED_ID,STS) "
        "values(?,?,?,?,?,?)",
        v);
  }
}

// Rows numbered 1..n, for INSERT ... SELECT.
std::string numbers(std::int64_t n) {
  return fmt::format("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < {}) ", n);
}

void run(DBFunc& obj, const std::string& sql) { sessionOf(obj).database().execute(sql); }

}  // namespace quillon::bench
