#include "bench_support.h"

#include <unistd.h>

#include <array>
#include <tuple>

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
    platform::Transaction tx(sessionOf(*home->obj).database());
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

// Project 1 with 30,000 tree rows and its attached tables; project 2 beside
// it, so that the filter has something to leave out.
void fillProjects(DBFunc& obj) {
  for (const auto& [project, rows, first] : {std::tuple{1, 30'000, 1}, std::tuple{2, 10'000, 30'001}}) {
    run(obj, numbers(rows) + fmt::format(R"(
        INSERT INTO T_PROJECT_TREE SELECT i + {0}, '第' || i || '节 技术要求与评分办法', {1}, '0', 3 + i % 4,
          (i + {0}) / 5, 2 + i % 8, 11, CASE WHEN i % 50 = 0 THEN 'I' ELSE 'V' END, 'BM_NODE_' || i, i % 20,
          1, 1, 86, i % 86, 0, 0, CASE WHEN i % 3 = 0 THEN NULL ELSE i % 7 END FROM n)",
                                         first - 1, project));
  }
  run(obj, numbers(200) + R"(
      INSERT INTO T_ACCORDED_CHECK SELECT 1, '0', i, '投标人具有履行合同所必需的设备 & 专业技术能力 <' || i || '>',
        'V', 0, 'BM_FORM_QUAL', 37, '资格性检查' FROM n)");
  run(obj, numbers(100) + R"(
      INSERT INTO TJ_OPEN_BID_DETAILS SELECT 1, '0', 20000, NULL, NULL, NULL, '台式计算机', '合同签订后30日内', i,
        4900.5 * i, '酷睿i5／16GB／512GB', '华星电脑制造有限公司', 'V', NULL, i, '北京华信科技有限公司', 1 FROM n)");
  run(obj, numbers(20) + R"(
      INSERT INTO T_GRADE_INGREDIENT SELECT i, 1, '评分项' || i, '说明', 5,
        CASE WHEN i % 5 = 0 THEN 'I' ELSE 'V' END, 'T' FROM n)");
  run(obj, numbers(80) + R"(
      INSERT INTO T_GRADE_INGREDIENT_DETAIL SELECT i, 1 + (i - 1) / 4, '评分因素' || i, 1 + i % 2, NULL, 2.5,
        'V', '2026-01-12', 0, 'BM_EVAL', 22, i FROM n)");
  run(obj,
      numbers(60) + "INSERT INTO T_AUTO_GRADE_DETAILS SELECT i, 2 * i - 1, '%', -0.5, '30', 1, 'V' FROM n");
  run(obj, R"(
      INSERT INTO TJ_PROCUREMENT_PROJECT VALUES (1, '0', '2026年度办公设备采购项目', 1, '0', 1, 1, 1010, 'V',
        'ZFCG-2026-0015', '综合评分法', 1280000))");
}

}  // namespace quillon::bench
